#include "lending/Lending.h"
#include "support/TestFolders.h"

#include <QTest>

using namespace quillory;
using namespace quillory::lending;
using namespace quillory::test;
using namespace quillory::test::rec;

static constexpr auto crlf = &TestFolders::crlf;

class TestLending : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lendThenReturnBytes_data();
    void lendThenReturnBytes();
    void outcomes_data();
    void outcomes();
};

// The loan is appended to the list's old bytes, whatever line ends they have; the return rewrites
// the list without every copy of the title and without empty lines, keeps at most 19 titles in
// their order and ends it with one empty line.
void TestLending::lendThenReturnBytes_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QStringList>("counts"); // before, after the loan, after the return
    QTest::addColumn<QList<QByteArray>>("lists");
    auto row = [](const char* name, const QString& title, const QStringList& counts,
                  const QList<QByteArray>& lists, const QString& fileName = {}) {
        QTest::newRow(name) << title << (fileName.isEmpty() ? title : fileName) << counts << lists;
    };
    const QStringList first{"0", " 1 ", " 0 "};
    row("title unlike its file name, LF list without last line end", "Gone with the Wind (2nd ed.)",
        {" 2 ", " 3 ", " 2 "},
        {"Emma\nIvanhoe", "Emma\nIvanhoe\r\nGone with the Wind (2nd ed.)\r\n",
         "Emma\r\nIvanhoe\r\n\r\n"},
        "Gone with the Wind _2nd ed__");
    row("19 may borrow, after an earlier return", QStringLiteral("Café"), {" 19 ", " 20 ", " 19 "},
        {"\r\n", "\r\nCaf\xE9\r\n", "\r\n"});
    row("the smallest count, no loan list yet", "Dune",
        {"-9223372036854775808", "-9223372036854775807 ", "-9223372036854775808 "},
        {{}, "Dune\r\n", "\r\n"});
    // A name as long as the file system allows is rewritten like any other.
    const QString longest(255, QLatin1Char('L'));
    row("title of 255 bytes, LF list", longest, first,
        {"Emma\n", "Emma\n" + longest.toLatin1() + "\r\n", "Emma\r\n\r\n"});
    row("every copy, hand-edited line ends", "Dune", first,
        {"\nEmma\nDune\r\rIvanhoe", "\nEmma\nDune\r\rIvanhoe\r\nDune\r\n",
         "Emma\r\nIvanhoe\r\n\r\n"});
    row("case and blanks count", "Dune", first,
        {"dune\r\nDune \r\n", "dune\r\nDune \r\nDune\r\n", "dune\r\nDune \r\n\r\n"});
    QStringList many;
    for (int i = 1; i <= 25; ++i)
        many << QStringLiteral("Title %1").arg(i);
    const QByteArray kept = crlf(many.mid(0, 19) << "");
    row("25 titles keep 19", "Dune", first, {crlf(many), crlf(many + QStringList{"Dune"}), kept});
    const QStringList emptyAndDune = QStringList{"", "Dune"} + many.mid(0, 20);
    row("the title and empty lines do not count towards 19", "Dune", first,
        {crlf(emptyAndDune), crlf(emptyAndDune + QStringList{"Dune"}), kept});
}

void TestLending::lendThenReturnBytes() {
    QFETCH(QString, title);
    QFETCH(QString, fileName);
    QFETCH(QStringList, counts);
    QFETCH(QList<QByteArray>, lists);
    TestFolders lib(TestFolders::WithDataFolders);
    const Folders f = lib.folders();
    const auto bytes = [](const QString& path) { return TestFolders::bytesOrNull(path); };
    TestFolders::put(f.itemPath(fileName), crlf(item(title)));
    TestFolders::put(f.profilePath(kId), crlf(profile(kId, counts[0])));
    TestFolders::put(f.loanListPath(kId), lists[0]);

    QCOMPARE(lend(f, fileName, kId, kToday).outcome, LendOutcome::Lent);
    QCOMPARE(bytes(f.itemPath(fileName)), crlf(lentItem(title, counts[1])));
    QCOMPARE(bytes(f.loanPath(fileName)), crlf(loan(title)));
    QCOMPARE(bytes(f.profilePath(kId)), crlf(profile(kId, counts[1])));
    QCOMPARE(bytes(f.loanListPath(kId)), lists[1]);
    QCOMPARE(lib.snapshot().size(), 4); // no temporary file or intent record left behind

    const ReturnResult back = returnItem(f, fileName, kId, "Sunday, December 06, 2026");
    QCOMPARE(back.outcome, ReturnOutcome::Returned);
    QCOMPARE(back.title, title);
    QCOMPARE(bytes(f.itemPath(fileName)), crlf(item(title)));
    QVERIFY(bytes(f.loanPath(fileName)).isNull());
    QCOMPARE(bytes(f.profilePath(kId)), crlf(profile(kId, counts[2])));
    QCOMPARE(bytes(f.loanListPath(kId)), lists[2]);
    QCOMPARE(lib.snapshot().size(), 3);
}

// Dune (1965) is on loan to Ann, who has Emma too; Ivanhoe is on the shelf. One file of the row is
// damaged first; then Ivanhoe (or the row's file) is lent, or Dune returned. A refusal changes no
// file.
void TestLending::outcomes_data() {
    QTest::addColumn<bool>("returning");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("profileId");
    QTest::addColumn<QString>("damaged");  // relative path; empty: none
    QTest::addColumn<QByteArray>("bytes"); // see TestFolders::make
    QTest::addColumn<int>("outcome");      // a LendOutcome or a ReturnOutcome
    QTest::addColumn<QStringList>("changed");

    const QString item = "stats/Dune _1965_", loaned = "loaned/Dune _1965_";
    const QString ann = "profiles/" + kId, list = ann + ".lst", ivanhoe = "stats/Ivanhoe";
    const QStringList three{loaned, ann, item}, four = three + QStringList{list};
    auto lendRow = [](const char* name, const QString& damaged, const QByteArray& bytes,
                      LendOutcome outcome, const QString& file = "Ivanhoe",
                      const QString& id = kId) {
        QTest::newRow(name) << false << file << id << damaged << bytes << int(outcome)
                            << QStringList();
    };
    auto row = [](const char* name, const QString& damaged, const QByteArray& bytes,
                  ReturnOutcome outcome, const QStringList& changed = {}, const QString& id = kId) {
        QTest::newRow(name) << true << "Dune _1965_" << id << damaged << bytes << int(outcome)
                            << changed;
    };
    using L = LendOutcome;
    const auto count = [](const char* n) { return crlf(profile(kId, n)); };
    lendRow("20 on loan", ann, count(" 20 "), L::LoanLimit);
    lendRow("far over, even with the item missing", ann, count("57"), L::LoanLimit, "Nothing");
    lendRow("the largest count", ann, count("9223372036854775807"), L::LoanLimit);
    lendRow("count too large for a number", ann, count("99999999999999999999"), L::Failed);
    lendRow("count not a number", ann, count("many"), L::Failed);
    lendRow("profile missing", ann, {}, L::Failed);
    lendRow("profile of four lines", ann, crlf(profile().mid(0, 4)), L::Failed);
    lendRow("item of six lines", ivanhoe, crlf(rec::item("Ivanhoe").mid(0, 6)), L::Failed);
    lendRow("item a link out of the folder", ivanhoe, "<link>", L::Failed);
    lendRow("no item chosen", "", {}, L::Failed, "");
    lendRow("item already on loan", "", {}, L::NotAvailable, "Dune _1965_", "1234567B");
    lendRow("status in other case", ivanhoe, crlf(rec::item("Ivanhoe", "available")),
            L::NotAvailable);
    using R = ReturnOutcome;
    row("another borrower", "", {}, R::WrongBorrower, {}, "1234567B");
    row("ID differing in case", "", {}, R::WrongBorrower, {}, "4821937q");
    row("loan record missing", loaned, {}, R::CannotOpenLoanRecord);
    row("loan record empty", loaned, "", R::CannotOpenLoanRecord);
    row("short loan record repaired, whoever is selected", loaned, crlf({"Dune (1965)"}),
        R::Repaired, {loaned}, "1234567B");
    row("short loan record, item available", item, crlf(rec::item("Dune (1965)")), R::RepairFailed);
    row("item missing", item, {}, R::RepairFailed);
    row("profile missing: rebuilt, not returned", ann, {}, R::Repaired, {loaned});
    row("count not a number: rebuilt, not returned", ann, crlf(profile(kId, "two")), R::Repaired,
        {loaned});
    row("the smallest count: rebuilt, not returned", ann,
        crlf(profile(kId, "-9223372036854775808")), R::Repaired, {loaned});
    row("loan list missing", list, {}, R::LoanListMissing, three);
    row("loan list a link out of the folder", list, "<link>", R::LoanListMissing, three);
    row("loan list of garbage", list, QByteArray("\x01\xFF\rDune (1965)\n\x00\x7F", 17),
        R::Returned, four);
    row("an intent record of zeros: a change that never began", "loaned/.quillory-intent",
        QByteArray(40, 0), R::Returned, four + QStringList{"loaned/.quillory-intent"});
}

void TestLending::outcomes() {
    QFETCH(bool, returning);
    QFETCH(QString, fileName);
    QFETCH(QString, profileId);
    QFETCH(QString, damaged);
    QFETCH(QByteArray, bytes);
    QFETCH(int, outcome);
    QFETCH(QStringList, changed);
    const QString title = "Dune (1965)", name = "Dune _1965_";
    TestFolders lib(TestFolders::WithDataFolders);
    const Folders f = lib.folders();
    TestFolders::put(f.itemPath(name), crlf(lentItem(title, " 2 ")));
    TestFolders::put(f.loanPath(name), crlf(loan(title, kCreated)));
    TestFolders::put(f.profilePath(kId), crlf(profile(kId, " 2 ")));
    TestFolders::put(f.loanListPath(kId), crlf({"Emma", title}));
    TestFolders::put(f.profilePath("1234567B"), crlf(profile("1234567B")));
    TestFolders::put(f.itemPath("Ivanhoe"), crlf(item("Ivanhoe")));
    if (damaged == "stats/Dune _1965_") // the item record says Available: a short loan record
        TestFolders::put(f.loanPath(name), crlf({title, kCreated}));
    if (!damaged.isEmpty())
        TestFolders::make(lib.root() + '/' + damaged, bytes);
    const Files before = lib.snapshot();

    if (!returning) {
        QCOMPARE(lend(f, fileName, profileId, kToday).outcome, LendOutcome(outcome));
    } else {
        const ReturnResult result = returnItem(f, fileName, profileId, kToday);
        QCOMPARE(result.outcome, ReturnOutcome(outcome));
        // With no loan record to read, the file name is all there is to name it by.
        QCOMPARE(result.title,
                 result.outcome == ReturnOutcome::CannotOpenLoanRecord ? name : title);
    }
    changed.sort();
    QCOMPARE(TestFolders::changed(before, lib.snapshot()), changed);
    if (returning && ReturnOutcome(outcome) == ReturnOutcome::Repaired)
        QCOMPARE(TestFolders::bytesOrNull(f.loanPath(name)), crlf(loan(title)));
}

QTEST_GUILESS_MAIN(TestLending)
#include "tst_lending.moc"
