#include "borrowers/BorrowerPanel.h"
#include "borrowers/EditProfileDialog.h"
#include "borrowers/NewProfileDialog.h"
#include "lending/ReturnPanel.h"
#include "support/MainWindowHarness.h"
#include "widgets/FolderList.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace quillory;
using namespace quillory::test;

namespace {

QStringList profile(const QString& id, const QString& count, const QString& name = "Ann") {
    return {id, name, "555 0101", "-", count};
}

// The main window started and shown over a profiles folder holding these records.
std::unique_ptr<MainWindowHarness> started(const QList<QStringList>& profiles) {
    auto h = std::make_unique<MainWindowHarness>(MainWindowHarness::MakeFolders);
    for (const QStringList& lines : profiles)
        h->writeProfile(lines[0], lines);
    h->start();
    h->window->show();
    if (!QTest::qWaitForWindowExposed(h->window.get()))
        qWarning("main window not exposed");
    return h;
}

// A left click on the entry, as the librarian makes it.
void pick(FolderList* list, const QString& name) {
    const int row = int(list->names().indexOf(name));
    QVERIFY(row >= 0);
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(list->selectedFileName(), name);
}

QColor textColour(const QWidget* w) {
    return w->palette().color(QPalette::WindowText);
}

bool isYellow(const QLineEdit* e) {
    return e->palette().color(QPalette::Base) == QColor(255, 255, 0);
}

} // namespace

class TestBorrowerPanel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void gatesFollowLoanCount_data();
    void gatesFollowLoanCount();
    void damagedRecordShownAsDamaged_data();
    void damagedRecordShownAsDamaged();
    void newProfileSavesAndOffersAnother_data();
    void newProfileSavesAndOffersAnother();
    void newProfileRefusals();
    void editSavesAndShowsAtOnce();
    void editRefusedWhenChangedMeanwhile_data();
    void editRefusedWhenChangedMeanwhile();
    void removal_data();
    void removal();
};

void TestBorrowerPanel::gatesFollowLoanCount_data() {
    QTest::addColumn<QString>("before"); // count of a borrower shown first
    QTest::addColumn<QString>("count");
    QTest::addColumn<bool>("editable");
    QTest::addColumn<bool>("blinking");
    QTest::newRow("0") << ""
                       << "0" << true << false;
    QTest::newRow("0 after a return, from a blinking one") << "6"
                                                           << " 0 " << true << false;
    QTest::newRow("5 from a blinking one") << " 7 "
                                           << "5" << false << false;
    QTest::newRow("6") << "0"
                       << "6" << false << true;
    QTest::newRow("25") << "5"
                        << " 25 " << false << true;
}

void TestBorrowerPanel::gatesFollowLoanCount() {
    QFETCH(QString, before);
    QFETCH(QString, count);
    QFETCH(bool, editable);
    QFETCH(bool, blinking);
    auto h = started({profile("1000000A", before), profile("2000000B", count, " Bea ")});
    BorrowerPanel& panel = h->window->borrowerPanel();
    const MainMenus& m = h->window->menus();
    if (!before.isEmpty())
        pick(panel.filProfiles, "1000000A");
    pick(panel.filProfiles, "2000000B");

    QCOMPARE(panel.lblProfileName->text(), " Bea ");
    QCOMPARE(panel.lblProfileCellPager->text(), "-");
    QCOMPARE(panel.lblProfileTotalLoan->text(), count); // blanks as read
    QVERIFY(panel.cmdNewProfile->isEnabled());
    for (QObject* gated : QList<QObject*>{panel.cmdEditProfile, panel.cmdDeleteProfile,
                                          m.mnuEdit_EditProfile, m.mnuEdit_RemoveProfile})
        QCOMPARE(gated->property("enabled").toBool(), editable);
    QCOMPARE(panel.cmdItemList->isVisible(), !editable);
    QCOMPARE(m.mnuEdit_ItemList->isEnabled(), !editable);
    QCOMPARE(panel.tmrBlinkItem->isActive(), blinking);
    const BlinkColours& colours = h->window->blinkColours();
    if (!blinking) {
        QCOMPARE(textColour(panel.lblProfileTotalLoan), QColor(Qt::black));
        return;
    }
    // The first step hides the count; the timer then shows it red.
    QCOMPARE(panel.tmrBlinkItem->interval(), 500);
    QCOMPARE(panel.blinkPhase(), 1);
    QCOMPARE(textColour(panel.lblProfileTotalLoan), colours.back[1]);
    QTRY_COMPARE_WITH_TIMEOUT(textColour(panel.lblProfileTotalLoan), QColor(255, 0, 0), 1500);
}

void TestBorrowerPanel::damagedRecordShownAsDamaged_data() {
    QTest::addColumn<QByteArray>("bytes"); // empty: removed after the list was read
    QTest::addColumn<QString>("count");    // shown; empty when nothing could be read
    QTest::addColumn<QString>("problem");
    QTest::newRow("gone") << QByteArray() << ""
                          << "missing";
    QTest::newRow("lost lines") << QByteArray("2000000B\r\nBea\r\n1\r\n-\r\n") << ""
                                << "lost lines";
    QTest::newRow("count not a number") << QByteArray("2000000B\r\nBea\r\n1\r\n-\r\nfive\r\n") << ""
                                        << "number";
    QTest::newRow("count below 0") << QByteArray("2000000B\r\nBea\r\n1\r\n-\r\n-1 \r\n") << "-1 "
                                   << "\"-1 \", which is not a number of items";
}

void TestBorrowerPanel::damagedRecordShownAsDamaged() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, count);
    QFETCH(QString, problem);
    auto h = started({profile("1000000A", "7"), profile("2000000B", "0")});
    BorrowerPanel& panel = h->window->borrowerPanel();
    const MainMenus& m = h->window->menus();
    pick(panel.filProfiles, "1000000A");
    const QString path = h->folders().profilePath("2000000B");
    if (bytes.isEmpty())
        QFile::remove(path);
    else
        TestFolders::writeBytes(path, bytes);
    const auto files = h->dir.snapshot();

    pick(panel.filProfiles, "2000000B"); // no box: the panel says what is wrong
    QVERIFY(h->messages().shown.isEmpty());
    QVERIFY2(panel.lblGuide->text().contains("2000000B") &&
                 panel.lblGuide->text().contains(problem),
             qPrintable(panel.lblGuide->text()));
    QCOMPARE(panel.lblProfileName->text(), count.isEmpty() ? "" : "Bea");
    QCOMPARE(panel.lblProfileTotalLoan->text(), count);
    for (QObject* gated :
         QList<QObject*>{panel.cmdEditProfile, panel.cmdDeleteProfile, m.mnuEdit_EditProfile,
                         m.mnuEdit_RemoveProfile, m.mnuEdit_ItemList})
        QVERIFY(!gated->property("enabled").toBool());
    QVERIFY(panel.cmdItemList->isHidden());
    QVERIFY(!panel.tmrBlinkItem->isActive());
    QCOMPARE(h->dir.snapshot(), files);
    pick(panel.filProfiles, "1000000A");
    QCOMPARE(panel.lblGuide->text(), "Click at a Profile ID on the left to view borrower details.");
}

void TestBorrowerPanel::newProfileSavesAndOffersAnother_data() {
    QTest::addColumn<bool>("another");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void TestBorrowerPanel::newProfileSavesAndOffersAnother() {
    QFETCH(bool, another);
    auto h = started({profile("1000000A", "0")});
    BorrowerPanel& panel = h->window->borrowerPanel();
    pick(panel.filProfiles, "1000000A");
    h->window->menus().mnuFile_NewProfile->trigger();
    auto* dialog = h->find<NewProfileDialog>("frmNewProfile");
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), "New Profile");
    QVERIFY(h->window->isEnabled());

    dialog->cmdGenerate->click();
    const QString id = dialog->lblProfile->text();
    dialog->txtName->setText(" Zoë "); // keyClicks types ASCII only
    QTest::keyClicks(dialog->txtHome, "555 0303");
    QTest::keyClicks(dialog->txtCell, "-");
    h->messages().answer(another ? MsgAnswer::Yes : MsgAnswer::No);
    dialog->cmdOK->click();

    const Message& asked = h->messages().shown.value(0);
    QCOMPARE(asked.text, "The user  Zoë  was created with Profile ID number: " + id +
                             "\rCreate another new user?");
    QCOMPARE(asked.buttons, MsgButtons::YesNo);
    QCOMPARE(TestFolders::readBytes(h->folders().profilePath(id)),
             QByteArray(" Zo\xEB \r\n555 0303\r\n-\r\n0\r\n").prepend(id.toLatin1() + "\r\n"));
    QVERIFY(panel.filProfiles->names().contains(id));
    QVERIFY(h->window->returnPanel().filProfilesReturn->names().contains(id));
    QCOMPARE(panel.filProfiles->selectedFileName(), "1000000A"); // the one on show stays
    QCOMPARE(panel.lblProfileName->text(), "Ann");
    QCOMPARE(dialog->isVisible(), another);
    if (another) {
        for (const QString& text : {dialog->lblProfile->text(), dialog->txtName->text(),
                                    dialog->txtHome->text(), dialog->txtCell->text()})
            QVERIFY(text.isEmpty());
    }
}

void TestBorrowerPanel::newProfileRefusals() {
    auto h = started({});
    BorrowerPanel& panel = h->window->borrowerPanel();
    panel.cmdNewProfile->click();
    auto* dialog = h->find<NewProfileDialog>("frmNewProfile");
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    ScriptedMessages& messages = h->messages();

    QTest::keyClicks(dialog->txtName, "Ann");
    messages.answerOk();
    dialog->cmdOK->click(); // before Generate ID, whatever the fields hold
    QCOMPARE(messages.lastText(),
             "Please click on Generate ID to create a new Profile ID for new user.");
    QVERIFY(dialog->isVisible());

    dialog->cmdGenerate->click();
    const QString first = dialog->lblProfile->text();
    messages.answerOk();
    dialog->cmdOK->click(); // home and cell empty: only home is reported
    QCOMPARE(messages.lastText(), "Home number field is empty!    ");
    QVERIFY(isYellow(dialog->txtHome));
    QCOMPARE(dialog->focusWidget(), dialog->txtHome);
    QTest::keyClicks(dialog->txtHome, "1");
    QVERIFY(!isYellow(dialog->txtHome));
    QTest::keyClicks(dialog->txtCell, "-");

    // The ID is taken by a borrower filed under other letter case.
    TestFolders::writeBytes(h->folders().profilePath(first.toLower()), "taken\r\n");
    const auto taken = h->dir.snapshot();
    messages.answerOk();
    dialog->cmdOK->click();
    QVERIFY(messages.lastText().startsWith("Profile ID is similar to a current user.\r"));
    QCOMPARE(h->dir.snapshot(), taken);
    QCOMPARE(dialog->lblProfile->text(), first);
    QCOMPARE(messages.shown.size(), 3);

    dialog->cmdGenerate->click();
    QVERIFY(dialog->lblProfile->text() != first);
    messages.answer(MsgAnswer::No);
    dialog->cmdOK->click();
    QVERIFY(QFile::exists(h->folders().profilePath(dialog->lblProfile->text())));
    QVERIFY(!dialog->isVisible());
}

void TestBorrowerPanel::editSavesAndShowsAtOnce() {
    auto h = started({profile("1000000A", " 0 "), profile("2000000B", "0", "Bea")});
    BorrowerPanel& panel = h->window->borrowerPanel();
    panel.cmdEditProfile->click(); // nothing selected: nothing opens
    QVERIFY(!h->find<EditProfileDialog>("frmEditProfile"));

    pick(panel.filProfiles, "1000000A");
    panel.cmdEditProfile->click();
    auto* dialog = h->find<EditProfileDialog>("frmEditProfile");
    QVERIFY(dialog && QTest::qWaitForWindowActive(dialog));
    QCOMPARE(dialog->windowTitle(), "Edit Profile ID 1000000A");
    QCOMPARE(dialog->lblProfileID->text(), "1000000A");
    QTRY_COMPARE(dialog->txtName->selectedText(), "Ann");

    // Another borrower picked meanwhile does not change what the open dialog edits.
    pick(panel.filProfiles, "2000000B");
    panel.cmdEditProfile->click();
    QCOMPARE(h->find<EditProfileDialog>("frmEditProfile"), dialog);
    QCOMPARE(dialog->txtName->text(), "Ann");

    dialog->txtHome->clear();
    h->messages().answerOk();
    dialog->cmdOK->click();
    QCOMPARE(h->messages().lastText(), "Home number field is empty!    ");
    QVERIFY(isYellow(dialog->txtHome));
    QTest::keyClicks(dialog->txtHome, "555 0202");
    QTest::mouseClick(dialog->txtCell, Qt::LeftButton);
    QTRY_COMPARE(dialog->txtCell->selectedText(), "-"); // clicking in selects the whole text
    dialog->txtName->setText(" Ann B ");

    pick(panel.filProfiles, "1000000A");
    h->messages().answerOk();
    dialog->cmdOK->click();
    QCOMPARE(h->messages().lastText(), "The Profile ID 1000000A new changes are saved.");
    QCOMPARE(TestFolders::readBytes(h->folders().profilePath("1000000A")),
             TestFolders::crlf({"1000000A", " Ann B ", "555 0202", "-", "0"}));
    QVERIFY(!dialog->isVisible());
    QCOMPARE(panel.lblProfileName->text(), " Ann B ");
    // Opened again before the closed one is deleted: a new dialog, reading the file afresh.
    panel.cmdEditProfile->click();
    auto* again = qobject_cast<EditProfileDialog*>(h->window->openWindow("frmEditProfile"));
    QVERIFY(again && again != dialog && again->isVisible());
    QCOMPARE(again->txtHome->text(), "555 0202");
}

void TestBorrowerPanel::editRefusedWhenChangedMeanwhile_data() {
    QTest::addColumn<QString>("count"); // empty: removed
    QTest::addColumn<QString>("text");
    QTest::newRow("lent meanwhile") << " 1 "
                                    << "has items on loan";
    QTest::newRow("removed meanwhile") << ""
                                       << "could not be found";
    QTest::newRow("count below 0 meanwhile")
        << "-1 "
        << "has the loan count \"-1 \", which is not a number of items on loan";
}

void TestBorrowerPanel::editRefusedWhenChangedMeanwhile() {
    QFETCH(QString, count);
    QFETCH(QString, text);
    auto h = started({profile("1000000A", "0")});
    BorrowerPanel& panel = h->window->borrowerPanel();
    pick(panel.filProfiles, "1000000A");
    panel.cmdEditProfile->click();
    auto* dialog = h->find<EditProfileDialog>("frmEditProfile");
    QVERIFY(dialog);
    if (count.isEmpty())
        QFile::remove(h->folders().profilePath("1000000A"));
    else
        h->writeProfile("1000000A", profile("1000000A", count));
    const auto files = h->dir.snapshot();

    QTest::keyClicks(dialog->txtName, "x");
    h->messages().answerOk();
    dialog->cmdOK->click();
    QCOMPARE(h->messages().shown.size(), 1);
    QVERIFY(h->messages().lastText().contains("1000000A"));
    QVERIFY2(h->messages().lastText().contains(text), qPrintable(h->messages().lastText()));
    QCOMPARE(h->dir.snapshot(), files);
    QVERIFY(!dialog->isVisible());
    if (!count.isEmpty()) // the panel caught up with the record
        QVERIFY(!panel.cmdEditProfile->isEnabled());
}

void TestBorrowerPanel::removal_data() {
    QTest::addColumn<QString>("how");
    for (const char* how : {"nothing selected", "missing", "no", "yes"})
        QTest::newRow(how) << how;
}

void TestBorrowerPanel::removal() {
    QFETCH(QString, how);
    auto h = started({profile("1000000A", "0"), profile("2000000B", "0")});
    BorrowerPanel& panel = h->window->borrowerPanel();
    const QString loanList = h->folders().loanListPath("1000000A");
    TestFolders::writeBytes(loanList, "");
    if (how != "nothing selected")
        pick(panel.filProfiles, "1000000A");
    if (how == "missing")
        QFile::remove(h->folders().profilePath("1000000A"));
    const auto files = h->dir.snapshot();
    ScriptedMessages& messages = h->messages();
    if (how == "missing" || how == "no")
        messages.answer(how == "no" ? MsgAnswer::No : MsgAnswer::Ok);
    if (how == "yes")
        messages.answer(MsgAnswer::Yes).answerOk();

    h->window->menus().mnuEdit_RemoveProfile->trigger();

    if (how == "missing") {
        QCOMPARE(messages.shown.value(0).title, "Missing Profile");
        QCOMPARE(messages.lastText(),
                 "The Profile ID 1000000A information file could not be found!");
    }
    if (how == "no")
        QCOMPARE(messages.lastText(), "Remove Profile ID: 1000000A?");
    if (how != "yes") {
        QCOMPARE(h->dir.snapshot(), files);
        QCOMPARE(panel.lblProfileName->text(), how == "nothing selected" ? "" : "Ann");
        return;
    }
    QCOMPARE(messages.texts(), QStringList({"Remove Profile ID: 1000000A?",
                                            "The Profile ID: 1000000A was successfully removed."}));
    QVERIFY(!QFile::exists(h->folders().profilePath("1000000A")));
    QVERIFY(QFile::exists(loanList));
    QCOMPARE(panel.filProfiles->names(), QStringList{"2000000B"});
    QCOMPARE(h->window->returnPanel().filProfilesReturn->names(), QStringList{"2000000B"});
    QVERIFY(panel.filProfiles->selectedFileName().isEmpty());
    for (QLabel* l : {panel.lblProfileName, panel.lblProfileHome, panel.lblProfileCellPager,
                      panel.lblProfileTotalLoan})
        QVERIFY(l->text().isEmpty());
}

QTEST_MAIN(TestBorrowerPanel)
#include "tst_borrowerpanel.moc"
