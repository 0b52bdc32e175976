#include "support/TestFolders.h"

#include "records/Cp1252.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

namespace quillory::test {

Folders TestFolders::foldersIn(const QString& programFolder) {
    const QString base = programFolder + QLatin1Char('/');
    return Folders{base + QStringLiteral("profiles/"), base + QStringLiteral("stats/"),
                   base + QStringLiteral("loaned/")};
}

void TestFolders::makeAll() const {
    const Folders f = folders();
    for (const QString& folder : {f.profiles, f.stats, f.loaned})
        QDir().mkpath(folder);
}

void TestFolders::writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

void TestFolders::writeNamed(const QString& folder, const QByteArray& name,
                             const QByteArray& bytes) {
    const QByteArray path = QFile::encodeName(folder) + '/' + name;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) >= 0)
        ::close(fd);
}

QByteArray TestFolders::readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestFolders::put(const QString& path, const QByteArray& bytes) {
    if (bytes.isNull())
        QFile::remove(path);
    else
        writeBytes(path, bytes);
}

void TestFolders::make(const QString& path, const QByteArray& what) {
    QFile::remove(path);
    QDir(path).removeRecursively();
    if (what == "<folder>") {
        QDir().mkpath(path);
    } else if (what == "<link>") {
        const QString outside = QFileInfo(path).absolutePath() + QStringLiteral("/../outside");
        writeBytes(outside, "Dune\r\nSecret\r\n");
        QFile::link(QStringLiteral("../outside"), path);
    } else {
        put(path, what);
    }
}

QByteArray TestFolders::bytesOrNull(const QString& path) {
    return QFileInfo(path).isFile() ? readBytes(path) : QByteArray();
}

QByteArray TestFolders::crlf(const QStringList& lines) {
    QByteArray out;
    records::Cp1252::encode(lines.isEmpty() ? QString() : lines.join("\r\n") + "\r\n", out);
    return out;
}

Files TestFolders::filesUnder(const QString& root) {
    Files files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        files.insert(QDir(root).relativeFilePath(path),
                     info.isSymLink() ? "link to " + info.symLinkTarget().toUtf8()
                                      : readBytes(path));
    }
    return files;
}

QStringList TestFolders::changed(const Files& before, const Files& after) {
    QStringList names = (before.keys() + after.keys());
    names.removeIf([&](const QString& key) {
        return before.contains(key) == after.contains(key) && before.value(key) == after.value(key);
    });
    names.sort();
    names.removeDuplicates();
    return names;
}

} // namespace quillory::test
