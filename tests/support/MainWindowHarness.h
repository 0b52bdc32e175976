#pragma once

#include "shell/MainWindow.h"
#include "support/FakePlatform.h"
#include "support/TestFolders.h"
#include "support/Widgets.h"

#include <memory>

namespace quillory::test {

// The real main window over temporary folders and platform doubles: by default the folders are
// made and the window started, with no message expected.
class MainWindowHarness {
public:
    enum Option { MakeFolders = 1, Start = 2, Show = 4, Default = MakeFolders | Start };
    explicit MainWindowHarness(int options = Default);
    // Windows the test left open go with the main window; no "End current session?" here.
    ~MainWindowHarness() { window.reset(); }

    // Runs the start-up sequence (when the constructor did not); returns its result.
    bool start() { return window->start(); }

    TestFolders dir;
    FakePlatform fake;
    std::unique_ptr<MainWindow> window;

    ScriptedMessages& messages() { return fake.messages; }
    Folders folders() const { return dir.folders(); }
    // A control by its object name, in the main window or any window it owns; null when none.
    template <class T> T* find(const QString& name) const {
        return findControl<T>(name, window.get());
    }

    // Writes a record file (lines ended with CR LF, Windows-1252) into a folder.
    void writeStats(const QString& name, const QStringList& lines) const {
        TestFolders::writeBytes(folders().stats + name, TestFolders::crlf(lines));
    }
    void writeProfile(const QString& name, const QStringList& lines) const {
        TestFolders::writeBytes(folders().profiles + name, TestFolders::crlf(lines));
    }
    void writeLoaned(const QString& name, const QStringList& lines) const {
        TestFolders::writeBytes(folders().loaned + name, TestFolders::crlf(lines));
    }
};

} // namespace quillory::test
