#include "borrowers/BorrowerPanel.h"
#include "items/ItemPanel.h"
#include "lending/BorrowDialog.h"
#include "lending/ItemListWindow.h"
#include "lending/Lending.h"
#include "lending/LendingActions.h"
#include "lending/ReturnPanel.h"
#include "support/MainWindowHarness.h"
#include "widgets/FolderList.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace quillory;
using namespace quillory::test;

namespace {

const QString kCreated = QStringLiteral("Monday, May 04, 2026");
const QString kLoanDate = QStringLiteral("Friday, November 20, 2026");
const QString kTitle = QStringLiteral("Gone with the Wind (2nd ed.)");
const QString kName = QStringLiteral("Gone with the Wind _2nd ed__");

QStringList available(const QString& title) {
    return {title, kCreated, "Available", "English", "$12.50", "SN-1", "Pan"};
}
QStringList profile(const QString& id, const QString& count) {
    return {id, "Ann Lee", "555 0101", "-", count};
}

// Started and shown over two items, two borrowers and, when `lent`, the first item on loan to
// 4821937Q, who then has `count` items out.
std::unique_ptr<MainWindowHarness> library(bool lent, const QString& count = "0") {
    auto h = std::make_unique<MainWindowHarness>(MainWindowHarness::MakeFolders);
    h->writeStats(kName, lent
                             ? QStringList{kTitle, kCreated, "ON LOAN", "English", "$12.50", "SN-1",
                                           "Pan", "4821937Q", "Ann Lee", "555 0101", "-", count}
                             : available(kTitle));
    h->writeStats("Emma", available("Emma"));
    h->writeProfile("4821937Q", profile("4821937Q", count));
    h->writeProfile("1234567B", profile("1234567B", "0"));
    if (lent) {
        h->writeLoaned(kName, {kTitle, kLoanDate, "$12.50", "4821937Q", "Ann Lee"});
        h->writeProfile("4821937Q.lst", {"Emma", kTitle});
    }
    h->start();
    h->window->show();
    if (!QTest::qWaitForWindowExposed(h->window.get()))
        qWarning("main window not exposed");
    return h;
}

QRect rowRect(FolderList* list, const QString& name) {
    const int row = int(list->names().indexOf(name));
    return row < 0 ? QRect() : list->visualRect(list->model()->index(row, 0));
}
void pick(FolderList* list, const QString& name) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowRect(list, name).center());
    QCOMPARE(list->selectedFileName(), name);
}
// A double-click as the system delivers it: press, release, then the double-click press.
void pickTwice(FolderList* list, const QString& name) {
    pick(list, name);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rowRect(list, name).center());
}

QString totals(const MainWindowHarness& h) {
    return h.find<QLabel>("staPanelStats")->text();
}

} // namespace

class TestLendingWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roadOfOneLoan();
    void secondBorrowCommandKeepsDialog();
    void borrowRefusals_data();
    void borrowRefusals();
    void returnPanel_data();
    void returnPanel();
    void borrowerDetailsAndItemList();
};

void TestLendingWindows::roadOfOneLoan() {
    auto h = library(false);
    ItemPanel& items = h->window->itemPanel();
    BorrowerPanel& borrowers = h->window->borrowerPanel();
    ReturnPanel& returns = h->window->returnPanel();
    pick(borrowers.filProfiles, "4821937Q");
    pick(items.filStats, kName);
    QCOMPARE(totals(*h), "2 Total Titles     0 Loaned Titles     2 Available for Loan");

    h->window->menus().mnuPop_BorrowItem->trigger();
    QPointer<BorrowDialog> dialog = h->find<BorrowDialog>("frmBorrow");
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), "Borrow");
    QCOMPARE(dialog->lblItemTitle->text(), kTitle);
    // The instruction's last line, with its arrow, ends beside Borrow.
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    const QRect step(dialog->lblStep->mapTo(dialog, QPoint()), dialog->lblStep->size());
    const QRect borrow(dialog->cmdBorrow->mapTo(dialog, QPoint()), dialog->cmdBorrow->size());
    QVERIFY(borrow.left() > step.right());
    QVERIFY(qAbs(step.bottom() - borrow.bottom()) < borrow.height());
    QCOMPARE(dialog->filBorrow->names(), (QStringList{"1234567B", "4821937Q"}));
    QVERIFY(h->window->isEnabled());
    pick(dialog->filBorrow, "4821937Q");
    h->messages().answerOk();
    dialog->cmdBorrow->click();

    QCOMPARE(h->messages().shown.size(), 1);
    const Message loaned = h->messages().shown.last();
    QCOMPARE(loaned.text, "Item " + kName + " successfully loaned out.");
    QCOMPARE(loaned.title, "Loaned");
    QCOMPARE(loaned.icon, MsgIcon::Information);
    QTRY_VERIFY(!dialog);
    QCOMPARE(items.lblItemStatus->text(), "ON LOAN");
    QCOMPARE(borrowers.lblProfileTotalLoan->text(), " 1 ");
    QCOMPARE(returns.filLoaned->names(), QStringList{kName});
    QCOMPARE(totals(*h), "2 Total Titles     1 Loaned Titles     1 Available for Loan");

    // Edit > Return Item asks for the title first, then for the borrower.
    const MainMenus& menus = h->window->menus();
    h->messages().answerOk();
    menus.mnuEdit_ReturnBook->trigger();
    QCOMPARE(h->messages().lastText(),
             "Please select a Title and a Profile ID in Return Item on the right.");
    QCOMPARE(h->messages().shown.last().icon, MsgIcon::Exclamation);
    pick(returns.filLoaned, kName);
    menus.mnuEdit_ReturnBook->trigger();
    QCOMPARE(returns.lblNote->text(), "Please select a Profile ID from the list on the right.");

    pick(returns.filProfilesReturn, "4821937Q");
    h->messages().answerOk();
    pickTwice(returns.filLoaned, kName);
    QCOMPARE(h->messages().shown.size(), 3);
    QCOMPARE(h->messages().lastText(), "The item " + kTitle + " was successfully returned.");
    QVERIFY(!QApplication::overrideCursor()); // the busy pointer is gone
    QCOMPARE(h->messages().shown.last().title, kAppTitle);
    // The click before the double-click showed the loan date of the session.
    QCOMPARE(returns.lblNote->text(), "Item is ON LOAN since " + h->fake.app.date);
    QCOMPARE(items.lblItemStatus->text(), "Available");
    QCOMPARE(borrowers.lblProfileTotalLoan->text(), " 0 ");
    QCOMPARE(returns.filLoaned->count(), 0);
    QCOMPARE(totals(*h), "2 Total Titles     0 Loaned Titles     2 Available for Loan");
    QCOMPARE(TestFolders::readBytes(h->folders().loanListPath("4821937Q")), QByteArray("\r\n"));
    QCOMPARE(TestFolders::readBytes(h->folders().itemPath(kName)),
             TestFolders::crlf(available(kTitle)));
}

void TestLendingWindows::secondBorrowCommandKeepsDialog() {
    auto h = library(false);
    ItemPanel& items = h->window->itemPanel();
    pick(items.filStats, kName);
    h->window->menus().mnuEdit_BorrowItem->trigger();
    auto* dialog = h->find<BorrowDialog>("frmBorrow");
    pick(items.filStats, "Emma");
    h->window->menus().mnuPop_BorrowItem->trigger();
    QCOMPARE(h->find<BorrowDialog>("frmBorrow"), dialog);
    QCOMPARE(dialog->lblItemTitle->text(), kTitle); // taken once, when it opened
    pick(dialog->filBorrow, "1234567B");
    h->messages().answerOk();
    dialog->cmdBorrow->click();
    QCOMPARE(h->messages().lastText(), "Item Emma successfully loaned out.");
    QCOMPARE(TestFolders::readBytes(h->folders().itemPath(kName)),
             TestFolders::crlf(available(kTitle)));
}

void TestLendingWindows::borrowRefusals_data() {
    QTest::addColumn<QString>("count");
    QTest::addColumn<bool>("chooseBorrower");
    QTest::addColumn<QString>("title"); // of the message; empty: none
    QTest::addColumn<bool>("staysOpen");

    QTest::newRow("no borrower chosen") << "0" << false << "" << true;
    QTest::newRow("20 on loan") << " 20 " << true << "Loan Limit" << true;
    QTest::newRow("count not a number") << "x" << true << "Error" << false;
}

void TestLendingWindows::borrowRefusals() {
    QFETCH(QString, count);
    QFETCH(bool, chooseBorrower);
    QFETCH(QString, title);
    QFETCH(bool, staysOpen);
    auto h = library(false, count);
    pick(h->window->itemPanel().filStats, kName);
    h->window->menus().mnuPop_BorrowItem->trigger();
    QPointer<BorrowDialog> dialog = h->find<BorrowDialog>("frmBorrow");
    if (chooseBorrower)
        pick(dialog->filBorrow, "4821937Q");
    const auto before = h->dir.snapshot();
    if (!title.isEmpty())
        h->messages().answerOk();
    dialog->cmdBorrow->click();

    QCOMPARE(h->messages().shown.size(), title.isEmpty() ? 0 : 1);
    if (title == "Loan Limit")
        QCOMPARE(h->messages().lastText(), "Quillory! QD was designed to limit users from "
                                           "borrowing out more than 20 items! Sorry.");
    if (title == "Error")
        QCOMPARE(h->messages().lastText(),
                 "The Profile ID is either corrupted or accidentally "
                 "deleted!\rPlease create a new Profile ID for the borrower.");
    if (!title.isEmpty())
        QCOMPARE(h->messages().shown.last().icon, MsgIcon::Critical);
    QCOMPARE(dialog->lblNote->text(), chooseBorrower ? "" : "Please select a Profile ID.");
    QTRY_COMPARE(bool(dialog), staysOpen);
    QCOMPARE(h->dir.snapshot(), before); // refused before any write
}

void TestLendingWindows::returnPanel_data() {
    QTest::addColumn<QByteArray>("loanRecord");
    QTest::addColumn<QString>("selectedBorrower");
    QTest::addColumn<bool>("listPresent");
    QTest::addColumn<QStringList>("messages"); // texts expected, in order
    QTest::addColumn<QString>("note");
    QTest::addColumn<bool>("returned");

    const QByteArray full = TestFolders::crlf({kTitle, kLoanDate, "$12.50", "4821937Q", "Ann Lee"});
    const QString done = "The item " + kTitle + " was successfully returned.";
    const QString cannotOpen =
        "Quillory! QD cannot open the item! Please click on Item Data first to select item.";
    QTest::newRow("returned") << full << "4821937Q" << true << QStringList{done}
                              << "Item is ON LOAN since " + kLoanDate << true;
    QTest::newRow("no borrower") << full << "" << true << QStringList{}
                                 << "Please select a Profile ID from the list on the right."
                                 << false;
    QTest::newRow("wrong borrower") << full << "1234567B" << true << QStringList{}
                                    << "Incorrect Profile ID for loaned item!" << false;
    QTest::newRow("no loan list")
        << full << "4821937Q" << false << QStringList{}
        << "Return all items borrowed by borrower to utilise the item list." << true;
    QTest::newRow("short record repaired by the click, returned by the double-click")
        << TestFolders::crlf({kTitle}) << "4821937Q" << true << QStringList{done}
        << "Item is ON LOAN since Saturday, December 05, 2026" << true;
    QTest::newRow("empty record") << QByteArray("") << "4821937Q" << true
                                  << QStringList{cannotOpen,
                                                 "Quillory! QD cannot open the loan record of " +
                                                     kName + "! Nothing was returned."}
                                  << "" << false;
}

void TestLendingWindows::returnPanel() {
    QFETCH(QByteArray, loanRecord);
    QFETCH(QString, selectedBorrower);
    QFETCH(bool, listPresent);
    QFETCH(QStringList, messages);
    QFETCH(QString, note);
    QFETCH(bool, returned);
    auto h = library(true, " 2 ");
    ReturnPanel& returns = h->window->returnPanel();
    TestFolders::writeBytes(h->folders().loanPath(kName), loanRecord);
    if (!listPresent)
        QFile::remove(h->folders().loanListPath("4821937Q"));
    if (!selectedBorrower.isEmpty())
        pick(returns.filProfilesReturn, selectedBorrower);
    for (int i = 0; i < messages.size(); ++i)
        h->messages().answerOk();
    pickTwice(returns.filLoaned, kName);

    QCOMPARE(h->messages().texts(), messages);
    if (returned && listPresent)
        QCOMPARE(h->messages().shown.last().title, kAppTitle);
    if (!returned || !listPresent)
        QCOMPARE(returns.lblNote->text(), note);
    QCOMPARE(QFileInfo::exists(h->folders().loanPath(kName)), !returned);
    // Without a loan list the main window's lists are not refreshed: the title stays listed.
    QCOMPARE(returns.filLoaned->count(), returned && listPresent ? 0 : 1);
    QCOMPARE(TestFolders::readBytes(h->folders().profilePath("4821937Q")),
             TestFolders::crlf(profile("4821937Q", returned ? " 1 " : " 2 ")));
}

void TestLendingWindows::borrowerDetailsAndItemList() {
    auto h = library(true, " 3 ");
    ItemPanel& items = h->window->itemPanel();
    pick(items.filStats, "Emma");
    h->messages().answerOk();
    lending::showBorrowerDetails(*h->window);
    QCOMPARE(h->messages().lastText(), "Borrower Details not available for the item named:\rEmma");

    pick(items.filStats, kName);
    h->messages().answerOk();
    items.cmdBorrowerDetails->click();
    QCOMPARE(h->messages().lastText(), "The title " + kTitle +
                                           " is borrowed by: \rID:   4821937Q\rName: Ann Lee\r"
                                           "Number:  3 ");
    h->writeStats(kName, {kTitle, kCreated, "ON LOAN"}); // lost its borrower block
    h->messages().answerOk();
    items.cmdBorrowerDetails->click();
    QCOMPARE(h->messages().shown.last().title, "Error");
    QFile::remove(h->folders().itemPath(kName)); // deleted behind the program's back
    items.cmdBorrowerDetails->click();
    QCOMPARE(h->messages().shown.size(), 3);
    QVERIFY(items.lblItemTitle->text().isEmpty() && items.lblItemStatus->text().isEmpty());
    QVERIFY(!items.cmdBorrowerDetails->isVisible() && !items.cmdBorrowerDetails->isEnabled());

    // The item list shows the non-empty lines in lending order; a missing list is named.
    BorrowerPanel& borrowers = h->window->borrowerPanel();
    h->writeProfile("4821937Q.lst", {"", "Emma", "", kTitle, ""});
    pick(borrowers.filProfiles, "4821937Q");
    borrowers.cmdItemList->click();
    auto* list = h->find<ItemListWindow>("frmItemList");
    QVERIFY(list && list->isVisible());
    QCOMPARE(list->windowTitle(), "Item Loan List");
    QCOMPARE(list->lblName->text(), "Ann Lee");
    QCOMPARE(list->List1->count(), 2);
    QCOMPARE(list->List1->item(1)->text(), kTitle);
    list->cmdClose->click();
    QTRY_VERIFY(!h->find<ItemListWindow>("frmItemList"));
    pick(borrowers.filProfiles, "1234567B");
    h->messages().answerOk();
    lending::showItemList(*h->window);
    QCOMPARE(h->messages().lastText(), "Sorry the borrower Ann Lee items list is not available.");
    QCOMPARE(h->messages().shown.last().title, "Item List");
    QCOMPARE(h->find<ItemListWindow>("frmItemList")->List1->count(), 0);
}

QTEST_MAIN(TestLendingWindows)
#include "tst_lendingwindows.moc"
