#include "lending/Lending.h"
#include "records/LoanList.h"
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
    void loanListRemoval_data();
    void loanListRemoval();
    void lendThenReturnBytes_data();
    void lendThenReturnBytes();
    void lendOutcomes_data();
    void lendOutcomes();
    void returnOutcomes_data();
    void returnOutcomes();
};

void TestLending::loanListRemoval_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    auto row = [](const char* name, const QByteArray& before, const QByteArray& after) {
        QTest::newRow(name) << before << after;
    };
    QStringList many;
    for (int i = 1; i <= 25; ++i)
        many << QStringLiteral("Title %1").arg(i);
    row("only title", "Dune\r\n", "\r\n");
    row("every copy, old empty lines dropped, order kept",
        "\r\nEmma\r\nDune\r\n\r\nIvanhoe\r\nDune\r\n", "Emma\r\nIvanhoe\r\n\r\n");
    row("case and blanks count", "dune\r\nDune \r\nDune\r\n", "dune\r\nDune \r\n\r\n");
    row("hand-edited line ends", "Emma\nDune\rIvanhoe", "Emma\r\nIvanhoe\r\n\r\n");
    row("25 titles keep 19", crlf(many), crlf(many.mid(0, 19) << ""));
    row("title and empty lines do not count towards 19",
        crlf(QStringList{"", "Dune"} + many.mid(0, 20)), crlf(many.mid(0, 19) << ""));
}

void TestLending::loanListRemoval() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    TestFolders lib;
    lib.makeAll();
    const QString path = lib.folders().loanListPath(kId);
    TestFolders::put(path, before);
    QVERIFY(records::removeFromLoanList(path, "Dune").ok());
    QCOMPARE(TestFolders::bytesOrNull(path), after);
}

void TestLending::lendThenReturnBytes_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QStringList>("counts"); // before, after the loan, after the return
    QTest::addColumn<QList<QByteArray>>("lists");

    QTest::newRow("first loan") << "Dune"
                                << "Dune" << QStringList{"0", " 1 ", " 0 "}
                                << QList<QByteArray>{{}, "Dune\r\n", "\r\n"};
    // The loan is appended to the list's old bytes, whatever line ends they have.
    QTest::newRow("title unlike its file name, LF list without last line end")
        << "Gone with the Wind (2nd ed.)"
        << "Gone with the Wind _2nd ed__" << QStringList{" 2 ", " 3 ", " 2 "}
        << QList<QByteArray>{"Emma\nIvanhoe", "Emma\nIvanhoe\r\nGone with the Wind (2nd ed.)\r\n",
                             "Emma\r\nIvanhoe\r\n\r\n"};
    QTest::newRow("19 may borrow, after an earlier return")
        << QStringLiteral("Café") << QStringLiteral("Café") << QStringList{" 19 ", " 20 ", " 19 "}
        << QList<QByteArray>{"\r\n", "\r\nCaf\xE9\r\n", "\r\n"};
    QTest::newRow("the smallest count")
        << "Dune"
        << "Dune"
        << QStringList{"-9223372036854775808", "-9223372036854775807 ", "-9223372036854775808 "}
        << QList<QByteArray>{{}, "Dune\r\n", "\r\n"};
    // A name as long as the file system allows is rewritten like any other.
    const QString longest(255, QLatin1Char('L'));
    QTest::newRow("title of 255 bytes, LF list")
        << longest << longest << QStringList{"0", " 1 ", " 0 "}
        << QList<QByteArray>{"Emma\n", "Emma\n" + longest.toLatin1() + "\r\n", "Emma\r\n\r\n"};
}

void TestLending::lendThenReturnBytes() {
    QFETCH(QString, title);
    QFETCH(QString, fileName);
    QFETCH(QStringList, counts);
    QFETCH(QList<QByteArray>, lists);
    TestFolders lib;
    lib.makeAll();
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

// A loan refused for the borrower's record or the item's changes no file.
void TestLending::lendOutcomes_data() {
    QTest::addColumn<QByteArray>("profileBytes"); // see TestFolders::make
    QTest::addColumn<QByteArray>("itemBytes");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<LendOutcome>("outcome");
    const QByteArray ann = crlf(profile());
    const QByteArray dune = crlf(item("Dune"));
    auto row = [](const char* name, const QByteArray& profile, const QByteArray& item,
                  LendOutcome outcome, const QString& fileName = "Dune") {
        QTest::newRow(name) << profile << item << fileName << outcome;
    };
    const auto count = [](const char* n) { return crlf(profile(kId, n)); };
    row("20 on loan", count(" 20 "), dune, LendOutcome::LoanLimit);
    row("far over, even with the item missing", count("57"), QByteArray(), LendOutcome::LoanLimit);
    row("the largest count", count("9223372036854775807"), dune, LendOutcome::LoanLimit);
    row("count too large for a number", count("99999999999999999999"), dune, LendOutcome::Failed);
    row("count not a number", count("many"), dune, LendOutcome::Failed);
    row("profile missing", QByteArray(), dune, LendOutcome::Failed);
    row("profile of four lines", crlf(profile().mid(0, 4)), dune, LendOutcome::Failed);
    row("a folder for the profile", "<folder>", dune, LendOutcome::Failed);
    row("item of six lines", ann, crlf(item("Dune").mid(0, 6)), LendOutcome::Failed);
    row("a folder for the item", ann, "<folder>", LendOutcome::Failed);
    row("item a link out of the folder", ann, "<link>", LendOutcome::Failed);
    row("no item chosen", ann, dune, LendOutcome::Failed, "");
    row("item already on loan", ann, crlf(lentItem("Dune", " 1 ", "1234567B")),
        LendOutcome::NotAvailable);
    row("status in other case", ann, crlf(item("Dune", "available")), LendOutcome::NotAvailable);
}

void TestLending::lendOutcomes() {
    QFETCH(QByteArray, profileBytes);
    QFETCH(QByteArray, itemBytes);
    QFETCH(QString, fileName);
    QFETCH(LendOutcome, outcome);
    TestFolders lib;
    lib.makeAll();
    TestFolders::make(lib.folders().profilePath(kId), profileBytes);
    TestFolders::make(lib.folders().itemPath("Dune"), itemBytes);
    const Files before = lib.snapshot();
    QCOMPARE(lend(lib.folders(), fileName, kId, kToday).outcome, outcome);
    QCOMPARE(TestFolders::changed(before, lib.snapshot()), QStringList());
}

// Dune (1965) is on loan to Ann, who has Emma too; one file of the row is damaged first.
void TestLending::returnOutcomes_data() {
    QTest::addColumn<QString>("damaged");  // relative path; empty: none
    QTest::addColumn<QByteArray>("bytes"); // see TestFolders::make
    QTest::addColumn<QString>("profileId");
    QTest::addColumn<ReturnOutcome>("outcome");
    QTest::addColumn<QStringList>("changed");

    const QString item = "stats/Dune _1965_", loaned = "loaned/Dune _1965_";
    const QString ann = "profiles/" + kId, list = ann + ".lst";
    const QStringList three{loaned, ann, item}, four = three + QStringList{list};
    auto row = [](const char* name, const QString& damaged, const QByteArray& bytes,
                  ReturnOutcome outcome, const QStringList& changed = {}, const QString& id = kId) {
        QTest::newRow(name) << damaged << bytes << id << outcome << changed;
    };
    using R = ReturnOutcome;
    row("another borrower", "", {}, R::WrongBorrower, {}, "1234567B");
    row("ID differing in case", "", {}, R::WrongBorrower, {}, "4821937q");
    row("loan record missing", loaned, {}, R::CannotOpenLoanRecord);
    row("loan record empty", loaned, "", R::CannotOpenLoanRecord);
    row("a folder for the loan record", loaned, "<folder>", R::CannotOpenLoanRecord);
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
    row("a folder for the loan list", list, "<folder>", R::LoanListMissing, three);
    row("loan list a link out of the folder", list, "<link>", R::LoanListMissing, three);
    row("loan list of garbage", list, QByteArray("\x01\xFF\rDune (1965)\n\x00\x7F", 17),
        R::Returned, four);
}

void TestLending::returnOutcomes() {
    QFETCH(QString, damaged);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, profileId);
    QFETCH(ReturnOutcome, outcome);
    QFETCH(QStringList, changed);
    const QString title = "Dune (1965)", name = "Dune _1965_";
    TestFolders lib;
    lib.makeAll();
    const Folders f = lib.folders();
    TestFolders::put(f.itemPath(name), crlf(lentItem(title, " 2 ")));
    TestFolders::put(f.loanPath(name), crlf(loan(title, kCreated)));
    TestFolders::put(f.profilePath(kId), crlf(profile(kId, " 2 ")));
    TestFolders::put(f.loanListPath(kId), crlf({"Emma", title}));
    TestFolders::put(f.profilePath("1234567B"), crlf(profile("1234567B")));
    if (damaged == "stats/Dune _1965_") // the item record says Available: a short loan record
        TestFolders::put(f.loanPath(name), crlf({title, kCreated}));
    if (!damaged.isEmpty())
        TestFolders::make(lib.root() + '/' + damaged, bytes);
    const Files before = lib.snapshot();

    const ReturnResult result = returnItem(f, name, profileId, kToday);
    QCOMPARE(result.outcome, outcome);
    // With no loan record to read, the file name is all there is to name it by.
    QCOMPARE(result.title, outcome == ReturnOutcome::CannotOpenLoanRecord ? name : title);
    changed.sort();
    QCOMPARE(TestFolders::changed(before, lib.snapshot()), changed);
    if (outcome == ReturnOutcome::Repaired)
        QCOMPARE(TestFolders::bytesOrNull(f.loanPath(name)), crlf(loan(title)));
}

QTEST_GUILESS_MAIN(TestLending)
#include "tst_lending.moc"
