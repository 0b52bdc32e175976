#include "support/MainWindowHarness.h"

namespace quillory::test {

MainWindowHarness::MainWindowHarness(int options) : fake(dir.programFolder()) {
    if (options & MakeFolders)
        dir.makeAll();
    window = std::make_unique<MainWindow>(fake.platform);
    if (options & Start)
        start();
    if (options & Show)
        window->show();
}

MainWindowHarness::~MainWindowHarness() {
    // Windows the test left open go with the main window; no "End current session?" here.
    window.reset();
}

bool MainWindowHarness::start() {
    return window->start();
}

void MainWindowHarness::writeStats(const QString& name, const QStringList& lines) const {
    TestFolders::writeBytes(folders().stats + name, TestFolders::crlf(lines));
}

void MainWindowHarness::writeProfile(const QString& name, const QStringList& lines) const {
    TestFolders::writeBytes(folders().profiles + name, TestFolders::crlf(lines));
}

void MainWindowHarness::writeLoaned(const QString& name, const QStringList& lines) const {
    TestFolders::writeBytes(folders().loaned + name, TestFolders::crlf(lines));
}

} // namespace quillory::test
