// The Preferences dialog, and what every dialog's form shares: whole-text selection and the
// message box and tooltip that show every text as it stands.
#include "platform/QtPlatform.h"
#include "support/MainWindowHarness.h"
#include "widgets/FittedLabel.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTextDocumentFragment>
#include <QToolTip>

using namespace quillory;
using namespace quillory::test;

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
        settings = TestFolders::readBytes(h.fake.settingsFile());
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
    bool settingsKept() const { return TestFolders::readBytes(h.fake.settingsFile()) == settings; }
    QTemporaryDir dir;
    MainWindowHarness h;
    QPointer<QWidget> d;
    QByteArray settings;
};

} // namespace

class TestPreferences : public QObject {
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
        QVERIFY(p.settingsKept());
    }

    // A click selects the whole text; a field the focus has already left keeps no selection,
    // and the field that took the focus has its whole text selected.
    void selectionFollowsTheFocus() {
        MainWindowHarness h(MainWindowHarness::Default | MainWindowHarness::Show);
        trigger("mnuFile_NewItem");
        QWidget* d = h.window->openWindow("frmNewItemDetail");
        QVERIFY(QTest::qWaitForWindowActive(d));
        auto* language = child<QLineEdit>("txtItemLanguage", d);
        auto* serial = child<QLineEdit>("txtItemSerialNum", d);
        QTest::mouseClick(language, Qt::LeftButton, {}, QPoint(3, 3));
        QTRY_COMPARE(language->selectedText(), language->text());
        serial->setFocus(Qt::OtherFocusReason);
        QTest::mouseClick(language, Qt::LeftButton, {}, QPoint(3, 3));
        serial->setFocus(Qt::OtherFocusReason); // before the click's own events have run out
        QCoreApplication::processEvents();
        QCOMPARE(serial->selectedText(), serial->text());
        QCOMPARE(QApplication::focusWidget(), serial);
        QVERIFY(!language->hasSelectedText());
    }

    // User text in a message shows as it stands, never as markup.
    void messageBoxShowsTextLiterally() {
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
    }
    // So does the tooltip of a label too narrow for its text.
    void tooltipShowsTextLiterally() {
        const QString text = "<b>Bold</b> Book " + QString(300, 'x');
        FittedLabel label(text);
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        QHelpEvent tip(QEvent::ToolTip, {}, {});
        QApplication::sendEvent(&label, &tip);
        QCOMPARE(QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText(), text);
    }
};

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
