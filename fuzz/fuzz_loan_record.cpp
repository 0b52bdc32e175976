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
    const Result<QStringList> raw = RecordFile::read(path);
    FUZZ_CHECK(raw.ok());

    const Result<LoanFile> loan = readLoan(path);
    FUZZ_CHECK(loan.value().lineCount == raw.value().size());
    FUZZ_CHECK(loan.ok() == (raw.value().size() >= kLoanLines));
    FUZZ_CHECK(needsRepair(loan) == (!raw.value().isEmpty() && raw.value().size() < kLoanLines));
    if (!loan.ok())
        FUZZ_CHECK(loan.error().code == FileError::TooShort);
    // Whatever lines there are land in their own fields; missing ones stay empty.
    const QStringList fields = loan.value().record.toLines();
    for (int i = 0; i < kLoanLines; ++i)
        FUZZ_CHECK(fields.at(i) == (i < raw.value().size() ? raw.value().at(i) : QString()));

    // Written anew, the record reads back the same.
    const QString out = writeScratch(QStringLiteral("Out"), QByteArray("old\r\n"));
    if (loan.ok()) {
        FUZZ_CHECK(writeLoan(out, loan.value().record).ok());
        const Result<LoanFile> back = readLoan(out);
        FUZZ_CHECK(back.ok() && back.value().lineCount == kLoanLines);
        FUZZ_CHECK(back.value().record.toLines() == fields);
        writeScratch(QStringLiteral("Out"), QByteArray("old\r\n"));
    }

    // The same bytes as an item record: a repair needs its 12 lines and otherwise writes nothing.
    const QString date = QStringLiteral("Saturday, December 05, 2026");
    const Result<LoanRecord> repaired = repairLoanFromItem(out, path, date);
    if (raw.value().size() < kItemOnLoanLines) {
        FUZZ_CHECK(repaired.error().code == FileError::TooShort);
        FUZZ_CHECK(readScratch(out) == QByteArray("old\r\n"));
    } else {
        FUZZ_CHECK(repaired.ok());
        const Result<LoanFile> back = readLoan(out);
        FUZZ_CHECK(back.ok() && back.value().lineCount == kLoanLines);
        FUZZ_CHECK(back.value().record.toLines() ==
                   (QStringList{raw.value().at(0), date, raw.value().at(4), raw.value().at(7),
                                raw.value().at(8)}));
    }

    // A deleted record is gone, and deleting it again says so.
    FUZZ_CHECK(deleteLoan(out).ok());
    FUZZ_CHECK(!QFile::exists(out));
    FUZZ_CHECK(deleteLoan(out).error().code == FileError::Missing);
    return 0;
}
