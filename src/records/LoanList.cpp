#include "records/LoanList.h"

namespace quillory::records {

WriteResult appendToLoanList(const QString& path, const QString& title) {
    return RecordFile::appendLine(path, title);
}

ReadResult readLoanList(const QString& path) {
    ReadResult result = RecordFile::read(path);
    result.lines.removeIf([](const QString& line) { return line.isEmpty(); });
    return result;
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

WriteResult removeFromLoanList(const QString& path, const QString& title) {
    const ReadResult read = RecordFile::read(path);
    if (!read.ok())
        return {read.error, read.detail};
    return RecordFile::write(path, loanListWithout(read.lines, title));
}

} // namespace quillory::records
