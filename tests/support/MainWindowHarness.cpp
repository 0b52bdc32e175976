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

} // namespace quillory::test
