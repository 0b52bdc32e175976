#include "records/LoanRecord.h"

#include "records/ItemRecord.h"

namespace quillory::records {

LoanRecord LoanRecord::fromLines(const QStringList& lines) {
    auto line = [&lines](int i) { return i < lines.size() ? lines[i] : QString(); };
    return LoanRecord{line(0), line(1), line(2), line(3), line(4)};
}

Result<LoanFile> readLoan(const QString& path) {
    const Result<QStringList> read = RecordFile::read(path, kLoanLines);
    LoanFile loan{LoanRecord::fromLines(read.value()), read.value().size()};
    if (!read.ok())
        return {read.error(), std::move(loan)};
    return loan;
}

bool needsRepair(const Result<LoanFile>& loan) {
    return loan.error().code == FileError::TooShort && loan.value().lineCount > 0;
}

Result<> writeLoan(const QString& path, const LoanRecord& record) {
    return RecordFile::write(path, record.toLines());
}

Result<> deleteLoan(const QString& path) {
    return RecordFile::remove(path);
}

Result<LoanRecord> loanFromItem(const QString& itemPath, const QString& sessionDate) {
    const Result<ItemRecord> item = readItem(itemPath, kItemOnLoanLines);
    if (!item.ok())
        return item.error();
    const ItemRecord& r = item.value();
    return LoanRecord{r.title, sessionDate, r.price, r.borrower->profileId, r.borrower->name};
}

Result<LoanRecord> repairLoanFromItem(const QString& loanPath, const QString& itemPath,
                                      const QString& sessionDate) {
    Result<LoanRecord> rebuilt = loanFromItem(itemPath, sessionDate);
    if (!rebuilt.ok())
        return rebuilt;
    if (const Result<> written = writeLoan(loanPath, rebuilt.value()); !written.ok())
        return {written.error(), rebuilt.value()};
    return rebuilt;
}

} // namespace quillory::records
