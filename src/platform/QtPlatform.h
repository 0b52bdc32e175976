#pragma once

#include "platform/Platform.h"

class QWidget;

namespace quillory {

// QMessageBox over the active window; "\r" becomes a line break only here.
class QtMessageService : public MessageService {
public:
    MsgAnswer show(const Message& message) override;
    using MessageService::show;
    static QString displayText(const QString& text);
};

class QtScreenInfo : public ScreenInfo {
public:
    QSize primarySize() const override;
};

// Xkb indicator lights on X11; unknown elsewhere (Windows: GetKeyState).
class SystemKeyboardLocks : public KeyboardLocks {
public:
    LockState state() const override;
};

class QtFolderPicker : public FolderPicker {
public:
    QString pickFolder(const QString& prompt) override;
    static QString fileSystemRoot();
};

class DesktopHelpViewer : public HelpViewer {
public:
    bool open(const QString& helpFilePath) override;
};

} // namespace quillory
