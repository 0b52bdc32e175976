#include "records/FileNames.h"
#include "support/MainWindowHarness.h"

#include <QListWidget>
#include <QPointer>

using namespace quillory;
using namespace quillory::test;

namespace {

const QString kLoanDate = "Friday, November 20, 2026";
const QString kTitle = "Gone with the Wind (2nd ed.)";
const QString kName = "Gone with the Wind _2nd ed__";

// Started and shown over two items and two borrowers; when `lent`, the first item is on loan to
// 4821937Q, who then has `count` items out.
struct Library {
    explicit Library(bool lent, const QString& count = "0")
        : h(MainWindowHarness::Default | MainWindowHarness::Show) {
        h.writeStats(kName, lent ? rec::lentItem(kTitle, count) : rec::item(kTitle));
        h.writeStats("Emma", rec::item("Emma"));
        h.writeProfile(rec::kId, rec::profile(rec::kId, count));
        h.writeProfile("1234567B", rec::profile("1234567B", "0", "Bea"));
        if (lent) {
            h.writeLoaned(kName, rec::loan(kTitle, kLoanDate));
            h.writeProfile("4821937Q.lst", {"Emma", "", kTitle});
        }
        h.window->RefreshStatistics();
    }
    QWidget* borrow(const char* how) {
        trigger(how);
        return h.window->openWindow("frmBorrow");
    }
    MainWindowHarness h;
};

} // namespace

class TestLendingWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lendAndReturn();
    void borrowerDetailsAndItemList();
    void damagedFiles_data();
    void damagedFiles();
};

// Ann, at the loan limit, is refused; the dialog, brought forward for another item, lends that
// one to Bea; then its return, refused twice and made.
void TestLendingWindows::lendAndReturn() {
    Library l(false, " 20 ");
    pick("filProfiles", "1234567B");
    pick("filStats", "Emma");
    QPointer<QWidget> d = l.borrow("mnuEdit_BorrowItem");
    QVERIFY(d && QTest::qWaitForWindowExposed(d));
    QCOMPARE(d->windowTitle() + "|" + text("lblItemTitle", d), QString("Borrow|Emma"));
    // The instruction's last line, with its arrow, ends beside Borrow.
    const QRect step(child("lblStep", d)->mapTo(d, QPoint()), child("lblStep", d)->size());
    const QRect borrow(child("cmdBorrow", d)->mapTo(d, QPoint()), child("cmdBorrow", d)->size());
    QVERIFY(borrow.left() > step.right() &&
            qAbs(step.bottom() - borrow.bottom()) < borrow.height());
    QVERIFY(l.h.window->isEnabled());
    QCOMPARE(child<FolderList>("filBorrow", d)->names(), (QStringList{"1234567B", "4821937Q"}));
    click("cmdBorrow", d);
    QCOMPARE(text("lblNote", d), QString("Please select a Profile ID."));
    pick("filBorrow", "4821937Q", Qt::LeftButton, d);
    l.h.messages().answerOk();
    click("cmdBorrow", d);
    QCOMPARE(l.h.messages().shown.value(0).title, QString("Loan Limit"));
    QVERIFY(d->isVisible());
    // A second command brings it forward with the new item, the title as it was.
    pick("filStats", kName);
    QCOMPARE(l.borrow("mnuPop_BorrowItem"), d);
    QCOMPARE(text("lblItemTitle", d), QString("Emma"));
    pick("filBorrow", "1234567B", Qt::LeftButton, d);
    l.h.messages().answerOk();
    click("cmdBorrow", d);
    QCOMPARE(l.h.messages().lastText(), "Item " + kName + " successfully loaned out.");
    QTRY_VERIFY(!d);
    QCOMPARE(TestFolders::readBytes(l.h.folders().itemPath("Emma")),
             TestFolders::crlf(rec::item("Emma")));
    QCOMPARE(text("lblItemStatus") + "|" + text("lblProfileTotalLoan"), QString("ON LOAN| 1 "));
    QCOMPARE(child<FolderList>("filLoaned")->names(), QStringList{kName});
    QCOMPARE(text("staPanelStats"), "2 Total Titles     1 Loaned Titles     1 Available for Loan");

    // Edit > Return Item asks for the title first, then for the borrower.
    l.h.messages().answerOk();
    trigger("mnuEdit_ReturnBook");
    QCOMPARE(l.h.messages().lastText(),
             "Please select a Title and a Profile ID in Return Item on the right.");
    pick("filLoaned", kName);
    trigger("mnuEdit_ReturnBook");
    QCOMPARE(text("lblNote"), "Please select a Profile ID from the list on the right.");
    // Refused, no file changed: another borrower, then a loan record emptied behind its back.
    Files files = l.h.dir.snapshot();
    pick("filProfilesReturn", "4821937Q");
    pickTwice("filLoaned", kName);
    QCOMPARE(text("lblNote"), QString("Incorrect Profile ID for loaned item!"));
    QCOMPARE(l.h.dir.snapshot(), files);
    const QString loanPath = l.h.folders().loanPath(kName);
    const QByteArray loanRecord = TestFolders::readBytes(loanPath);
    TestFolders::writeBytes(loanPath, "");
    files = l.h.dir.snapshot();
    pick("filProfilesReturn", "1234567B");
    l.h.messages().clear();
    l.h.messages().answerOk().answerOk();
    pickTwice("filLoaned", kName);
    QCOMPARE(l.h.messages().texts(),
             QStringList({"Quillory! QD cannot open the item! Please click on Item Data first to "
                          "select item.",
                          "Quillory! QD cannot open the loan record of " + kName +
                              "! Nothing was returned."}));
    QCOMPARE(l.h.dir.snapshot(), files);
    TestFolders::writeBytes(loanPath, loanRecord);
    l.h.messages().answerOk();
    pickTwice("filLoaned", kName);
    QCOMPARE(l.h.messages().lastText(), "The item " + kTitle + " was successfully returned.");
    QVERIFY2(!QApplication::overrideCursor(), "the busy pointer is gone before the message");
    // The click before the double-click showed the loan date: this session's.
    QCOMPARE(text("lblNote"), "Item is ON LOAN since " + l.h.fake.app.date);
    QCOMPARE(text("lblItemStatus") + "|" + text("lblProfileTotalLoan"), QString("Available| 0 "));
    QCOMPARE(child<FolderList>("filLoaned")->count(), 0);
    QCOMPARE(text("staPanelStats"), "2 Total Titles     0 Loaned Titles     2 Available for Loan");
}

void TestLendingWindows::borrowerDetailsAndItemList() {
    Library l(true, " 3 ");
    pick("filStats", kName);
    l.h.messages().answerOk();
    click("cmdBorrowerDetails");
    QCOMPARE(l.h.messages().lastText(), "The title " + kTitle +
                                            " is borrowed by: \rID:   4821937Q\rName: Ann Lee\r"
                                            "Number:  3 ");
    QFile::remove(l.h.folders().itemPath(kName)); // deleted behind the program's back
    click("cmdBorrowerDetails");
    QCOMPARE(l.h.messages().shown.size(), 1);
    QVERIFY(text("lblItemTitle").isEmpty() && child("cmdBorrowerDetails")->isHidden());

    // The item list shows the titles in lending order; a missing list is named.
    pick("filProfiles", "4821937Q");
    click("cmdItemList");
    QWidget* list = l.h.window->openWindow("frmItemList");
    QVERIFY(list && list->isVisible());
    QCOMPARE(list->windowTitle() + "|" + text("lblName", list), QString("Item Loan List|Ann Lee"));
    auto* titles = child<QListWidget>("List1", list);
    QCOMPARE(titles->count(), 2);
    QCOMPARE(titles->item(1)->text(), kTitle);
    click("cmdClose", list);
    QFile::remove(l.h.folders().loanListPath("4821937Q"));
    l.h.messages().answerOk();
    trigger("mnuEdit_ItemList");
    QCOMPARE(l.h.messages().lastText(),
             QString("Sorry the borrower Ann Lee items list is not available."));
    QCOMPARE(child<QListWidget>("List1", l.h.window->openWindow("frmItemList"))->count(), 0);
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
    // Emma on the shelf, Dune lent to Ann Lee.
    h.writeStats("Emma", rec::item("Emma"));
    h.writeStats("Dune", rec::lentItem("Dune"));
    h.writeLoaned("Dune", rec::loan("Dune"));
    h.writeProfile(rec::kId, rec::profile(rec::kId, " 1 "));
    TestFolders::writeBytes(f.loanListPath(rec::kId), "Dune\r\n");
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
