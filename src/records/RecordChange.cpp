#include "records/RecordChange.h"

#include "records/FileNames.h"
#include "records/FileSync.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <algorithm>
#include <utility>

namespace quillory::records {

namespace {

constexpr quint32 kMagic = 0x51594331; // "QYC1"
constexpr quint32 kEnd = 0x454e4421;   // "END!"

QString failureWords(const Result<>& w) {
    return w.error().detail.isEmpty() ? errorText(w.error()) : w.error().detail;
}

// Brings one file to the wanted bytes (none: no file); nothing is written when it holds them.
Result<> bringTo(const QString& path, const std::optional<QByteArray>& wanted, RecordStore& store) {
    const Result<QByteArray> current = RecordFile::readBytes(path);
    if (!wanted) {
        if (current.error().code == FileError::Missing)
            return {};
        return store.erase(path);
    }
    if (current.ok() && current.value() == *wanted)
        return {};
    return store.put(path, *wanted);
}

// Settles the store however the phase that deferred its syncs ends, so a later write through the
// same store is never left unsynced.
struct DeferredPhase {
    explicit DeferredPhase(RecordStore& store) : store(store) { store.defer(); }
    ~DeferredPhase() { store.settle(); }
    RecordStore& store;
};

// Puts the first `count` steps back to their old bytes, the last one first.
bool putBack(const Folders& folders, const ChangeIntent& intent, int count, RecordStore& store) {
    bool ok = true;
    for (int i = count - 1; i >= 0; --i) {
        const FileStep& step = intent.steps[size_t(i)];
        ok = bringTo(step.path(folders), step.before, store).ok() && ok;
    }
    return ok;
}

} // namespace

QString FileStep::path(const Folders& folders) const {
    return folders.path(folder) + name;
}

QByteArray ChangeIntent::encode() const {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << kMagic << kind << title << itemName << profileId << quint32(steps.size());
    for (const FileStep& step : steps) {
        out << qint8(step.folder) << step.name << bool(step.before)
            << step.before.value_or(QByteArray()) << bool(step.after)
            << step.after.value_or(QByteArray());
    }
    out << kEnd;
    return bytes;
}

std::optional<ChangeIntent> ChangeIntent::decode(const QByteArray& bytes) {
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0, count = 0, end = 0;
    ChangeIntent intent;
    in >> magic >> intent.kind >> intent.title >> intent.itemName >> intent.profileId >> count;
    if (in.status() != QDataStream::Ok || magic != kMagic || count > 16)
        return std::nullopt;
    for (quint32 i = 0; i < count; ++i) {
        qint8 folder = 0;
        bool hasBefore = false, hasAfter = false;
        QByteArray before, after;
        FileStep step;
        in >> folder >> step.name >> hasBefore >> before >> hasAfter >> after;
        step.folder = FolderKind(folder);
        if (hasBefore)
            step.before = before;
        if (hasAfter)
            step.after = after;
        // A name with a separator would reach outside the data folders.
        if (step.name.isEmpty() || step.name.contains(QLatin1Char('/')) ||
            step.name.contains(QLatin1Char('\\')) || folder < 0 || folder > 2)
            return std::nullopt;
        intent.steps.push_back(std::move(step));
    }
    in >> end;
    if (in.status() != QDataStream::Ok || end != kEnd || !in.atEnd())
        return std::nullopt;
    return intent;
}

Result<> RecordStore::put(const QString& path, const QByteArray& bytes) {
    if (!m_deferring)
        return RecordFile::writeBytes(path, bytes);
    // A deferred write that failed made no rename (its file is as it was): only the ones made
    // wait for a sync, and one that cannot be synced then (its folder moved away, say) is not
    // known to be on the disk.
    const Result<> w = RecordFile::writeBytes(path, bytes, RecordFile::Sync::Later);
    if (w.ok())
        remember({FileNames::encodePath(path), QFile::encodeName(QFileInfo(path).path())});
    return w;
}

Result<> RecordStore::erase(const QString& path) {
    if (!m_deferring)
        return RecordFile::remove(path);
    const Result<> w = RecordFile::remove(path, RecordFile::Sync::Later);
    if (w.ok()) {
        m_unsynced.removeOne(FileNames::encodePath(path)); // gone: only its folder is synced
        remember({QFile::encodeName(QFileInfo(path).path())});
    }
    return w;
}

void RecordStore::remember(const QList<QByteArray>& nativePaths) {
    for (const QByteArray& native : nativePaths)
        if (!m_unsynced.contains(native))
            m_unsynced.append(native);
}

Result<> RecordStore::settle(QString* failedPath) {
    m_deferring = false;
    const QList<QByteArray> paths = std::exchange(m_unsynced, {});
    const QStringList failures = syncTogether(paths);
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (failures[i].isEmpty())
            continue;
        if (failedPath)
            *failedPath = QFile::decodeName(paths[i]);
        return Error{FileError::WriteFailed, failures[i]};
    }
    return {};
}

void RecordStore::settleBeforeNextWrite() {
    m_deferring = false;
    syncBeforeNextWrite(std::exchange(m_unsynced, {}));
}

RecordStore& RecordStore::system() {
    // Its deferral is state of one change under way: one per thread.
    static thread_local RecordStore store;
    return store;
}

QString intentPath(const Folders& folders) {
    return folders.loaned + QStringLiteral(".quillory-intent");
}

// What a power cut leaves, at each point of a change:
// - while the intent record and its folder are synced (together, one round): every file as it
//   was, and the intent record missing, whole, or a name without its bytes (empty, or zeros where
//   the size reached the disk first). No step starts before that round returns, so recovery takes
//   such a record for what it is, a change that never began, and removes it. Any other record it
//   cannot read is reported: once the round has returned, only outside hands can damage it, and
//   the steps may have begun;
// - after that, while the files change and until they are synced: each file old, new, or even
//   under its new name without its bytes; the intent record is on the disk, so the next start
//   brings every file to its new bytes;
// - after the files are synced, while the intent record's removal is not: the next start finds
//   every file at its new bytes already and only removes the intent record. Its removal need not
//   reach the disk before the change returns, only before any other write could be undone by its
//   return: the record layer syncs it with the next write's first sync (the next intent record's
//   own, for the next loan), before the next delete, or when the program ends.
// A file replaced or deleted on the way is held open until a round of syncs after its change has
// returned, then freed on another thread; it is in no folder by then, and a power cut before it is
// freed leaves it to the file system to free at the next mount: no state above changes.
// So a change pays two rounds of syncs: the intent record, then all of its files together.
ChangeResult applyChange(const Folders& folders, const ChangeIntent& intent, RecordStore& store) {
    ChangeResult result;
    const QString journal = intentPath(folders);
    const auto fail = [&](const QString& path, const Result<>& w) {
        result.failedPath = path;
        result.error = w.error().code;
        result.detail = failureWords(w);
    };
    store.defer();
    const Result<> written = store.put(journal, intent.encode());
    QString unsynced;
    const Result<> synced = store.settle(&unsynced);
    if (!written.ok() || !synced.ok()) {
        // Nothing was touched; an intent record that might reach the disk must not outlive this.
        fail(written.ok() ? unsynced : journal, written.ok() ? synced : written);
        result.outcome = bringTo(journal, std::nullopt, store).ok()
                             ? ChangeResult::Outcome::Undone
                             : ChangeResult::Outcome::Unfinished;
        return result;
    }
    {
        DeferredPhase phase(store);
        for (size_t i = 0; i < intent.steps.size(); ++i) {
            const FileStep& step = intent.steps[i];
            const QString path = step.path(folders);
            const Result<> w = step.after ? store.put(path, *step.after) : store.erase(path);
            if (w.ok())
                continue;
            result.failedStep = int(i);
            fail(path, w);
            // The failed step itself may have been half made (a delete that synced badly). The
            // intent record goes only once every file is back on the disk.
            const bool back = putBack(folders, intent, int(i) + 1, store);
            if (back && store.settle().ok() && store.erase(journal).ok())
                result.outcome = ChangeResult::Outcome::Undone;
            else
                result.outcome = ChangeResult::Outcome::Unfinished;
            return result;
        }
        if (const Result<> w = store.settle(&unsynced); !w.ok()) {
            // The files read new, but the disk may not hold them: the intent record stays, and
            // the next start writes them again.
            fail(unsynced, w);
            result.outcome = ChangeResult::Outcome::Unfinished;
            return result;
        }
    }
    // Every file holds its new bytes; an intent record that cannot be removed only makes the
    // next start write the same bytes again.
    store.defer();
    store.erase(journal);
    store.settleBeforeNextWrite();
    return result;
}

RecoveryResult recoverChange(const Folders& folders, RecordStore& store) {
    RecoveryResult result;
    const QString journal = intentPath(folders);
    const Result<QByteArray> read = RecordFile::readBytes(journal);
    if (read.error().code == FileError::Missing)
        return result;
    // A name without its bytes: a change that never began (see applyChange).
    if (read.ok() &&
        std::all_of(read.value().cbegin(), read.value().cend(), [](char c) { return c == 0; })) {
        if (const Result<> w = store.erase(journal); !w.ok()) {
            result.outcome = RecoveryResult::Outcome::Unreadable;
            result.detail = failureWords(w);
        }
        return result;
    }
    const std::optional<ChangeIntent> intent =
        read.ok() ? ChangeIntent::decode(read.value()) : std::nullopt;
    if (!intent) {
        result.outcome = RecoveryResult::Outcome::Unreadable;
        result.detail =
            read.ok() ? QStringLiteral("the intent record is damaged") : errorText(read.error());
        return result;
    }
    result.intent = *intent;
    // The change was about to become true: bring every file to its new bytes, all synced
    // together before the intent record goes.
    DeferredPhase phase(store);
    for (const FileStep& step : intent->steps) {
        const Result<> w = bringTo(step.path(folders), step.after, store);
        if (!w.ok()) {
            result.detail = failureWords(w);
            const bool undone = putBack(folders, *intent, int(intent->steps.size()), store) &&
                                store.settle().ok() && store.erase(journal).ok();
            result.outcome =
                undone ? RecoveryResult::Outcome::Undone : RecoveryResult::Outcome::Unfinished;
            return result;
        }
    }
    if (const Result<> w = store.settle(); !w.ok()) {
        result.outcome = RecoveryResult::Outcome::Unfinished;
        result.detail = failureWords(w);
        return result;
    }
    if (const Result<> w = store.erase(journal); !w.ok()) {
        result.outcome = RecoveryResult::Outcome::Unfinished;
        result.detail = failureWords(w);
        return result;
    }
    result.outcome = RecoveryResult::Outcome::Finished;
    return result;
}

} // namespace quillory::records
