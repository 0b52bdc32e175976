// The information windows over the real main window, and the help as shipped.
#include "info/HelpWindow.h"
#include "support/MainWindowHarness.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTreeWidget>

using namespace quillory;
using namespace quillory::test;
using quillory::info::HelpTopic;
using quillory::info::HelpWindow;

namespace {
MemoryFigures figures(quint64 availPhys) {
    constexpr quint64 MiB = quint64(1) << 20;
    return MemoryFigures{512 * MiB,         availPhys,  2048 * MiB,
                         2048 * MiB - 1536, 4096 * MiB, 3072 * MiB};
}
// A link to a page, and to a place in it.
const QRegularExpression kHref(QStringLiteral(R"re(href="([^"#]*)(#([^"]*))?")re"),
                               QRegularExpression::CaseInsensitiveOption);
} // namespace

class TestInfoWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void memory() {
        QLocale::setDefault(QLocale::c());
        MainWindowHarness h;
        h.fake.osVersion.version = "Linux 6.1.0-28-amd64";
        h.fake.memory.figures = figures(1536);
        trigger("mnuHelp_MemoryInfo");
        QWidget* w = h.window->openWindow("frmMemory");
        QCOMPARE(w->windowTitle(), QString("Memory Information for Linux 6.1.0-28-amd64"));
        // The figures as read at opening; the usage after each tick, which asks the system again.
        QCOMPARE(text("lblAvailPhys", w), QString("Free Physical Memory (RAM): 1.5 KB"));
        QCOMPARE(text("lblPhysUsed", w), QString("Please wait ..."));
        h.fake.memory.figures = figures(128 << 20);
        tick("Timer1");
        QCOMPARE(text("lblPhysUsed", w) + "|" + text("lblVirtUsed", w),
                 QString("Physical Memory Usage: 75.00%|Virtual Memory Usage: 25.00%"));
        QCOMPARE(child<QProgressBar>("pgbPhysMem", w)->value() * 4,
                 child<QProgressBar>("pgbPhysMem", w)->maximum() * 3);
        QCOMPARE(text("lblAvailPhys", w), QString("Free Physical Memory (RAM): 1.5 KB"));
        h.fake.memory.figures.reset(); // a failed query keeps what is shown
        tick("Timer1");
        QCOMPARE(text("lblPhysUsed", w), QString("Physical Memory Usage: 75.00%"));
    }

    // The release notes as they stand, read-only; a missing file is said in the window and
    // in a box that names the folder.
    void versionHistory() {
        MainWindowHarness h;
        const QString folder = h.dir.programFolder();
        const auto notes = [&] {
            trigger("mnuHelp_VersionHistory");
            QWidget* w = h.window->openWindow("frmVersionHistory");
            auto* box = child<QPlainTextEdit>("RichTextBox1", w);
            const QString shown = box->isReadOnly() ? box->toPlainText() : "(editable)";
            w->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return shown;
        };
        h.messages().answerOk();
        QCOMPARE(notes(), "The Text File named VersionHistory.txt in this folder was deleted. "
                          "Please reinstall Quillory! QD to view Version History.");
        QCOMPARE(h.messages().lastText(),
                 "The filenamed VersionHistory.txt was deleted from the folder " + folder + ".");
        TestFolders::writeBytes(folder + "/VersionHistory.txt",
                                "<h1>3.0</h1>\r\n- Preferences\r\n");
        QCOMPARE(notes(), "<h1>3.0</h1>\n- Preferences\n");
    }

    void help_data() {
        QTest::addColumn<QByteArray>("file"); // as TestFolders::make takes it
        QTest::addColumn<bool>("viewerOpens");
        QTest::newRow("missing") << QByteArray() << true;
        QTest::newRow("a folder of that name") << QByteArray("<folder>") << true;
        QTest::newRow("viewer opens it") << QByteArray("ITSF") << true;
        QTest::newRow("no viewer: own window") << QByteArray("ITSF") << false;
    }
    void help() {
        QFETCH(QByteArray, file);
        QFETCH(bool, viewerOpens);
        MainWindowHarness h;
        const QString path = h.dir.programFolder() + "/QYHelp3.chm";
        TestFolders::make(path, file);
        h.fake.help.result = viewerOpens;
        const bool missing = file != "ITSF";
        if (missing)
            h.messages().answerOk();
        trigger("mnuHelp_TomewardHelp");
        QVERIFY2(!QApplication::overrideCursor(), "the busy pointer is restored");
        if (missing)
            QCOMPARE(h.messages().lastText(), QString("Helpfile not found! Please ensure helpfile "
                                                      "is in the same folder as the application."));
        QCOMPARE(h.fake.help.opened, missing ? QStringList{} : QStringList{path});
        auto* own = findControl<QWidget>("frmHelp");
        QCOMPARE(own != nullptr, !viewerOpens);
        QVERIFY2(h.window->isEnabled(), "help leaves the main window usable");
        if (own) // at the help file's default topic
            QCOMPARE(child<QTextBrowser>("txtTopic", own)->documentTitle(),
                     QString("Welcome to Quillory! QD"));
    }

    // The contents and the pages built in are the same set, each page shows in the own window
    // with the contents following it, every link leads somewhere, and the compiled help file
    // beside the program names every page.
    void helpAsShipped() {
        const QString folder = HelpWindow::resourceFolder();
        const QStringList pages = QDir(folder).entryList({"*.htm"}, QDir::Files, QDir::Name);
        const QList<HelpTopic> topics = HelpWindow::contents();
        HelpWindow window(nullptr);
        auto* tree = child<QTreeWidget>("tvwTopics", &window);
        auto* page = child<QTextBrowser>("txtTopic", &window);
        QSet<QString> listed;
        for (const HelpTopic& t : topics) {
            window.showTopic(t.file);
            QCOMPARE(page->source().fileName(), t.file);
            QCOMPARE(tree->currentItem()->data(0, Qt::UserRole).toString(), t.file);
            listed.insert(t.file);
        }
        QCOMPARE(listed, QSet<QString>(pages.cbegin(), pages.cend()));
        int links = 0;
        for (const QString& p : pages) {
            const QString html = QString::fromLatin1(TestFolders::readBytes(folder + p));
            for (auto it = kHref.globalMatch(html); it.hasNext(); ++links) {
                const QRegularExpressionMatch m = it.next();
                const QByteArray target =
                    TestFolders::readBytes(folder + (m.captured(1).isEmpty() ? p : m.captured(1)));
                const QByteArray anchor = "name=\"" + m.captured(3).toLatin1() + '"';
                QVERIFY2(!target.isEmpty() && (m.captured(3).isEmpty() || target.contains(anchor)),
                         qPrintable(p + " -> " + m.captured(0)));
            }
        }
        QVERIFY(links > 20);
#ifdef QUILLORY_TEST_PROGRAM_DIR
        const QByteArray chm =
            TestFolders::readBytes(QStringLiteral(QUILLORY_TEST_PROGRAM_DIR "/QYHelp3.chm"));
        QVERIFY2(chm.startsWith("ITSF"), "a compiled HTML help file");
        for (const QString& p : pages + QStringList{"contents.hhc"}) // uncompressed names
            QVERIFY2(chm.contains("/" + p.toLatin1()), qPrintable(p));
#endif
    }

    void about() {
        MainWindowHarness h;
        h.fake.screen.size = QSize(1024, 768);
        trigger("mnuHelp_About");
        QWidget* w = h.window->openWindow("frmAbout");
        // It grows from nothing about the centre of the screen, in whole pixels cut down.
        QVERIFY(w->geometry().width() <= 1 && w->geometry().height() <= 1);
        int steps = 0;
        for (auto* grow = child<QTimer>("tmrGrow", w); grow->isActive(); ++steps) {
            tick("tmrGrow");
            if (steps == 0) // 250 twips
                QCOMPARE(w->frameGeometry().size(), QSize(16, 16));
            const QPointF centre = QRectF(w->geometry()).center();
            QVERIFY2(qAbs(centre.x() - 512) <= 2 && qAbs(centre.y() - 384) <= 2,
                     qPrintable(QString::number(steps)));
        }
        QCOMPARE(steps, 28); // 27 sizes after the first, then the tick that ends the growth
        // The credits scroll inside their panel.
        QWidget* credits = child("LbLMsg", w);
        QCOMPARE(credits->parentWidget(), child("picContainer", w));
        const int top = credits->y();
        QVERIFY(child<QTimer>("tmrScroll", w)->isActive());
        tick("tmrScroll");
        QVERIFY(credits->y() < top);
    }
};

QTEST_MAIN(TestInfoWindows)
#include "tst_infowindows.moc"
