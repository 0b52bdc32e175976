#include "records/RecordFile.h"

#include "records/FileNames.h"
#include "records/FileSync.h"
#include "records/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cstring>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

// The write half of the record layer: every record written, created or deleted goes through here.

namespace quillory::records {

namespace {

#ifdef Q_OS_UNIX
QString systemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}
#endif

QString folderOf(const QString& path) {
    return QFileInfo(path).path();
}

// A temporary name of fixed length, so a record whose name is as long as the system allows can
// still be rewritten; hidden, so no list shows it; marked as ours, so start-up may remove it.
QString temporaryPath(const QString& folder) {
    return folder + QLatin1Char('/') + RecordFile::kTemporaryPrefix +
           QString::number(QRandomGenerator::global()->generate(), 16).rightJustified(8, u'0');
}

// The bytes in a new hidden temporary file of the folder, not yet synced; `mode`, when not
// negative, the access rights it is given (the record's own, kept).
Result<QString> writeTemporary(const QString& folder, const QByteArray& bytes, int mode) {
    QFile file;
    for (int attempt = 0; attempt < 8 && !file.isOpen(); ++attempt) {
        file.setFileName(temporaryPath(folder));
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
            QFileInfo::exists(file.fileName()) == false)
            break; // refused for another reason than a name already taken
    }
    if (!file.isOpen())
        return Error{FileError::WriteFailed, file.errorString()};
    QString why;
    bool ok = file.write(bytes) == bytes.size() && file.flush();
    if (!ok)
        why = file.errorString();
#ifdef Q_OS_UNIX
    if (ok && mode >= 0)
        ::fchmod(file.handle(), mode_t(mode));
#else
    Q_UNUSED(mode);
#endif
    file.close();
    if (!ok) {
        QFile::remove(file.fileName());
        return Error{FileError::WriteFailed, why};
    }
    return file.fileName();
}

// Writes the bytes to a new record or over the old one (never over one when `replace` is false).
Result<> saveBytes(const QString& path, const QByteArray& bytes, bool replace,
                   RecordFile::Sync sync) {
#ifdef Q_OS_UNIX
    // By its bytes: a record listed under a name that is not UTF-8 is replaced, not doubled.
    const QByteArray native = FileNames::encodePath(path);
    struct stat st;
    const bool present = lstat(native.constData(), &st) == 0;
    const bool link = present && S_ISLNK(st.st_mode);
    const int mode = present ? int(st.st_mode & 07777) : -1; // the record keeps its rights
#else
    const QFileInfo info(path);
    const bool link = info.isSymLink();
    const QFile::Permissions keep = info.exists() ? info.permissions() : QFile::Permissions();
    const int mode = -1;
#endif
    // A link is not a record (no list shows one), and writing through it would change whatever
    // it points at, outside the data folders.
    if (link)
        return Error{FileError::NotAFile, QStringLiteral("it is a link to another file")};
    const QString folder = folderOf(path);
    // Old or new, nothing between: the bytes go to the temporary file, which reaches the disk
    // before it takes the record's name; the folder is synced so the new name survives too.
    // Left for later, both wait for a sync of the caller's, which must come before anything
    // relies on the record being on the disk.
    // Synced with whatever an earlier change left to sync before the next write, so that is on
    // the disk before this record's new name can be.
    const bool now = sync == RecordFile::Sync::Now;
    const Result<QString> temporary = writeTemporary(folder, bytes, mode);
    if (!temporary.ok())
        return temporary.error();
    if (now) {
        if (const QString why = syncTogether({QFile::encodeName(temporary.value())}).first();
            !why.isEmpty()) {
            QFile::remove(temporary.value());
            return Error{FileError::WriteFailed, why};
        }
    }
#ifndef Q_OS_UNIX
    if (keep)
        QFile::setPermissions(temporary.value(), keep);
#endif
    QString why;
    bool taken = false;
    const bool ok = replace ? replaceFile(temporary.value(), path, &why)
                            : placeNewFile(temporary.value(), path, &taken, &why);
    if (!ok) {
        QFile::remove(temporary.value());
        return taken ? RecordFile::nameTaken() : Error{FileError::WriteFailed, why};
    }
    if (now && !syncFolder(folder, &why))
        return Error{FileError::WriteFailed, why};
    return {};
}

} // namespace

Result<> RecordFile::write(const QString& path, const QStringList& lines) {
    QByteArray bytes;
    if (!encodeLines(lines, bytes))
        return Error{FileError::Unencodable};
    return saveBytes(path, bytes, true, Sync::Now);
}

Result<> RecordFile::create(const QString& path, const QStringList& lines) {
    QByteArray bytes;
    if (!encodeLines(lines, bytes))
        return Error{FileError::Unencodable};
    return saveBytes(path, bytes, false, Sync::Now);
}

Result<> RecordFile::remove(const QString& path, Sync sync) {
#ifdef Q_OS_UNIX
    const QByteArray native = FileNames::encodePath(path);
    struct stat st;
    if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
        // The system's words only when the whole folder has gone (renamed, unmounted).
        return Error{FileError::Missing,
                     QFileInfo(folderOf(path)).isDir() ? QString() : systemText(ENOENT)};
    }
    // What an earlier change left to sync reaches the disk before this deletion can.
    QString why = sync == Sync::Now ? syncLeftPaths() : QString();
    if (!why.isEmpty())
        return Error{FileError::RemoveFailed, why};
    if (changeHeld(native, [&] { return ::unlink(native.constData()); }) != 0)
        return Error{FileError::RemoveFailed, systemText(errno)};
    // The deletion lives in the folder: synced, it cannot come back after a power cut.
    if (sync == Sync::Now && !syncFolder(folderOf(path), &why))
        return Error{FileError::RemoveFailed, why};
    return {};
#else
    Q_UNUSED(sync);
    QFile file(path);
    if (!QFileInfo(path).isFile())
        return Error{FileError::Missing};
    if (!file.remove())
        return Error{FileError::RemoveFailed, file.errorString()};
    return {};
#endif
}

Result<> RecordFile::writeBytes(const QString& path, const QByteArray& bytes, Sync sync) {
    return saveBytes(path, bytes, true, sync);
}

Error RecordFile::nameTaken() {
    return Error{FileError::WriteFailed, QStringLiteral("a file of that name was made meanwhile")};
}

std::vector<Result<>> RecordFile::createAll(const QString& folder,
                                            const std::vector<NewRecord>& records) {
    const QString base = CheckDirName(folder);
    const QString dir = QDir::cleanPath(folder);
    std::vector<Result<>> results(records.size());
    std::vector<QString> temporaries(records.size());
    QList<QByteArray> unsynced;
    QByteArray bytes;
    for (size_t i = 0; i < records.size(); ++i) {
        if (!encodeLines(records[i].lines, bytes)) {
            results[i] = Error{FileError::Unencodable};
            continue;
        }
        const Result<QString> temporary = writeTemporary(dir, bytes, -1);
        if (!temporary.ok()) {
            results[i] = temporary.error();
            continue;
        }
        temporaries[i] = temporary.value();
        unsynced.append(QFile::encodeName(temporary.value()));
    }
    // Every temporary on the disk before any takes its name, so a name that survives a power
    // cut always has its bytes; then one sync of the folder for all the names.
    const QStringList failures = syncTogether(unsynced);
    qsizetype at = 0;
    bool placed = false;
    for (size_t i = 0; i < records.size(); ++i) {
        if (temporaries[i].isEmpty())
            continue;
        QString why = failures[at++];
        bool taken = false;
        if (why.isEmpty() && placeNewFile(temporaries[i], base + records[i].name, &taken, &why)) {
            placed = true;
            continue;
        }
        QFile::remove(temporaries[i]);
        results[i] = taken ? RecordFile::nameTaken() : Error{FileError::WriteFailed, why};
    }
    QString why;
    if (placed && !syncFolder(dir, &why)) {
        for (size_t i = 0; i < records.size(); ++i)
            if (results[i].ok())
                results[i] = Error{FileError::WriteFailed, why};
    }
    return results;
}

} // namespace quillory::records
