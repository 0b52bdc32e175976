#include "borrowers/Borrowers.h"
#include "items/ItemCatalogue.h"
#include "lending/Lending.h"
#include "support/TestFolders.h"
#include "tool/Export.h"
#include "tool/Import.h"
#include "tool/LibraryCheck.h"
#include "tool/Overdue.h"

#include <QBuffer>
#include <QtTest>

using namespace quillory;
using namespace quillory::tool;
using quillory::test::TestFolders;

// The console tool's logic on real folders: CSV out and back in, hostile input, overdue loans.
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
};

namespace {
const QString kDate = QStringLiteral("Sunday, 6 December 2026");

QByteArray exported(RecordKind kind, const Folders& folders, ExportResult* result = nullptr) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    CsvWriter writer;
    const ExportResult r = exportRecords(kind, folders, writer, out);
    if (result)
        *result = r;
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
} // namespace

void TstToolData::roundTrip() {
    TestFolders from, to;
    from.makeAll();
    to.makeAll();
    const Folders source = from.folders();
    // Texts that need quoting in CSV, a leading blank, and Windows-1252 letters.
    for (const items::ItemFields& f :
         {items::ItemFields{u" Dune, Part \"1\""_qs.replace(u'"', u'\''), u"english"_qs,
                            u"12.50"_qs, u"say \"hi\", twice"_qs, u"N.A."_qs},
          items::ItemFields{u"Café (2nd ed.)"_qs, u"French"_qs, u"$3"_qs, u""_qs, u"Gallimard"_qs}})
        QCOMPARE(items::createItem(source, kDate, f, QLocale::c()).kind,
                 items::CreateOutcome::Kind::Created);
    QCOMPARE(borrowers::createProfile(source, u"4821937Q"_qs,
                                      {u" Zoë, Jr."_qs, u"55 \"12\""_qs, u"-"_qs})
                 .result,
             borrowers::CreateResult::Created);
    TestFolders::writeBytes(source.itemPath(u"Damaged"_qs), "only a title\r\n");

    ExportResult itemsResult;
    const QByteArray itemsCsv = exported(RecordKind::Items, source, &itemsResult);
    QCOMPARE(itemsResult.rows, 2);
    QCOMPARE(itemsResult.skipped.size(), 1u);
    QCOMPARE(itemsResult.skipped[0].fileName, u"Damaged"_qs);
    QFile::remove(source.itemPath(u"Damaged"_qs));

    const ImportPlan itemPlan =
        planItemImport(to.folders(), readCsv(itemsCsv), kDate, QLocale::c());
    const ImportPlan profilePlan = planBorrowerImport(
        to.folders(), readCsv(exported(RecordKind::Borrowers, source)), fixedSource());
    QCOMPARE(itemPlan.acceptedCount(), 2);
    QCOMPARE(profilePlan.acceptedCount(), 1);
    QVERIFY(itemPlan.ignored.isEmpty());
    for (const ImportWrite& w : applyImport(to.folders().stats, itemPlan))
        QVERIFY(w.result.ok());
    for (const ImportWrite& w : applyImport(to.folders().profiles, profilePlan))
        QVERIFY(w.result.ok());
    QCOMPARE(to.snapshot(), from.snapshot());

    // Applying again finds every record there and leaves it alone.
    TestFolders::writeBytes(to.folders().profilePath(u"4821937Q"_qs), "changed\r\n");
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

    QTest::newRow("quoted comma, quote, line break")
        << true
        << QByteArray("Title,Price,Serial Number\r\n\"A, B\",1,\"say \"\"x\"\"\"\r\n"
                      "\"Two\r\nlines\",2,x\r\nAfter,3,y\r\n")
        << false
        << "2:A, B|3!The title contains a control character (such as a tab), which "
           "cannot be part of a file name. Please type the title again.|5:After";
    QTest::newRow("byte order mark")
        << true << QByteArray("\xEF\xBB\xBFtitle,PRICE\r\nBom,1\r\n") << false << "2:Bom";
    QTest::newRow("windows-1252 bytes")
        << true << QByteArray("Title,Price\r\nCaf\xE9,1\r\n") << true << "2:Café";
    QTest::newRow("windows-1252 bytes read as UTF-8")
        << true << QByteArray("Title,Price\r\nCaf\xE9,1\r\n") << false
        << "2!the row is not valid UTF-8 (for a Windows-1252 file use --encoding windows-1252)";
    QTest::newRow("missing column") << true << QByteArray("Title,Language\r\nX,English\r\n")
                                    << false << "error: the file has no column \"Price\"";
    QTest::newRow("extra column and short row")
        << true << QByteArray("Title,Price,Shelf\r\nX,1,A3\r\nY,2\r\n") << false
        << "2:X|3!the row has 2 fields, the header has 3";
    QTest::newRow("empty rows") << true << QByteArray("Title,Price\r\n\r\nX,1\r\n\r\n\r\n") << false
                                << "3:X";
    QTest::newRow("unclosed quote")
        << true << QByteArray("Title,Price\r\n\"X,1\r\n") << false << "error";
    QTest::newRow("refused by the dialog's checks")
        << true
        << QByteArray("Title,Price,Language\r\n   ,1,x\r\nA,abc,x\r\nB,1,\" \"\r\n"
                      "\xE6\x97\xA5,1,x\r\n") +
               QByteArray(300, 'L') + ",1,x\r\n"
        << false
        << "2!Invalid Title!|3!Invalid Price!|4!Invalid Language!|5!The Title field contains the "
           "character \"日\", which cannot be stored in the record files. Please type it another "
           "way.|6!The title is too long to "
           "be used as a file name. Please shorten it by at least 45 characters.";
    QTest::newRow("duplicates in any letter case")
        << true << QByteArray("Title,Price\r\nDUNE,1\r\nRock.,1\r\nROCK?,2\r\n") << false
        << "2!File was already created!|3:Rock_|4!File was already created! (the same as line 3)";
    QTest::newRow("borrowers: given, generated, clash, blank cell")
        << false
        << QByteArray("name,HOME,Cell,Profile ID\r\nAnn,1,-,1000001A\r\nBob,2,-,\r\n"
                      "Cy,3,-,1000001A\r\nDee,4, ,\r\nEve,5,6,1000002a\r\n")
        << false
        << "2:1000001A|3:3869999H|4!Profile ID is similar to a current user. (the same as "
           "line 2)|5!Please provide a valid Cell-phone number or skip field by inserting the "
           "dash symbol '-'.|6!the Profile ID 1000002a is not seven digits (the first not 0) "
           "followed by a capital letter";

    QByteArray many("Title,Price\r\n");
    QStringList manyExpected;
    for (int i = 0; i < 10000; ++i) {
        many += "Title " + QByteArray::number(i) + "," + QByteArray::number(i) + "\r\n";
        manyExpected << QStringLiteral("%1:Title %2").arg(i + 2).arg(i);
    }
    QTest::newRow("10,000 rows") << true << many << false << manyExpected.join(u'|');
}

void TstToolData::hostileCsv() {
    QFETCH(bool, items);
    QFETCH(QByteArray, csv);
    QFETCH(bool, cp1252);
    QFETCH(QString, expected);

    TestFolders lib;
    lib.makeAll();
    TestFolders::writeBytes(lib.folders().itemPath(u"Dune"_qs), "Dune\r\n");
    const auto before = lib.snapshot();
    const CsvTable table = readCsv(csv, cp1252 ? CsvEncoding::Windows1252 : CsvEncoding::Utf8);
    if (expected == u"error") {
        QVERIFY(!table.ok());
        return;
    }
    QVERIFY2(table.ok(), qPrintable(table.error));
    const ImportPlan plan = items ? planItemImport(lib.folders(), table, kDate, QLocale::c())
                                  : planBorrowerImport(lib.folders(), table, fixedSource());
    QCOMPARE(outcomes(plan), expected);
    QCOMPARE(lib.snapshot(), before); // a plan writes nothing
}

void TstToolData::overdue_data() {
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("expected"); // overdue file names, oldest first

    QTest::newRow("all readable ones, oldest first") << 0 << "German|English";
    QTest::newRow("only the old one") << 20 << "German";
    QTest::newRow("none") << 40 << "";
}

void TstToolData::overdue() {
    QFETCH(int, days);
    QFETCH(QString, expected);

    TestFolders lib;
    lib.makeAll();
    const Folders f = lib.folders();
    const auto loan = [&f](const QString& name, const QString& date) {
        TestFolders::writeBytes(
            f.loanPath(name), TestFolders::crlf({name, date, u"$1"_qs, u"1000001A"_qs, u"Ann"_qs}));
    };
    loan(u"English"_qs, u"Thursday, December 3, 2026"_qs); // the program's own locale
    loan(u"German"_qs, u"Donnerstag, 5. November 2026"_qs);
    loan(u"Unreadable"_qs, u"the day after tomorrow"_qs);
    TestFolders::writeBytes(
        f.profilePath(u"1000001A"_qs),
        TestFolders::crlf({u"1000001A"_qs, u"Ann"_qs, u"555"_qs, u"-"_qs, u" 3 "_qs}));

    LoanDateReader dates(QLocale(QLocale::English, QLocale::UnitedStates));
    const OverdueReport report = findOverdue(f, QDate(2026, 12, 6), days, dates);
    QStringList names;
    for (const LoanLine& l : report.overdue)
        names << l.fileName;
    QCOMPARE(names.join(u'|'), expected);
    if (!report.overdue.empty()) {
        QCOMPARE(report.overdue.front().daysOut, 31);
        QCOMPARE(report.overdue.front().home, u"555"_qs);
    }
    QCOMPARE(report.unreadable.size(), 1u);
    QCOMPARE(report.unreadable[0].fileName, u"Unreadable"_qs);
}

// One damage at a time to a library with one loan: check names it once; --repair mends what the
// files decide (and a second repair changes nothing); what needs a person is still reported.
// A damage is "rm PATH", "put PATH LINE|LINE..." (CR LF ended), "cp FROM TO", "unlend PATH" (the
// file as it was before the loan), "badname" or "intent" (a loan of Emma stopped after its
// intent record). "settled" is the state a repair must give: the lent one or any consistent one;
// empty when the finding needs a person.
void TstToolData::check_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("settled");
    const QString ann = u"4821937Q"_qs;
    QTest::newRow("loan record lost") << "rm loaned/Dune"
                                      << "loan-without-record"
                                      << "any";
    QTest::newRow("count lost") << "put profiles/4821937Q 4821937Q|Ann|555|-| 0 "
                                << "count-differs"
                                << "lent";
    QTest::newRow("list lost") << "put profiles/4821937Q.lst "
                               << "list-differs"
                               << "lent";
    QTest::newRow("killed write") << "put stats/.quillory-tmp-0123abcd Du"
                                  << "leftover-temporary"
                                  << "lent";
    QTest::newRow("killed write, older run") << "put stats/Emma.QxTbWe Du"
                                             << "leftover-temporary"
                                             << "lent";
    QTest::newRow("stopped change") << "intent"
                                    << "unfinished-change"
                                    << "any";
    QTest::newRow("returned but loan kept") << "unlend stats/Dune"
                                            << "loan-item-available"
                                            << "any";
    QTest::newRow("loan of no item") << "put loaned/Ghost Ghost|d|$1|4821937Q|Ann"
                                     << "loan-item-missing"
                                     << "";
    QTest::newRow("loan names another") << "put loaned/Dune Dune|d|$5.00|1234567A|Bo"
                                        << "loan-other-borrower"
                                        << "";
    QTest::newRow("loan names nobody") << "put loaned/Dune Dune|d|$5.00|7654321B|Cy"
                                       << "loan-borrower-missing"
                                       << "";
    QTest::newRow("count not a number") << "put profiles/1234567A 1234567A|Bo|555|-| x "
                                        << "damaged-record"
                                        << "";
    QTest::newRow("item lost lines") << "put stats/Emma Emma"
                                     << "damaged-record"
                                     << "";
    QTest::newRow("name not text") << "badname"
                                   << "bad-name"
                                   << "";
    QTest::newRow("names by case") << "cp stats/Dune stats/DUNE"
                                   << "case-collision"
                                   << "";
}

void TstToolData::check() {
    QFETCH(QString, damage);
    QFETCH(QString, kind);
    QFETCH(QString, settled);
    TestFolders lib;
    lib.makeAll();
    const Folders f = lib.folders();
    for (const QString& title : {u"Dune"_qs, u"Emma"_qs})
        QCOMPARE(items::createItem(f, kDate,
                                   {title, u"English"_qs, u"5"_qs, u"N.A."_qs, u"N.A."_qs},
                                   QLocale::c())
                     .kind,
                 items::CreateOutcome::Kind::Created);
    for (const auto& [id, name] :
         {std::pair{u"4821937Q"_qs, u"Ann"_qs}, {u"1234567A"_qs, u"Bo"_qs}})
        QCOMPARE(borrowers::createProfile(f, id, {name, u"555"_qs, u"-"_qs}).result,
                 borrowers::CreateResult::Created);
    const auto unlent = lib.snapshot();
    QCOMPARE(lending::lend(f, u"Dune"_qs, u"4821937Q"_qs, kDate).outcome,
             lending::LendOutcome::Lent);
    TestFolders::writeBytes(f.stats + u"Dune.backup"_qs, "Du"); // a person's copy, never touched
    QVERIFY(checkLibrary(f).empty());
    const auto lent = lib.snapshot();

    const QString at = lib.root() + u'/';
    const QStringList op = damage.split(u' ');
    if (op[0] == u"rm")
        QVERIFY(QFile::remove(at + op[1]));
    else if (op[0] == u"put")
        TestFolders::writeBytes(
            at + op[1],
            op[2].isEmpty() ? QByteArray() : TestFolders::crlf(op.mid(2).join(u' ').split(u'|')));
    else if (op[0] == u"cp")
        TestFolders::writeBytes(at + op[2], TestFolders::readBytes(at + op[1]));
    else if (op[0] == u"unlend")
        TestFolders::writeBytes(at + op[1], unlent.value(op[1]));
    else if (op[0] == u"badname")
        TestFolders::writeBytes(QFile::decodeName(QFile::encodeName(f.stats) + "Caf\xE9"), "x");
    else if (op[0] == u"intent") {
        // Writes the intent record, then refuses every write: nothing else changes.
        struct StopAfterIntent : records::RecordStore {
            int puts = 0;
            records::Result<> put(const QString& path, const QByteArray& bytes) override {
                if (puts++ == 0)
                    return RecordStore::put(path, bytes);
                return records::Error(records::FileError::WriteFailed);
            }
            records::Result<> erase(const QString&) override {
                return records::Error(records::FileError::RemoveFailed);
            }
        } store;
        QVERIFY(lending::lend(f, u"Emma"_qs, u"4821937Q"_qs, kDate, store).outcome !=
                lending::LendOutcome::Lent);
    }

    const std::vector<Finding> found = checkLibrary(f);
    QCOMPARE(
        std::count_if(found.begin(), found.end(), [&](const Finding& x) { return x.kind == kind; }),
        1);
    QStringList changes;
    repairLibrary(f, kDate, changes);
    const std::vector<Finding> left = checkLibrary(f);
    if (settled.isEmpty()) {
        QVERIFY(std::any_of(left.begin(), left.end(),
                            [&](const Finding& x) { return x.kind == kind; }));
    } else {
        QVERIFY2(left.empty(), qPrintable(left.empty() ? QString() : left.front().kind));
        QVERIFY(!changes.isEmpty());
        if (settled == u"lent")
            QCOMPARE(lib.snapshot(), lent);
    }
    const auto repaired = lib.snapshot();
    changes.clear();
    repairLibrary(f, kDate, changes);
    QVERIFY2(changes.isEmpty(), qPrintable(changes.join(u'\n')));
    QCOMPARE(lib.snapshot(), repaired);
}

QTEST_GUILESS_MAIN(TstToolData)
#include "tst_tooldata.moc"
