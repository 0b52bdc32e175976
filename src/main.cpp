#include "platform/QtPlatform.h"
#include "platform/SystemInfo.h"
#include "shell/MainWindow.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillory"));
    QApplication::setOrganizationName(QStringLiteral("Quillory"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLORY_VERSION));

    quillory::QtMessageService messages;
    quillory::QtSettingsStore settings;
    quillory::LockFileInstanceGuard instance;
    quillory::QtScreenInfo screen;
    quillory::SystemKeyboardLocks locks;
    quillory::QtAppInfo appInfo;
    quillory::QtFolderPicker folderPicker;
    quillory::SystemMemoryStatus memory;
    quillory::SystemOsVersion osVersion;
    quillory::DesktopHelpViewer help;
    quillory::Platform platform{messages, settings,     instance, screen,    locks,
                                appInfo,  folderPicker, memory,   osVersion, help};

    quillory::MainWindow window(platform);
    if (!window.start())
        return 0;
    window.show();
    return app.exec();
}
