// One libFuzzer driver for every reader of a record file or of the settings store; the reader is
// chosen by name in QUILLORY_FUZZ_READER (fuzz/run.sh sets it), each with its own seed corpus.
#include "platform/SettingsStore.h"
#include "records/ItemRecord.h"
#include "records/LoanList.h"
#include "records/LoanRecord.h"
#include "records/ProfileRecord.h"
#include "records/RecordFile.h"
#include "settings/FolderSettings.h"
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

using namespace quillory;
using namespace quillory::records;

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: expectation failed: %s\n", __FILE__, __LINE__,            \
                         #condition);                                                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace {

// The files the readers are given live in a private folder, in memory when the system has
// /dev/shm; removed at exit.
QString scratchFolder() {
    static const QTemporaryDir dir((QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                        ? QStringLiteral("/dev/shm")
                                        : QDir::tempPath()) +
                                   QStringLiteral("/quillory-fuzz-XXXXXX"));
    FUZZ_CHECK(dir.isValid());
    return dir.path();
}

// Writes the bytes to scratchFolder()/name with plain system calls (this runs for every input);
// returns the path.
QString writeScratch(const QString& name, const uint8_t* data, size_t size) {
    const QString path = scratchFolder() + QLatin1Char('/') + name;
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    FUZZ_CHECK(fd >= 0 && ::write(fd, data, size) == ssize_t(size) && ::close(fd) == 0);
    return path;
}
QString writeScratch(const QString& name, const QByteArray& bytes) {
    return writeScratch(name, reinterpret_cast<const uint8_t*>(bytes.constData()),
                        size_t(bytes.size()));
}
QByteArray readScratch(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool sameFields(const ItemRecord& a, const ItemRecord& b) {
    return a.toLines() == b.toLines() && a.borrower.has_value() == b.borrower.has_value();
}

// An optional sign and ASCII digits: all a count line may hold once its blanks are trimmed.
bool isSignedDecimal(const QString& text) {
    static const QRegularExpression decimal(QStringLiteral("^[-+]?[0-9]+$"));
    return decimal.match(text).hasMatch();
}

// The line splitter every record reader stands on, and the writer and appender beside it.
int recordLines(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = RecordFile::splitLines(bytes);

    // Every CR LF, lone CR and lone LF ends exactly one line; text after the last end is a line.
    qsizetype ends = 0;
    bool onlyCrLf = true;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ++ends;
            if (i == 0 || bytes[i - 1] != '\r')
                onlyCrLf = false;
        } else if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) {
            ++ends;
            onlyCrLf = false;
        }
    }
    const bool openLast = !bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r');
    FUZZ_CHECK(lines.size() == ends + (openLast ? 1 : 0));
    qsizetype characters = 0;
    for (const QString& line : lines) {
        FUZZ_CHECK(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')));
        characters += line.size();
    }
    // One character per byte: nothing but the line ends is dropped.
    FUZZ_CHECK(characters + bytes.count('\r') + bytes.count('\n') == bytes.size());

    // Written back, every line is kept, and a file already in CR LF form keeps its bytes.
    QByteArray encoded;
    FUZZ_CHECK(RecordFile::encodeLines(lines, encoded));
    FUZZ_CHECK(RecordFile::splitLines(encoded) == lines);
    if (onlyCrLf && !openLast)
        FUZZ_CHECK(encoded == bytes);

    // The file reader agrees with the splitter and counts lines the same way.
    const QString path = writeScratch(QStringLiteral("Record"), data, size);
    const Result<QStringList> read = RecordFile::read(path);
    FUZZ_CHECK(read.ok());
    FUZZ_CHECK(read.value() == lines);
    FUZZ_CHECK(RecordFile::read(path, int(lines.size()) + 1).error().code == FileError::TooShort);

    // Appending keeps the old bytes and never merges the new line into the last one.
    FUZZ_CHECK(RecordFile::appendLine(path, QStringLiteral("Dune")).ok());
    const QByteArray appended = readScratch(path);
    FUZZ_CHECK(appended.startsWith(bytes));
    FUZZ_CHECK(appended.endsWith("Dune\r\n"));
    FUZZ_CHECK(appended.size() == bytes.size() + 6 + (openLast ? 2 : 0));
    const QStringList after = RecordFile::splitLines(appended);
    FUZZ_CHECK(after.size() == lines.size() + 1 && after.last() == QStringLiteral("Dune"));

    // A whole-file write gives exactly the encoded lines.
    FUZZ_CHECK(RecordFile::write(path, lines).ok());
    FUZZ_CHECK(readScratch(path) == encoded);
    return 0;
}

// The item record reader, for the item panel (7 lines) and the on-loan readers (12 lines), and
// the rewrites lending and returning make of whatever it read.
int itemRecord(const uint8_t* data, size_t size) {
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

// The profile record reader, the loan count in it, and the count rewrites of lending and return.
int profileRecord(const uint8_t* data, size_t size) {
    const QString path = writeScratch(QStringLiteral("4821937Q"), data, size);
    const Result<QStringList> raw = RecordFile::read(path);
    FUZZ_CHECK(raw.ok());

    // Any line may be handed to the count parser: it accepts decimal numbers only, and whatever it
    // accepts prints and parses back.
    for (const QString& line : raw.value()) {
        const std::optional<qint64> n = parseCount(line);
        if (n) {
            FUZZ_CHECK(parseCount(numericPrintForm(*n)) == n);
            FUZZ_CHECK(isSignedDecimal(line.trimmed()));
        }
    }

    const Result<ProfileRecord> profile = readProfile(path);
    if (raw.value().size() < kProfileLines) {
        FUZZ_CHECK(profile.error().code == FileError::TooShort);
        return 0;
    }
    if (!parseCount(raw.value().at(4))) {
        FUZZ_CHECK(profile.error().code == FileError::BadValue);
        return 0;
    }
    FUZZ_CHECK(profile.ok());
    FUZZ_CHECK(profile.value().toLines() == raw.value().mid(0, kProfileLines));
    const qint64 count = *profile.value().loanCountValue();

    // Lending and return write the neighbouring counts; each reads back as the number written.
    const QString out = writeScratch(QStringLiteral("Out"), QByteArray());
    for (const int step : {+1, -1}) {
        if ((step > 0 && count == std::numeric_limits<qint64>::max()) ||
            (step < 0 && count == std::numeric_limits<qint64>::min()))
            continue;
        ProfileRecord next = profile.value();
        next.loanCount = numericPrintForm(count + step);
        FUZZ_CHECK(writeProfile(out, next).ok());
        const Result<ProfileRecord> back = readProfile(out);
        FUZZ_CHECK(back.ok());
        FUZZ_CHECK(back.value().loanCountValue() == count + step);
        FUZZ_CHECK(back.value().toLines().mid(0, 4) == raw.value().mid(0, 4));
    }
    return 0;
}

// The loan record reader, and the repair that rebuilds a loan record from an item record (the
// same bytes serve as both, so damaged item records reach the repair too).
int loanRecord(const uint8_t* data, size_t size) {
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

// The borrower's loan list: its reader, the rewrite without a returned title, and the append.
int loanList(const uint8_t* data, size_t size) {
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

// The settings store's values as start-up reads them from a settings file that may have been
// edited by hand or damaged.
int settings(const uint8_t* data, size_t size) {
    // A new file name for every input: the settings layer keeps files it has read in a cache
    // keyed by name and time stamp, and two inputs within one clock tick would share it.
    static quint64 serial = 0;
    const QString name = QStringLiteral("Quillory-%1.conf").arg(++serial);
    const QString path = writeScratch(name, data, size);
    {
        QtSettingsStore store(path);
        // Key names meet without regard to letter case.
        for (const char* key : {"profiles", "stats", "loaned"}) {
            const QString lower = QString::fromLatin1(key);
            const QString value = store.value(lower, QStringLiteral("-"));
            FUZZ_CHECK(store.value(lower.toUpper(), QStringLiteral("-")) == value);
            QString capital = lower;
            capital[0] = capital[0].toUpper();
            FUZZ_CHECK(store.value(capital, QStringLiteral("-")) == value);
            // An absent key gives the caller's default, a present one its value whatever the
            // default.
            const QString other = store.value(lower, QStringLiteral("+"));
            FUZZ_CHECK(other == value ||
                       (value == QStringLiteral("-") && other == QStringLiteral("+")));
        }
        const Folders read = FolderSettings::read(store);
        FUZZ_CHECK(read.profiles == store.value(QStringLiteral("profiles")));
        FUZZ_CHECK(read.stats == store.value(QStringLiteral("stats")));
        FUZZ_CHECK(read.loaned == store.value(QStringLiteral("loaned")));

        // First-start set-up over this file: a key that holds a value keeps it, an empty one gets
        // its default folder, which then exists.
        const QString program = scratchFolder() + QStringLiteral("/program");
        QDir().mkpath(program);
        const Folders defaults = FolderSettings::defaults(program);
        const Folders set = FolderSettings::setUp(store, program, [](FolderKind) {});
        FUZZ_CHECK(set.profiles == (read.profiles.isEmpty() ? defaults.profiles : read.profiles));
        FUZZ_CHECK(set.stats == (read.stats.isEmpty() ? defaults.stats : read.stats));
        FUZZ_CHECK(set.loaned == (read.loaned.isEmpty() ? defaults.loaned : read.loaned));
    }
    QFile::remove(path);
    return 0;
}

using Reader = int (*)(const uint8_t*, size_t);
Reader reader = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const struct {
        const char* name;
        Reader run;
    } readers[] = {{"fuzz_record_lines", recordLines},     {"fuzz_item_record", itemRecord},
                   {"fuzz_profile_record", profileRecord}, {"fuzz_loan_record", loanRecord},
                   {"fuzz_loan_list", loanList},           {"fuzz_settings", settings}};
    const char* chosen = std::getenv("QUILLORY_FUZZ_READER");
    for (const auto& r : readers)
        if (chosen && std::strcmp(chosen, r.name) == 0)
            reader = r.run;
    if (!reader) {
        std::fprintf(stderr, "set QUILLORY_FUZZ_READER to one of:");
        for (const auto& r : readers)
            std::fprintf(stderr, " %s", r.name);
        std::fprintf(stderr, "\n");
        std::exit(2);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return reader(data, size);
}
