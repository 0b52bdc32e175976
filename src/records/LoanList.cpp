#include "records/LoanList.h"

namespace quillory::records {

Result<QStringList> readLoanList(const QString& path) {
    const Result<QStringList> read = RecordFile::read(path);
    if (!read.ok())
        return read;
    QStringList lines = read.value();
    lines.removeIf([](const QString& line) { return line.isEmpty(); });
    return lines;
}

QStringList loanListWithout(const QStringList& lines, const QString& title) {
    QStringList kept;
    for (const QString& line : lines) {
        if (line.isEmpty() || line == title)
            continue;
        kept.append(line);
        if (kept.size() == kLoanListKept)
            break; // the rest of the file is dropped
    }
    // The list always ends with one empty line after the kept titles.
    kept.append(QString());
    return kept;
}

} // namespace quillory::records
