#include "settings/FolderSettings.h"

namespace quillory {

Folders FolderSettings::defaults(const QString& programFolder) {
    const QString base = CheckDirName(programFolder);
    const QChar sep = pathSeparator();
    return Folders{base + QStringLiteral("profiles") + sep, base + QStringLiteral("stats") + sep,
                   base + QStringLiteral("loaned") + sep};
}

Folders FolderSettings::setUp(SettingsStore& settings, const QString& programFolder,
                              const std::function<void(FolderKind)>& cannotCreate) {
    const Folders def = defaults(programFolder);
    const struct {
        const char* key;
        QString path;
        FolderKind kind;
    } steps[] = {{"profiles", def.profiles, FolderKind::Profiles},
                 {"stats", def.stats, FolderKind::Stats},
                 {"loaned", def.loaned, FolderKind::Loaned}};
    for (const auto& step : steps) {
        const QString key = QString::fromLatin1(step.key);
        if (!settings.value(key, QString()).isEmpty())
            continue;
        MakeDir(step.path);
        if (folderExists(step.path))
            settings.setValue(key, step.path);
        else if (cannotCreate)
            cannotCreate(step.kind);
    }
    return read(settings);
}

Folders FolderSettings::read(SettingsStore& settings) {
    return Folders{settings.value(QStringLiteral("Profiles"), QString()),
                   settings.value(QStringLiteral("Stats"), QString()),
                   settings.value(QStringLiteral("Loaned"), QString())};
}

Message FolderSettings::creationWarning(FolderKind kind) {
    QString first;
    switch (kind) {
    case FolderKind::Profiles:
        first = QStringLiteral("Error creating Profiles directory!");
        break;
    case FolderKind::Stats:
        first = QStringLiteral("Error creating Item Statistics directory!");
        break;
    case FolderKind::Loaned:
        first = QStringLiteral("Error creating Loaned Items directory!");
        break;
    }
    return Message{first + QStringLiteral("\rPlease contact administrator."),
                   QStringLiteral("Error Create"), MsgIcon::Exclamation, MsgButtons::Ok};
}

void FolderSettings::recreateMissing(const Folders& folders,
                                     const std::function<void(const Message&)>& tell) {
    for (FolderKind kind : {FolderKind::Stats, FolderKind::Profiles, FolderKind::Loaned}) {
        const QString& path = folders.path(kind);
        if (path.isEmpty() || folderExists(path))
            continue;
        MakeDir(path);
        if (folderExists(path))
            tell(recreatedMessage(kind));
        else
            tell(Message{
                QStringLiteral("The data folder %1 is missing and could not be created again.\r"
                               "Please choose the folders in File > Preferences.")
                    .arg(path),
                kAppTitle, MsgIcon::Exclamation, MsgButtons::Ok});
    }
}

Message FolderSettings::recreatedMessage(FolderKind kind) {
    QString text;
    switch (kind) {
    case FolderKind::Stats:
        text = QStringLiteral("The Item Statistics folder was deleted!\r"
                              "Quillory! has created a new Item Statistics folder.");
        break;
    case FolderKind::Profiles:
        text = QStringLiteral("The Profiles folder was deleted!\r"
                              "Quillory! has created a new Profiles folder.");
        break;
    case FolderKind::Loaned:
        text = QStringLiteral("The Loaned Items folder was deleted!\r"
                              "Quillory! has created a new Loaned Items folder.");
        break;
    }
    return Message{text, kAppTitle, MsgIcon::Information, MsgButtons::Ok};
}

} // namespace quillory
