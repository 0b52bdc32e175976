#pragma once

#include "records/Paths.h"
#include "support/TestFolders.h"

#include <QAbstractItemView>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QStringList>
#include <QTest>

// Records as a librarian's folders hold them, and the checks the reliability tests share.
namespace quillory::test::library {

inline const QString kToday = QStringLiteral("Saturday, December 05, 2026");
inline const QString kCreated = QStringLiteral("Monday, May 04, 2026");

inline QByteArray item(const QString& title) {
    return TestFolders::crlf({title, kCreated, QStringLiteral("Available"),
                              QStringLiteral("English"), QStringLiteral("$12.50"),
                              QStringLiteral("SN-1"), QStringLiteral("Pan")});
}

inline QByteArray profile(const QString& id, const QString& name, const QString& count) {
    return TestFolders::crlf({id, name, QStringLiteral("555 0101"), QStringLiteral("-"), count});
}

// The bytes of a file, or a null array when there is no file (so "absent" compares too).
inline QByteArray bytesOrNull(const QString& path) {
    return QFileInfo(path).isFile() ? TestFolders::readBytes(path) : QByteArray();
}

// Every entry of a folder, hidden ones included: temporary files left behind show here.
inline QStringList entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Every file below root with its bytes; a file too large to be a record stands for itself by its
// size and time stamp, so a 200 MB test file is not read.
inline QMap<QString, QByteArray> snapshot(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        QByteArray content;
        if (info.isSymLink())
            content = "link to " + info.symLinkTarget().toUtf8();
        else if (info.size() > (1 << 20))
            content = "size " + QByteArray::number(info.size()) + " time " +
                      QByteArray::number(info.lastModified().toMSecsSinceEpoch());
        else
            content = TestFolders::readBytes(path);
        files.insert(QDir(root).relativeFilePath(path), content);
    }
    return files;
}

// The files added, removed or changed between two snapshots.
inline QStringList changed(const QMap<QString, QByteArray>& before,
                           const QMap<QString, QByteArray>& after) {
    QStringList names;
    for (const QString& key : before.keys() + after.keys()) {
        if ((before.contains(key) != after.contains(key) ||
             before.value(key) != after.value(key)) &&
            !names.contains(key))
            names.append(key);
    }
    return names;
}

// Clicks (or double-clicks) an entry of a list as the person at the desk would.
inline bool clickEntry(QAbstractItemView* list, const QString& name, bool twice = false) {
    const QModelIndexList found =
        list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, name, 1,
                             Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found.isEmpty())
        return false;
    list->scrollTo(found.first());
    const QPoint at = list->visualRect(found.first()).center();
    if (twice)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    else
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    return true;
}

} // namespace quillory::test::library
