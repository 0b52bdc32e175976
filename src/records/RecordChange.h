#pragma once

#include "records/Paths.h"
#include "records/RecordFile.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace quillory::records {

// A change of several records made all or nothing (a loan or a return changes four files).
// Before the first file changes, an intent record holding every file's old and new bytes is
// written and synced; then the files change in order; then the intent record goes. A failure
// puts back what was done; a stop (kill, crash, power cut) is finished at the next start.

// One file of a change: where it is, and its bytes before and after (none: no file).
struct FileStep {
    FolderKind folder = FolderKind::Stats;
    QString name; // the file name inside that folder
    std::optional<QByteArray> before;
    std::optional<QByteArray> after;

    QString path(const Folders& folders) const;
};

struct ChangeIntent {
    QString kind;      // "lend" or "return": what the change is, for the message after a stop
    QString title;     // the item's title
    QString itemName;  // the item file name
    QString profileId; // the borrower
    std::vector<FileStep> steps;

    QByteArray encode() const;
    static std::optional<ChangeIntent> decode(const QByteArray& bytes);
};

// Where each file change goes. The program writes through the real record layer; tests put a
// double in its place to make a chosen write fail or to watch the order of the writes.
class RecordStore {
public:
    virtual ~RecordStore() = default;
    // Each file is replaced (or deleted) atomically for every reader at once. Synced at once,
    // unless deferred: then it waits for settle().
    virtual Result<> put(const QString& path, const QByteArray& bytes);
    virtual Result<> erase(const QString& path);
    // From now on, put and erase leave their syncs to settle(), so one phase of a change pays
    // one round of syncs however many files and folders it touches.
    void defer() { m_deferring = true; }
    // Syncs every file put and every folder changed since defer(), all at the same time, and
    // ends the deferral. Fails with the first path that could not be synced.
    Result<> settle(QString* failedPath = nullptr);
    // Ends the deferral, leaving those syncs to come before the next record write of any kind.
    void settleBeforeNextWrite();
    // The program's own store, which writes straight through.
    static RecordStore& system();

private:
    void remember(const QList<QByteArray>& nativePaths);

    bool m_deferring = false;
    QList<QByteArray> m_unsynced; // files and folders, by their bytes, each once
};

// The hidden intent record of the loaned-items folder (at most one change is under way).
QString intentPath(const Folders& folders);

struct ChangeResult {
    enum class Outcome {
        Done,      // every file holds its new bytes
        Undone,    // a step failed; every file holds its old bytes again
        Unfinished // a step failed and putting back failed too: the intent record stays
    };
    Outcome outcome = Outcome::Done;
    int failedStep = -1; // the step that failed (0-based), -1 for the intent record itself
    QString failedPath;
    FileError error = FileError::None;
    QString detail; // the system's words
};

ChangeResult applyChange(const Folders& folders, const ChangeIntent& intent,
                         RecordStore& store = RecordStore::system());

struct RecoveryResult {
    enum class Outcome {
        Nothing,    // no intent record
        Finished,   // the recorded change is complete now
        Undone,     // it could not be finished; every file holds its old bytes again
        Unfinished, // neither: the intent record stays for the next try
        Unreadable  // an intent record that cannot be read; left for a person
    };
    Outcome outcome = Outcome::Nothing;
    ChangeIntent intent;
    QString detail;
};

// Finishes a change that was stopped part-way, as the next start does before anything is
// listed. Safe to stop and run again: each file is only brought to its recorded new bytes.
RecoveryResult recoverChange(const Folders& folders, RecordStore& store = RecordStore::system());

} // namespace quillory::records
