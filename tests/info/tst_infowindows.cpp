#include "support/MainWindowHarness.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QTextBrowser>
#include <QTreeWidget>

using namespace quillory;
using namespace quillory::test;

namespace {
MemoryFigures figures(quint64 availPhys) {
    constexpr quint64 MiB = quint64(1) << 20;
    return MemoryFigures{512 * MiB,         availPhys,  2048 * MiB,
                         2048 * MiB - 1536, 4096 * MiB, 3072 * MiB};
}
} // namespace

class TestInfoWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void memory();
    void versionHistory_data();
    void versionHistory();
    void help_data();
    void help();
    void about();
    void closingEnablesTheMainWindow_data();
    void closingEnablesTheMainWindow();
};

void TestInfoWindows::memory() {
    QLocale::setDefault(QLocale::c());
    MainWindowHarness h;
    h.fake.osVersion.version = "Linux 6.1.0-28-amd64";
    h.fake.memory.figures = figures(1536);
    trigger("mnuHelp_MemoryInfo");
    QWidget* w = h.window->openWindow("frmMemory");
    QCOMPARE(w->windowTitle(), QString("Memory Information for Linux 6.1.0-28-amd64"));
    // The figures as read at opening (their form is the memory text's); usage after a tick.
    QCOMPARE(text("lblAvailPhys", w), QString("Free Physical Memory (RAM): 1.5 KB"));
    QCOMPARE(text("lblPhysUsed", w), QString("Please wait ..."));
    QCOMPARE(child<QTimer>("Timer1", w)->interval(), 1000);
    // Each tick asks the system again; the six figures stay as they were at opening.
    h.fake.memory.figures = figures(128 << 20);
    tick("Timer1");
    QCOMPARE(text("lblPhysUsed", w) + "|" + text("lblVirtUsed", w),
             QString("Physical Memory Usage: 75.00%|Virtual Memory Usage: 25.00%"));
    auto* bar = child<QProgressBar>("pgbPhysMem", w);
    QCOMPARE(double(bar->value()) / bar->maximum(), 0.75);
    QCOMPARE(text("lblAvailPhys", w), QString("Free Physical Memory (RAM): 1.5 KB"));
    h.fake.memory.figures.reset(); // a failed query keeps what is shown
    tick("Timer1");
    QCOMPARE(text("lblPhysUsed", w), QString("Physical Memory Usage: 75.00%"));
}

void TestInfoWindows::versionHistory_data() {
    QTest::addColumn<QByteArray>("bytes"); // "-": no file
    QTest::addColumn<QString>("shown");
    QTest::newRow("missing") << QByteArray("-")
                             << "The Text File named VersionHistory.txt in this folder was "
                                "deleted. Please reinstall Quillory! QD to view Version History.";
    QTest::newRow("markup shown as it stands")
        << QByteArray("<h1>3.0</h1>\r\n- Preferences\r\n") << "<h1>3.0</h1>\n- Preferences\n";
}

void TestInfoWindows::versionHistory() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    MainWindowHarness h;
    const QString folder = h.dir.programFolder();
    if (bytes != "-")
        TestFolders::writeBytes(folder + "/VersionHistory.txt", bytes);
    else
        h.messages().answerOk();
    const auto before = h.dir.snapshot();
    trigger("mnuHelp_VersionHistory");
    auto* box = child<QPlainTextEdit>("RichTextBox1", h.window->openWindow("frmVersionHistory"));
    QCOMPARE(box->toPlainText(), shown);
    QVERIFY(box->isReadOnly());
    QCOMPARE(h.messages().texts(),
             bytes == "-" ? QStringList{"The filenamed VersionHistory.txt was deleted from the "
                                        "folder " +
                                        folder + "."}
                          : QStringList{});
    QCOMPARE(h.dir.snapshot(), before);
}

void TestInfoWindows::help_data() {
    QTest::addColumn<QString>("file"); // "file", "folder" or "" for nothing at the path
    QTest::addColumn<bool>("viewerOpens");
    QTest::newRow("missing") << "" << true;
    QTest::newRow("a folder of that name") << "folder" << true;
    QTest::newRow("viewer opens it") << "file" << true;
    QTest::newRow("no viewer: own window") << "file" << false;
}

void TestInfoWindows::help() {
    QFETCH(QString, file);
    QFETCH(bool, viewerOpens);
    MainWindowHarness h;
    const QString path = h.dir.programFolder() + "/QYHelp3.chm";
    if (file == "file")
        TestFolders::writeBytes(path, "ITSF");
    else if (file == "folder")
        QVERIFY(QDir().mkdir(path));
    h.fake.help.result = viewerOpens;
    const bool missing = file != "file";
    if (missing)
        h.messages().answerOk();
    trigger("mnuHelp_TomewardHelp");
    QVERIFY2(!QApplication::overrideCursor(), "the busy pointer is restored");
    QCOMPARE(h.messages().texts(),
             missing ? QStringList{"Helpfile not found! Please ensure helpfile is in the same "
                                   "folder as the application."}
                     : QStringList{});
    QCOMPARE(h.fake.help.opened, missing ? QStringList{} : QStringList{path});
    auto* own = findControl<QWidget>("frmHelp");
    QCOMPARE(own != nullptr, !viewerOpens);
    QVERIFY2(h.window->isEnabled(), "help leaves the main window usable");
    if (own) // at the help file's default topic, the contents beside it
        QCOMPARE(child<QTextBrowser>("txtTopic", own)->documentTitle(),
                 QString("Welcome to Quillory! QD"));
}

void TestInfoWindows::about() {
    MainWindowHarness h;
    h.fake.screen.size = QSize(1024, 768);
    trigger("mnuHelp_About");
    QWidget* w = h.window->openWindow("frmAbout");
    QCOMPARE(w->windowTitle(), QString("Quillory! QD (Build 1320)"));
    // It grows from nothing about the centre of the screen.
    QVERIFY(w->geometry().width() <= 1 && w->geometry().height() <= 1);
    int steps = 0;
    for (auto* grow = child<QTimer>("tmrGrow", w); grow->isActive(); ++steps) {
        tick("tmrGrow");
        const QPointF centre = QRectF(w->geometry()).center();
        QVERIFY2(qAbs(centre.x() - 512) <= 2 && qAbs(centre.y() - 384) <= 2,
                 qPrintable(QString::number(steps)));
    }
    QCOMPARE(steps, 28); // 27 sizes after the first, then the tick that ends the growth
    QCOMPARE(w->frameGeometry().size(), QSize(321, 433)); // 4815 x 6500 twips, frame included
    // The credits scroll inside their panel.
    QWidget* credits = child("LbLMsg", w);
    QCOMPARE(credits->parentWidget(), child("picContainer", w));
    const int top = credits->y();
    QVERIFY(child<QTimer>("tmrScroll", w)->isActive());
    tick("tmrScroll");
    QVERIFY(credits->y() < top);
}

void TestInfoWindows::closingEnablesTheMainWindow_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("how");
    const QList<QStringList> windows{{"mnuHelp_MemoryInfo", "frmMemory", "cmdCloseMem"},
                                     {"mnuHelp_VersionHistory", "frmVersionHistory", "cmdClose"},
                                     {"mnuHelp_About", "frmAbout", "cmdOK"}};
    for (const QStringList& w : windows)
        for (const QString& how : {w[2], QString("Escape"), QString("Enter"), QString("frame")})
            QTest::addRow("%s, %s", qPrintable(w[1]), qPrintable(how)) << w[0] << w[1] << how;
}

void TestInfoWindows::closingEnablesTheMainWindow() {
    QFETCH(QString, action);
    QFETCH(QString, window);
    QFETCH(QString, how);
    MainWindowHarness h(MainWindowHarness::Default | MainWindowHarness::Show);
    TestFolders::writeBytes(h.dir.programFolder() + "/VersionHistory.txt", "notes\r\n");
    trigger(action);
    QPointer<QWidget> w = h.window->openWindow(window);
    QVERIFY(!h.window->isEnabled() && w->isEnabled());
    auto* timer = findControl<QTimer>("Timer1", w);
    if (how.startsWith("cmd"))
        click(how, w);
    else if (how == "frame")
        w->close();
    else // Enter presses the default button
        QTest::keyClick(w, how == "Escape" ? Qt::Key_Escape : Qt::Key_Return);
    QVERIFY2(!timer || !timer->isActive(), "the refresh stops with the window");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY2(!w || !w->isVisible(), "the window is closed");
    QVERIFY(h.window->isEnabled());
}

QTEST_MAIN(TestInfoWindows)
#include "tst_infowindows.moc"
