#include "borrowers/BorrowerPanel.h"
#include "items/ItemPanel.h"
#include "lending/ReturnPanel.h"
#include "support/MainWindowHarness.h"
#include "widgets/FolderList.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace quillory;
using namespace quillory::test;

namespace {
const QString kEndSession = QStringLiteral("End current session?");

QString deletedText(const QString& what) {
    return QStringLiteral("The %1 folder was deleted!\rQuillory! has created a new %1 folder.")
        .arg(what);
}
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstStartCreatesFoldersAndKeys_data();
    void firstStartCreatesFoldersAndKeys();
    void storedPathsAreNeverOverwritten();
    void deletedFoldersComeBackInOrder();
    void folderThatCannotBeCreated();
    void screenSizeRule_data();
    void screenSizeRule();
    void secondCopyIsRefused();
    void totalsCountListedRecordsOnly();
    void refreshFollowsTheFolders();
    void captionsAndControls();
    void menusHaveExactCaptionsAndNames();
    void statusBarPanels();
    void shutdownAsksAndClosesMostRecentFirst_data();
    void shutdownAsksAndClosesMostRecentFirst();
    void windowsDisablingTheMainWindow();
};

void TestMainWindow::firstStartCreatesFoldersAndKeys_data() {
    QTest::addColumn<bool>("foldersPresent");
    QTest::newRow("no folders beside the program") << false;
    QTest::newRow("folders already there") << true;
}

void TestMainWindow::firstStartCreatesFoldersAndKeys() {
    QFETCH(bool, foldersPresent);
    MainWindowHarness h(foldersPresent ? MainWindowHarness::MakeFolders : 0);
    if (foldersPresent)
        h.writeStats("Dune", {"Dune", "d", "Available", "English", "$1", "N.A.", "N.A."});
    QVERIFY(h.start());
    QVERIFY2(h.messages().shown.isEmpty(), qPrintable(h.messages().texts().join(" | ")));
    const Folders f = h.folders();
    for (const QString& path : {f.profiles, f.stats, f.loaned})
        QVERIFY2(QDir(path).exists(), qPrintable(path));
    const QByteArray ini = TestFolders::readBytes(h.fake.settingsFile());
    for (const QString key : {"profiles", "stats", "loaned"})
        QVERIFY2(ini.contains(("\n" + key + "=" + h.dir.root() + "/" + key + "/\n").toUtf8()),
                 ini.constData());
    QCOMPARE(h.window->folders().stats, f.stats);
    QCOMPARE(h.find<FolderList>("filStats")->names(),
             foldersPresent ? QStringList{"Dune"} : QStringList{});
}

void TestMainWindow::storedPathsAreNeverOverwritten() {
    MainWindowHarness h(MainWindowHarness::MakeFolders);
    QTemporaryDir other;
    const QString elsewhere = other.path() + "/gone/";
    // Written in another letter case: the keys meet whatever their case.
    h.fake.settings->setValue("Stats", elsewhere);
    h.messages().answerOk();
    QVERIFY(h.start());
    QCOMPARE(h.messages().texts(), QStringList{deletedText("Item Statistics")});
    QCOMPARE(h.fake.settings->value("stats"), elsewhere);
    QVERIFY2(QDir(elsewhere).exists(), "the stored folder is made again at start-up");
    QCOMPARE(h.window->folders().stats, elsewhere);
}

void TestMainWindow::deletedFoldersComeBackInOrder() {
    MainWindowHarness h(MainWindowHarness::MakeFolders);
    h.fake.settings->setValue("profiles", h.folders().profiles);
    h.fake.settings->setValue("stats", h.folders().stats);
    h.fake.settings->setValue("loaned", h.folders().loaned);
    h.writeStats("Dune", {"Dune"});
    QVERIFY(QDir(h.folders().loaned).removeRecursively());
    QVERIFY(QDir(h.folders().stats).removeRecursively());
    QVERIFY(QDir(h.folders().profiles).removeRecursively());
    h.messages().answerOk().answerOk().answerOk();
    QVERIFY(h.start());
    QCOMPARE(h.messages().texts(),
             (QStringList{deletedText("Item Statistics"), deletedText("Profiles"),
                          deletedText("Loaned Items")}));
    for (const Message& m : h.messages().shown) {
        QCOMPARE(m.title, kAppTitle);
        QCOMPARE(m.icon, MsgIcon::Information);
        QCOMPARE(m.buttons, MsgButtons::Ok);
    }
    for (const QString& path : {h.folders().profiles, h.folders().stats, h.folders().loaned})
        QVERIFY(QDir(path).isEmpty());
    QCOMPARE(h.find<FolderList>("filStats")->count(), 0);
    QCOMPARE(h.find<QLabel>("staPanelStats")->text(),
             QString("0 Total Titles     0 Loaned Titles     0 Available for Loan"));
}

void TestMainWindow::folderThatCannotBeCreated() {
    // The program's folder is a file path whose parent does not exist: nothing can be made there.
    MainWindowHarness h(0);
    h.fake.app.folder = h.dir.root() + "/missing/program";
    h.messages().answerOk().answerOk().answerOk();
    QVERIFY(h.start());
    QCOMPARE(
        h.messages().texts(),
        (QStringList{"Error creating Profiles directory!\rPlease contact administrator.",
                     "Error creating Item Statistics directory!\rPlease contact administrator.",
                     "Error creating Loaned Items directory!\rPlease contact administrator."}));
    for (const Message& m : h.messages().shown) {
        QCOMPARE(m.title, QString("Error Create"));
        QCOMPARE(m.icon, MsgIcon::Exclamation);
    }
    QVERIFY2(h.fake.settings->value("stats").isEmpty(), "a failed folder is not stored");
    QCOMPARE(h.find<QLabel>("staPanelStats")->text(),
             QString("0 Total Titles     0 Loaned Titles     0 Available for Loan"));
}

void TestMainWindow::screenSizeRule_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("800x600") << QSize(800, 600) << "maximized";
    QTest::newRow("1024x768") << QSize(1024, 768) << "normal";
    QTest::newRow("1280x1024") << QSize(1280, 1024) << "normal";
    QTest::newRow("640x480") << QSize(640, 480) << "refused";
    QTest::newRow("800x768") << QSize(800, 768) << "refused";
    QTest::newRow("1024x600") << QSize(1024, 600) << "refused";
    QTest::newRow("1280x600") << QSize(1280, 600) << "refused";
    QTest::newRow("800x1024") << QSize(800, 1024) << "refused";
}

void TestMainWindow::screenSizeRule() {
    QFETCH(QSize, screen);
    QFETCH(QString, outcome);
    MainWindowHarness h(MainWindowHarness::MakeFolders);
    h.fake.screen.size = screen;
    if (outcome == "refused") {
        h.messages().answerOk();
        QVERIFY(!h.start());
        QCOMPARE(h.messages().shown.size(), 1);
        const Message m = h.messages().shown.first();
        QCOMPARE(m.text, QString("Quillory! QD is optimized for screen resolutions of\r"
                                 "800 x 600. Please set screen resolution to 800x600!\r"
                                 " This program will now terminate. Sorry!"));
        QCOMPARE(m.icon, MsgIcon::Exclamation);
        QCOMPARE(m.title, kAppTitle);
        QVERIFY2(h.fake.settings->value("stats").isEmpty(),
                 "nothing is written before the refusal");
        QVERIFY(!QDir(h.folders().stats + "x").exists());
        return;
    }
    QVERIFY(h.start());
    if (outcome == "maximized") {
        QVERIFY(h.window->windowState() & Qt::WindowMaximized);
    } else {
        QVERIFY(!(h.window->windowState() & Qt::WindowMaximized));
        QCOMPARE(h.window->size(), QSize(800, 595));
    }
}

void TestMainWindow::secondCopyIsRefused() {
    MainWindowHarness first;
    MainWindowHarness second(MainWindowHarness::MakeFolders);
    // Both copies share one lock, as two processes of one user would.
    second.fake.instance = std::make_unique<LockFileInstanceGuard>(first.fake.lockFile());
    Platform platform{second.fake.messages,     *second.fake.settings, *second.fake.instance,
                      second.fake.screen,       second.fake.locks,     second.fake.app,
                      second.fake.folderPicker, second.fake.memory,    second.fake.osVersion,
                      second.fake.help};
    MainWindow copy(platform);
    second.messages().answerOk();
    QVERIFY(!copy.start());
    QCOMPARE(second.messages().texts(), QStringList{"This program is already running."});
    QCOMPARE(second.messages().shown.first().icon, MsgIcon::Information);
    QVERIFY2(second.fake.settings->value("stats").isEmpty(), "the refused copy set nothing up");
    QVERIFY(first.messages().shown.isEmpty());
}

void TestMainWindow::totalsCountListedRecordsOnly() {
    MainWindowHarness h(MainWindowHarness::MakeFolders);
    for (const char* name : {"Dune", "Emma", "Ivanhoe", "Kim", "Persuasion"})
        h.writeStats(name, {name});
    h.writeStats("notes.txt", {"not an item"});
    h.writeStats(".hidden", {"not an item"});
    for (const char* name : {"Emma", "Kim", "Lost", "Other"})
        h.writeLoaned(name, {name});
    h.writeLoaned("readme.txt", {"x"});
    h.writeProfile("4821937Q", {"4821937Q"});
    h.writeProfile("4821937Q.lst", {"Emma"});
    QVERIFY(h.start());
    QCOMPARE(h.find<QLabel>("staPanelStats")->text(),
             QString("5 Total Titles     4 Loaned Titles     1 Available for Loan"));
    h.writeLoaned("More", {"More"});
    h.writeLoaned("Most", {"Most"});
    h.window->RefreshStatistics();
    QCOMPARE(h.find<QLabel>("staPanelStats")->text(),
             QString("5 Total Titles     6 Loaned Titles     -1 Available for Loan"));
    QCOMPARE(h.find<FolderList>("filProfiles")->names(), QStringList{"4821937Q"});
    QCOMPARE(h.find<FolderList>("filProfilesReturn")->names(), QStringList{"4821937Q"});
}

void TestMainWindow::refreshFollowsTheFolders() {
    MainWindowHarness h;
    h.writeStats("Dune", {"Dune"});
    h.writeProfile("1234567A", {"1234567A"});
    FolderList* stats = h.find<FolderList>("filStats");
    QCOMPARE(stats->count(), 0);
    h.window->RefreshStatistics();
    QCOMPARE(stats->names(), QStringList{"Dune"});
    QCOMPARE(h.find<FolderList>("filProfilesReturn")->names(), QStringList{"1234567A"});
    // Changes from outside reach the lists one row at a time, the selection staying on its
    // name; nothing is read again in full.
    QAbstractItemModelTester tester(stats->model());
    QSignalSpy resets(stats->model(), &QAbstractItemModel::modelReset);
    QVERIFY(stats->selectName("Dune"));
    h.writeStats("alpha", {"alpha"});
    h.writeStats("Zeta", {"Zeta"});
    h.window->RefreshStatistics();
    QCOMPARE(stats->names(), (QStringList{"alpha", "Dune", "Zeta"}));
    QVERIFY(QFile::remove(h.folders().stats + "alpha"));
    h.window->RefreshStatistics();
    QCOMPARE(stats->names(), (QStringList{"Dune", "Zeta"}));
    QCOMPARE(stats->selectedFileName(), QString("Dune"));
    QCOMPARE(resets.size(), 0);
    // A folder that vanished while the program runs lists as empty and counts 0.
    QVERIFY(QDir(h.folders().stats).removeRecursively());
    h.window->RefreshStatistics();
    QCOMPARE(stats->count(), 0);
    QVERIFY2(!QDir(h.folders().stats).exists(), "only start-up makes folders again");
    // Other folders: the lists and totals follow at once.
    TestFolders other;
    other.makeAll();
    TestFolders::writeBytes(other.folders().stats + "A", "A\r\n");
    TestFolders::writeBytes(other.folders().stats + "B", "B\r\n");
    h.window->setFolders(other.folders());
    h.window->RefreshStatistics();
    QCOMPARE(stats->names(), (QStringList{"A", "B"}));
    QCOMPARE(h.find<QLabel>("staPanelStats")->text(),
             QString("2 Total Titles     0 Loaned Titles     2 Available for Loan"));
}

void TestMainWindow::captionsAndControls() {
    MainWindowHarness h;
    QCOMPARE(h.window->windowTitle(), QString("Quillory! QD"));
    const QList<QPair<const char*, const char*>> labels{
        {"lblSearch", "Search for item named:"},
        {"lblData", "Item Data"},
        {"lblTitle", "Item:"},
        {"lblDate", "Date Created:"},
        {"lblStatus", "Status:"},
        {"lblLanguage", "Language:"},
        {"lblPrice", "Price:"},
        {"lblSerialNumber", "Serial Number:"},
        {"lblPublisher", "Publisher:"},
        {"lblReturn",
         "Select a Profile ID on the right and double-click on the title to return on the left."},
        {"lblNote", ""},
        {"lblGuide", "Click at a Profile ID on the left to view borrower details."},
        {"lblItemTitle", ""},
        {"lblItemStatus", ""}};
    for (const auto& [name, text] : labels) {
        auto* label = h.find<QLabel>(name);
        QVERIFY2(label, name);
        QCOMPARE(label->text(), QString(text));
    }
    const QList<QPair<const char*, const char*>> buttons{{"cmdNewItem", "New Item"},
                                                         {"cmdEditItem", "Edit Item"},
                                                         {"cmdDeleteItem", "Remove Item"},
                                                         {"cmdBorrowerDetails", "Borrower Details"},
                                                         {"cmdNewProfile", "New Profile"},
                                                         {"cmdEditProfile", "Edit Profile"},
                                                         {"cmdDeleteProfile", "Remove Profile"},
                                                         {"cmdItemList", "Item List"}};
    for (const auto& [name, text] : buttons) {
        auto* button = h.find<QPushButton>(name);
        QVERIFY2(button, name);
        QCOMPARE(button->text(), QString(text));
        QVERIFY2(button->isEnabled(), name);
    }
    QVERIFY2(h.find<QPushButton>("cmdBorrowerDetails")->isHidden(), "hidden at start");
    QCOMPARE(h.find<QGroupBox>("fmeItemDetails")->title(), QString("Item Details"));
    QCOMPARE(h.find<QGroupBox>("fmeReturnItem")->title(), QString("Return Item"));
    QCOMPARE(h.find<QGroupBox>("fmeProfiles")->title(), QString("Profiles"));
    for (const char* list : {"filStats", "filLoaned", "filProfiles", "filProfilesReturn"})
        QVERIFY2(h.find<FolderList>(list), list);
    QVERIFY(h.find<QTimer>("tmrBlink")->isActive());
    QCOMPARE(h.find<QTimer>("tmrBlink")->interval(), 500);
}

void TestMainWindow::menusHaveExactCaptionsAndNames() {
    MainWindowHarness h;
    const QStringList expected{
        "mnuFile|&File",
        "mnuFile_NewItem|New &Item",
        "mnuFile_NewProfile|New &Profile",
        "mnuHelpBar1|-",
        "mnuFile_Preferences|Preferences",
        "mnuHelpBar7|-",
        "mnuFile_Exit|E&xit",
        "mnuEdit|&Edit",
        "mnuEdit_EditItemDetails|Edit Item &Detail",
        "mnuEdit_EditProfile|&Edit Profile",
        "mnuHelpBar2|-",
        "mnuEdit_RemoveItem|Remove &Item",
        "mnuEdit_RemoveProfile|Remove &Profile",
        "mnuHelpBar3|-",
        "mnuEdit_BorrowItem|&Borrow Item",
        "mnuEdit_ReturnBook|&Return Item",
        "mnuHelpbar4|-",
        "mnuEdit_ItemList|Item List",
        "mnuEdit_BorrowerDetails|Borrower Details",
        "mnuHelp|&Help",
        "mnuHelp_TomewardHelp|Quillory! QD &Help",
        "mnuHelp_VersionHistory|&Version History",
        "mnuHelpbar5|-",
        "mnuHelp_MemoryInfo|&Memory Information",
        "mnuHelp_About|&About",
    };
    QStringList actual;
    for (QAction* top : h.window->menuBar()->actions()) {
        actual << top->menu()->objectName() + "|" + top->text();
        for (QAction* a : top->menu()->actions()) {
            actual << a->objectName() + "|" + (a->isSeparator() ? QString("-") : a->text());
            QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));
            QVERIFY2(a->shortcut().isEmpty(), "no menu item has a shortcut key");
        }
    }
    QCOMPARE(actual, expected);

    auto* popup = h.find<QMenu>("mnuPopUp");
    QVERIFY(popup);
    QStringList pop;
    for (QAction* a : popup->actions())
        pop << a->objectName() + "|" + (a->isSeparator() ? QString("-") : a->text());
    QCOMPARE(pop, (QStringList{"mnuPop_BorrowItem|&Borrow Item", "mnuPop_EditItem|&Edit Item",
                               "mnuPop_RemoveItem|&Remove Item", "mnuHelpBar6|-",
                               "mnuPop_BorrowerDetails|Borrower &Details"}));
    for (QAction* top : h.window->menuBar()->actions())
        QVERIFY2(top->menu() != popup, "the pop-up menu is never in the menu bar");
}

void TestMainWindow::statusBarPanels() {
    MainWindowHarness h(MainWindowHarness::MakeFolders);
    h.fake.app.date = QStringLiteral("Thursday, December 03, 2026");
    h.fake.locks.lockState = LockState{true, false};
    QVERIFY(h.start());
    QCOMPARE(h.find<QLabel>("staPanelStats")->text(),
             QString("0 Total Titles     0 Loaned Titles     0 Available for Loan"));
    QCOMPARE(h.find<QLabel>("staPanelDate")->text(), QString("Thursday, December 03, 2026"));
    QCOMPARE(h.window->sessionDate(), QString("Thursday, December 03, 2026"));
    QTRY_COMPARE(h.find<QLabel>("staPanelNum")->text(), QString("NUM"));
    QCOMPARE(h.find<QLabel>("staPanelCaps")->text(), QString());
    h.fake.locks.lockState = LockState{false, true};
    QTRY_COMPARE(h.find<QLabel>("staPanelCaps")->text(), QString("CAPS"));
    QCOMPARE(h.find<QLabel>("staPanelNum")->text(), QString());
    QLabel* clock = h.find<QLabel>("staPanelClock");
    QVERIFY(!clock->text().isEmpty());
    clock->clear();
    QTRY_VERIFY2(!clock->text().isEmpty(), "the clock keeps ticking");
    QCOMPARE(h.window->helpFile(), h.dir.programFolder() + "/QYHelp3.chm");
}

void TestMainWindow::shutdownAsksAndClosesMostRecentFirst_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("yes");
    QTest::newRow("File Exit, Yes") << "exit" << true;
    QTest::newRow("File Exit, No") << "exit" << false;
    QTest::newRow("close control, Yes") << "close" << true;
    QTest::newRow("close control, No") << "close" << false;
    // A window that disabled the main window is open: the main window cannot be closed.
    QTest::newRow("close control while disabled") << "disabled" << false;
}

void TestMainWindow::shutdownAsksAndClosesMostRecentFirst() {
    QFETCH(QString, how);
    QFETCH(bool, yes);
    QStringList closed; // before h: the windows report into it while h is torn down
    MainWindowHarness h(MainWindowHarness::Default | MainWindowHarness::Show);
    auto open = [&](const QString& key) {
        return h.window->showWindow(key, [&] {
            auto* w = new QWidget(h.window.get(), Qt::Window);
            w->setObjectName(key);
            connect(w, &QObject::destroyed, [&closed, key] { closed << key; });
            return w;
        });
    };
    QWidget* first = open("first");
    QWidget* second = open("second");
    QCOMPARE(open("first"), first);
    QVERIFY(second->isVisible());
    if (how == "disabled") {
        h.window->disableMainFor(second);
        h.window->close();
        QVERIFY(h.messages().shown.isEmpty());
        QVERIFY(h.window->isVisible());
        QVERIFY(closed.isEmpty());
        return;
    }
    h.messages().answer(yes ? MsgAnswer::Yes : MsgAnswer::No);
    if (how == "exit")
        h.window->menus().mnuFile_Exit->trigger();
    else
        h.window->close();
    QCOMPARE(h.messages().shown.size(), 1);
    const Message question = h.messages().shown.first();
    QCOMPARE(question.text, QString("End current session?"));
    QCOMPARE(question.title, QString("Quillory!"));
    QCOMPARE(question.icon, MsgIcon::Information);
    QCOMPARE(question.buttons, MsgButtons::YesNo);
    if (yes) {
        QTRY_COMPARE(closed, (QStringList{"second", "first"}));
        QVERIFY(!h.window->isVisible());
    } else {
        QVERIFY(h.window->isVisible());
        QVERIFY(first->isVisible());
        QVERIFY(second->isVisible());
        QVERIFY(closed.isEmpty());
    }
}

void TestMainWindow::windowsDisablingTheMainWindow() {
    MainWindowHarness h(MainWindowHarness::Default | MainWindowHarness::Show);
    QWidget* info =
        h.window->showWindow("info", [&] { return new QWidget(h.window.get(), Qt::Window); });
    h.window->disableMainFor(info);
    QVERIFY(!h.window->isEnabled());
    QVERIFY2(info->isEnabled(), "the window that disables the main window stays usable");
    h.window->setMainEnabled(true);
    QVERIFY(h.window->isEnabled());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
