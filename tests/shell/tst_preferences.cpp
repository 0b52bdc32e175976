#include "borrowers/BorrowerPanel.h"
#include "items/ItemPanel.h"
#include "lending/ReturnPanel.h"
#include "settings/PreferencesDialog.h"
#include "support/MainWindowHarness.h"
#include "widgets/FolderList.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace quillory;
using namespace quillory::test;

namespace {
const QString kNewSettings = QStringLiteral("New settings set!");
const QString kSaveAll = QStringLiteral("Save all changes?");
const QString kReset = QStringLiteral("Reset all settings to default?");

QString missingText(const QString& what) {
    return QStringLiteral("The path for %1 refers to a folder that does not exist!").arg(what);
}

struct Stored {
    QString loaned, profiles, stats;
    bool operator==(const Stored&) const = default;
};

Stored stored(MainWindowHarness& h) {
    SettingsStore& s = *h.fake.settings;
    return Stored{s.value("loaned"), s.value("profiles"), s.value("stats")};
}

// Another set of three folders, each holding the given records.
struct OtherFolders {
    QTemporaryDir dir;
    QString loaned() const { return dir.path() + "/out"; }
    QString profiles() const { return dir.path() + "/readers"; }
    QString stats() const { return dir.path() + "/books"; }
    void make(bool loanedToo = true) const {
        QDir().mkpath(stats());
        QDir().mkpath(profiles());
        if (loanedToo)
            QDir().mkpath(loaned());
    }
};

PreferencesDialog* openDialog(MainWindowHarness& h) {
    h.window->menus().mnuFile_Preferences->trigger();
    return h.find<PreferencesDialog>("frmPreferences");
}

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}
} // namespace

class TestPreferences : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensWithStoredPaths();
    void applyChecksEachFolder_data();
    void applyChecksEachFolder();
    void okSwitchesToTheNewFolders();
    void okWithAMissingFolderStaysOpen();
    void defaultChangesOnlyTheFields_data();
    void defaultChangesOnlyTheFields();
    void browseFillsItsOwnField_data();
    void browseFillsItsOwnField();
    void everyWayOfClosingEnablesTheMainWindow_data();
    void everyWayOfClosingEnablesTheMainWindow();
};

void TestPreferences::opensWithStoredPaths() {
    MainWindowHarness h;
    // Written in another letter case: the dialog reads "Profiles", "Stats", "Loaned".
    h.fake.settings->setValue("LOANED", "/srv/library/out/");
    auto* d = openDialog(h);
    QVERIFY(d);
    QCOMPARE(d->windowTitle(), QStringLiteral("Preferences"));
    QCOMPARE(d->txtLoaned->text(), QStringLiteral("/srv/library/out/"));
    QCOMPARE(d->txtProfiles->text(), h.folders().profiles);
    QCOMPARE(d->txtStats->text(), h.folders().stats);
    QVERIFY(!h.window->isEnabled());
    QVERIFY(d->isEnabled());
    QVERIFY(d->cmdOK->isDefault());
}

void TestPreferences::applyChecksEachFolder_data() {
    QTest::addColumn<bool>("loanedThere");
    QTest::addColumn<bool>("statsThere");
    QTest::addColumn<bool>("profilesThere");
    QTest::newRow("all three there") << true << true << true;
    QTest::newRow("loaned-items folder missing") << false << true << true;
    QTest::newRow("item-statistics folder missing") << true << false << true;
    QTest::newRow("profiles folder missing") << true << true << false;
    QTest::newRow("none there") << false << false << false;
}

void TestPreferences::applyChecksEachFolder() {
    QFETCH(bool, loanedThere);
    QFETCH(bool, statsThere);
    QFETCH(bool, profilesThere);
    MainWindowHarness h;
    OtherFolders other;
    if (loanedThere)
        QDir().mkpath(other.loaned());
    if (statsThere)
        QDir().mkpath(other.stats());
    if (profilesThere)
        QDir().mkpath(other.profiles());
    const Stored before = stored(h);
    const Folders inUse = h.window->folders();

    auto* d = openDialog(h);
    // Typed without the trailing separator.
    d->txtLoaned->setText(other.loaned());
    d->txtProfiles->setText(other.profiles());
    d->txtStats->setText(other.stats());

    QStringList expected;
    if (!loanedThere)
        expected << missingText("Loaned Items");
    if (!statsThere)
        expected << missingText("Item Statistics");
    if (!profilesThere)
        expected << missingText("Borrower Profiles");
    const bool allThere = expected.isEmpty();
    if (allThere)
        expected << kNewSettings;
    for (int i = 0; i < expected.size(); ++i)
        h.messages().answerOk();

    d->cmdApply->click();

    QCOMPARE(h.messages().texts(), expected);
    for (const Message& m : h.messages().shown) {
        QCOMPARE(m.title, m.text == kNewSettings ? QStringLiteral("Confirm")
                                                 : QStringLiteral("Check Folder"));
        QCOMPARE(m.icon, m.text == kNewSettings ? MsgIcon::Information : MsgIcon::Exclamation);
    }
    // Every field shows its separator; only the folders that passed are stored.
    QCOMPARE(d->txtLoaned->text(), other.loaned() + "/");
    QCOMPARE(d->txtProfiles->text(), other.profiles() + "/");
    QCOMPARE(d->txtStats->text(), other.stats() + "/");
    const Stored after = stored(h);
    QCOMPARE(after.loaned, loanedThere ? other.loaned() + "/" : before.loaned);
    QCOMPARE(after.stats, statsThere ? other.stats() + "/" : before.stats);
    QCOMPARE(after.profiles, profilesThere ? other.profiles() + "/" : before.profiles);

    // Apply stores only: the program works on its folders until OK or the next start.
    QCOMPARE(h.window->folders().stats, inUse.stats);
    QCOMPARE(h.window->folders().loaned, inUse.loaned);
    QCOMPARE(h.window->folders().profiles, inUse.profiles);
    QVERIFY(d->isVisible());
    QVERIFY(!h.window->isEnabled());
}

void TestPreferences::okSwitchesToTheNewFolders() {
    MainWindowHarness h;
    h.writeStats("Old", {"Old", "d", "Available", "English", "$1", "N.A.", "N.A."});
    h.window->RefreshStatistics();
    OtherFolders other;
    other.make();
    for (const char* name : {"Dune", "Emma", "Ulysses"})
        TestFolders::writeBytes(other.stats() + "/" + name, "x\r\n");
    TestFolders::writeBytes(other.loaned() + "/Emma", "x\r\n");
    TestFolders::writeBytes(other.profiles() + "/1234567A", "x\r\n");
    const auto oldFiles = h.dir.snapshot();

    QPointer<PreferencesDialog> d = openDialog(h);
    d->txtLoaned->setText(other.loaned());
    d->txtProfiles->setText(other.profiles() + "/");
    d->txtStats->setText(other.stats());
    h.messages().answerOk(); // Save all changes?
    d->cmdOK->click();

    QCOMPARE(h.messages().texts(), QStringList{kSaveAll});
    QCOMPARE(h.messages().shown.first().buttons, MsgButtons::OkCancel);
    QCOMPARE(h.window->folders().stats, other.stats() + "/");
    QCOMPARE(h.window->folders().loaned, other.loaned() + "/");
    QCOMPARE(h.window->folders().profiles, other.profiles() + "/");
    QCOMPARE(h.find<FolderList>("filStats")->names(), (QStringList{"Dune", "Emma", "Ulysses"}));
    QCOMPARE(h.find<FolderList>("filLoaned")->names(), QStringList{"Emma"});
    QCOMPARE(h.find<FolderList>("filProfiles")->names(), QStringList{"1234567A"});
    QCOMPARE(h.find<FolderList>("filProfilesReturn")->names(), QStringList{"1234567A"});
    QCOMPARE(h.find<QLabel>("staPanelStats")->text(),
             QStringLiteral("3 Total Titles     1 Loaned Titles     2 Available for Loan"));
    QVERIFY(h.window->isEnabled());
    settle();
    QVERIFY2(d.isNull() || !d->isVisible(), "OK closes the dialog");
    QCOMPARE(h.dir.snapshot(), oldFiles); // the old folders are left as they were
}

void TestPreferences::okWithAMissingFolderStaysOpen() {
    MainWindowHarness h;
    OtherFolders other;
    other.make(false);
    const Stored before = stored(h);
    const Folders inUse = h.window->folders();

    auto* d = openDialog(h);
    d->txtLoaned->setText(other.loaned());
    d->txtProfiles->setText(other.profiles());
    d->txtStats->setText(other.stats());
    h.messages().answerOk().answerOk();
    d->cmdOK->click();

    QCOMPARE(h.messages().texts(), (QStringList{kSaveAll, missingText("Loaned Items")}));
    QVERIFY(d->isVisible());
    QVERIFY2(h.window->isEnabled(), "after the question the main window stays enabled");
    const Stored after = stored(h);
    QCOMPARE(after.loaned, before.loaned);
    QCOMPARE(after.stats, other.stats() + "/");
    QCOMPARE(after.profiles, other.profiles() + "/");
    QCOMPARE(h.window->folders().stats, inUse.stats);
    QCOMPARE(h.window->folders().profiles, inUse.profiles);
}

void TestPreferences::defaultChangesOnlyTheFields_data() {
    QTest::addColumn<int>("answer");
    QTest::newRow("OK") << int(MsgAnswer::Ok);
    QTest::newRow("Cancel") << int(MsgAnswer::Cancel);
}

void TestPreferences::defaultChangesOnlyTheFields() {
    QFETCH(int, answer);
    MainWindowHarness h;
    h.fake.settings->setValue("stats", "/srv/elsewhere/");
    const QByteArray settingsBefore = TestFolders::readBytes(h.fake.settingsFile());
    auto* d = openDialog(h);
    d->txtProfiles->setText("/typed/");

    h.messages().answer(MsgAnswer(answer));
    d->cmdDefault->click();

    QCOMPARE(h.messages().texts(), QStringList{kReset});
    QCOMPARE(h.messages().shown.first().title, QStringLiteral("Confirm"));
    QCOMPARE(h.messages().shown.first().icon, MsgIcon::Exclamation);
    if (MsgAnswer(answer) == MsgAnswer::Ok) {
        const QString base = h.dir.programFolder();
        QCOMPARE(d->txtLoaned->text(), base + "/loaned/");
        QCOMPARE(d->txtProfiles->text(), base + "/profiles/");
        QCOMPARE(d->txtStats->text(), base + "/stats/");
    } else {
        QCOMPARE(d->txtProfiles->text(), QStringLiteral("/typed/"));
        QCOMPARE(d->txtStats->text(), QStringLiteral("/srv/elsewhere/"));
    }
    QCOMPARE(TestFolders::readBytes(h.fake.settingsFile()), settingsBefore);
    QVERIFY(d->isVisible());
}

void TestPreferences::browseFillsItsOwnField_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("answer"); // empty: the picker is cancelled
    QTest::addColumn<QString>("shown");
    QTest::newRow("loaned") << "cmdBrowse1"
                            << "txtLoaned"
                            << "/srv/out"
                            << "/srv/out";
    QTest::newRow("profiles") << "cmdBrowse2"
                              << "txtProfiles"
                              << "/srv/readers"
                              << "/srv/readers";
    QTest::newRow("stats") << "cmdBrowse3"
                           << "txtStats"
                           << "/srv/books"
                           << "/srv/books";
    QTest::newRow("cancelled") << "cmdBrowse2"
                               << "txtProfiles"
                               << ""
                               << "/";
}

void TestPreferences::browseFillsItsOwnField() {
    QFETCH(QString, button);
    QFETCH(QString, field);
    QFETCH(QString, answer);
    QFETCH(QString, shown);
    MainWindowHarness h;
    const QByteArray settingsBefore = TestFolders::readBytes(h.fake.settingsFile());
    auto* d = openDialog(h);
    QMap<QString, QString> before;
    for (const char* name : {"txtLoaned", "txtProfiles", "txtStats"})
        before[name] = d->findChild<QLineEdit*>(name)->text();
    if (!answer.isEmpty())
        h.fake.folderPicker.answers.enqueue(answer);

    d->findChild<QPushButton*>(button)->click();

    QCOMPARE(h.fake.folderPicker.prompts, QStringList{QString()});
    for (const char* name : {"txtLoaned", "txtProfiles", "txtStats"}) {
        const QString text = d->findChild<QLineEdit*>(name)->text();
        QCOMPARE(text, name == field ? shown : before[name]);
    }
    QCOMPARE(TestFolders::readBytes(h.fake.settingsFile()), settingsBefore);
}

void TestPreferences::everyWayOfClosingEnablesTheMainWindow_data() {
    QTest::addColumn<QString>("how");
    for (const char* how :
         {"Cancel", "Escape", "window frame", "OK then Cancel", "Enter then Cancel", "OK"})
        QTest::newRow(how) << how;
}

void TestPreferences::everyWayOfClosingEnablesTheMainWindow() {
    QFETCH(QString, how);
    MainWindowHarness h(MainWindowHarness::Default | MainWindowHarness::Show);
    OtherFolders other;
    other.make();
    const QByteArray settingsBefore = TestFolders::readBytes(h.fake.settingsFile());
    const Folders inUse = h.window->folders();
    QPointer<PreferencesDialog> d = openDialog(h);
    QVERIFY(d);
    QVERIFY(!h.window->isEnabled());
    if (how != "OK") {
        d->txtLoaned->setText(other.loaned());
        d->txtStats->setText(other.stats());
    }

    if (how == "Cancel") {
        d->cmdCancel->click();
    } else if (how == "Escape") {
        QTest::keyClick(d->txtLoaned, Qt::Key_Escape);
    } else if (how == "window frame") {
        d->close();
    } else if (how == "OK then Cancel") {
        h.messages().answer(MsgAnswer::Cancel);
        d->cmdOK->click();
    } else if (how == "Enter then Cancel") {
        h.messages().answer(MsgAnswer::Cancel);
        QTest::keyClick(d->txtStats, Qt::Key_Return);
        QCOMPARE(h.messages().texts(), QStringList{kSaveAll});
    } else {
        h.messages().answerOk();
        d->cmdOK->click();
    }
    settle();
    QVERIFY2(d.isNull() || !d->isVisible(), "the dialog is closed");
    QVERIFY(h.window->isEnabled());
    // Only OK stores (here the same folders); every other way leaves the settings untouched.
    if (how != "OK")
        QCOMPARE(TestFolders::readBytes(h.fake.settingsFile()), settingsBefore);
    QCOMPARE(h.window->folders().stats, inUse.stats);
}

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
