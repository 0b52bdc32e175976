#pragma once

#include "platform/MessageService.h"
#include "platform/SettingsStore.h"

#include <QList>
#include <QString>

namespace quillory {

// The three folder fields of the preferences dialog.
struct PreferenceFields {
    QString loaned;
    QString profiles;
    QString stats;
    bool operator==(const PreferenceFields&) const = default;
};

// The folders in the order the dialog checks them: loaned items, item statistics, profiles.
enum class PreferenceFolder { Loaned, Stats, Profiles };

// What checking and storing the fields came to.
struct PreferencesOutcome {
    // Folders that do not exist, in the order they were checked; their paths were not stored.
    QList<PreferenceFolder> missing;
    // The settings store refused to keep a path that passed the check.
    bool storeFailed = false;
    bool ok() const { return missing.isEmpty() && !storeFailed; }
};

// The work of the preferences dialog without the dialog: reading, normalising, checking and
// storing the three folder paths.
class PreferencesLogic {
public:
    // The stored paths as the dialog shows them (an absent key gives an empty field).
    static PreferenceFields stored(SettingsStore& settings);
    // The program's own folder followed by "loaned", "profiles" and "stats", each ending in the
    // separator.
    static PreferenceFields defaults(const QString& programFolder);
    // Every field ending in the separator; an empty field becomes the separator alone.
    static PreferenceFields normalised(const PreferenceFields& fields);

    // Checks the loaned-items, item-statistics and profiles folders in that order and stores the
    // path of each one that exists under its key ("loaned", "stats", "profiles"); a missing
    // folder does not stop the checks of the others. Fields are stored as given: normalise first.
    static PreferencesOutcome checkAndStore(SettingsStore& settings,
                                            const PreferenceFields& fields);

    static Message missingFolderMessage(PreferenceFolder folder);
    static Message storeFailedMessage();
    static Message newSettingsSetMessage();
    static Message saveAllChangesQuestion();
    static Message resetToDefaultQuestion();
};

} // namespace quillory
