// The windows besides the main window and its panels: Preferences, the information windows and
// the help as shipped; and what every window shares: message boxes and tooltips that show every
// text as it stands.
#include "info/HelpWindow.h"
#include "platform/QtPlatform.h"
#include "support/MainWindowHarness.h"
#include "widgets/FittedLabel.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QToolTip>
#include <QTreeWidget>

using namespace quillory;
using namespace quillory::test;
using quillory::info::HelpTopic;
using quillory::info::HelpWindow;

namespace {
const QString kNewSettings = "New settings set!";
const QString kSaveAll = "Save all changes?";
const QStringList kFields{"txtLoaned", "txtProfiles", "txtStats"};
const QString kAllThere = "txtLoaned txtProfiles txtStats";

QString missing(const QString& what) {
    return QString("The path for %1 refers to a folder that does not exist!").arg(what);
}

// The dialog over a started main window, and three other folders, made when named.
struct Prefs {
    explicit Prefs(const QString& make = "")
        : h(MainWindowHarness::Default | MainWindowHarness::Show) {
        for (int i = 0; i < 3; ++i)
            if (make.contains(kFields[i]))
                QDir().mkpath(other(i));
        trigger("mnuFile_Preferences");
        d = h.window->openWindow("frmPreferences");
    }
    QString other(int i) const { return dir.path() + "/" + kFields[i]; }
    void typeOthers() {
        for (int i = 0; i < 3; ++i)
            setText(kFields[i], other(i), d);
    }
    QString fields() const {
        return text("txtLoaned", d) + "|" + text("txtProfiles", d) + "|" + text("txtStats", d);
    }
    QString stored(int i) const { return h.fake.settings->value(kFields[i].mid(3).toLower()); }
    QTemporaryDir dir;
    MainWindowHarness h;
    QPointer<QWidget> d;
};
MemoryFigures figures(quint64 availPhys) {
    constexpr quint64 MiB = quint64(1) << 20;
    return MemoryFigures{512 * MiB,         availPhys,  2048 * MiB,
                         2048 * MiB - 1536, 4096 * MiB, 3072 * MiB};
}
// A link to a page, and to a place in it.
const QRegularExpression kHref(QStringLiteral(R"re(href="([^"#]*)(#([^"]*))?")re"),
                               QRegularExpression::CaseInsensitiveOption);
} // namespace

class TestWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Apply checks and stores each folder on its own, and the program keeps working on its
    // folders; OK asks first, and switches only when all three exist. However the dialog closes
    // without OK, the main window comes back and nothing is stored.
    void applyOrClose_data() {
        QTest::addColumn<QString>("how"); // a button, Escape, Enter or "frame"; "then Cancel"
        QTest::addColumn<QString>("there");
        QTest::addColumn<QStringList>("messages");
        const QString apply = "cmdApply", ok = "cmdOK";
        QTest::newRow("Apply, all three") << apply << kAllThere << QStringList{kNewSettings};
        QTest::newRow("Apply, loaned missing")
            << apply << "txtProfiles txtStats" << QStringList{missing("Loaned Items")};
        QTest::newRow("Apply, none there")
            << apply << QString()
            << QStringList{missing("Loaned Items"), missing("Item Statistics"),
                           missing("Borrower Profiles")};
        QTest::newRow("OK, all three") << ok << kAllThere << QStringList{kSaveAll};
        QTest::newRow("OK, loaned missing")
            << ok << "txtProfiles txtStats" << QStringList{kSaveAll, missing("Loaned Items")};
        for (const char* how : {"cmdCancel", "Escape", "frame"})
            QTest::newRow(how) << how << kAllThere << QStringList{};
        for (const char* how : {"cmdOK then Cancel", "Enter then Cancel"})
            QTest::newRow(how) << how << kAllThere << QStringList{kSaveAll};
    }
    void applyOrClose() {
        QFETCH(QString, how);
        QFETCH(QString, there);
        QFETCH(QStringList, messages);
        Prefs p(there);
        for (int i = 0; i < 3 && there == kAllThere; ++i)
            TestFolders::writeBytes(p.other(i) + "/A", "A\r\n");
        const QStringList before{p.stored(0), p.stored(1), p.stored(2)};
        const Folders inUse = p.h.window->folders();
        p.typeOthers();
        for (int i = 0; i < messages.size(); ++i)
            p.h.messages().answer(how.endsWith("then Cancel") ? MsgAnswer::Cancel : MsgAnswer::Ok);
        if (how.startsWith("cmd"))
            click(how.section(' ', 0, 0), p.d);
        else if (how == "frame")
            p.d->close();
        else
            QTest::keyClick(child("txtStats", p.d),
                            how == "Escape" ? Qt::Key_Escape : Qt::Key_Return);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(p.h.messages().texts(), messages);
        const bool stores = how == "cmdApply" || how == "cmdOK";
        for (int i = 0; i < 3; ++i)
            QCOMPARE(p.stored(i),
                     stores && there.contains(kFields[i]) ? p.other(i) + "/" : before[i]);
        const bool switched = how == "cmdOK" && there == kAllThere;
        QCOMPARE(p.h.window->folders().stats, switched ? p.other(2) + "/" : inUse.stats);
        QCOMPARE(p.d && p.d->isVisible(), stores && !switched);
        if (p.d && stores) // each field ends in the separator
            QCOMPARE(p.fields(), p.other(0) + "/|" + p.other(1) + "/|" + p.other(2) + "/");
        QCOMPARE(p.h.window->isEnabled(), how != "cmdApply");
        if (switched) // the lists follow at once
            QCOMPARE(child<FolderList>("filStats")->names(), QStringList{"A"});
    }

    // Each Browse fills its own field (a cancelled picker gives the file-system root); Default
    // fills all three once confirmed; nothing is stored.
    void buttonsFillTheFields() {
        Prefs p;
        for (int i = 0; i < 3; ++i)
            p.h.fake.folderPicker.answers.enqueue(QString("/srv/%1").arg(i));
        for (int i = 1; i <= 4; ++i)
            click(QString("cmdBrowse%1").arg(i > 3 ? 2 : i), p.d);
        QCOMPARE(p.h.fake.folderPicker.prompts, QStringList(4, QString()));
        QCOMPARE(p.fields(), QString("/srv/0|/|/srv/2"));
        p.h.messages().answer(MsgAnswer::Cancel).answer(MsgAnswer::Ok);
        click("cmdDefault", p.d);
        QCOMPARE(p.fields(), QString("/srv/0|/|/srv/2"));
        click("cmdDefault", p.d);
        QCOMPARE(p.h.messages().texts(), QStringList(2, "Reset all settings to default?"));
        const QString base = p.h.dir.programFolder();
        QCOMPARE(p.fields(), base + "/loaned/|" + base + "/profiles/|" + base + "/stats/");
        QCOMPARE(p.stored(2), p.h.folders().stats);
    }

    // User text in a message box, and in the tooltip of a label too narrow for it, shows as it
    // stands, never as markup.
    void textShownLiterally() {
        const QString text = "Remove item <b>Bold</b> Book ?";
        QLabel* label = nullptr;
        QString seen;
        Qt::TextFormat format = Qt::AutoText;
        QTimer::singleShot(0, [&] { // read, then always closed, so a failure cannot hang
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && (label = box->findChild<QLabel*>("qt_msgbox_label"))) {
                seen = label->text();
                format = label->textFormat();
            }
            if (box)
                box->accept();
        });
        QtMessageService().show(Message{text, kAppTitle, MsgIcon::Information, MsgButtons::Ok});
        QVERIFY(label);
        QCOMPARE(seen, text);
        QCOMPARE(format, Qt::PlainText);
        const QString longer = text + QString(300, 'x');
        FittedLabel narrow(longer);
        narrow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&narrow));
        QHelpEvent tip(QEvent::ToolTip, {}, {});
        QApplication::sendEvent(&narrow, &tip);
        QCOMPARE(QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText(), longer);
    }

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
        HelpWindow window(nullptr);
        auto* tree = child<QTreeWidget>("tvwTopics", &window);
        auto* page = child<QTextBrowser>("txtTopic", &window);
        QSet<QString> listed;
        for (const HelpTopic& t : HelpWindow::contents()) {
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
        // The credits' headings, each block of three lines; they scroll inside their panel.
        const QStringList lines = text("LbLMsg", w).split('\n');
        QCOMPARE(QStringList({lines.value(0), lines.value(3), lines.value(6), lines.value(9)}),
                 QStringList({"Chief Programmer", "WebMaster", "Help File",
                              "Distributor and Beta Tester"}));
        QWidget* credits = child("LbLMsg", w);
        const int top = credits->y();
        QVERIFY(child<QTimer>("tmrScroll", w)->isActive());
        tick("tmrScroll");
        QVERIFY(credits->y() < top);
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
