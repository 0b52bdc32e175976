// Writes that the system refuses: a disk that is full (or, for a user the permissions stop, a
// read-only folder). Every operation that writes must say so, and leave the record it could not
// write as it was, byte for byte, with no temporary file beside it.
#include "WriteBlocker.h"

#include "borrowers/Borrowers.h"
#include "items/ItemCatalogue.h"
#include "lending/LendingMessages.h"
#include "platform/SettingsStore.h"
#include "records/LoanList.h"
#include "records/LoanRecord.h"
#include "settings/PreferencesLogic.h"
#include "support/TestFolders.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace quillory;
using namespace quillory::test;
using namespace quillory::test::rec;

namespace {

const QString kIdle = QStringLiteral("1234567A"); // a borrower with nothing on loan

// The three data folders on a file system whose writes can be stopped: Dune available, Emma and
// Ivanhoe on Ann's list (two loans before this one), and a borrower with nothing on loan.
struct BlockedLibrary {
    QTemporaryDir dir;
    std::unique_ptr<WriteBlocker> blocker; // after dir: unmounted before dir goes
    Folders f;

    BlockedLibrary() : blocker(std::make_unique<WriteBlocker>(dir.path())) {
        const QString base = dir.path() + QLatin1Char('/');
        f = Folders{base + "profiles/", base + "stats/", base + "loaned/"};
        for (const QString& folder : {f.profiles, f.stats, f.loaned, config()})
            QDir().mkpath(folder);
        blocker->setFolders({f.profiles, f.stats, f.loaned, config()});
        fill(f);
    }
    static void fill(const Folders& f) {
        TestFolders::writeBytes(f.itemPath("Dune"), TestFolders::crlf(item("Dune")));
        TestFolders::writeBytes(f.profilePath(kId), TestFolders::crlf(profile(kId, " 2 ")));
        TestFolders::writeBytes(f.loanListPath(kId), "Emma\r\nIvanhoe\r\n");
        TestFolders::writeBytes(f.profilePath(kIdle), TestFolders::crlf(profile(kIdle)));
    }
    QString config() const { return dir.path() + QStringLiteral("/config"); }
    Files files() const { return TestFolders::filesUnder(dir.path()); }
};

} // namespace

class TestWriteFailures : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void eachStepFailing_data();
    void eachStepFailing();
    void everyWriterReports_data();
    void everyWriterReports();
};

namespace {

// Where a change's writes go in these tests: the system's store, with a stop placed just before
// one of them (0 the intent record, 1 to 4 the four files) and made again before each later one
// (a deletion frees room on a full disk) until a write fails, as a disk that fills up and is
// freed by the librarian once the program has said so; with `lasting` it stays.
class StopBeforeWrite : public records::RecordStore {
public:
    StopBeforeWrite(int at, std::function<void()> stop, std::function<void()> resume)
        : m_at(at), m_stop(std::move(stop)), m_resume(std::move(resume)) {}
    bool lasting = false;
    records::Result<> put(const QString& path, const QByteArray& bytes) override {
        return around([&] { return RecordStore::put(path, bytes); });
    }
    records::Result<> erase(const QString& path) override {
        return around([&] { return RecordStore::erase(path); });
    }

private:
    template <class Write> records::Result<> around(Write write) {
        if (m_calls++ == m_at)
            m_stopped = true;
        if (m_stopped)
            m_stop();
        const records::Result<> result = write();
        if (m_stopped && !result.ok() && !lasting) {
            m_resume();
            m_stopped = false;
        }
        return result;
    }
    int m_at;
    int m_calls = 0;
    bool m_stopped = false;
    std::function<void()> m_stop, m_resume;
};

enum class Cause { Blocked, RenamedAway, StaysBlocked };

} // namespace

void TestWriteFailures::eachStepFailing_data() {
    QTest::addColumn<bool>("returning");
    QTest::addColumn<int>("step");
    QTest::addColumn<Cause>("cause");
    for (const bool returning : {false, true}) {
        const char* what = returning ? "return" : "lend";
        for (int step = 0; step <= 4; ++step) {
            QTest::addRow("%s, write %d, disk full or folder read-only", what, step)
                << returning << step << Cause::Blocked;
            if (step > 0)
                QTest::addRow("%s, write %d, folder renamed away", what, step)
                    << returning << step << Cause::RenamedAway;
        }
        QTest::addRow("%s, write 3, cannot put back", what)
            << returning << 3 << Cause::StaysBlocked;
    }
}

// One write of a loan or a return fails: every file is as before, byte for byte, with nothing
// left beside it, and the message gives the system's reason. When even putting back fails, the
// message says so and the next start completes the change.
void TestWriteFailures::eachStepFailing() {
    QFETCH(bool, returning);
    QFETCH(int, step);
    QFETCH(Cause, cause);
    BlockedLibrary lib;
    if (cause != Cause::RenamedAway && lib.blocker->mode() == WriteBlocker::Mode::Unavailable)
        QSKIP(qPrintable(lib.blocker->whyUnavailable()));
    if (returning)
        QCOMPARE(lending::lend(lib.f, "Dune", kId, kToday).outcome, lending::LendOutcome::Lent);
    const Files before = lib.files();

    // The same change where nothing fails gives the new content of each file.
    TestFolders twin;
    twin.makeAll();
    BlockedLibrary::fill(twin.folders());
    QCOMPARE(lending::lend(twin.folders(), "Dune", kId, kToday).outcome,
             lending::LendOutcome::Lent);
    if (returning)
        QCOMPARE(lending::returnItem(twin.folders(), "Dune", kId, kToday).outcome,
                 lending::ReturnOutcome::Returned);

    const QStringList paths{lib.f.stats, lib.f.loaned, lib.f.profiles, lib.f.profiles};
    const QString folder = QDir::cleanPath(paths[std::max(step, 1) - 1]);
    StopBeforeWrite store(
        step,
        [&] {
            if (cause == Cause::RenamedAway)
                QDir().rename(folder, folder + ".away");
            else
                lib.blocker->block();
        },
        [&] {
            if (cause == Cause::RenamedAway)
                QDir().rename(folder + ".away", folder);
            else
                lib.blocker->release();
        });
    store.lasting = cause == Cause::StaysBlocked;
    std::optional<Message> message;
    if (returning) {
        const lending::ReturnResult r = lending::returnItem(lib.f, "Dune", kId, kToday, store);
        message = lending::returnView(r).message;
    } else {
        const lending::LendResult r = lending::lend(lib.f, "Dune", kId, kToday, store);
        message = lending::lendView(r, "Dune").message;
    }
    lib.blocker->release();
    QVERIFY(message.has_value());
    QCOMPARE(message->title, QString("Error"));
    const QString reason = cause == Cause::RenamedAway ? "No such file or directory"
                           : lib.blocker->mode() == WriteBlocker::Mode::FullDisk
                               ? "No space left on device"
                               : "Permission denied";
    QVERIFY2(message->text.contains(reason), qPrintable(message->text));
    QVERIFY2(!message->text.contains("Profile ID"), qPrintable(message->text));
    if (cause != Cause::StaysBlocked) {
        QVERIFY2(message->text.endsWith("Nothing was changed."), qPrintable(message->text));
        QCOMPARE(TestFolders::changed(before, lib.files()), QStringList());
        return;
    }
    QVERIFY2(message->text.endsWith("completes or undoes the change."), qPrintable(message->text));
    // The disk has room again: the next start completes the change and says which it was.
    const std::optional<Message> recovered = lending::recoverAtStart(lib.f);
    QVERIFY(recovered.has_value());
    QCOMPARE(recovered->text, returning ? "Quillory! QD was stopped while taking back the item "
                                          "Dune from the borrower 4821937Q.\rThe return has now "
                                          "been completed."
                                        : "Quillory! QD was stopped while lending the item Dune "
                                          "to the borrower 4821937Q.\rThe loan has now been "
                                          "completed.");
    QCOMPARE(lib.files(), twin.snapshot());
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
    const Folders& f = lib.f;
    const QLocale locale(QLocale::English, QLocale::UnitedStates);
    const items::ItemFields fields{"Emma", "English", "9.99", "N.A.", "N.A."};
    const borrowers::ProfileFields person{"Cy Dorn", "555 0199", "-"};
    const QString ini = lib.config() + "/Quillory.conf";
    TestFolders::writeBytes(ini, "[Paths]\nstats=" + f.stats.toUtf8() + "\n");
    TestFolders::writeBytes(f.loanPath("Dune"), "Dune\r\n"); // a loan record that lost lines
    TestFolders::writeBytes(f.itemPath("Dune"), TestFolders::crlf(lentItem("Dune", " 3 ")));
    TestFolders::writeBytes(f.itemPath("Ivanhoe"), TestFolders::crlf(item("Ivanhoe")));
    const Files before = lib.files();

    lib.blocker->block(deletes);
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
    QCOMPARE(TestFolders::changed(before, lib.files()), QStringList());
}

QTEST_MAIN(TestWriteFailures)
#include "tst_writefailures.moc"
