#pragma once

#include <QString>

namespace quillory {

// The separator that ends every stored folder path ("/" here, "\" on Windows).
QChar pathSeparator();

// Creates the last folder of the path (a trailing separator is allowed). True only when this
// call created it; false when it exists already or cannot be created. Reports nothing.
bool MakeDir(const QString& path);

// True when a normal file exists at the path (hidden files do not count); the name is compared
// without regard to letter case.
bool CheckExist(const QString& path);

// The path with a separator appended when its last character is not one.
QString CheckDirName(const QString& path);

// True when the path names an existing folder.
bool folderExists(const QString& path);

// The three data folders.
enum class FolderKind { Profiles, Stats, Loaned };

// The three data folders' paths; each ends in the separator once stored, so a record's path is
// the folder path immediately followed by its file name.
struct Folders {
    QString profiles;
    QString stats;
    QString loaned;

    bool operator==(const Folders&) const = default;
    const QString& path(FolderKind kind) const {
        return kind == FolderKind::Profiles ? profiles : kind == FolderKind::Stats ? stats : loaned;
    }

    QString itemPath(const QString& fileName) const { return stats + fileName; }
    QString loanPath(const QString& fileName) const { return loaned + fileName; }
    QString profilePath(const QString& profileId) const { return profiles + profileId; }
    QString loanListPath(const QString& profileId) const {
        return profiles + profileId + QStringLiteral(".lst");
    }
};

} // namespace quillory
