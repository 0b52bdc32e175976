#include "info/AboutWindow.h"
#include "info/HelpWindow.h"
#include "info/MemoryWindow.h"
#include "info/VersionHistoryWindow.h"
#include "support/MainWindowHarness.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>

using namespace quillory;
using namespace quillory::info;
using namespace quillory::test;

namespace {
constexpr quint64 MiB = quint64(1) << 20;
constexpr quint64 GiB = quint64(1) << 30;

MemoryFigures figures(quint64 availPhys) {
    MemoryFigures f;
    f.totalPhys = 512 * MiB;
    f.availPhys = availPhys;
    f.totalPage = 2 * GiB;
    f.availPage = 2 * GiB - 1536;
    f.totalVirtual = 4 * GiB;
    f.availVirtual = 3 * GiB;
    return f;
}

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}
} // namespace

class TestInfoWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void memoryFiguresAndUsage_data();
    void memoryFiguresAndUsage();
    void memoryRefreshesEverySecond();
    void versionHistory_data();
    void versionHistory();
    void help_data();
    void help();
    void aboutCaptionAndGrowth();
    void aboutPausesAt255();
    void everyWayOfClosingEnablesTheMainWindow_data();
    void everyWayOfClosingEnablesTheMainWindow();
};

void TestInfoWindows::initTestCase() {
    QLocale::setDefault(QLocale::c());
}

void TestInfoWindows::memoryFiguresAndUsage_data() {
    QTest::addColumn<QString>("osText");
    QTest::addColumn<QString>("caption");
    QTest::newRow("system named") << "Linux 6.1.0-28-amd64"
                                  << "Memory Information for Linux 6.1.0-28-amd64";
    QTest::newRow("version unknown") << ""
                                     << "Memory Information for ";
}

void TestInfoWindows::memoryFiguresAndUsage() {
    QFETCH(QString, osText);
    QFETCH(QString, caption);
    MainWindowHarness h;
    h.fake.osVersion.version = osText;
    h.fake.memory.figures = figures(1536);
    h.window->menus().mnuHelp_MemoryInfo->trigger();
    auto* w = h.find<MemoryWindow>("frmMemory");
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), caption);
    QVERIFY(!h.window->isEnabled());
    QVERIFY(w->isEnabled());

    QCOMPARE(w->lblTotalPhys->text(), QStringLiteral("Total Physical Memory (RAM): 524288 KB"));
    QCOMPARE(w->lblAvailPhys->text(), QStringLiteral("Free Physical Memory (RAM): 1.5 KB"));
    QCOMPARE(w->lblTotalPage->text(), QStringLiteral("Total Current Paging File: 2097152 KB"));
    QCOMPARE(w->lblAvailPage->text(), QStringLiteral("Free Current Paging File: 2097150.5 KB"));
    QCOMPARE(w->lblTotalVirtual->text(), QStringLiteral("Total Virtual Memory: 4194304 KB"));
    QCOMPARE(w->lblAvailVirtual->text(), QStringLiteral("Free Virtual Memory: 3145728 KB"));
    // Until the first tick, a second after opening.
    QCOMPARE(w->lblPhysUsed->text(), QStringLiteral("Please wait ..."));
    QCOMPARE(w->lblVirtUsed->text(), QStringLiteral("Please wait ..."));
    QCOMPARE(w->Timer1->interval(), 1000);
    QVERIFY(w->Timer1->isActive());

    // Each tick asks the system again; the six figures stay as they were at opening.
    h.fake.memory.figures = figures(128 * MiB);
    w->Timer1_Timer();
    QCOMPARE(w->lblPhysUsed->text(), QStringLiteral("Physical Memory Usage: 75.00%"));
    QCOMPARE(w->lblVirtUsed->text(), QStringLiteral("Virtual Memory Usage: 25.00%"));
    QCOMPARE(double(w->pgbPhysMem->value()) / w->pgbPhysMem->maximum(), 0.75);
    QCOMPARE(double(w->pgbVirtMem->value()) / w->pgbVirtMem->maximum(), 0.25);
    QCOMPARE(w->lblAvailPhys->text(), QStringLiteral("Free Physical Memory (RAM): 1.5 KB"));

    h.fake.memory.figures = figures(256 * MiB);
    w->Timer1_Timer();
    QCOMPARE(w->lblPhysUsed->text(), QStringLiteral("Physical Memory Usage: 50.00%"));

    // A failed query keeps what is shown.
    h.fake.memory.figures.reset();
    w->Timer1_Timer();
    QCOMPARE(w->lblPhysUsed->text(), QStringLiteral("Physical Memory Usage: 50.00%"));
}

void TestInfoWindows::memoryRefreshesEverySecond() {
    MainWindowHarness h;
    h.fake.memory.figures = figures(128 * MiB);
    h.window->menus().mnuHelp_MemoryInfo->trigger();
    auto* w = h.find<MemoryWindow>("frmMemory");
    QVERIFY(w);
    QTest::qWait(600);
    QCOMPARE(w->lblPhysUsed->text(), QStringLiteral("Please wait ..."));
    QTRY_COMPARE_WITH_TIMEOUT(w->lblPhysUsed->text(),
                              QStringLiteral("Physical Memory Usage: 75.00%"), 3000);
}

void TestInfoWindows::versionHistory_data() {
    QTest::addColumn<QByteArray>("bytes"); // "-": no file
    QTest::addColumn<QString>("shown");
    QTest::newRow("missing")
        << QByteArray("-")
        << "The Text File named VersionHistory.txt in this folder was deleted. "
           "Please reinstall Quillory! QD to view Version History.";
    QTest::newRow("present") << QByteArray("Version 3.0\r\n- Preferences\r\n")
                             << "Version 3.0\n- Preferences\n";
    QTest::newRow("markup shown as it stands")
        << QByteArray("<h1>Notes</h1>\r\n") << "<h1>Notes</h1>\n";
}

void TestInfoWindows::versionHistory() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    MainWindowHarness h;
    const QString path = h.dir.programFolder() + "/VersionHistory.txt";
    if (bytes != "-")
        TestFolders::writeBytes(path, bytes);
    else
        h.messages().answerOk();
    const auto before = h.dir.snapshot();

    h.window->menus().mnuHelp_VersionHistory->trigger();
    auto* w = h.find<VersionHistoryWindow>("frmVersionHistory");
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Version History"));
    QCOMPARE(w->RichTextBox1->toPlainText(), shown);
    QVERIFY(w->RichTextBox1->isReadOnly());
    QVERIFY(!h.window->isEnabled());
    if (bytes == "-") {
        QCOMPARE(h.messages().shown.size(), 1);
        const Message& m = h.messages().shown.first();
        QCOMPARE(m.text, "The filenamed VersionHistory.txt was deleted from the folder " +
                             h.dir.programFolder() + ".");
        QCOMPARE(m.title, QStringLiteral("Quillory! QD"));
        QCOMPARE(m.icon, MsgIcon::Information);
    } else {
        QVERIFY(h.messages().shown.isEmpty());
    }
    QCOMPARE(h.dir.snapshot(), before);
}

void TestInfoWindows::help_data() {
    QTest::addColumn<QString>("file"); // "file", "folder" or "" for nothing at the path
    QTest::addColumn<bool>("viewerOpens");
    QTest::addColumn<bool>("missing");
    QTest::addColumn<bool>("ownWindow");
    QTest::newRow("missing") << "" << true << true << false;
    QTest::newRow("a folder of that name") << "folder" << true << true << false;
    QTest::newRow("viewer opens it") << "file" << true << false << false;
    QTest::newRow("no viewer: own window") << "file" << false << false << true;
}

void TestInfoWindows::help() {
    QFETCH(QString, file);
    QFETCH(bool, viewerOpens);
    QFETCH(bool, missing);
    QFETCH(bool, ownWindow);
    MainWindowHarness h;
    const QString path = h.dir.programFolder() + "/QYHelp3.chm";
    QCOMPARE(h.window->helpFile(), path);
    if (file == "file")
        TestFolders::writeBytes(path, "ITSF");
    else if (file == "folder")
        QVERIFY(QDir().mkdir(path));
    h.fake.help.result = viewerOpens;
    if (missing)
        h.messages().answerOk();

    h.window->menus().mnuHelp_TomewardHelp->trigger();

    QVERIFY2(!QApplication::overrideCursor(), "the busy pointer is restored");
    if (missing) {
        QCOMPARE(h.messages().texts(),
                 QStringList{"Helpfile not found! Please ensure helpfile is in the same folder as "
                             "the application."});
        QCOMPARE(h.messages().shown.first().title, QStringLiteral("Quillory! QD"));
        QCOMPARE(h.messages().shown.first().icon, MsgIcon::Exclamation);
        QVERIFY(h.fake.help.opened.isEmpty());
    } else {
        QVERIFY(h.messages().shown.isEmpty());
        QCOMPARE(h.fake.help.opened, QStringList{path});
    }
    auto* own = h.find<HelpWindow>("frmHelp");
    QCOMPARE(own != nullptr, ownWindow);
    QVERIFY2(h.window->isEnabled(), "help leaves the main window usable");
    if (ownWindow) {
        // Opens at the help file's default topic, with the contents beside it.
        QCOMPARE(own->txtTopic->documentTitle(), QStringLiteral("Welcome to Quillory! QD"));
        QVERIFY(own->tvwTopics->topLevelItemCount() > 3);
    }
}

void TestInfoWindows::aboutCaptionAndGrowth() {
    MainWindowHarness h;
    h.fake.screen.size = QSize(1024, 768);
    h.window->menus().mnuHelp_About->trigger();
    auto* w = h.find<AboutWindow>("frmAbout");
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Quillory! QD (Build 1320)"));
    QVERIFY(!h.window->isEnabled());
    QVERIFY(w->isEnabled());

    // It starts as nothing at the centre of the screen and grows about that centre.
    const QPoint centre(512, 384);
    QVERIFY(w->geometry().width() <= 1 && w->geometry().height() <= 1);
    int last = 0;
    int steps = 0;
    while (w->growStep()) {
        ++steps;
        const QRect g = w->geometry();
        const double x = g.x() + g.width() / 2.0;
        const double y = g.y() + g.height() / 2.0;
        // Within the rounding of twips to whole pixels.
        QVERIFY2(qAbs(x - centre.x()) <= 2 && qAbs(y - centre.y()) <= 2,
                 qPrintable(QStringLiteral("step %1 at %2,%3").arg(steps).arg(g.x()).arg(g.y())));
        if (steps < 27) {
            QVERIFY(g.height() > last);
            last = g.height();
        }
    }
    QCOMPARE(steps, 27);
    QCOMPARE(w->frameGeometry().size(), QSize(321, 433)); // 4815 x 6500 twips, frame included
    QVERIFY(!w->growStep());
}

void TestInfoWindows::aboutPausesAt255() {
    MainWindowHarness h;
    h.window->menus().mnuHelp_About->trigger();
    auto* w = h.find<AboutWindow>("frmAbout");
    QVERIFY(w);
    while (w->growStep()) {
    }
    QVERIFY(w->tmrScroll->isActive());
    QCOMPARE(w->creditsTop(), 2055);
    QCOMPARE(w->LbLMsg->y(), w->picContainer->height());
    QVERIFY2(w->LbLMsg->parentWidget() == w->picContainer, "the panel clips the credits");

    // The scroll timer really moves them.
    QTRY_VERIFY_WITH_TIMEOUT(w->creditsTop() < 2055, 2000);
    w->tmrScroll->stop();
    while (w->creditsTop() != 2055) // back to the start of a pass
        w->tmrScroll_Timer();
    w->tmrStartScroll->stop();
    w->tmrScroll->start();

    // The pass itself is the scroller's; here the window's two timers take turns.
    for (int i = 0; i < 179; ++i)
        w->tmrScroll_Timer();
    QCOMPARE(w->creditsTop(), 265);
    QVERIFY(w->tmrScroll->isActive());
    QVERIFY(!w->tmrStartScroll->isActive());

    w->tmrScroll_Timer(); // reaches 255: two seconds' pause
    QCOMPARE(w->creditsTop(), 255);
    QCOMPARE(w->LbLMsg->y(), 17);
    QVERIFY(!w->tmrScroll->isActive());
    QVERIFY(w->tmrStartScroll->isActive());
    QCOMPARE(w->tmrStartScroll->interval(), 2000);

    w->tmrStartScroll_Timer();
    QVERIFY(w->tmrScroll->isActive());
    QVERIFY(!w->tmrStartScroll->isActive());
}

void TestInfoWindows::everyWayOfClosingEnablesTheMainWindow_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("how");
    for (const char* window : {"frmMemory", "frmVersionHistory", "frmAbout"}) {
        for (const char* how : {"button", "Escape", "Enter", "window frame"})
            QTest::addRow("%s, %s", window, how) << window << how;
    }
}

void TestInfoWindows::everyWayOfClosingEnablesTheMainWindow() {
    QFETCH(QString, window);
    QFETCH(QString, how);
    MainWindowHarness h(MainWindowHarness::Default | MainWindowHarness::Show);
    TestFolders::writeBytes(h.dir.programFolder() + "/VersionHistory.txt", "notes\r\n");
    const MainMenus& m = h.window->menus();
    QAction* open = window == "frmMemory"           ? m.mnuHelp_MemoryInfo
                    : window == "frmVersionHistory" ? m.mnuHelp_VersionHistory
                                                    : m.mnuHelp_About;
    open->trigger();
    QPointer<QDialog> w = h.find<QDialog>(window);
    QVERIFY(w);
    QVERIFY(!h.window->isEnabled());
    QTimer* timer = w->findChild<QTimer*>("Timer1");

    if (how == "button") {
        const char* name = window == "frmMemory"  ? "cmdCloseMem"
                           : window == "frmAbout" ? "cmdOK"
                                                  : "cmdClose";
        QPushButton* button = w->findChild<QPushButton*>(name);
        QVERIFY(button);
        button->click();
    } else if (how == "Escape" || how == "Enter") {
        // Enter presses the default button (Close or OK).
        QTest::keyClick(w, how == "Escape" ? Qt::Key_Escape : Qt::Key_Return);
    } else {
        w->close();
    }
    if (timer && w)
        QVERIFY2(!timer->isActive(), "the refresh stops with the window");
    settle();
    QVERIFY2(w.isNull() || !w->isVisible(), "the window is closed");
    QVERIFY(h.window->isEnabled());
}

QTEST_MAIN(TestInfoWindows)
#include "tst_infowindows.moc"
