// The console tool: its logic on real folders (CSV out and back in, hostile input, overdue loans,
// the check and its repair), and the program as a user meets it (exit statuses and streams).
#include "borrowers/Borrowers.h"
#include "items/ItemCatalogue.h"
#include "lending/Lending.h"
#include "support/TestFolders.h"
#include "tool/Export.h"
#include "tool/Import.h"
#include "tool/LibraryCheck.h"
#include "tool/Overdue.h"

#include <QBuffer>
#include <QProcess>
#include <QtTest>

using namespace quillory;
using namespace quillory::tool;
using namespace quillory::test;

class TstToolData : public QObject {
    Q_OBJECT

private slots:
    void roundTrip();
    void hostileCsv_data();
    void hostileCsv();
    void overdue_data();
    void overdue();
    void check_data();
    void check();
    void commandLine_data();
    void commandLine();
};

namespace {
const QString kDate = QStringLiteral("Sunday, 6 December 2026");

QByteArray exported(RecordKind kind, const Folders& folders) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    CsvWriter writer;
    exportRecords(kind, folders, writer, out);
    return out.data();
}

// Each row as "line:file" when accepted or "line!reason" when refused, joined by "|".
QString outcomes(const ImportPlan& plan) {
    if (!plan.ok())
        return QStringLiteral("error: ") + plan.error;
    QStringList parts;
    for (const ImportRow& row : plan.rows)
        parts << (row.accepted() ? QStringLiteral("%1:%2").arg(row.line).arg(row.fileName)
                                 : QStringLiteral("%1!%2").arg(row.line).arg(row.refusal));
    return parts.join(u'|');
}

borrowers::UnitSource fixedSource() {
    auto value = std::make_shared<double>(0.25);
    return [value] { return *value = std::fmod(*value + 0.137, 1.0); };
}

void newItem(const Folders& f, const items::ItemFields& fields) {
    QCOMPARE(items::createItem(f, kDate, fields, QLocale::c()).kind,
             items::CreateOutcome::Kind::Created);
}
void newProfile(const Folders& f, const QString& id, const borrowers::ProfileFields& fields) {
    QCOMPARE(borrowers::createProfile(f, id, fields).result, borrowers::CreateResult::Created);
}
} // namespace

void TstToolData::roundTrip() {
    TestFolders from(TestFolders::WithDataFolders), to(TestFolders::WithDataFolders);
    const Folders source = from.folders();
    // Texts that need quoting in CSV, a leading blank, and Windows-1252 letters.
    newItem(source, {" Dune, Part '1'", "english", "12.50", "say \"hi\", twice", "N.A."});
    newItem(source, {QStringLiteral("Café (2nd ed.)"), "French", "$3", "", "Gallimard"});
    newProfile(source, "4821937Q", {QStringLiteral(" Zoë, Jr."), "55 \"12\"", "-"});
    const ImportPlan itemPlan = planItemImport(
        to.folders(), readCsv(exported(RecordKind::Items, source)), kDate, QLocale::c());
    const ImportPlan profilePlan = planBorrowerImport(
        to.folders(), readCsv(exported(RecordKind::Borrowers, source)), fixedSource());
    QVERIFY(itemPlan.ignored.isEmpty());
    applyImport(to.folders().stats, itemPlan);
    applyImport(to.folders().profiles, profilePlan);
    QCOMPARE(to.snapshot(), from.snapshot());

    // Applying again finds every record there and leaves it alone.
    TestFolders::writeBytes(to.folders().profilePath("4821937Q"), "changed\r\n");
    const auto before = to.snapshot();
    for (const ImportWrite& w : applyImport(to.folders().profiles, profilePlan))
        QVERIFY(!w.result.ok());
    QCOMPARE(to.snapshot(), before);
}

void TstToolData::hostileCsv_data() {
    QTest::addColumn<bool>("items");
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<bool>("cp1252");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const QByteArray& csv, const QString& expected,
                  bool cp1252 = false,
                  bool items = true) { QTest::newRow(name) << items << csv << cp1252 << expected; };
    row("quoted comma, quote, line break",
        "Title,Price,Serial Number\r\n\"A, B\",1,\"say \"\"x\"\"\"\r\n\"Two\r\nlines\",2,x\r\n"
        "After,3,\"y\rz\"\r\nLast,4,w\r\n",
        "2:A, B|3!The title contains a control character (such as a tab), which cannot be part "
        "of a file name. Please type the title again.|5!The Serial Number field contains a line "
        "break, which cannot be stored in the record files.|7:Last");
    row("byte order mark", "\xEF\xBB\xBFtitle,PRICE\r\nBom,1\r\n", "2:Bom");
    row("windows-1252 bytes", "Title,Price\r\nCaf\xE9,1\r\n", QStringLiteral("2:Café"), true);
    row("windows-1252 bytes read as UTF-8", "Title,Price\r\nCaf\xE9,1\r\n",
        "2!the row is not valid UTF-8 (for a Windows-1252 file use --encoding windows-1252)");
    row("missing column", "Title,Language\r\nX,English\r\n",
        "error: the file has no column \"Price\"");
    row("semicolons between fields", "Title;Price\r\nX;1\r\n",
        "error: the file has no column \"Title\" (its fields are separated by semicolons: save "
        "it with commas between fields)");
    row("extra column and short row", "Title,Price,Shelf\r\nX,1,A3\r\nY,2\r\n",
        "2:X|3!the row has 2 fields, the header has 3");
    row("empty rows", "Title,Price\r\n\r\nX,1\r\n\r\n\r\n", "3:X");
    row("lines ended by CR alone", "Title,Price\rA,1\r\rB,abc\r", "2:A|4!Invalid Price!");
    row("blank at a field's start", "Title,Price\r\n Leading,1\r\n", "2: Leading");
    row("unclosed quote", "Title,Price\r\n\"X,1\r\n", "error");
    row("blank after a closing quote", "Title,Price\r\n\"X\" ,1\r\n", "error");
    row("refused by the dialog's checks",
        "Title,Price,Language\r\nA,abc,x\r\n" + QByteArray(300, 'L') + ",1,x\r\n",
        "2!Invalid Price!|3!The title is too long to be used as a file name. Please shorten it by "
        "at least 45 characters.");
    row("duplicates in any letter case", "Title,Price\r\nDUNE,1\r\nRock.,1\r\nROCK?,2\r\n",
        "2!File was already created!|3:Rock_|4!File was already created! (the same as line 3)");
    row("borrowers: given, generated, clash, blank cell",
        "name,HOME,Cell,Profile ID\r\nAnn,1,-,1000001A\r\nBob,2,-,\r\nCy,3,-,1000001A\r\n"
        "Dee,4, ,\r\nEve,5,6,1000002a\r\n",
        "2:1000001A|3:3869999H|4!Profile ID is similar to a current user. (the same as line 2)|"
        "5!Please provide a valid Cell-phone number or skip field by inserting the dash symbol "
        "'-'.|6!the Profile ID 1000002a is not seven digits (the first not 0) followed by a "
        "capital letter",
        false, false);
    row("a name that another begins with", "Title,Price\r\nDun,1\r\nDu,1\r\nDunes,1\r\n",
        "2:Dun|3:Du|4:Dunes");
    QByteArray many("Title,Price\r\n");
    QStringList manyExpected;
    for (int i = 0; i < 10000; ++i) {
        many += "Title " + QByteArray::number(i) + ",1\r\n";
        manyExpected << QStringLiteral("%1:Title %2").arg(i + 2).arg(i);
    }
    row("10,000 rows", many, manyExpected.join(u'|'));
}

void TstToolData::hostileCsv() {
    QFETCH(bool, items);
    QFETCH(QByteArray, csv);
    QFETCH(bool, cp1252);
    QFETCH(QString, expected);
    TestFolders lib(TestFolders::WithDataFolders);
    TestFolders::writeBytes(lib.folders().itemPath("Dune"), "Dune\r\n");
    const auto before = lib.snapshot();
    const CsvTable table = readCsv(csv, cp1252 ? CsvEncoding::Windows1252 : CsvEncoding::Utf8);
    QCOMPARE(table.ok(), expected != "error");
    if (!table.ok())
        return;
    const ImportPlan plan = items ? planItemImport(lib.folders(), table, kDate, QLocale::c())
                                  : planBorrowerImport(lib.folders(), table, fixedSource());
    QCOMPARE(outcomes(plan), expected);
    QCOMPARE(lib.snapshot(), before); // a plan writes nothing
}

void TstToolData::overdue_data() {
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("expected"); // overdue file names, oldest first
    QTest::newRow("all readable ones, oldest first") << 0 << "German|English";
    QTest::newRow("out exactly the days allowed is not overdue") << 3 << "German";
}

// Loans dated in the program's own locale and in another one, and a date no locale reads.
void TstToolData::overdue() {
    QFETCH(int, days);
    QFETCH(QString, expected);
    TestFolders lib(TestFolders::WithDataFolders);
    const Folders f = lib.folders();
    for (const auto& [name, date] : {std::pair{"English", "Thursday, December 3, 2026"},
                                     {"German", "Donnerstag, 5. November 2026"},
                                     {"Unreadable", "the day after tomorrow"}})
        TestFolders::writeBytes(f.loanPath(name), TestFolders::crlf(rec::loan(name, date)));
    TestFolders::writeBytes(f.profilePath(rec::kId), TestFolders::crlf(rec::profile()));
    LoanDateReader dates(QLocale(QLocale::English, QLocale::UnitedStates));
    const OverdueReport report = findOverdue(f, QDate(2026, 12, 6), days, dates);
    QStringList names;
    for (const LoanLine& l : report.overdue)
        names << l.fileName;
    QCOMPARE(names.join(u'|'), expected);
    QCOMPARE(report.overdue.front().daysOut, 31);
    QCOMPARE(report.overdue.front().home, "555 0101");
    QCOMPARE(report.unreadable.size(), 1u);
    QCOMPARE(report.unreadable[0].fileName, "Unreadable");
}

// One damage at a time to a library with one loan: check names it once; --repair mends what the
// files decide (and a second repair changes nothing); what needs a person is still reported.
// A damage is "rm PATH", "put PATH LINE|LINE..." (CR LF ended), "unlend PATH" (the file as it
// was before the loan), "badname" or "intent" (a loan of Emma stopped after its intent record).
// "settled" is the state a repair must give: the lent one or any consistent one; empty when the
// finding needs a person.
void TstToolData::check_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("settled");
    auto row = [](const char* name, const char* damage, const char* kind, const char* settled) {
        QTest::newRow(name) << damage << kind << settled;
    };
    row("loan record lost", "rm loaned/Dune", "loan-without-record", "any");
    row("count lost", "put profiles/4821937Q 4821937Q|Ann|555|-| 0 ", "count-differs", "lent");
    row("list lost", "put profiles/4821937Q.lst ", "list-differs", "lent");
    row("killed write", "put stats/.quillory-tmp-0123abcd Du", "leftover-temporary", "lent");
    row("killed write, older run", "put stats/Emma.QxTbWe Du", "leftover-temporary", "lent");
    row("stopped change", "intent", "unfinished-change", "any");
    row("returned but loan kept", "unlend stats/Dune", "loan-item-available", "any");
    row("loan of no item", "put loaned/Ghost Ghost|d|$1|4821937Q|Ann", "loan-item-missing", "");
    row("loan names another", "put loaned/Dune Dune|d|$5.00|1234567A|Bo", "loan-other-borrower",
        "");
    row("loan names nobody", "put loaned/Dune Dune|d|$5.00|7654321B|Cy", "loan-borrower-missing",
        "");
    row("count not a number", "put profiles/1234567A 1234567A|Bo|555|-| x ", "damaged-record", "");
    row("item lost lines", "put stats/Emma Emma", "damaged-record", "");
    row("name not text", "badname", "bad-name", "");
    row("names by case", "put stats/DUNE Dune", "case-collision", "");
}

void TstToolData::check() {
    QFETCH(QString, damage);
    QFETCH(QString, kind);
    QFETCH(QString, settled);
    TestFolders lib(TestFolders::WithDataFolders);
    const Folders f = lib.folders();
    for (const char* title : {"Dune", "Emma"})
        newItem(f, {title, "English", "5", "N.A.", "N.A."});
    newProfile(f, "4821937Q", {"Ann", "555", "-"});
    newProfile(f, "1234567A", {"Bo", "555", "-"});
    const auto unlent = lib.snapshot();
    QCOMPARE(lending::lend(f, "Dune", "4821937Q", kDate).outcome, lending::LendOutcome::Lent);
    TestFolders::writeBytes(f.stats + "Dune.backup", "Du"); // a person's copy, never touched
    QVERIFY(checkLibrary(f).empty());
    const auto lent = lib.snapshot();

    const QString at = lib.root() + u'/';
    const QStringList op = damage.split(u' ');
    if (op[0] == "rm")
        QVERIFY(QFile::remove(at + op[1]));
    else if (op[0] == "put")
        TestFolders::writeBytes(
            at + op[1],
            op[2].isEmpty() ? QByteArray() : TestFolders::crlf(op.mid(2).join(u' ').split(u'|')));
    else if (op[0] == "unlend")
        TestFolders::writeBytes(at + op[1], unlent.value(op[1]));
    else if (op[0] == "badname")
        TestFolders::writeBytes(QFile::decodeName(QFile::encodeName(f.stats) + "Caf\xE9"), "x");
    else if (op[0] == "intent") {
        // Writes the intent record, then refuses every write: nothing else changes.
        struct StopAfterIntent : records::RecordStore {
            bool first = true;
            records::Result<> put(const QString& path, const QByteArray& bytes) override {
                return std::exchange(first, false)
                           ? RecordStore::put(path, bytes)
                           : records::Error(records::FileError::WriteFailed);
            }
            records::Result<> erase(const QString&) override {
                return records::Error(records::FileError::RemoveFailed);
            }
        } store;
        QVERIFY(lending::lend(f, "Emma", "4821937Q", kDate, store).outcome !=
                lending::LendOutcome::Lent);
    }

    auto count = [&](const std::vector<Finding>& found) {
        return std::ranges::count(found, kind, &Finding::kind);
    };
    QCOMPARE(count(checkLibrary(f)), 1);
    QStringList changes;
    repairLibrary(f, kDate, changes);
    const std::vector<Finding> left = checkLibrary(f);
    if (settled.isEmpty()) {
        QVERIFY(count(left) >= 1);
    } else {
        QVERIFY2(left.empty(), qPrintable(left.empty() ? QString() : left.front().kind));
        QVERIFY(!changes.isEmpty());
        if (settled == "lent")
            QCOMPARE(lib.snapshot(), lent);
    }
    const auto repaired = lib.snapshot();
    changes.clear();
    repairLibrary(f, kDate, changes);
    QVERIFY2(changes.isEmpty(), qPrintable(changes.join(u'\n')));
    QCOMPARE(lib.snapshot(), repaired);
}

void TstToolData::commandLine_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("stdoutHas"); // empty: nothing on that stream
    QTest::addColumn<QString>("stderrHas");
    auto row = [](const char* name, const QStringList& args, int status, const char* out,
                  const char* err) { QTest::newRow(name) << args << status << out << err; };
    const QStringList lib{"--stats", "LIB", "--profiles", "LIB", "--loaned", "LIB"};
    row("no command", {}, 2, "", "no command given");
    row("unknown command", {"frobnicate"}, 2, "", "unknown command 'frobnicate'");
    row("overview", {"--help"}, 0, "Usage: quillory-tool <command>", "");
    row("help of a command", {"stats", "--help"}, 0, "Usage: quillory-tool stats [options]", "");
    row("all help of a command", {"stats", "--help-all"}, 0, "Usage: quillory-tool stats", "");
    row("unknown option", {"export", "--colour", "items"}, 2, "", "Unknown option 'colour'");
    row("unknown kind", {"export", "books"}, 2, "", "Name one of: items, borrowers, loans.");
    row("overdue without days", {"overdue"}, 2, "", "--days needs a whole number");
    row("missing folder", QStringList{"stats", "--stats", "LIB/none"} + lib.mid(2), 2, "",
        "no such folder: LIB/none/");
    row("damaged record skipped", QStringList{"export", "loans"} + lib, 1,
        "File Name,Title,Loan Date", "skipped Short: ");
    row("missing settings file", {"stats", "--settings", "LIB/x"}, 2, "", "no such settings file");
    row("bom of windows-1252", {"export", "items", "--bom", "--encoding", "windows-1252"}, 2, "",
        "--bom goes with UTF-8 only.");
    row("overdue columns", QStringList{"overdue", "--days", "0", "--csv"} + lib, 1,
        "Title,Borrower ID,Borrower Name,Home,Cell,Days Out,", "skipped loan record Short");
    row("line break; a drawn ID", QStringList{"import", "borrowers", "LIB/in.csv"} + lib, 1,
        "a new Profile ID\nline 3: refused \"Two\u240Dlines\": The Name field contains a line", "");
    row("export to a full disk", QStringList{"export", "items", ">/dev/full"} + lib, 2, "",
        "the output could not be written");
    row("report to a full disk", QStringList{"stats", ">/dev/full"} + lib, 2, "", "could not be");
    row("file without a header row", QStringList{"import", "items", "/dev/null"} + lib, 2, "",
        "/dev/null: not a CSV file");
}

void TstToolData::commandLine() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, stdoutHas);
    QFETCH(QString, stderrHas);
    // LIB: a folder holding one loan record that has lost lines, and a CSV file.
    TestFolders lib;
    TestFolders::writeBytes(lib.root() + "/Short", "Dune\r\n");
    TestFolders::writeBytes(lib.root() + "/in.csv",
                            "Name,Home,Cell\r\nAnn,1,-\r\n\"Two\rlines\",1,-\r\n");
    args.replaceInStrings("LIB", lib.root());
    stderrHas.replace("LIB", lib.root());
    QProcess tool;
    if (args.removeOne(">/dev/full"))
        tool.setStandardOutputFile(QStringLiteral("/dev/full"));
    tool.start(QStringLiteral(QUILLORY_TOOL_PATH), args);
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), status);
    for (const auto& [text, want] : {std::pair{tool.readAllStandardOutput(), stdoutHas},
                                     {tool.readAllStandardError(), stderrHas}})
        QVERIFY2(want.isEmpty() ? text.isEmpty() : QString::fromUtf8(text).contains(want),
                 text.constData());
}

QTEST_GUILESS_MAIN(TstToolData)
#include "tst_tooldata.moc"
