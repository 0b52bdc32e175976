// The borrower's loan list: its reader, the rewrite without a returned title, and the append.
#include "FuzzSupport.h"
#include "records/LoanList.h"

#include <QFile>

using namespace quillory::records;
using quillory::fuzz::readScratch;
using quillory::fuzz::writeScratch;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = writeScratch(QStringLiteral("4821937Q.lst"), data, size);
    const Result<QStringList> raw = RecordFile::read(path);
    FUZZ_CHECK(raw.ok());

    QStringList nonEmpty = raw.value();
    nonEmpty.removeAll(QString());
    const Result<QStringList> listed = readLoanList(path);
    FUZZ_CHECK(listed.ok());
    FUZZ_CHECK(listed.value() == nonEmpty);

    // The title returned: one of the file's own lines, picked by the first byte.
    const QString title = raw.value().isEmpty() ? QStringLiteral("Dune")
                                                : raw.value().at(data[0] % raw.value().size());

    // Every copy of the title and every empty line go, at most 19 other titles stay in their
    // order, and one empty line ends the list.
    QStringList others = nonEmpty;
    others.removeAll(title);
    const QStringList kept = loanListWithout(raw.value(), title);
    FUZZ_CHECK(!kept.isEmpty() && kept.last().isEmpty());
    FUZZ_CHECK(kept.mid(0, kept.size() - 1) == others.mid(0, kLoanListKept));

    FUZZ_CHECK(removeFromLoanList(path, title).ok());
    QByteArray expected;
    FUZZ_CHECK(RecordFile::encodeLines(kept, expected));
    FUZZ_CHECK(readScratch(path) == expected);
    FUZZ_CHECK(!readLoanList(path).value().contains(title));

    // Lending the title again puts it back at the end.
    FUZZ_CHECK(appendToLoanList(path, title).ok());
    const Result<QStringList> again = readLoanList(path);
    FUZZ_CHECK(again.ok());
    if (!title.isEmpty())
        FUZZ_CHECK(again.value() == others.mid(0, kLoanListKept) + QStringList{title});

    // A missing list is reported and not created by a return.
    QFile::remove(path);
    FUZZ_CHECK(removeFromLoanList(path, title).error().code == FileError::Missing);
    FUZZ_CHECK(!QFile::exists(path));
    return 0;
}
