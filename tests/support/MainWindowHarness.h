#pragma once

#include "shell/MainWindow.h"
#include "support/FakePlatform.h"
#include "support/TestFolders.h"
#include "support/Widgets.h"

#include <QApplication>
#include <QWidget>
#include <memory>

namespace quillory::test {

// The real main window over temporary folders and platform doubles.
// Typical use:
//   MainWindowHarness h;            // folders made, window started, no message expected
//   h.messages().answer(MsgAnswer::Yes);
//   click("cmdDeleteItem");
class MainWindowHarness {
public:
    enum Option { MakeFolders = 1, Start = 2, Show = 4, Default = MakeFolders | Start };
    explicit MainWindowHarness(int options = Default);
    ~MainWindowHarness();

    // Runs the start-up sequence (when the constructor did not); returns its result.
    bool start();

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
    void writeStats(const QString& name, const QStringList& lines) const;
    void writeProfile(const QString& name, const QStringList& lines) const;
    void writeLoaned(const QString& name, const QStringList& lines) const;
};

} // namespace quillory::test
