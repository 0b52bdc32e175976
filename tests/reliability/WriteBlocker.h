#pragma once

#include <QString>
#include <QStringList>

namespace quillory::test {

// Makes writes into a folder fail on demand, the way a full disk or a locked-down share does.
// As root (where permissions stop nothing) a small in-memory file system is mounted on the
// folder and block() fills it to the last byte (or, to stop deletes too, makes it read-only);
// otherwise block() makes the given folders read-only. Construct it on an empty folder before any
// file goes in; destroy it before the folder is removed.
class WriteBlocker {
public:
    enum class Mode { Unavailable, FullDisk, ReadOnly };

    explicit WriteBlocker(const QString& folder, qint64 bytes = 64 * 1024);
    ~WriteBlocker();
    WriteBlocker(const WriteBlocker&) = delete;
    WriteBlocker& operator=(const WriteBlocker&) = delete;

    Mode mode() const { return m_mode; }
    // Why writes cannot be made to fail here (for QSKIP), when mode() is Unavailable.
    QString whyUnavailable() const { return m_why; }
    // The folders made read-only in ReadOnly mode (the full disk covers everything below).
    void setFolders(const QStringList& folders) { m_folders = folders; }
    // Stops writes (and with readOnly, deletes); on a full disk, calling it again fills what
    // deletions freed meanwhile.
    void block(bool readOnly = false);
    void release();
    // The name of the file that fills the disk (hidden, so no list shows it).
    static QString fillerName() { return QStringLiteral(".filler"); }

private:
    QString m_folder;
    QStringList m_folders;
    Mode m_mode = Mode::Unavailable;
    QString m_why;
    bool m_blocked = false;
    bool m_remounted = false;
};

} // namespace quillory::test
