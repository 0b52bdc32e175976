#pragma once

#include "records/Paths.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace quillory::test {

// Relative path to bytes, for "nothing else changed" checks.
using Files = QMap<QString, QByteArray>;

// A temporary program folder with the three data folders beside it.
class TestFolders {
public:
    enum Made { RootOnly, WithDataFolders };
    explicit TestFolders(Made made = RootOnly) {
        if (made == WithDataFolders)
            makeAll();
    }
    QString root() const { return m_dir.path(); }
    // The program's folder (no trailing separator).
    QString programFolder() const { return m_dir.path(); }
    Folders folders() const { return foldersIn(root()); }
    // The three data folders of a program folder.
    static Folders foldersIn(const QString& programFolder);
    void makeAll() const;

    static void writeBytes(const QString& path, const QByteArray& bytes);
    static QByteArray readBytes(const QString& path);
    // Writes a file named by its bytes, as a folder copied from Windows may hold it (some names
    // do not survive a round trip through QString).
    static void writeNamed(const QString& folder, const QByteArray& name, const QByteArray& bytes);
    // Writes the bytes, or removes the file for a null array.
    static void put(const QString& path, const QByteArray& bytes);
    // Makes what a test needs at path: "<folder>", "<link>" (to a file outside the folders), no
    // file for a null array, else a file of these bytes.
    static void make(const QString& path, const QByteArray& what);
    // The bytes, or a null array when there is no file (so "absent" compares too).
    static QByteArray bytesOrNull(const QString& path);
    // Lines encoded in Windows-1252, each ended with CR LF.
    static QByteArray crlf(const QStringList& lines);
    // Every file below root, hidden ones included, with its bytes; a link stands for itself.
    static Files filesUnder(const QString& root);
    Files snapshot() const { return filesUnder(root()); }
    // The files added, removed or changed between two snapshots, sorted.
    static QStringList changed(const Files& before, const Files& after);

private:
    QTemporaryDir m_dir;
};

// Records as a librarian's folders hold them, line by line.
namespace rec {
inline const QString kToday = QStringLiteral("Saturday, December 05, 2026");
inline const QString kCreated = QStringLiteral("Monday, May 04, 2026");
inline const QString kId = QStringLiteral("4821937Q");

inline QStringList item(const QString& title, const QString& status = QStringLiteral("Available")) {
    return {title, kCreated, status, "English", "$12.50", "SN-1", "Pan"};
}
inline QStringList profile(const QString& id = kId, const QString& count = QStringLiteral("0"),
                           const QString& name = QStringLiteral("Ann Lee")) {
    return {id, name, "555 0101", "-", count};
}
// An item on loan: its record with the borrower's profile after it.
inline QStringList lentItem(const QString& title, const QString& count = QStringLiteral(" 1 "),
                            const QString& id = kId) {
    return item(title, QStringLiteral("ON LOAN")) + profile(id, count);
}
inline QStringList loan(const QString& title, const QString& date = kToday,
                        const QString& id = kId) {
    return {title, date, "$12.50", id, "Ann Lee"};
}
} // namespace rec

} // namespace quillory::test
