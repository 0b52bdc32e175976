#include "settings/PreferencesLogic.h"

namespace quillory {

namespace {
const QString kConfirm = QStringLiteral("Confirm");
const QString kCheckFolder = QStringLiteral("Check Folder");
} // namespace

Folders PreferencesLogic::normalised(const Folders& fields) {
    return Folders{CheckDirName(fields.profiles), CheckDirName(fields.stats),
                   CheckDirName(fields.loaned)};
}

PreferencesOutcome PreferencesLogic::checkAndStore(SettingsStore& settings, const Folders& fields) {
    // Loaned items, item statistics, profiles: the order the dialog shows its warnings in.
    const struct {
        FolderKind folder;
        const char* key;
        const QString& path;
    } steps[] = {{FolderKind::Loaned, "loaned", fields.loaned},
                 {FolderKind::Stats, "stats", fields.stats},
                 {FolderKind::Profiles, "profiles", fields.profiles}};
    PreferencesOutcome outcome;
    for (const auto& step : steps) {
        // A folder on a drive or share that is not available counts as missing.
        if (!folderExists(step.path)) {
            outcome.missing.append(step.folder);
            continue;
        }
        if (!settings.setValue(QString::fromLatin1(step.key), step.path))
            outcome.storeFailed = true;
    }
    return outcome;
}

Message PreferencesLogic::missingFolderMessage(FolderKind folder) {
    QString name;
    switch (folder) {
    case FolderKind::Loaned:
        name = QStringLiteral("Loaned Items");
        break;
    case FolderKind::Stats:
        name = QStringLiteral("Item Statistics");
        break;
    case FolderKind::Profiles:
        name = QStringLiteral("Borrower Profiles");
        break;
    }
    return Message{
        QStringLiteral("The path for %1 refers to a folder that does not exist!").arg(name),
        kCheckFolder, MsgIcon::Exclamation, MsgButtons::Ok};
}

Message PreferencesLogic::storeFailedMessage() {
    // Rare (a settings file that cannot be written), but the librarian must not believe the new
    // folders were kept.
    return Message{QStringLiteral("The folder settings could not be saved.\r"
                                  "Please check that your settings can be written."),
                   kAppTitle, MsgIcon::Exclamation, MsgButtons::Ok};
}

Message PreferencesLogic::newSettingsSetMessage() {
    return Message{QStringLiteral("New settings set!"), kConfirm, MsgIcon::Information,
                   MsgButtons::Ok};
}

Message PreferencesLogic::saveAllChangesQuestion() {
    return Message{QStringLiteral("Save all changes?"), kConfirm, MsgIcon::Information,
                   MsgButtons::OkCancel};
}

Message PreferencesLogic::resetToDefaultQuestion() {
    return Message{QStringLiteral("Reset all settings to default?"), kConfirm, MsgIcon::Exclamation,
                   MsgButtons::OkCancel};
}

} // namespace quillory
