#include "records/RecordFile.h"

#include "records/Cp1252.h"
#include "records/FileNames.h"
#include "records/FolderIndex.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
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

Result<> readBytes(const QString& path, QByteArray& bytes) {
    QFile file;
#ifdef Q_OS_UNIX
    // Opened by its bytes, so a name that is not UTF-8 opens as listed.
    const QByteArray native = FileNames::encodePath(path);
    struct stat st;
    if (::stat(native.constData(), &st) != 0)
        return Error{FileError::Missing};
    if (!S_ISREG(st.st_mode))
        return Error{FileError::NotAFile};
    const qint64 size = st.st_size;
    if (size > RecordFile::kMaxBytes)
        return Error{FileError::TooLarge};
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Error{FileError::Unreadable, systemText(errno)};
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Error{FileError::Unreadable, file.errorString()};
    }
#else
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
#endif
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
}

Result<> saveBytes(const QString& path, const QByteArray& bytes) {
    // A link is not a record (no list shows one), and QSaveFile would write through it to
    // wherever it points, outside the data folders.
    if (QFileInfo(path).isSymLink())
        return Error{FileError::NotAFile, QStringLiteral("it is a link to another file")};
    QSaveFile file(path);
    file.setDirectWriteFallback(false); // never write in place: old or new, nothing between
    if (!file.open(QIODevice::WriteOnly))
        return Error{FileError::WriteFailed, file.errorString()};
    // write() only fills the device's buffer; the bytes reach the file at flush(), and a disk
    // that is full refuses them there. commit() does not look at a failed flush and would put
    // the short file in place of the record, so the flush is checked here first.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const Error error{FileError::WriteFailed, file.errorString()};
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return Error{FileError::WriteFailed, file.errorString()};
    return {};
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
    if (const Result<> read = readBytes(path, bytes); !read.ok())
        return read.error();
    QStringList lines = splitLines(bytes);
    if (lines.size() < minLines)
        return {Error{FileError::TooShort}, std::move(lines)};
    return lines;
}

Result<> RecordFile::write(const QString& path, const QStringList& lines) {
    QByteArray bytes;
    if (!encodeLines(lines, bytes))
        return Error{FileError::Unencodable};
    return saveBytes(path, bytes);
}

Result<> RecordFile::appendLine(const QString& path, const QString& line) {
    QByteArray bytes;
    const Result<> existing = readBytes(path, bytes);
    if (!existing.ok() && existing.error().code != FileError::Missing)
        return existing;
    QByteArray added;
    if (!encodeLines({line}, added))
        return Error{FileError::Unencodable};
    if (!bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r'))
        bytes += "\r\n";
    bytes += added;
    return saveBytes(path, bytes);
}

Result<> RecordFile::remove(const QString& path) {
#ifdef Q_OS_UNIX
    const QByteArray native = FileNames::encodePath(path);
    struct stat st;
    if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return Error{FileError::Missing};
    if (::unlink(native.constData()) != 0)
        return Error{FileError::RemoveFailed, systemText(errno)};
    return {};
#else
    QFile file(path);
    if (!QFileInfo(path).isFile())
        return Error{FileError::Missing};
    if (!file.remove())
        return Error{FileError::RemoveFailed, file.errorString()};
    return {};
#endif
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
    const QStringList& names = index->names();
    for (qsizetype row = index->rowIgnoringCase(name);
         row >= 0 && row < names.size() &&
         FolderIndex::compareIgnoringCase(names.at(row), name) == 0;
         ++row) {
        if (isPlainFile(FileNames::encodePath(folder + names.at(row))))
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
