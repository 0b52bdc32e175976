#pragma once

#include "platform/AppInfo.h"
#include "platform/FolderPicker.h"
#include "platform/HelpViewer.h"
#include "platform/InstanceGuard.h"
#include "platform/KeyboardLocks.h"
#include "platform/MemoryStatus.h"
#include "platform/MessageService.h"
#include "platform/ScreenInfo.h"
#include "platform/SettingsStore.h"

namespace quillory {

// Everything the program asks of the system, handed to the main window; tests hand in doubles.
struct Platform {
    MessageService& messages;
    SettingsStore& settings;
    InstanceGuard& instance;
    ScreenInfo& screen;
    KeyboardLocks& locks;
    AppInfo& app;
    FolderPicker& folderPicker;
    MemoryStatus& memory;
    OsVersion& osVersion;
    HelpViewer& help;
};

} // namespace quillory
