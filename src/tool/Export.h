#pragma once

#include "records/Paths.h"
#include "records/RecordFile.h"
#include "tool/Csv.h"

#include <QIODevice>
#include <QString>
#include <functional>
#include <vector>

namespace quillory::tool {

enum class RecordKind { Items, Borrowers, Loans };

// A record left out because it cannot be read whole: its file name and why.
struct SkippedRecord {
    QString fileName;
    QString reason;
};

struct ExportResult {
    qsizetype rows = 0;
    std::vector<SkippedRecord> skipped;
    QString writeError; // the output could not be written; empty when it could
    bool ok() const { return writeError.isEmpty(); }
};

// The header of each export, every line of the record being a named column.
QStringList exportHeader(RecordKind kind);

// Writes the header and one row per record of the kind, in the order the program lists them,
// to out as it goes. Records that cannot be read whole are skipped and named in the result.
// progress, when given, is told (done, total) now and then.
ExportResult exportRecords(RecordKind kind, const Folders& folders, CsvWriter& writer,
                           QIODevice& out,
                           const std::function<void(qsizetype, qsizetype)>& progress = {});

} // namespace quillory::tool
