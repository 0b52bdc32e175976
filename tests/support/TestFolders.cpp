#include "support/TestFolders.h"

#include "records/Cp1252.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>

namespace quillory::test {

TestFolders::TestFolders() = default;

Folders TestFolders::folders() const {
    const QString base = root() + QLatin1Char('/');
    return Folders{base + QStringLiteral("profiles/"), base + QStringLiteral("stats/"),
                   base + QStringLiteral("loaned/")};
}

void TestFolders::makeAll() const {
    const Folders f = folders();
    QDir().mkpath(f.profiles);
    QDir().mkpath(f.stats);
    QDir().mkpath(f.loaned);
}

void TestFolders::writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QByteArray TestFolders::readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray TestFolders::crlf(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines) {
        QByteArray encoded;
        records::Cp1252::encode(line, encoded);
        out += encoded + "\r\n";
    }
    return out;
}

QMap<QString, QByteArray> TestFolders::snapshot() const {
    QMap<QString, QByteArray> files;
    QDirIterator it(root(), QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(root()).relativeFilePath(path), readBytes(path));
    }
    return files;
}

} // namespace quillory::test
