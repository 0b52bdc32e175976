#include "records/RecordFile.h"

#include "records/Cp1252.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cstring>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace quillory::records {

namespace {

bool isHiddenName(QStringView name) {
    return name.startsWith(QLatin1Char('.'));
}

Result<> readBytes(const QString& path, QByteArray& bytes) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return Error{FileError::Missing};
    if (!info.isFile())
        return Error{info.exists() ? FileError::NotAFile : FileError::Missing};
    if (info.size() > RecordFile::kMaxBytes)
        return Error{FileError::TooLarge};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Error{FileError::Unreadable, file.errorString()};
    // Read the size the system gave plus one byte, then on up to one byte past the cap: a file
    // that grows is still refused, and a record of a few hundred bytes does not cost a buffer of
    // the cap's size (QIODevice::read allocates all it is asked for).
    qint64 want = std::min<qint64>(info.size(), RecordFile::kMaxBytes) + 1;
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
    QFile file(path);
    if (!QFileInfo(path).isFile())
        return Error{FileError::Missing};
    if (!file.remove())
        return Error{FileError::RemoveFailed, file.errorString()};
    return {};
}

bool RecordFile::exists(const QString& path) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (name.isEmpty() || isHiddenName(name))
        return false;
    if (info.isFile() && !info.isSymLink())
        return true;
    // The exact name is not there: look for one that differs only in letter case.
    const QString folder = info.path();
    const QString key = name.toCaseFolded();
    QDirIterator it(folder, QDir::Files | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString candidate = it.fileName();
        if (candidate.size() == name.size() && !isHiddenName(candidate) &&
            candidate.toCaseFolded() == key)
            return true;
    }
    return false;
}

namespace {
FolderListing sortedListing(QStringList names) {
    std::vector<std::pair<QString, QString>> entries; // (case-folded key, name)
    entries.reserve(names.size());
    for (QString& name : names) {
        QString key = name.toCaseFolded();
        entries.emplace_back(std::move(key), std::move(name));
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        const int c = QStringView(a.first).compare(QStringView(b.first));
        return c != 0 ? c < 0 : QStringView(a.second).compare(QStringView(b.second)) < 0;
    });
    FolderListing listing;
    listing.names.reserve(qsizetype(entries.size()));
    listing.keys.reserve(qsizetype(entries.size()));
    for (auto& [key, name] : entries) {
        listing.keys.append(std::move(key));
        listing.names.append(std::move(name));
    }
    return listing;
}
} // namespace

std::optional<FolderListing> RecordFile::list(const QString& folder, ListingCache* cache) {
#ifdef Q_OS_UNIX
    // One pass with readdir: the entry type comes with the name, so no file is stat'ed
    // unless the file system does not give it.
    const QByteArray encodedFolder = QFile::encodeName(folder);
    DIR* dir = opendir(encodedFolder.constData());
    if (!dir) {
        if (cache)
            *cache = ListingCache{};
        return std::nullopt;
    }
    const bool haveCache = cache && cache->folder == folder;
    std::vector<QByteArray> raw;
    size_t matched = 0; // leading names equal to the cached ones
    bool same = haveCache;
    while (const dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strchr(name, '.'))
            continue; // hidden files, "." and "..", and every name with an extension
        bool regular = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat st;
            const QByteArray full = encodedFolder + '/' + name;
            regular = lstat(full.constData(), &st) == 0 && S_ISREG(st.st_mode);
        }
        if (!regular)
            continue;
        if (same) {
            if (matched < cache->rawNames.size() && cache->rawNames[matched] == name) {
                ++matched;
                continue;
            }
            same = false;
            raw.assign(cache->rawNames.begin(), cache->rawNames.begin() + qsizetype(matched));
        }
        raw.emplace_back(name);
    }
    closedir(dir);
    if (same && matched == cache->rawNames.size())
        return cache->listing; // implicitly shared: nothing is copied
    if (same)                  // a prefix of the old names: some were removed from the end
        raw.assign(cache->rawNames.begin(), cache->rawNames.begin() + qsizetype(matched));
    QStringList names;
    names.reserve(qsizetype(raw.size()));
    for (const QByteArray& r : raw)
        names.append(QFile::decodeName(r));
    FolderListing listing = sortedListing(std::move(names));
    if (cache)
        *cache = ListingCache{folder, std::move(raw), listing};
    return listing;
#else
    Q_UNUSED(cache);
    if (!QFileInfo(folder).isDir())
        return std::nullopt;
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (!name.contains(QLatin1Char('.')) && !it.fileInfo().isHidden())
            names.append(name);
    }
    return sortedListing(std::move(names));
#endif
}

} // namespace quillory::records
