// Writes that the system refuses: a disk that is full (or, for a user the permissions stop, a
// read-only folder). Every operation that writes must say so, and leave the record it could not
// write as it was, byte for byte, with no temporary file beside it.
#include "LibraryFiles.h"
#include "WriteBlocker.h"

#include "borrowers/Borrowers.h"
#include "items/ItemCatalogue.h"
#include "lending/Lending.h"
#include "platform/SettingsStore.h"
#include "records/LoanList.h"
#include "records/LoanRecord.h"
#include "settings/PreferencesLogic.h"
#include "support/MainWindowHarness.h"
#include "widgets/FolderList.h"

#include <QAction>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace quillory;
using namespace quillory::test;
using namespace quillory::test::library;

namespace {

const QString kId = QStringLiteral("4821937Q");
const QString kIdle = QStringLiteral("1234567A"); // a borrower with nothing on loan

// The three data folders on a file system whose writes can be stopped.
struct BlockedLibrary {
    QTemporaryDir dir;
    std::unique_ptr<WriteBlocker> blocker; // after dir: unmounted before dir goes
    Folders f;

    BlockedLibrary() : blocker(std::make_unique<WriteBlocker>(dir.path())) {
        const QString base = dir.path() + QLatin1Char('/');
        f = Folders{base + QStringLiteral("profiles/"), base + QStringLiteral("stats/"),
                    base + QStringLiteral("loaned/")};
        for (const QString& folder : {f.profiles, f.stats, f.loaned, config()})
            QDir().mkpath(folder);
        blocker->setFolders({f.profiles, f.stats, f.loaned, config()});
        fill(*this);
    }
    // Dune available, Emma and Ivanhoe on the borrower's list (two loans before this one).
    static void fill(const BlockedLibrary& lib) { put(lib.f); }
    static void put(const Folders& f) {
        TestFolders::writeBytes(f.itemPath(QStringLiteral("Dune")), item(QStringLiteral("Dune")));
        TestFolders::writeBytes(f.profilePath(kId), profile(kId, QStringLiteral("Ann Lee"), " 2 "));
        TestFolders::writeBytes(f.loanListPath(kId), "Emma\r\nIvanhoe\r\n");
        TestFolders::writeBytes(f.profilePath(kIdle),
                                profile(kIdle, QStringLiteral("Bo Yin"), "0"));
    }
    // Where the settings file is kept.
    QString config() const { return dir.path() + QStringLiteral("/config"); }
    QStringList fourPaths() const {
        return {f.itemPath(QStringLiteral("Dune")), f.loanPath(QStringLiteral("Dune")),
                f.profilePath(kId), f.loanListPath(kId)};
    }
    // Every entry of the three folders: no temporary file may be left in any of them.
    QStringList allEntries() const {
        return entries(f.profiles) + entries(f.stats) + entries(f.loaned);
    }
};

QList<QByteArray> contents(const QStringList& paths) {
    QList<QByteArray> list;
    for (const QString& path : paths)
        list.append(bytesOrNull(path));
    return list;
}

} // namespace

class TestWriteFailures : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { lending::setStepHook({}); }
    void lendStopsWhereTheDiskFails_data();
    void lendStopsWhereTheDiskFails();
    void returnStopsWhereTheDiskFails_data() { lendStopsWhereTheDiskFails_data(); }
    void returnStopsWhereTheDiskFails();
    void everyWriterReports_data();
    void everyWriterReports();
    void borrowDialogReportsAndKeepsRecords();
    void returnPanelReportsAndKeepsRecords();
};

void TestWriteFailures::lendStopsWhereTheDiskFails_data() {
    QTest::addColumn<int>("failingStep");
    for (int step = 1; step <= 4; ++step)
        QTest::addRow("stopped before step %d", step) << step;
}

// The disk fills up just before one of the four changes: that change and the ones after it are
// not made (their files keep their old bytes), the ones before it stay made.
void TestWriteFailures::lendStopsWhereTheDiskFails() {
    QFETCH(int, failingStep);
    BlockedLibrary lib;
    if (lib.blocker->mode() == WriteBlocker::Mode::Unavailable)
        QSKIP(qPrintable(lib.blocker->whyUnavailable()));
    const QStringList paths = lib.fourPaths();
    const QList<QByteArray> before = contents(paths);

    // The same lending where nothing fails gives the new content of each file.
    TestFolders twin;
    twin.makeAll();
    BlockedLibrary::put(twin.folders());
    QCOMPARE(lending::lend(twin.folders(), "Dune", kId, kToday).outcome,
             lending::LendOutcome::Lent);
    const QList<QByteArray> after =
        contents({twin.folders().itemPath("Dune"), twin.folders().loanPath("Dune"),
                  twin.folders().profilePath(kId), twin.folders().loanListPath(kId)});
    const QStringList entriesBefore = lib.allEntries();

    lending::setStepHook([&](int step) {
        if (step == failingStep)
            lib.blocker->block();
    });
    const lending::LendResult result = lending::lend(lib.f, "Dune", kId, kToday);
    lib.blocker->release();

    QCOMPARE(result.outcome, lending::LendOutcome::Failed);
    QCOMPARE(result.filesWritten, failingStep - 1);
    QVERIFY2(!result.detail.isEmpty(), "the failure names what could not be written");
    for (int i = 0; i < 4; ++i) {
        const QByteArray& expected = i < failingStep - 1 ? after[i] : before[i];
        QVERIFY2(bytesOrNull(paths[i]) == expected, qPrintable(paths[i]));
    }
    QStringList expectedEntries = entriesBefore;
    if (failingStep > 2) // the loan record was made
        expectedEntries = entries(lib.f.profiles) + entries(lib.f.stats) + QStringList{"Dune"};
    QCOMPARE(lib.allEntries(), expectedEntries);
}

// The same for a return; a full disk still lets the loan record be deleted, so when it fills just
// before the deletion the first change it stops is the profile.
void TestWriteFailures::returnStopsWhereTheDiskFails() {
    QFETCH(int, failingStep);
    BlockedLibrary lib;
    if (lib.blocker->mode() == WriteBlocker::Mode::Unavailable)
        QSKIP(qPrintable(lib.blocker->whyUnavailable()));
    QCOMPARE(lending::lend(lib.f, "Dune", kId, kToday).outcome, lending::LendOutcome::Lent);
    const QStringList paths = lib.fourPaths();
    const QList<QByteArray> before = contents(paths);

    TestFolders twin;
    twin.makeAll();
    BlockedLibrary::put(twin.folders());
    const Folders t = twin.folders();
    QCOMPARE(lending::lend(t, "Dune", kId, kToday).outcome, lending::LendOutcome::Lent);
    QCOMPARE(lending::returnItem(t, "Dune", kId, kToday).outcome, lending::ReturnOutcome::Returned);
    const QList<QByteArray> after =
        contents({t.itemPath("Dune"), t.loanPath("Dune"), t.profilePath(kId), t.loanListPath(kId)});

    // The disk stays full from the failing step on, whatever the deletion of step 2 frees.
    lending::setStepHook([&](int step) {
        if (step >= failingStep)
            lib.blocker->block();
    });
    const lending::ReturnResult result = lending::returnItem(lib.f, "Dune", kId, kToday);
    lib.blocker->release();

    const int firstStopped =
        failingStep == 2 && lib.blocker->deletesWhenBlocked() ? 3 : failingStep;
    // Up to the profile a failure leads to a repair of the loan record, which the full disk (or
    // the item record, already available again) stops as well; the loan list has its own note.
    QCOMPARE(result.outcome, firstStopped == 4 ? lending::ReturnOutcome::LoanListMissing
                                               : lending::ReturnOutcome::RepairFailed);
    QCOMPARE(result.filesWritten, firstStopped - 1);
    for (int i = 0; i < 4; ++i) {
        const QByteArray& expected = i < firstStopped - 1 ? after[i] : before[i];
        QVERIFY2(bytesOrNull(paths[i]) == expected, qPrintable(paths[i]));
    }
    for (const QString& name : lib.allEntries())
        QVERIFY2(!name.startsWith('.') && (!name.contains('.') || name.endsWith(".lst")),
                 qPrintable("left behind: " + name));
}

void TestWriteFailures::everyWriterReports_data() {
    QTest::addColumn<QString>("op");
    QTest::addColumn<bool>("deletes");
    QTest::newRow("new item") << "new item" << false;
    QTest::newRow("edit item") << "edit item" << false;
    QTest::newRow("new profile") << "new profile" << false;
    QTest::newRow("edit profile") << "edit profile" << false;
    QTest::newRow("append to loan list") << "append" << false;
    QTest::newRow("rewrite loan list") << "rewrite list" << false;
    QTest::newRow("repair loan record") << "repair" << false;
    QTest::newRow("settings") << "settings" << false;
    QTest::newRow("remove item") << "remove item" << true;
    QTest::newRow("remove profile") << "remove profile" << true;
}

// Each writer, with the disk full from the start: it reports, and no file changes.
void TestWriteFailures::everyWriterReports() {
    QFETCH(QString, op);
    QFETCH(bool, deletes);
    BlockedLibrary lib;
    if (lib.blocker->mode() == WriteBlocker::Mode::Unavailable)
        QSKIP(qPrintable(lib.blocker->whyUnavailable()));
    if (deletes && lib.blocker->deletesWhenBlocked())
        QSKIP("a full disk still lets a file be deleted; only a read-only folder stops this");
    const Folders& f = lib.f;
    const QLocale locale(QLocale::English, QLocale::UnitedStates);
    const items::ItemFields fields{"Emma", "English", "9.99", "N.A.", "N.A."};
    const borrowers::ProfileFields person{"Cy Dorn", "555 0199", "-"};
    const QString ini = lib.config() + "/Quillory.conf";
    TestFolders::writeBytes(ini, "[Paths]\nstats=" + f.stats.toUtf8() + "\n");
    TestFolders::writeBytes(f.loanPath("Dune"), "Dune\r\n"); // a loan record that lost lines
    TestFolders::writeBytes(f.itemPath("Dune"),
                            item("Dune").replace("Available", "ON LOAN") +
                                TestFolders::crlf({kId, "Ann Lee", "555 0101", "-", " 3 "}));
    TestFolders::writeBytes(f.itemPath("Ivanhoe"), item("Ivanhoe"));
    const auto before = snapshot(lib.dir.path());

    lib.blocker->block();
    QString report; // what the person at the desk is told
    if (op == "new item") {
        const items::CreateOutcome o = items::createItem(f, kToday, fields, locale);
        QCOMPARE(o.kind, items::CreateOutcome::Kind::Failed);
        report = o.message.text;
    } else if (op == "edit item") {
        const items::EditOutcome o =
            items::saveItemEdit(f.itemPath("Ivanhoe"), "Ivanhoe", kToday, fields, locale);
        QCOMPARE(o.kind, items::EditOutcome::Kind::Failed);
        report = o.message.text;
    } else if (op == "new profile") {
        const borrowers::CreateOutcome o = borrowers::createProfile(f, "7654321Z", person);
        QCOMPARE(o.result, borrowers::CreateResult::WriteFailed);
        report = o.message.text;
    } else if (op == "edit profile") {
        const borrowers::EditOutcome o = borrowers::saveProfileEdit(f, kIdle, kIdle, person);
        QCOMPARE(o.result, borrowers::EditResult::WriteFailed);
        report = o.message.text;
    } else if (op == "append") {
        const records::Result<> w = records::appendToLoanList(f.loanListPath(kId), "Dune");
        QCOMPARE(w.error().code, records::FileError::WriteFailed);
        report = records::errorText(w.error());
    } else if (op == "rewrite list") {
        const records::Result<> w = records::removeFromLoanList(f.loanListPath(kId), "Emma");
        QCOMPARE(w.error().code, records::FileError::WriteFailed);
        report = records::errorText(w.error());
    } else if (op == "repair") {
        const records::Result<records::LoanRecord> r =
            records::repairLoanFromItem(f.loanPath("Dune"), f.itemPath("Dune"), kToday);
        QCOMPARE(r.error().code, records::FileError::WriteFailed);
        report = records::errorText(r.error());
    } else if (op == "settings") {
        QtSettingsStore store(ini);
        QCOMPARE(store.value("Stats"), f.stats);
        const PreferencesOutcome o =
            PreferencesLogic::checkAndStore(store, Folders{f.profiles, f.profiles, f.loaned});
        QVERIFY(o.storeFailed);
        report = PreferencesLogic::storeFailedMessage().text;
    } else if (op == "remove item") {
        const std::optional<Message> m = items::removeItem(f.itemPath("Ivanhoe"));
        QVERIFY(m.has_value());
        report = m->text;
    } else if (op == "remove profile") {
        const borrowers::RemoveOutcome w = borrowers::removeProfile(f, kIdle);
        QCOMPARE(w.error.code, records::FileError::RemoveFailed);
        report = w.message.text;
    }
    lib.blocker->release();

    QVERIFY2(!report.trimmed().isEmpty(), "the failure is reported");
    QCOMPARE(changed(before, snapshot(lib.dir.path())), QStringList());
}

namespace {

// The real main window over data folders whose writes can be stopped.
struct BlockedWindow {
    MainWindowHarness h{0};
    std::unique_ptr<WriteBlocker> blocker; // after h: unmounted before its folder goes

    BlockedWindow() : blocker(std::make_unique<WriteBlocker>(h.dir.root())) {
        h.dir.makeAll();
        const Folders f = h.folders();
        blocker->setFolders({f.profiles, f.stats, f.loaned});
        BlockedLibrary::put(f);
    }
    bool start() {
        if (!h.start())
            return false;
        h.window->show();
        return QTest::qWaitForWindowExposed(h.window.get());
    }
};

} // namespace

void TestWriteFailures::borrowDialogReportsAndKeepsRecords() {
    BlockedWindow w;
    if (w.blocker->mode() == WriteBlocker::Mode::Unavailable)
        QSKIP(qPrintable(w.blocker->whyUnavailable()));
    QVERIFY(w.start());
    QVERIFY(clickEntry(w.h.find<FolderList>("filStats"), "Dune"));
    w.h.window->menus().mnuEdit_BorrowItem->trigger();
    auto* borrowers = w.h.find<FolderList>("filBorrow");
    QVERIFY(borrowers);
    QVERIFY(clickEntry(borrowers, kId));
    const auto before = snapshot(w.h.dir.root());

    w.blocker->block();
    w.h.messages().answerOk();
    w.h.find<QPushButton>("cmdBorrow")->click();
    w.blocker->release();

    QCOMPARE(w.h.messages().shown.size(), 1);
    const Message& m = w.h.messages().shown.first();
    QCOMPARE(m.title, QString("Error"));
    QCOMPARE(m.text, QString("The Profile ID is either corrupted or accidentally deleted!\r"
                             "Please create a new Profile ID for the borrower."));
    QCOMPARE(m.icon, MsgIcon::Critical);
    QCOMPARE(changed(before, snapshot(w.h.dir.root())), QStringList());
}

void TestWriteFailures::returnPanelReportsAndKeepsRecords() {
    BlockedWindow w;
    if (w.blocker->mode() == WriteBlocker::Mode::Unavailable)
        QSKIP(qPrintable(w.blocker->whyUnavailable()));
    const Folders f = w.h.folders();
    QCOMPARE(lending::lend(f, "Dune", kId, kToday).outcome, lending::LendOutcome::Lent);
    QVERIFY(w.start());
    auto* loaned = w.h.find<FolderList>("filLoaned");
    QVERIFY(clickEntry(w.h.find<FolderList>("filProfilesReturn"), kId));
    QVERIFY(clickEntry(loaned, "Dune"));
    const auto before = snapshot(w.h.dir.root());

    // A return: the item record cannot be written, nor the loan record rebuilt.
    w.blocker->block();
    w.h.messages().answerOk();
    QVERIFY(clickEntry(loaned, "Dune", true));
    w.blocker->release();
    QCOMPARE(w.h.messages().shown.size(), 1);
    QCOMPARE(w.h.messages().shown.first().title, QString("Error"));
    QVERIFY(w.h.messages().shown.first().text.contains("Dune"));
    // The records are fine; the message must blame the disk, not the item record.
    QVERIFY2(w.h.messages().shown.first().text.contains("could not be written"),
             qPrintable(w.h.messages().shown.first().text));
    QCOMPARE(changed(before, snapshot(w.h.dir.root())), QStringList());

    // A click on a loan record that lost lines: the repair cannot write it, and says so.
    TestFolders::writeBytes(f.loanPath("Dune"), "Dune\r\n");
    const auto cut = snapshot(w.h.dir.root());
    w.h.messages().clear();
    w.blocker->block();
    w.h.messages().answerOk();
    QVERIFY(clickEntry(loaned, "Dune"));
    w.blocker->release();
    QCOMPARE(w.h.messages().shown.size(), 1);
    QCOMPARE(w.h.messages().shown.first().title, QString("Error"));
    QCOMPARE(changed(cut, snapshot(w.h.dir.root())), QStringList());
}

QTEST_MAIN(TestWriteFailures)
#include "tst_writefailures.moc"
