#pragma once

#include "platform/MessageService.h"

#include <QString>
#include <optional>

namespace quillory::info {

// The release notes kept beside the program; only ever read.
class VersionHistory {
public:
    // What the window shows when the file cannot be loaded.
    static const QString kDesignText;

    // The program's folder + the separator + "VersionHistory.txt".
    static QString path(const QString& programFolder);
    // The file's text exactly as it stands (markup is not interpreted), lines ended by "\n".
    // UTF-8 when the bytes are valid UTF-8, else Windows-1252 as the older notes were written.
    // Empty when the file is missing or cannot be read.
    static std::optional<QString> load(const QString& path);
    // The note that the file is gone, naming the program's folder.
    static Message missingMessage(const QString& programFolder);
};

} // namespace quillory::info
