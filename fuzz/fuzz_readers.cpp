// One libFuzzer driver for every reader of a record file, of the settings store or of a CSV file;
// the reader is chosen by name in QUILLORY_FUZZ_READER (fuzz/run.sh sets it), each with its own
// seed corpus.
#include "platform/SettingsStore.h"
#include "records/ItemRecord.h"
#include "records/LoanList.h"
#include "records/LoanRecord.h"
#include "records/ProfileRecord.h"
#include "records/RecordFile.h"
#include "settings/FolderSettings.h"
#include "tool/Csv.h"
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace quillory;
using namespace quillory::records;

#define FUZZ_CHECK(condition) ((condition) ? void() : fail(#condition, __LINE__))

namespace {

[[noreturn]] void fail(const char* what, int line) {
    std::fprintf(stderr, "%s:%d: expectation failed: %s\n", __FILE__, line, what);
    std::abort();
}

// The files the readers are given live in a private folder (fuzz/run.sh puts it in memory).
QString scratch(const QString& name) {
    static const QTemporaryDir dir;
    FUZZ_CHECK(dir.isValid());
    return dir.filePath(name);
}
QString put(const QString& name, const QByteArray& bytes) {
    QFile file(scratch(name));
    FUZZ_CHECK(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    return file.fileName();
}
QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
QStringList linesOf(const QString& path) {
    const Result<QStringList> raw = RecordFile::read(path);
    FUZZ_CHECK(raw.ok()); // the fuzzer never gives a file above the size cap
    return raw.value();
}

// The line splitter every record reader stands on, and the writer beside it.
void recordLines(const QByteArray& bytes) {
    const QStringList lines = RecordFile::splitLines(bytes);
    // Every CR LF, lone CR and lone LF ends exactly one line; text after the last end is a line.
    const qsizetype crlf = bytes.count("\r\n");
    const qsizetype ends = bytes.count('\r') + bytes.count('\n') - crlf;
    const bool openLast = !bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r');
    FUZZ_CHECK(lines.size() == ends + (openLast ? 1 : 0));
    // One character per byte: nothing but the line ends is dropped.
    FUZZ_CHECK(lines.join(QString()).size() + ends + crlf == bytes.size());
    // Written back, every line is kept, and a file already in CR LF form keeps its bytes.
    QByteArray encoded;
    FUZZ_CHECK(RecordFile::encodeLines(lines, encoded));
    FUZZ_CHECK(RecordFile::splitLines(encoded) == lines);
    FUZZ_CHECK((encoded == bytes) == (crlf == ends && !openLast));
    // The file reader agrees with the splitter and counts lines the same way.
    const QString path = put(QStringLiteral("Record"), bytes);
    FUZZ_CHECK(linesOf(path) == lines);
    FUZZ_CHECK(RecordFile::read(path, int(lines.size()) + 1).error().code == FileError::TooShort);
    // A whole-file write gives exactly the encoded lines.
    FUZZ_CHECK(RecordFile::write(path, lines).ok() && bytesOf(path) == encoded);
}

// The item record reader for the item panel (7 lines) and the on-loan readers (12 lines); what
// lending and returning write back is the byte-exact lending tables' business.
void itemRecord(const QByteArray& bytes) {
    const QString path = put(QStringLiteral("Dune"), bytes);
    const QStringList raw = linesOf(path);
    for (const int minLines : {kItemLines, kItemOnLoanLines}) {
        const Result<ItemRecord> item = readItem(path, minLines);
        FUZZ_CHECK(item.ok() == (raw.size() >= minLines));
        if (!item.ok()) {
            FUZZ_CHECK(item.error().code == FileError::TooShort);
            continue;
        }
        // Every field comes from its own line, in order.
        const ItemRecord& r = item.value();
        FUZZ_CHECK(r.borrower.has_value() == (raw.size() >= kItemOnLoanLines));
        FUZZ_CHECK(r.toLines() == raw.mid(0, r.borrower ? kItemOnLoanLines : kItemLines));
        FUZZ_CHECK(r.isAvailable() == (raw.at(2) == kAvailable));
    }
}

// The profile record reader and the loan count in it.
void profileRecord(const QByteArray& bytes) {
    const QString path = put(QStringLiteral("4821937Q"), bytes);
    const QStringList raw = linesOf(path);
    // Any line may be handed to the count parser: it accepts an optional sign and decimal digits
    // between blanks only, and whatever it accepts prints and parses back.
    static const QRegularExpression decimal(QStringLiteral("^[-+]?[0-9]+$"));
    for (const QString& line : raw)
        if (const std::optional<qint64> n = parseCount(line))
            FUZZ_CHECK(parseCount(numericPrintForm(*n)) == n &&
                       decimal.match(line.trimmed()).hasMatch());

    const Result<ProfileRecord> profile = readProfile(path);
    if (raw.size() < kProfileLines || !parseCount(raw.at(4))) {
        FUZZ_CHECK(profile.error().code ==
                   (raw.size() < kProfileLines ? FileError::TooShort : FileError::BadValue));
        return;
    }
    FUZZ_CHECK(profile.ok() && profile.value().toLines() == raw.mid(0, kProfileLines));
}

// The loan record reader, and the repair that rebuilds a loan record from an item record (the
// same bytes serve as both, so damaged item records reach the repair too).
void loanRecord(const QByteArray& bytes) {
    const QString path = put(QStringLiteral("Dune"), bytes);
    const QStringList raw = linesOf(path);
    const Result<LoanFile> loan = readLoan(path);
    FUZZ_CHECK(loan.value().lineCount == raw.size() && loan.ok() == (raw.size() >= kLoanLines));
    FUZZ_CHECK(needsRepair(loan) == (!raw.isEmpty() && raw.size() < kLoanLines));
    FUZZ_CHECK(loan.ok() || loan.error().code == FileError::TooShort);
    // Whatever lines there are land in their own fields; missing ones stay empty.
    const QStringList fields = loan.value().record.toLines();
    for (int i = 0; i < kLoanLines; ++i)
        FUZZ_CHECK(fields.at(i) == raw.value(i));
    // The same bytes as an item record: a repair needs its 12 lines and otherwise writes nothing.
    const QString out = put(QStringLiteral("Out"), "old\r\n"),
                  date = QStringLiteral("Saturday, December 05, 2026");
    const Result<LoanRecord> repaired = repairLoanFromItem(out, path, date);
    if (raw.size() < kItemOnLoanLines) {
        FUZZ_CHECK(repaired.error().code == FileError::TooShort && bytesOf(out) == "old\r\n");
    } else {
        const Result<LoanFile> back = readLoan(out);
        FUZZ_CHECK(repaired.ok() && back.ok() && back.value().lineCount == kLoanLines);
        FUZZ_CHECK(back.value().record.toLines() ==
                   (QStringList{raw.at(0), date, raw.at(4), raw.at(7), raw.at(8)}));
    }
}

// The borrower's loan list: its reader, and its lines without a returned title.
void loanList(const QByteArray& bytes) {
    const QString path = put(QStringLiteral("4821937Q.lst"), bytes);
    const QStringList raw = linesOf(path);
    QStringList nonEmpty = raw;
    nonEmpty.removeAll(QString());
    const Result<QStringList> listed = readLoanList(path);
    FUZZ_CHECK(listed.ok() && listed.value() == nonEmpty);
    // The title returned: one of the file's own lines, picked by the first byte.
    const QString title =
        raw.isEmpty() ? QStringLiteral("Dune") : raw.at(uchar(bytes[0]) % raw.size());
    // Every copy of the title and every empty line go, at most 19 other titles stay in their
    // order, and one empty line ends the list.
    QStringList others = nonEmpty;
    others.removeAll(title);
    const QStringList kept = others.mid(0, kLoanListKept) << QString();
    FUZZ_CHECK(loanListWithout(raw, title) == kept);
}

// The settings store's values as start-up reads them from a settings file that may have been
// edited by hand or damaged.
void settings(const QByteArray& bytes) {
    // A new file name for every input: the settings layer caches files it has read by name and
    // time stamp, and two inputs within one clock tick would share it.
    static quint64 serial = 0;
    const QString path = put(QStringLiteral("Quillory-%1.conf").arg(++serial), bytes);
    {
        QtSettingsStore store(path);
        // Key names meet without regard to letter case; an absent key gives the caller's
        // default, a present one its value whatever the default.
        for (const char* name : {"profiles", "stats", "loaned"}) {
            const QString key = QString::fromLatin1(name), value = store.value(key, "-");
            FUZZ_CHECK(store.value(key.toUpper(), "-") == value &&
                       store.value(key.left(1).toUpper() + key.mid(1), "-") == value);
            const QString other = store.value(key, "+");
            FUZZ_CHECK(other == value || (value == "-" && other == "+"));
        }
        // First-start set-up over this file: a key that holds a value keeps it, an empty one
        // gets its default folder.
        const Folders read = FolderSettings::read(store);
        const QString program = scratch(QStringLiteral("program"));
        QDir().mkpath(program);
        const Folders defaults = FolderSettings::defaults(program);
        const Folders set = FolderSettings::setUp(store, program, [](FolderKind) {});
        for (QString Folders::*folder : {&Folders::profiles, &Folders::stats, &Folders::loaned})
            FUZZ_CHECK(set.*folder == ((read.*folder).isEmpty() ? defaults : read).*folder);
    }
    QFile::remove(path);
}

// The CSV reader an import stands on, given whatever a spreadsheet program or a hand wrote. The
// table's fields go back out through the writer and read in again unchanged, blanks at their ends
// and line breaks in them included; rows start on later and later lines; and the file's structure
// is the same whichever encoding it is read in.
void csvFile(const QByteArray& bytes) {
    using namespace quillory::tool;
    const CsvTable table = readCsv(bytes);
    const CsvTable cp1252 = readCsv(bytes, CsvEncoding::Windows1252);
    FUZZ_CHECK(table.ok() == cp1252.ok() && table.rows.size() == cp1252.rows.size());
    if (!table.ok())
        return;
    const auto fieldsOf = [](const CsvTable& t) {
        QList<QStringList> rows{t.header};
        for (const CsvRow& row : t.rows) {
            rows.append(QStringList());
            for (int i = 0; i < row.size; ++i)
                rows.back() << t.field(row, i).toString();
        }
        return rows;
    };
    qsizetype line = 1;
    for (const CsvRow& row : table.rows) {
        FUZZ_CHECK(row.line > line && row.size > 0);
        line = row.line;
    }
    // With a byte order mark, so a first field that starts with one keeps it.
    CsvWriter writer(CsvEncoding::Utf8, true);
    const QList<QStringList> rows = fieldsOf(table);
    for (const QStringList& row : rows)
        writer.writeRow(row);
    FUZZ_CHECK(fieldsOf(readCsv(writer.bytes())) == rows);
}

const struct {
    const char* name;
    void (*run)(const QByteArray&);
} kReaders[] = {{"fuzz_record_lines", recordLines},
                {"fuzz_item_record", itemRecord},
                {"fuzz_profile_record", profileRecord},
                {"fuzz_loan_record", loanRecord},
                {"fuzz_loan_list", loanList},
                {"fuzz_settings", settings},
                {"fuzz_csv", csvFile}};
void (*reader)(const QByteArray&) = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* chosen = std::getenv("QUILLORY_FUZZ_READER");
    for (const auto& r : kReaders)
        if (chosen && std::strcmp(chosen, r.name) == 0)
            reader = r.run;
    if (!reader) {
        std::fprintf(stderr, "QUILLORY_FUZZ_READER names no reader (see fuzz/corpus)\n");
        std::exit(2);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    reader(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
