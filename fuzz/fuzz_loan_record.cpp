// The loan record reader, and the repair that rebuilds a loan record from an item record (the
// same bytes serve as both, so damaged item records reach the repair too).
#include "FuzzSupport.h"
#include "records/ItemRecord.h"
#include "records/LoanRecord.h"

#include <QFile>

using namespace quillory::records;
using quillory::fuzz::readScratch;
using quillory::fuzz::writeScratch;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = writeScratch(QStringLiteral("Dune"), data, size);
    const ReadResult raw = RecordFile::read(path);
    FUZZ_CHECK(raw.ok());

    const LoanReadResult loan = readLoan(path);
    FUZZ_CHECK(loan.lineCount == raw.lines.size());
    FUZZ_CHECK(loan.ok() == (raw.lines.size() >= kLoanLines));
    FUZZ_CHECK(loan.needsRepair() == (!raw.lines.isEmpty() && raw.lines.size() < kLoanLines));
    if (!loan.ok())
        FUZZ_CHECK(loan.error == FileError::TooShort);
    // Whatever lines there are land in their own fields; missing ones stay empty.
    const QStringList fields = loan.record.toLines();
    for (int i = 0; i < kLoanLines; ++i)
        FUZZ_CHECK(fields.at(i) == (i < raw.lines.size() ? raw.lines.at(i) : QString()));

    // Written anew, the record reads back the same.
    const QString out = writeScratch(QStringLiteral("Out"), QByteArray("old\r\n"));
    if (loan.ok()) {
        FUZZ_CHECK(writeLoan(out, loan.record).ok());
        const LoanReadResult back = readLoan(out);
        FUZZ_CHECK(back.ok() && back.lineCount == kLoanLines);
        FUZZ_CHECK(back.record.toLines() == fields);
        writeScratch(QStringLiteral("Out"), QByteArray("old\r\n"));
    }

    // The same bytes as an item record: a repair needs its 12 lines and otherwise writes nothing.
    const QString date = QStringLiteral("Saturday, December 05, 2026");
    const RepairResult repaired = repairLoanFromItem(out, path, date);
    if (raw.lines.size() < kItemOnLoanLines) {
        FUZZ_CHECK(repaired.error == RepairError::ItemNotOnLoan);
        FUZZ_CHECK(readScratch(out) == QByteArray("old\r\n"));
    } else {
        FUZZ_CHECK(repaired.ok());
        const LoanReadResult back = readLoan(out);
        FUZZ_CHECK(back.ok() && back.lineCount == kLoanLines);
        FUZZ_CHECK(back.record.toLines() == (QStringList{raw.lines.at(0), date, raw.lines.at(4),
                                                         raw.lines.at(7), raw.lines.at(8)}));
    }

    // A deleted record is gone, and deleting it again says so.
    FUZZ_CHECK(deleteLoan(out).ok());
    FUZZ_CHECK(!QFile::exists(out));
    FUZZ_CHECK(deleteLoan(out).error == FileError::Missing);
    return 0;
}
