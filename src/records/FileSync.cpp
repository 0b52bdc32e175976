#include "records/FileSync.h"

#include "records/FileNames.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace quillory {

namespace {
void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}
#ifndef Q_OS_WIN
QString systemWords(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}
#endif
} // namespace

bool syncFile(QFile& file, QString* error) {
#ifdef Q_OS_WIN
    const auto handle = HANDLE(_get_osfhandle(file.handle()));
    if (FlushFileBuffers(handle))
        return true;
    setError(error, QStringLiteral("the file could not be flushed to the disk"));
    return false;
#else
    if (::fsync(file.handle()) == 0)
        return true;
    setError(error, systemWords(errno));
    return false;
#endif
}

bool syncFolder(const QString& folder, QString* error) {
#ifdef Q_OS_WIN
    // A rename made with MOVEFILE_WRITE_THROUGH is already on the disk when it returns; deletes
    // are flushed through the folder handle.
    const std::wstring path = QDir::toNativeSeparators(folder).toStdWString();
    const HANDLE dir = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (dir == INVALID_HANDLE_VALUE)
        return true; // not every file system lets a folder be opened so; nothing more to do
    FlushFileBuffers(dir);
    CloseHandle(dir);
    return true;
#else
    const QByteArray path = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        setError(error, systemWords(errno));
        return false;
    }
    // Some file systems cannot sync a folder (EINVAL); their entries are as safe as they get.
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
    const int code = errno;
    ::close(fd);
    if (!ok)
        setError(error, systemWords(code));
    return ok;
#endif
}

bool replaceFile(const QString& from, const QString& to, QString* error) {
#ifdef Q_OS_WIN
    const std::wstring a = QDir::toNativeSeparators(from).toStdWString();
    const std::wstring b = QDir::toNativeSeparators(to).toStdWString();
    if (MoveFileExW(a.c_str(), b.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    setError(error, QStringLiteral("the system refused to rename the file"));
    return false;
#else
    // The target by its bytes: a record listed under a name that is not UTF-8 is replaced as it
    // is, not joined by a second file under the UTF-8 spelling.
    const QByteArray target = records::FileNames::encodePath(to);
    if (::rename(QFile::encodeName(from).constData(), target.constData()) == 0)
        return true;
    setError(error, systemWords(errno));
    return false;
#endif
}

bool placeNewFile(const QString& from, const QString& to, bool* taken, QString* error) {
    *taken = false;
#ifdef Q_OS_WIN
    const std::wstring a = QDir::toNativeSeparators(from).toStdWString();
    const std::wstring b = QDir::toNativeSeparators(to).toStdWString();
    if (MoveFileExW(a.c_str(), b.c_str(), MOVEFILE_WRITE_THROUGH))
        return true;
    const DWORD code = GetLastError();
    *taken = code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS;
    setError(error, QStringLiteral("the system refused to rename the file"));
    return false;
#else
    // A link is made only where no name is: the check and the creation are one step, so a file
    // made meanwhile by anything else is never replaced.
    const QByteArray source = QFile::encodeName(from);
    if (::link(source.constData(), records::FileNames::encodePath(to).constData()) != 0) {
        *taken = errno == EEXIST;
        setError(error, systemWords(errno));
        return false;
    }
    ::unlink(source.constData());
    return true;
#endif
}

} // namespace quillory
