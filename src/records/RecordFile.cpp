#include "records/RecordFile.h"

#include "records/Cp1252.h"
#include "records/FileNames.h"
#include "records/FileSync.h"
#include "records/FolderIndex.h"
#include "records/Paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cstring>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillory::records {

namespace {

bool isHiddenName(QStringView name) {
    return name.startsWith(QLatin1Char('.'));
}

#ifdef Q_OS_UNIX
QString systemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// A normal file (not a link) at these bytes.
bool isPlainFile(const QByteArray& nativePath) {
    struct stat st;
    return lstat(nativePath.constData(), &st) == 0 && S_ISREG(st.st_mode);
}
#endif

Result<> readCapped(const QString& path, QByteArray& bytes) {
#ifdef Q_OS_UNIX
    // Opened by its bytes, so a name that is not UTF-8 opens as listed; without waiting, so a
    // pipe put where a record was is refused rather than read for ever.
    const QByteArray native = FileNames::encodePath(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR
                   ? Error{FileError::Missing}
                   : Error{FileError::Unreadable, systemText(errno)};
    Error failure;
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        failure = Error{FileError::Unreadable, systemText(errno)};
    else if (!S_ISREG(st.st_mode))
        failure = Error{FileError::NotAFile};
    else if (st.st_size > RecordFile::kMaxBytes)
        failure = Error{FileError::TooLarge};
    // One read of the size the system gave plus one byte sees the end of a record at once; a
    // file that grows meanwhile is read on up to one byte past the cap, and refused.
    qsizetype want = qsizetype(st.st_size) + 1;
    while (failure.code == FileError::None) {
        const qsizetype at = bytes.size();
        bytes.resize(at + want);
        const ssize_t n = ::read(fd, bytes.data() + at, size_t(want));
        bytes.resize(at + std::max<qsizetype>(n, 0));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            failure = Error{FileError::Unreadable, systemText(errno)};
        else if (bytes.size() > RecordFile::kMaxBytes)
            failure = Error{FileError::TooLarge};
        else if (n < want)
            break; // the end of the file
        want = std::min<qsizetype>(64 * 1024, RecordFile::kMaxBytes + 1 - bytes.size());
    }
    ::close(fd);
    if (failure.code != FileError::None) {
        bytes.clear();
        return failure;
    }
    return {};
#else
    QFile file;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return Error{FileError::Missing};
    if (!info.isFile())
        return Error{info.exists() ? FileError::NotAFile : FileError::Missing};
    const qint64 size = info.size();
    if (size > RecordFile::kMaxBytes)
        return Error{FileError::TooLarge};
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return Error{FileError::Unreadable, file.errorString()};
    // Read the size the system gave plus one byte, then on up to one byte past the cap: a file
    // that grows is still refused, and a record of a few hundred bytes does not cost a buffer of
    // the cap's size (QIODevice::read allocates all it is asked for).
    qint64 want = std::min<qint64>(size, RecordFile::kMaxBytes) + 1;
    while (bytes.size() <= RecordFile::kMaxBytes) {
        const QByteArray chunk = file.read(want);
        bytes += chunk;
        if (chunk.size() < want)
            break; // the end of the file
        want = std::min<qint64>(64 * 1024, RecordFile::kMaxBytes + 1 - bytes.size());
    }
    if (file.error() != QFileDevice::NoError) {
        bytes.clear();
        return Error{FileError::Unreadable, file.errorString()};
    }
    if (bytes.size() > RecordFile::kMaxBytes) {
        bytes.clear();
        return Error{FileError::TooLarge};
    }
    return {};
#endif
}

} // namespace

QStringList RecordFile::splitLines(QByteArrayView bytes) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.append(Cp1252::decode(bytes.sliced(start, i - start)));
            if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < n)
        lines.append(Cp1252::decode(bytes.sliced(start)));
    return lines;
}

bool RecordFile::encodeLines(const QStringList& lines, QByteArray& out) {
    out.clear();
    QByteArray encoded;
    for (const QString& line : lines) {
        if (!Cp1252::encode(line, encoded))
            return false;
        out += encoded;
        out += "\r\n";
    }
    return true;
}

Result<QStringList> RecordFile::read(const QString& path, int minLines) {
    QByteArray bytes;
    if (const Result<> read = readCapped(path, bytes); !read.ok())
        return read.error();
    QStringList lines = splitLines(bytes);
    if (lines.size() < minLines)
        return {Error{FileError::TooShort}, std::move(lines)};
    return lines;
}

Result<QByteArray> RecordFile::readBytes(const QString& path) {
    QByteArray bytes;
    if (const Result<> read = readCapped(path, bytes); !read.ok())
        return read.error();
    return bytes;
}

bool RecordFile::exists(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString name = path.mid(slash + 1);
    if (name.isEmpty() || isHiddenName(name))
        return false;
#ifdef Q_OS_UNIX
    if (isPlainFile(FileNames::encodePath(path)))
        return true;
    // The exact name is not there: look for one that differs only in letter case in the
    // folder's listing. A list's listing is kept current without reading the folder; one look-up
    // by name confirms what it says.
    const QString folder = path.left(slash + 1);
    const std::shared_ptr<FolderIndex> index = FolderIndex::of(folder);
    if (!index->updateCheaply() && !index->update())
        return false;
    for (qsizetype row = index->rowIgnoringCase(name);
         row >= 0 && row < index->count() &&
         NameTable::compareIgnoringCase(index->nameAt(row), name) == 0;
         ++row) {
        if (isPlainFile(FileNames::encodePath(folder + index->nameAt(row).toString())))
            return true;
    }
    return false;
#else
    const QFileInfo info(path);
    if (info.isFile() && !info.isSymLink())
        return true;
    const QString key = name.toCaseFolded();
    QDirIterator it(info.path(), QDir::Files | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString candidate = it.fileName();
        if (candidate.size() == name.size() && !isHiddenName(candidate) &&
            candidate.toCaseFolded() == key)
            return true;
    }
    return false;
#endif
}

std::optional<FolderListing> RecordFile::list(const QString& folder) {
    const std::shared_ptr<FolderIndex> index = FolderIndex::of(folder);
    if (!index->update())
        return std::nullopt;
    return FolderListing{index->names()};
}

} // namespace quillory::records
