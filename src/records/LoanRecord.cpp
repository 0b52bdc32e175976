#include "records/LoanRecord.h"

#include "records/ItemRecord.h"

namespace quillory::records {

LoanRecord LoanRecord::fromLines(const QStringList& lines) {
    auto line = [&lines](int i) { return i < lines.size() ? lines[i] : QString(); };
    return LoanRecord{line(0), line(1), line(2), line(3), line(4)};
}

LoanReadResult readLoan(const QString& path) {
    const ReadResult read = RecordFile::read(path, kLoanLines);
    LoanReadResult result;
    result.error = read.error;
    result.detail = read.detail;
    result.lineCount = read.lines.size();
    result.record = LoanRecord::fromLines(read.lines);
    return result;
}

WriteResult writeLoan(const QString& path, const LoanRecord& record) {
    return RecordFile::write(path, record.toLines());
}

WriteResult deleteLoan(const QString& path) {
    return RecordFile::remove(path);
}

RepairResult repairLoanFromItem(const QString& loanPath, const QString& itemPath,
                                const QString& sessionDate) {
    RepairResult result;
    const ItemReadResult item = readItem(itemPath, kItemOnLoanLines);
    if (!item.ok()) {
        result.error = item.error == FileError::TooShort ? RepairError::ItemNotOnLoan
                                                         : RepairError::ItemUnreadable;
        result.detail = item.detail.isEmpty() ? describe(item.error) : item.detail;
        return result;
    }
    const ItemRecord& r = item.record;
    result.record =
        LoanRecord{r.title, sessionDate, r.price, r.borrower->profileId, r.borrower->name};
    const WriteResult written = writeLoan(loanPath, result.record);
    if (!written.ok()) {
        result.error = RepairError::WriteFailed;
        result.detail = written.detail.isEmpty() ? describe(written.error) : written.detail;
    }
    return result;
}

} // namespace quillory::records
