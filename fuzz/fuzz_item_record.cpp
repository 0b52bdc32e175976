// The item record reader, for the item panel (7 lines) and the on-loan readers (12 lines), and
// the rewrites lending and returning make of whatever it read.
#include "FuzzSupport.h"
#include "records/ItemRecord.h"

using namespace quillory::records;
using quillory::fuzz::readScratch;
using quillory::fuzz::writeScratch;

namespace {

bool sameFields(const ItemRecord& a, const ItemRecord& b) {
    if (a.toLines() != b.toLines())
        return false;
    return a.borrower.has_value() == b.borrower.has_value();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = writeScratch(QStringLiteral("Dune"), data, size);
    const Result<QStringList> raw = RecordFile::read(path);
    FUZZ_CHECK(raw.ok()); // the fuzzer never gives a file above the size cap

    for (const int minLines : {kItemLines, kItemOnLoanLines}) {
        const Result<ItemRecord> item = readItem(path, minLines);
        if (raw.value().size() < minLines) {
            FUZZ_CHECK(item.error().code == FileError::TooShort);
            continue;
        }
        FUZZ_CHECK(item.ok());
        const ItemRecord& r = item.value();
        // Every field comes from its own line, in order.
        const int kept = r.borrower ? kItemOnLoanLines : kItemLines;
        FUZZ_CHECK(r.borrower.has_value() == (raw.value().size() >= kItemOnLoanLines));
        FUZZ_CHECK(r.toLines() == raw.value().mid(0, kept));
        FUZZ_CHECK(r.isAvailable() == (raw.value().at(2) == kAvailable));
    }

    const Result<ItemRecord> seven = readItem(path, kItemLines);
    if (!seven.ok())
        return 0;

    // Lending: status "ON LOAN" and a borrower block; the file then reads back as written.
    ItemRecord lent = seven.value();
    lent.status = kOnLoan;
    lent.borrower = BorrowerBlock{QStringLiteral("4821937Q"), seven.value().title,
                                  seven.value().price, QStringLiteral("-"), QStringLiteral(" 1 ")};
    const QString out = writeScratch(QStringLiteral("Out"), QByteArray());
    FUZZ_CHECK(writeItem(out, lent).ok());
    const Result<ItemRecord> lentBack = readItem(out, kItemOnLoanLines);
    FUZZ_CHECK(lentBack.ok());
    FUZZ_CHECK(sameFields(lentBack.value(), lent));
    FUZZ_CHECK(!lentBack.value().isAvailable());

    // Returning: back to seven lines, the block gone, the other six lines unchanged.
    ItemRecord returned = lentBack.value();
    returned.status = kAvailable;
    returned.borrower.reset();
    FUZZ_CHECK(writeItem(out, returned).ok());
    const QByteArray bytes = readScratch(out);
    FUZZ_CHECK(bytes.count("\r\n") >= kItemLines);
    const Result<QStringList> back = RecordFile::read(out);
    FUZZ_CHECK(back.ok() && back.value().size() == kItemLines);
    FUZZ_CHECK(back.value().at(2) == kAvailable);
    for (int i : {0, 1, 3, 4, 5, 6})
        FUZZ_CHECK(back.value().at(i) == raw.value().at(i));
    return 0;
}
