#pragma once

#include "records/NameTable.h"

#include <QObject>
#include <QStringList>
#include <memory>
#include <utility>

namespace quillory::records {

// The records of one folder (normal files whose names have no dot), sorted without regard to
// case, held once for every list that shows the folder and kept current at little cost.
//
// Where the system reports changes by name (inotify on a local folder), update() reads those
// reports and applies each named change with one look-up of that name: the program's own writes
// and changes made by anything else alike, so the folder is read whole only at first, after the
// reports overflowed, or when the folder itself was replaced. Elsewhere (a network folder, a
// system without such reports) the folder's change time decides: when it moved, or when it is
// too recent to tell a later change from an earlier one, update() reads the folder again.
//
// Lists follow the index through its signals; a full read announces itself first and frees the
// old names before the new ones are read, so two listings are never held at once.
class FolderIndex : public QObject {
    Q_OBJECT
public:
    // The index of the folder, made on first use and shared until its last holder lets go. The
    // folder is not read until update().
    static std::shared_ptr<FolderIndex> of(const QString& folder);
    // The index of the folder when something holds one; null otherwise.
    static std::shared_ptr<FolderIndex> find(const QString& folder);
    ~FolderIndex() override;

    const QString& folder() const { return m_folder; }
    // Brings the names up to date with the folder; false when the folder does not exist.
    bool update();
    // Brings the names up to date when that needs no read of the whole folder; false otherwise
    // (the names may then be out of date).
    bool updateCheaply();
    bool found() const { return m_found; }
    bool wasRead() const { return m_read; }
    // The leftover temporaries (RecordFile::isLeftoverName) the last full read passed, by their
    // bytes; each read's are handed out once.
    QList<QByteArray> takeLeftovers() { return std::exchange(m_leftovers, {}); }

    qsizetype count() const { return m_names.size(); }
    // The name of a row; valid until the names next change.
    QStringView nameAt(qsizetype row) const { return m_names.at(row); }
    // A copy of every name, for a caller that goes through them all once.
    QStringList names() const { return m_names.toList(); }
    // Row of the first name starting with the text, case ignored; -1 when none.
    qsizetype firstWithPrefix(QStringView text) const;
    // Row of exactly this name; -1 when it is not listed.
    qsizetype rowOf(QStringView name) const;
    // Row of a name equal to this one without regard to case; -1 when none.
    qsizetype rowIgnoringCase(QStringView name) const;

Q_SIGNALS:
    void aboutToReset();
    void wasReset();
    void aboutToInsert(int row);
    void inserted();
    void aboutToRemove(int row);
    void removed();

private:
    explicit FolderIndex(const QString& folder);
    void readAll();
    bool applyReports(); // false when only a full read will do
    void reconcile(const QByteArray& rawName);
    bool stampCurrent() const;

    QString m_folder;
    QByteArray m_nativeFolder; // with a trailing separator
    NameTable m_names;
    QList<QByteArray> m_leftovers;
    bool m_found = false;
    bool m_read = false;
    // Change reports: a descriptor and the folder's watch, or -1 where there are none.
    int m_notifier = -1;
    int m_watch = -1;
    bool m_reportsByName = false;
    // The folder as last read, where the change time decides.
    struct Stamp {
        qint64 device = 0, inode = 0, mtimeNs = 0, ctimeNs = 0;
        bool operator==(const Stamp&) const = default;
    } m_stamp;
    bool m_racy = true;
};

} // namespace quillory::records
