#pragma once

#include "records/Result.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace quillory::records {

// The names of a folder's records, sorted without regard to case.
struct FolderListing {
    QStringList names;
};

// The one layer that opens record files. Text is Windows-1252; every line written ends with
// CR LF; CR LF, lone LF and lone CR all end a line when reading, so files edited by hand are read.
// Whole-file writes are atomic: the new content goes to a hidden temporary file in the same
// folder, is synced, then renamed over the old one, and the folder is synced after the rename
// (and after a delete), so a crash or a power cut leaves the old file or the new one.
class RecordFile {
public:
    // A record is a few hundred bytes; anything over this is not one of ours.
    static constexpr qint64 kMaxBytes = 1 << 20;

    // When a write reaches the disk. Later: the new bytes are in place for every reader at once,
    // but neither they nor the file's name are synced; the caller syncs the file and its folder
    // (syncTogether) before anything relies on them surviving a power cut.
    enum class Sync { Now, Later };
    struct NewRecord {
        QString name; // the file name inside the folder
        QStringList lines;
    };

    // Reads the file's lines; fails with TooShort when it has fewer than minLines.
    static Result<QStringList> read(const QString& path, int minLines = 0);
    // Replaces the whole file with these lines.
    static Result<> write(const QString& path, const QStringList& lines);
    // Makes a new file with these lines, atomically; never replaces a file of that exact name,
    // even one made a moment before by another program (WriteFailed).
    static Result<> create(const QString& path, const QStringList& lines);
    // What a create reports when the name was taken by another file after the caller looked.
    static Error nameTaken();
    // Many new records in one folder, each as create() makes it, at the cost of a few syncs in
    // all rather than two each. One result per record, in order.
    static std::vector<Result<>> createAll(const QString& folder,
                                           const std::vector<NewRecord>& records);
    // Deletes the file and syncs its folder.
    static Result<> remove(const QString& path, Sync sync = Sync::Now);
    // Replaces the whole file with exactly these bytes, atomically, the folder synced after.
    static Result<> writeBytes(const QString& path, const QByteArray& bytes, Sync sync = Sync::Now);
    // The file's bytes as they are (capped like every read).
    static Result<QByteArray> readBytes(const QString& path);

    // Every temporary file of a write starts with this hidden, fixed-length prefix.
    static inline const QString kTemporaryPrefix = QStringLiteral(".quillory-tmp-");
    // Temporaries a write that was killed left in the folder, by name.
    static QStringList leftovers(const QString& folder);
    // Removes them; the number removed. A folder that a list is about to show for the first time
    // is read once for both.
    static int removeLeftovers(const QString& folder);
    // A temporary's name: ours, or an older run's (the record's name and six random letters).
    static bool isLeftoverName(QByteArrayView name);

    // True when a normal (not hidden) file of that name is in the path's folder, the name
    // compared without regard to letter case: "Dune" and "DUNE" are the same record everywhere.
    // Answered from the folder's listing, which a list keeps current without reading the folder
    // (one look-up of the name on disk confirms it).
    static bool exists(const QString& path);
    // A folder's records: normal files whose names have no dot, sorted without regard to case
    // (see FolderIndex). Empty when the folder does not exist.
    static std::optional<FolderListing> list(const QString& folder);

    static QStringList splitLines(QByteArrayView bytes);
    static bool encodeLines(const QStringList& lines, QByteArray& out);
};

} // namespace quillory::records
