#include "records/FileNames.h"
#include "support/MainWindowHarness.h"

#include <QListWidget>
#include <QPointer>

using namespace quillory;
using namespace quillory::test;

static const QString kTitle = "Gone with the Wind (2nd ed.)";
static const QString kName = "Gone with the Wind _2nd ed__";

class TestLendingWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lendAndReturn();
    void damagedFiles_data();
    void damagedFiles();
};

// Ann, at the loan limit, is refused; the dialog, brought forward for another item, lends that
// one to Bea, whose details and item list then show it; then its return, refused twice and made.
void TestLendingWindows::lendAndReturn() {
    MainWindowHarness h(MainWindowHarness::Default | MainWindowHarness::Show);
    h.writeStats(kName, rec::item(kTitle));
    h.writeStats("Emma", rec::item("Emma"));
    h.writeProfile(rec::kId, rec::profile(rec::kId, " 20 "));
    h.writeProfile("1234567B", rec::profile("1234567B", "0", "Bea"));
    h.writeProfile("1234567B.lst", {"Emma", ""});
    h.window->RefreshStatistics();
    auto borrowBy = [&](const char* how) {
        trigger(how);
        return h.window->openWindow("frmBorrow");
    };
    pick("filProfiles", "1234567B");
    pick("filStats", "Emma");
    QPointer<QWidget> d = borrowBy("mnuEdit_BorrowItem");
    QVERIFY(d && QTest::qWaitForWindowExposed(d));
    QCOMPARE(d->windowTitle() + "|" + text("lblItemTitle", d), QString("Borrow|Emma"));
    // The instruction's last line, with its arrow, ends beside Borrow.
    const QRect step(child("lblStep", d)->mapTo(d, QPoint()), child("lblStep", d)->size());
    const QRect borrow(child("cmdBorrow", d)->mapTo(d, QPoint()), child("cmdBorrow", d)->size());
    QVERIFY(borrow.left() > step.right() &&
            qAbs(step.bottom() - borrow.bottom()) < borrow.height());
    QVERIFY(h.window->isEnabled());
    QCOMPARE(child<FolderList>("filBorrow", d)->names(), (QStringList{"1234567B", "4821937Q"}));
    click("cmdBorrow", d);
    QCOMPARE(text("lblNote", d), QString("Please select a Profile ID."));
    pick("filBorrow", "4821937Q", Qt::LeftButton, d);
    h.messages().answerOk();
    click("cmdBorrow", d);
    QCOMPARE(h.messages().shown.value(0).title, QString("Loan Limit"));
    QVERIFY(d->isVisible());
    // A second command brings it forward with the new item, the title as it was.
    pick("filStats", kName);
    QCOMPARE(borrowBy("mnuPop_BorrowItem"), d);
    QCOMPARE(text("lblItemTitle", d), QString("Emma"));
    pick("filBorrow", "1234567B", Qt::LeftButton, d);
    h.messages().answerOk();
    click("cmdBorrow", d);
    QCOMPARE(h.messages().lastText(), "Item " + kName + " successfully loaned out.");
    QTRY_VERIFY(!d);
    QCOMPARE(text("lblItemStatus") + "|" + text("lblProfileTotalLoan"), QString("ON LOAN| 1 "));
    QCOMPARE(child<FolderList>("filLoaned")->names(), QStringList{kName});
    QCOMPARE(text("staPanelStats"), "2 Total Titles     1 Loaned Titles     1 Available for Loan");
    h.messages().answerOk();
    click("cmdBorrowerDetails");
    QCOMPARE(h.messages().lastText(), "The title " + kTitle +
                                          " is borrowed by: \rID:   1234567B\rName: Bea\r"
                                          "Number:  1 ");
    // The item list shows the titles in lending order.
    click("cmdItemList");
    QWidget* list = h.window->openWindow("frmItemList");
    QVERIFY(list && list->isVisible());
    QCOMPARE(list->windowTitle() + "|" + text("lblName", list), QString("Item Loan List|Bea"));
    auto* titles = child<QListWidget>("List1", list);
    QCOMPARE(titles->count(), 2);
    QCOMPARE(titles->item(1)->text(), kTitle);
    click("cmdClose", list);
    // Ann's missing loan list is named.
    pick("filProfiles", "4821937Q");
    h.messages().answerOk();
    trigger("mnuEdit_ItemList");
    QCOMPARE(h.messages().lastText(),
             QString("Sorry the borrower Ann Lee items list is not available."));
    QCOMPARE(child<QListWidget>("List1", h.window->openWindow("frmItemList"))->count(), 0);
    pick("filProfiles", "1234567B");

    // Edit > Return Item asks for the title first, then for the borrower.
    h.messages().answerOk();
    trigger("mnuEdit_ReturnBook");
    QCOMPARE(h.messages().lastText(),
             "Please select a Title and a Profile ID in Return Item on the right.");
    pick("filLoaned", kName);
    trigger("mnuEdit_ReturnBook");
    QCOMPARE(text("lblNote"), "Please select a Profile ID from the list on the right.");
    // Refused, no file changed: another borrower, then a loan record emptied behind its back.
    Files files = h.dir.snapshot();
    pick("filProfilesReturn", "4821937Q");
    pickTwice("filLoaned", kName);
    QCOMPARE(text("lblNote"), QString("Incorrect Profile ID for loaned item!"));
    QCOMPARE(h.dir.snapshot(), files);
    const QString loanPath = h.folders().loanPath(kName);
    const QByteArray loanRecord = TestFolders::readBytes(loanPath);
    TestFolders::writeBytes(loanPath, "");
    files = h.dir.snapshot();
    pick("filProfilesReturn", "1234567B");
    h.messages().clear();
    h.messages().answerOk().answerOk();
    pickTwice("filLoaned", kName);
    QCOMPARE(h.messages().texts(),
             QStringList({"Quillory! QD cannot open the item! Please click on Item Data first to "
                          "select item.",
                          "Quillory! QD cannot open the loan record of " + kName +
                              "! Nothing was returned."}));
    QCOMPARE(h.dir.snapshot(), files);
    TestFolders::writeBytes(loanPath, loanRecord);
    h.messages().answerOk();
    pickTwice("filLoaned", kName);
    QCOMPARE(h.messages().lastText(), "The item " + kTitle + " was successfully returned.");
    QVERIFY2(!QApplication::overrideCursor(), "the busy pointer is gone before the message");
    // The click before the double-click showed the loan date: this session's.
    QCOMPARE(text("lblNote"), "Item is ON LOAN since " + h.fake.app.date);
    QCOMPARE(text("lblItemStatus") + "|" + text("lblProfileTotalLoan"), QString("Available| 0 "));
    QCOMPARE(child<FolderList>("filLoaned")->count(), 0);
    QCOMPARE(text("staPanelStats"), "2 Total Titles     0 Loaned Titles     2 Available for Loan");
}

// What the main window does with damaged files and folders: a damaged record is shown as such in
// its panel, a name that is not UTF-8 is still opened, a short loan record is mended on a click,
// a damaged start-up is survived; no other file changes and the program goes on. How each damage
// is read is the record and lending tests' business.
void TestLendingWindows::damagedFiles_data() {
    QTest::addColumn<QString>("where");   // stats, profiles, loaned, settings, folder
    QTest::addColumn<QByteArray>("name"); // as the file system holds it
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expect"); // "damaged", "box", or the text shown
    QTest::addColumn<QStringList>("mayChange");
    auto row = [](const char* name, const char* where, const QByteArray& file,
                  const QByteArray& bytes, const char* expect, const QStringList& changed = {}) {
        QTest::newRow(name) << where << file << bytes << expect << changed;
    };
    row("item lost lines", "stats", "Odyssey", "Odyssey\r\n", "damaged");
    row("item name not UTF-8", "stats", "Ody\xFFssey", TestFolders::crlf(rec::item("Odyssey")),
        "Odyssey");
    row("count not a number", "profiles", "7777777B",
        TestFolders::crlf(rec::profile("7777777B", "three")), "damaged");
    row("loan record of one line", "loaned", "Dune", "Dune\r\n", "Item updated successfully!",
        {"loaned/Dune"});
    row("settings garbage", "settings", "",
        QByteArray("\x01\xFF\r\n[Paths]\r\nStats\x00=\r\n\xFE", 19), "");
    row("a file in place of the loaned-items folder", "folder", "", "x\r\n", "box");
}

void TestLendingWindows::damagedFiles() {
    QFETCH(QString, where);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expect);
    QFETCH(QStringList, mayChange);
    MainWindowHarness h(MainWindowHarness::MakeFolders);
    const Folders f = h.folders();
    // Emma on the shelf, Dune on loan.
    h.writeStats("Emma", rec::item("Emma"));
    h.writeStats("Dune", rec::lentItem("Dune"));
    h.writeLoaned("Dune", rec::loan("Dune"));
    if (where == "settings") {
        TestFolders::writeBytes(h.fake.settingsFile(), bytes);
    } else if (where == "folder") { // the folders were set up by an earlier start
        QVERIFY(QDir(f.loaned).removeRecursively());
        TestFolders::writeBytes(QDir::cleanPath(f.loaned), bytes);
        for (const auto& [key, value] :
             {std::pair{"profiles", f.profiles}, {"stats", f.stats}, {"loaned", f.loaned}})
            h.fake.settings->setValue(key, value);
    } else {
        TestFolders::writeNamed(h.dir.root() + u'/' + where, name, bytes);
    }
    const Files before = h.dir.snapshot();
    if (expect == "box")
        h.messages().answerOk();
    QVERIFY(h.start());
    h.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
    const QString shownName = records::FileNames::decode(name);
    const QMap<QString, std::pair<QString, QString>> panels{
        {"stats", {"filStats", "lblItemTitle"}}, {"profiles", {"filProfiles", "lblProfileName"}}};
    const auto [list, label] = panels.value(where, {"filLoaned", "lblNote"});
    if (!name.isEmpty())
        pick(list, shownName);
    if (expect == "damaged") {
        // In the panel, not in a box: no values, and the file named where the heading was.
        QCOMPARE(text(label), QString());
        const QString problem = text(where == "stats" ? "lblData" : "lblGuide");
        QVERIFY2(problem.contains(shownName.left(3)), qPrintable(problem));
    } else if (!name.isEmpty()) {
        QCOMPARE(text(label), expect);
    }
    QCOMPARE(h.messages().shown.size(), expect == "box" ? 1 : 0);
    QCOMPARE(TestFolders::changed(before, h.dir.snapshot()), mayChange);
    // And the program goes on: another item can be shown.
    h.messages().clear();
    pick("filStats", "Emma");
    QCOMPARE(text("lblItemTitle"), QString("Emma"));
    QVERIFY(h.messages().shown.isEmpty());
}

QTEST_MAIN(TestLendingWindows)
#include "tst_lendingwindows.moc"
