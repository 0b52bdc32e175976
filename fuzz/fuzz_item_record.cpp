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
    const ReadResult raw = RecordFile::read(path);
    FUZZ_CHECK(raw.ok()); // the fuzzer never gives a file above the size cap

    for (const int minLines : {kItemLines, kItemOnLoanLines}) {
        const ItemReadResult item = readItem(path, minLines);
        if (raw.lines.size() < minLines) {
            FUZZ_CHECK(item.error == FileError::TooShort);
            continue;
        }
        FUZZ_CHECK(item.ok());
        const ItemRecord& r = item.record;
        // Every field comes from its own line, in order.
        const int kept = r.borrower ? kItemOnLoanLines : kItemLines;
        FUZZ_CHECK(r.borrower.has_value() == (raw.lines.size() >= kItemOnLoanLines));
        FUZZ_CHECK(r.toLines() == raw.lines.mid(0, kept));
        FUZZ_CHECK(r.isAvailable() == (raw.lines.at(2) == kAvailable));
    }

    const ItemReadResult seven = readItem(path, kItemLines);
    if (!seven.ok())
        return 0;

    // Lending: status "ON LOAN" and a borrower block; the file then reads back as written.
    ItemRecord lent = seven.record;
    lent.status = kOnLoan;
    lent.borrower = BorrowerBlock{QStringLiteral("4821937Q"), seven.record.title,
                                  seven.record.price, QStringLiteral("-"), QStringLiteral(" 1 ")};
    const QString out = writeScratch(QStringLiteral("Out"), QByteArray());
    FUZZ_CHECK(writeItem(out, lent).ok());
    const ItemReadResult lentBack = readItem(out, kItemOnLoanLines);
    FUZZ_CHECK(lentBack.ok());
    FUZZ_CHECK(sameFields(lentBack.record, lent));
    FUZZ_CHECK(!lentBack.record.isAvailable());

    // Returning: back to seven lines, the block gone, the other six lines unchanged.
    ItemRecord returned = lentBack.record;
    returned.status = kAvailable;
    returned.borrower.reset();
    FUZZ_CHECK(writeItem(out, returned).ok());
    const QByteArray bytes = readScratch(out);
    FUZZ_CHECK(bytes.count("\r\n") >= kItemLines);
    const ReadResult back = RecordFile::read(out);
    FUZZ_CHECK(back.ok() && back.lines.size() == kItemLines);
    FUZZ_CHECK(back.lines.at(2) == kAvailable);
    for (int i : {0, 1, 3, 4, 5, 6})
        FUZZ_CHECK(back.lines.at(i) == raw.lines.at(i));
    return 0;
}
