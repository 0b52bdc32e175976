#include "support/MainWindowHarness.h"

#include <QDir>
#include <QPointer>

using namespace quillory;
using namespace quillory::test;

namespace {
const QString kNewSettings = "New settings set!";
const QString kSaveAll = "Save all changes?";
const QStringList kFields{"txtLoaned", "txtProfiles", "txtStats"};

QString missing(const QString& what) {
    return QString("The path for %1 refers to a folder that does not exist!").arg(what);
}

// The dialog over a started main window, and three other folders, made when asked.
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
    QStringList fields() const {
        return {text("txtLoaned", d), text("txtProfiles", d), text("txtStats", d)};
    }
    QStringList stored() const {
        return {h.fake.settings->value("loaned"), h.fake.settings->value("profiles"),
                h.fake.settings->value("stats")};
    }
    QTemporaryDir dir;
    MainWindowHarness h;
    QPointer<QWidget> d;
};
} // namespace

class TestPreferences : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void apply_data();
    void apply();
    void ok_data();
    void ok();
    void defaults_data();
    void defaults();
    void browse_data();
    void browse();
    void closing_data();
    void closing();
};

void TestPreferences::apply_data() {
    QTest::addColumn<QString>("there");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("all three") << "txtLoaned txtProfiles txtStats" << QStringList{kNewSettings};
    QTest::newRow("loaned missing")
        << "txtProfiles txtStats" << QStringList{missing("Loaned Items")};
    QTest::newRow("none there") << ""
                                << QStringList{missing("Loaned Items"), missing("Item Statistics"),
                                               missing("Borrower Profiles")};
}

// Apply checks and stores each folder on its own; the program works on its folders until OK.
void TestPreferences::apply() {
    QFETCH(QString, there);
    QFETCH(QStringList, messages);
    Prefs p(there);
    QVERIFY(!p.h.window->isEnabled() && p.d->isEnabled());
    const QStringList before = p.stored();
    const Folders inUse = p.h.window->folders();
    p.typeOthers();
    for (int i = 0; i < messages.size(); ++i)
        p.h.messages().answerOk();
    click("cmdApply", p.d);
    QCOMPARE(p.h.messages().texts(), messages);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(p.fields()[i], p.other(i) + "/");
        QCOMPARE(p.stored()[i], there.contains(kFields[i]) ? p.other(i) + "/" : before[i]);
    }
    QCOMPARE(p.h.window->folders().stats, inUse.stats);
    QVERIFY(p.d->isVisible() && !p.h.window->isEnabled());
}

void TestPreferences::ok_data() {
    QTest::addColumn<QString>("there");
    QTest::newRow("all three") << "txtLoaned txtProfiles txtStats";
    QTest::newRow("loaned missing") << "txtProfiles txtStats";
}

void TestPreferences::ok() {
    QFETCH(QString, there);
    Prefs p(there);
    for (int i = 0; i < 3; ++i)
        TestFolders::writeBytes(p.other(i) + "/A", "A\r\n");
    const Folders inUse = p.h.window->folders();
    p.typeOthers();
    const bool all = there.count("txt") == 3;
    p.h.messages().answerOk();
    if (!all)
        p.h.messages().answerOk();
    click("cmdOK", p.d);
    QCOMPARE(p.h.messages().texts(),
             all ? QStringList{kSaveAll} : (QStringList{kSaveAll, missing("Loaned Items")}));
    QCOMPARE(p.h.window->folders().stats, all ? p.other(2) + "/" : inUse.stats);
    QVERIFY(p.h.window->isEnabled());
    QCOMPARE(p.d && p.d->isVisible(), !all);
    if (all) // the lists and totals follow at once
        QCOMPARE(text("staPanelStats"),
                 QString("1 Total Titles     1 Loaned Titles     0 Available for Loan"));
}

void TestPreferences::defaults_data() {
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
}

void TestPreferences::defaults() {
    QFETCH(bool, ok);
    Prefs p;
    setText("txtProfiles", "/typed/", p.d);
    const QByteArray settings = TestFolders::readBytes(p.h.fake.settingsFile());
    p.h.messages().answer(ok ? MsgAnswer::Ok : MsgAnswer::Cancel);
    click("cmdDefault", p.d);
    QCOMPARE(p.h.messages().texts(), QStringList{"Reset all settings to default?"});
    const QString base = p.h.dir.programFolder();
    QCOMPARE(p.fields()[1], ok ? base + "/profiles/" : "/typed/");
    QCOMPARE(p.fields()[2], base + "/stats/");
    QCOMPARE(TestFolders::readBytes(p.h.fake.settingsFile()), settings);
}

void TestPreferences::browse_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("answer"); // empty: the picker is cancelled
    QTest::addColumn<QString>("shown");
    QTest::newRow("loaned") << 0 << "/srv/out"
                            << "/srv/out";
    QTest::newRow("profiles") << 1 << "/srv/readers"
                              << "/srv/readers";
    QTest::newRow("stats") << 2 << "/srv/books"
                           << "/srv/books";
    QTest::newRow("cancelled") << 1 << ""
                               << "/";
}

void TestPreferences::browse() {
    QFETCH(int, field);
    QFETCH(QString, answer);
    QFETCH(QString, shown);
    Prefs p;
    QStringList expected = p.fields();
    expected[field] = shown;
    if (!answer.isEmpty())
        p.h.fake.folderPicker.answers.enqueue(answer);
    click(QString("cmdBrowse%1").arg(field + 1), p.d);
    QCOMPARE(p.h.fake.folderPicker.prompts, QStringList{QString()});
    QCOMPARE(p.fields(), expected);
}

void TestPreferences::closing_data() {
    QTest::addColumn<QString>("how");
    for (const char* how : {"Cancel", "Escape", "frame", "OK then Cancel", "Enter then Cancel"})
        QTest::newRow(how) << how;
}

// However it closes without OK, the main window comes back and nothing is stored.
void TestPreferences::closing() {
    QFETCH(QString, how);
    Prefs p("txtLoaned txtProfiles txtStats");
    const QByteArray settings = TestFolders::readBytes(p.h.fake.settingsFile());
    p.typeOthers();
    if (how.endsWith("then Cancel"))
        p.h.messages().answer(MsgAnswer::Cancel);
    if (how == "Cancel")
        click("cmdCancel", p.d);
    else if (how == "Escape" || how.startsWith("Enter"))
        QTest::keyClick(child("txtStats", p.d), how == "Escape" ? Qt::Key_Escape : Qt::Key_Return);
    else if (how == "frame")
        p.d->close();
    else
        click("cmdOK", p.d);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY2(!p.d || !p.d->isVisible(), "the dialog is closed");
    QVERIFY(p.h.window->isEnabled());
    QCOMPARE(TestFolders::readBytes(p.h.fake.settingsFile()), settings);
}

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
