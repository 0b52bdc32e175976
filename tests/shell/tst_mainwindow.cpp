#include "support/MainWindowHarness.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QPointer>
#include <QSignalSpy>

using namespace quillory;
using namespace quillory::test;

namespace {
const QString kScreenTooSmall = "Quillory! QD is optimized for screen resolutions of\r800 x 600. "
                                "Please set screen resolution to 800x600!\r This program will now "
                                "terminate. Sorry!";
QString deleted(const QString& what) {
    return QString("The %1 folder was deleted!\rQuillory! has created a new %1 folder.").arg(what);
}
QString cannotCreate(const QString& what) {
    return QString("Error creating %1 directory!\rPlease contact administrator.").arg(what);
}
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A screen of both sides at least 800 x 600 (exactly that size is shown maximised); folders
    // made again where they went, and stored only once made.
    void startUp_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QStringList>("messages");
        const QSize big(1024, 768);
        QTest::newRow("folders there") << "folders" << big << QStringList{};
        QTest::newRow("800x600") << "folders" << QSize(800, 600) << QStringList{};
        for (const QSize small : {QSize(799, 600), QSize(800, 768), QSize(1024, 600)})
            QTest::addRow("%dx%d", small.width(), small.height())
                << "folders" << small << QStringList{kScreenTooSmall};
        // Stored elsewhere, then gone: made again where they were, never overwritten.
        QTest::newRow("all three deleted")
            << "stored, deleted" << big
            << QStringList{deleted("Item Statistics"), deleted("Profiles"),
                           deleted("Loaned Items")};
        QTest::newRow("cannot be made")
            << "no parent" << big
            << QStringList{cannotCreate("Profiles"), cannotCreate("Item Statistics"),
                           cannotCreate("Loaned Items")};
    }
    void startUp() {
        QFETCH(QString, before);
        QFETCH(QSize, screen);
        QFETCH(QStringList, messages);
        MainWindowHarness h(0);
        h.fake.screen.size = screen;
        const bool stored = before == "stored, deleted";
        const Folders f = stored ? TestFolders::foldersIn(h.dir.root() + "/gone") : h.folders();
        if (before == "folders") {
            h.dir.makeAll();
            // Temporaries of killed writes, now and from older runs: gone after the start.
            for (const char* name : {"Dune", ".quillory-tmp-1", "Dune.QxTbWe"})
                h.writeStats(name, {"Dune"});
        } else if (stored) {
            QDir().mkpath(h.dir.root() + "/gone");
            for (const char* key : {"profiles", "stats", "loaned"})
                h.fake.settings->setValue(key, h.dir.root() + "/gone/" + key + "/");
        } else if (before == "no parent") {
            h.fake.app.folder = h.dir.root() + "/missing/program";
        }
        for (int i = 0; i < messages.size(); ++i)
            h.messages().answerOk();
        const bool refused = messages == QStringList{kScreenTooSmall};
        QCOMPARE(h.start(), !refused);
        QCOMPARE(h.messages().texts(), messages);
        if (refused || before == "no parent") {
            QCOMPARE(h.messages().shown.first().title, refused ? kAppTitle : "Error Create");
            QVERIFY2(h.fake.settings->value("stats").isEmpty(), "nothing stored");
            return;
        }
        QCOMPARE(child<FolderList>("filStats")->count(), before == "folders" ? 1 : 0);
        QCOMPARE(QDir(f.stats).entryList(QDir::Files | QDir::Hidden).size(),
                 child<FolderList>("filStats")->count()); // no temporary left beside
        QCOMPARE(bool(h.window->windowState() & Qt::WindowMaximized), screen == QSize(800, 600));
        h.window->show(); // the focus on a list draws no row as picked
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        QVERIFY2(!child<FolderList>("filStats")->currentIndex().isValid(), "nothing selected");
        QCOMPARE(h.window->folders().stats, f.stats);
        QCOMPARE(h.fake.settings->value("stats"), f.stats);
        for (const QString& path : {f.profiles, f.stats, f.loaned})
            QVERIFY2(QDir(path).exists(), qPrintable(path));
    }

    void listsFollowTheFolders() {
        MainWindowHarness h;
        h.writeStats("Dune", {"Dune"});
        h.writeLoaned("Dune", {"Dune"});
        h.writeLoaned("Emma", {"Emma"}); // more on loan than titles: a count below 0
        auto* stats = child<FolderList>("filStats");
        h.window->RefreshStatistics();
        QCOMPARE(text("staPanelStats"),
                 "1 Total Titles     2 Loaned Titles     -1 Available for Loan");
        // Changes from outside reach the list a row at a time, the selection staying on its name.
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
        // A folder replaced whole is read again whole; the selection stays on its name.
        const QString folder = h.folders().stats;
        QVERIFY(QDir().rename(folder, h.dir.root() + "/old") && QDir().mkpath(folder));
        h.writeStats("Dune", {"Dune"});
        h.window->RefreshStatistics();
        QCOMPARE(stats->names(), QStringList{"Dune"});
        QCOMPARE(stats->selectedFileName(), QString("Dune"));
        QCOMPARE(resets.size(), 1);
        // A folder that vanished lists as empty; only start-up makes folders again.
        QVERIFY(QDir(folder).removeRecursively());
        h.window->RefreshStatistics();
        QCOMPARE(stats->count(), 0);
        QVERIFY(!QDir(folder).exists());
    }

    // Each window by its menu item: the main window disabled while one that disables it is
    // open, even minimised; the controls Tab visits in turn; closed by its button, Escape, Enter
    // (its default button) or the frame.
    void menuOpensItsWindow_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("order"); // from the first control Tab visits, when checked
        for (const char* row :
             {"mnuFile_NewItem frmNewItemDetail frame txtItemTitle txtItemLanguage txtItemPrice "
              "txtItemSerialNum txtItemPublisher cmdSave cmdClose",
              "mnuFile_NewProfile frmNewProfile frame cmdGenerate txtName txtHome txtCell cmdOK "
              "cmdCancel",
              "mnuEdit_EditProfile frmEditProfile frame txtName txtHome txtCell cmdOK cmdCancel",
              "mnuFile_Preferences frmPreferences frame txtLoaned cmdBrowse1 txtProfiles "
              "cmdBrowse2 "
              "txtStats cmdBrowse3 cmdDefault cmdOK cmdCancel cmdApply",
              "mnuEdit_EditItemDetails frmEditItemDetail frame txtItemLanguage txtItemPrice "
              "txtItemSerialNum txtItemPublisher cmdSaveEdit cmdClose",
              "mnuPop_EditItem frmEditItemDetail frame", "mnuEdit_BorrowItem frmBorrow frame",
              "mnuPop_BorrowItem frmBorrow frame", "mnuEdit_ItemList frmItemList frame",
              "mnuHelp_VersionHistory frmVersionHistory cmdClose",
              "mnuHelp_MemoryInfo frmMemory cmdCloseMem", "mnuHelp_About frmAbout cmdOK"}) {
            const QStringList r = QString(row).split(' ');
            const QStringList ways =
                r[2] == "frame" ? QStringList{} : QStringList{"Escape", "Enter", "frame"};
            for (const QString& how : ways + QStringList{r[2]})
                QTest::addRow("%s, %s", qPrintable(r[0]), qPrintable(how))
                    << r[0] << r[1] << how << r.mid(3).join(' ');
        }
    }
    void menuOpensItsWindow() {
        QFETCH(QString, action);
        QFETCH(QString, window);
        QFETCH(QString, how);
        QFETCH(QString, order);
        const bool disablesMain =
            QStringList{"frmPreferences", "frmVersionHistory", "frmMemory", "frmAbout"}.contains(
                window);
        MainWindowHarness h;
        TestFolders::writeBytes(h.dir.programFolder() + "/VersionHistory.txt", "notes\r\n");
        h.writeStats("Dune", rec::item("Dune"));
        h.writeProfile("1234567A", rec::profile("1234567A", "1"));
        h.writeProfile("1234567A.lst", {"Emma"});
        h.writeProfile("7654321B", rec::profile("7654321B"));
        h.window->RefreshStatistics();
        child<FolderList>("filStats")->selectName("Dune");
        child<FolderList>("filProfiles")
            ->selectName(action.contains("Profile") ? "7654321B" : "1234567A");
        h.window->itemChanged();
        h.window->profileChanged();
        trigger(action);
        QPointer<QWidget> opened = h.window->openWindow(window);
        QVERIFY2(opened && opened->isVisible(), qPrintable(window));
        QCOMPARE(h.window->isEnabled(), !disablesMain);
        QStringList visited;
        QWidget* const first = order.isEmpty() ? nullptr : child(order.section(' ', 0, 0), opened);
        for (QWidget* w = first; w && visited.size() < 50; w = w->nextInFocusChain()) {
            if (w->focusPolicy() & Qt::TabFocus && w->window() == opened)
                visited << w->objectName();
            if (w->nextInFocusChain() == first)
                break;
        }
        QCOMPARE(visited.join(' '), order);
        opened->showMinimized();
        QCoreApplication::processEvents();
        QCOMPARE(h.window->isEnabled(), !disablesMain);
        opened->showNormal();
        auto* timer = findControl<QTimer>("Timer1", opened);
        if (how.startsWith("cmd"))
            click(how, opened);
        else if (how == "frame")
            opened->close();
        else
            QTest::keyClick(opened, how == "Escape" ? Qt::Key_Escape : Qt::Key_Return);
        QVERIFY2(!timer || !timer->isActive(), "the refresh stops with the window");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY2(!opened || !opened->isVisible(), "the window is closed");
        QVERIFY(h.window->isEnabled());
    }

    void statusBar_data() {
        QTest::addColumn<QLocale>("region");
        QTest::addColumn<QString>("clock");
        QTest::newRow("United States")
            << QLocale(QLocale::English, QLocale::UnitedStates) << "9:05 PM";
        QTest::newRow("Germany") << QLocale(QLocale::German, QLocale::Germany) << "21:05";
    }
    void statusBar() {
        QFETCH(QLocale, region);
        QFETCH(QString, clock);
        MainWindowHarness h(MainWindowHarness::MakeFolders);
        h.fake.app.date = "Thursday, December 03, 2026";
        h.fake.app.region = region;
        h.fake.app.time = QTime(21, 5);
        h.fake.locks.lockState = LockState{true, false};
        QVERIFY(h.start());
        tick("tmrClock");
        QCOMPARE(text("staPanelDate"), h.fake.app.date);
        QCOMPARE(text("staPanelClock"), clock);
        QCOMPARE(text("staPanelNum") + "|" + text("staPanelCaps"), QString("NUM|"));
        h.fake.locks.lockState = LockState{false, true};
        tick("tmrClock");
        QCOMPARE(text("staPanelNum") + "|" + text("staPanelCaps"), QString("|CAPS"));
    }

    void shutdown_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("yes");
        QTest::newRow("File Exit, Yes") << "mnuFile_Exit" << true;
        QTest::newRow("File Exit, No") << "mnuFile_Exit" << false;
        QTest::newRow("close control, Yes") << "close" << true;
        // A window that disabled the main window is open: the main window cannot be closed.
        QTest::newRow("close control while disabled") << "disabled" << false;
    }
    void shutdown() {
        QFETCH(QString, how);
        QFETCH(bool, yes);
        QStringList closed; // before h: the windows report into it while h is torn down
        MainWindowHarness h(MainWindowHarness::Default | MainWindowHarness::Show);
        auto open = [&](const QString& key) {
            return h.window->showWindow(key, [&] {
                auto* w = new QWidget(h.window.get(), Qt::Window);
                connect(w, &QObject::destroyed, [&closed, key] { closed << key; });
                return w;
            });
        };
        QWidget* first = open("first");
        QWidget* second = open("second");
        if (how == "disabled")
            h.window->disableMainFor(second);
        else
            h.messages().answer(yes ? MsgAnswer::Yes : MsgAnswer::No);
        if (how == "mnuFile_Exit")
            trigger(how);
        else
            h.window->close();
        QCOMPARE(h.messages().texts().join(""), how == "disabled" ? "" : "End current session?");
        if (yes) {
            QTRY_COMPARE(closed, (QStringList{"second", "first"}));
            QVERIFY(!h.window->isVisible());
        } else {
            QVERIFY(h.window->isVisible() && first->isVisible() && second->isVisible());
            QVERIFY(closed.isEmpty());
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
