#pragma once

#include "platform/MessageService.h"
#include "platform/SettingsStore.h"
#include "records/Paths.h"

#include <functional>

namespace quillory {

// Where the three data folders are and how a first start creates them.
class FolderSettings {
public:
    // The program's own folder followed by "profiles", "stats" and "loaned", each ending in
    // the separator.
    static Folders defaults(const QString& programFolder);

    // First-start set-up: every key that is absent or empty gets its default path once its
    // folder exists (made now or already there); a folder that cannot be made is reported to
    // cannotCreate and its key stays unset, so the next start tries again. A key that holds a
    // value is never touched. Then the three paths are read.
    static Folders setUp(SettingsStore& settings, const QString& programFolder,
                         const std::function<void(FolderKind)>& cannotCreate);
    static Folders read(SettingsStore& settings);

    // The warning when a folder cannot be created at first start.
    static Message creationWarning(FolderKind kind);
    // Start-up after the first: each folder found deleted is made again, on its own, in the
    // order item statistics, profiles, loaned items; tell gets the message for each one made
    // again or not makeable as soon as it is known. An empty path (a folder first start could
    // not make, reported then) is left alone.
    static void recreateMissing(const Folders& folders,
                                const std::function<void(const Message&)>& tell);
    // The note when start-up finds a folder deleted and makes it again.
    static Message recreatedMessage(FolderKind kind);
};

} // namespace quillory
