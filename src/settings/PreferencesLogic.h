#pragma once

#include "platform/MessageService.h"
#include "platform/SettingsStore.h"
#include "records/Paths.h"

#include <QList>
#include <QString>

namespace quillory {

// What checking and storing the fields came to.
struct PreferencesOutcome {
    // Folders that do not exist, in the order they were checked; their paths were not stored.
    QList<FolderKind> missing;
    // The settings store refused to keep a path that passed the check.
    bool storeFailed = false;
    bool ok() const { return missing.isEmpty() && !storeFailed; }
};

// The work of the preferences dialog without the dialog: normalising, checking and storing the
// three folder paths (FolderSettings reads them and knows the defaults).
class PreferencesLogic {
public:
    // Every field ending in the separator; an empty field becomes the separator alone.
    static Folders normalised(const Folders& fields);

    // Checks the loaned-items, item-statistics and profiles folders in that order and stores the
    // path of each one that exists under its key ("loaned", "stats", "profiles"); a missing
    // folder does not stop the checks of the others. Fields are stored as given: normalise first.
    static PreferencesOutcome checkAndStore(SettingsStore& settings, const Folders& fields);

    static Message missingFolderMessage(FolderKind folder);
    static Message storeFailedMessage();
    static Message newSettingsSetMessage();
    static Message saveAllChangesQuestion();
    static Message resetToDefaultQuestion();
};

} // namespace quillory
