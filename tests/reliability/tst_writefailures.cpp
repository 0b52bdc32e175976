// Writes that the system refuses: a disk that is full (or, for a user the permissions stop, a
// read-only folder). Every operation that writes must say so, and leave the record it could not
// write as it was, byte for byte, with no temporary file beside it.
#include "borrowers/Borrowers.h"
#include "items/ItemCatalogue.h"
#include "lending/LendingMessages.h"
#include "platform/SettingsStore.h"
#include "records/LoanRecord.h"
#include "settings/PreferencesLogic.h"
#include "support/TestFolders.h"

#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace quillory;
using namespace quillory::test;
using namespace quillory::test::rec;

namespace {

const QString kIdle = QStringLiteral("1234567A"); // a borrower with nothing on loan

// Makes writes into the folders fail on demand, the way a full disk or a locked-down share does.
// As root (where permissions stop nothing) a small in-memory file system is mounted on the folder
// and block() fills it to the last byte (or, to stop deletes too, makes it read-only); otherwise
// block() makes the data folders read-only.
class WriteBlocker {
public:
    enum class Mode { Unavailable, FullDisk, ReadOnly };
    explicit WriteBlocker(const QString& folder) : m_folder(QFile::encodeName(folder)) {
        if (::geteuid() != 0)
            mode = Mode::ReadOnly;
        else if (::mount("quillory-test", m_folder.constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                         "size=65536,mode=0755") == 0)
            mode = Mode::FullDisk;
        else
            whyUnavailable =
                QStringLiteral("running as root, where a read-only folder stops no write, "
                               "and a small file system cannot be mounted here (%1)")
                    .arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    ~WriteBlocker() {
        release();
        if (mode == Mode::FullDisk)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    Mode mode = Mode::Unavailable;
    QString whyUnavailable;
    QStringList folders; // made read-only in ReadOnly mode (the full disk covers all below)

    // Stops writes (and with readOnly, deletes); on a full disk, calling it again takes up what
    // deletions freed meanwhile.
    void block(bool readOnly = false) {
        const bool again = std::exchange(m_blocked, true);
        if (mode == Mode::ReadOnly && !again) {
            for (const QString& folder : folders)
                QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        } else if (mode == Mode::FullDisk && readOnly) {
            m_remounted = ::mount(nullptr, m_folder.constData(), nullptr,
                                  MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
        } else if (mode == Mode::FullDisk) {
            // Whole pages, then single bytes, until the file system refuses: nothing is left.
            const int fd =
                ::open((m_folder + "/.filler").constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
            static const char page[4096] = {};
            for (size_t chunk : {sizeof page, size_t(1)})
                while (fd >= 0 && ::write(fd, page, chunk) > 0) {
                }
            ::close(fd);
        }
    }
    void release() {
        if (!std::exchange(m_blocked, false))
            return;
        if (std::exchange(m_remounted, false))
            ::mount(nullptr, m_folder.constData(), nullptr, MS_REMOUNT | MS_NOSUID | MS_NODEV,
                    nullptr);
        else if (mode == Mode::FullDisk)
            ::unlink((m_folder + "/.filler").constData());
        else
            for (const QString& folder : folders)
                QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner);
    }

private:
    QByteArray m_folder;
    bool m_blocked = false, m_remounted = false;
};

// The three data folders on a file system whose writes can be stopped: Dune available, Emma and
// Ivanhoe on Ann's list (two loans before this one), and a borrower with nothing on loan.
struct BlockedLibrary {
    QTemporaryDir dir;
    WriteBlocker blocker{dir.path()}; // after dir: unmounted before dir goes
    Folders f = TestFolders::foldersIn(dir.path());

    BlockedLibrary() {
        blocker.folders = {f.profiles, f.stats, f.loaned, config()};
        for (const QString& folder : blocker.folders)
            QDir().mkpath(folder);
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

enum class Cause { Blocked, RenamedAway, StaysBlocked, MadeAnyway, MovedBeforeSync };

// Where a change's writes go in these tests: the system's store, with a stop placed just before
// one of them (0 the intent record, 1 to 4 the four files) and made again before each later one
// (a deletion frees room on a full disk) until a write fails, as a disk that fills up and is
// freed by the librarian once the program has said so; with `lasting` it stays. `madeAnyway`: the
// write is made, then reported failed (a sync refused); `stopAfter`: made, then the stop.
class StopBeforeWrite : public records::RecordStore {
public:
    StopBeforeWrite(int at, Cause cause, std::function<void(bool)> stop)
        : lasting(cause == Cause::StaysBlocked), madeAnyway(cause == Cause::MadeAnyway),
          stopAfter(cause == Cause::MovedBeforeSync), m_at(at), m_stop(std::move(stop)) {}
    const bool lasting, madeAnyway, stopAfter;
    records::Result<> put(const QString& path, const QByteArray& bytes) override {
        return around([&] { return RecordStore::put(path, bytes); });
    }
    records::Result<> erase(const QString& path) override {
        return around([&] { return RecordStore::erase(path); });
    }

private:
    template <class Write> records::Result<> around(Write write) {
        const bool here = m_calls++ == m_at;
        if (here && madeAnyway)
            return write(), records::Error(records::FileError::WriteFailed, "Input/output error");
        m_stopped |= here && !stopAfter;
        if (m_stopped)
            m_stop(true);
        const records::Result<> result = write();
        if (here && stopAfter)
            m_stop(true);
        if (m_stopped && !result.ok() && !lasting) {
            m_stop(false);
            m_stopped = false;
        }
        return result;
    }
    int m_at, m_calls = 0;
    bool m_stopped = false;
    std::function<void(bool)> m_stop;
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
        QTest::addRow("%s, write 2, made but reported failed", what)
            << returning << 2 << Cause::MadeAnyway;
        QTest::addRow("%s, folder moved away before the sync", what)
            << returning << 4 << Cause::MovedBeforeSync;
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
    if (cause != Cause::RenamedAway && lib.blocker.mode == WriteBlocker::Mode::Unavailable)
        QSKIP(qPrintable(lib.blocker.whyUnavailable));
    if (returning)
        QCOMPARE(lending::lend(lib.f, "Dune", kId, kToday).outcome, lending::LendOutcome::Lent);
    const Files before = lib.files();

    // The same change where nothing fails gives the new content of each file.
    TestFolders twin(TestFolders::WithDataFolders);
    BlockedLibrary::fill(twin.folders());
    lending::lend(twin.folders(), "Dune", kId, kToday);
    if (returning)
        lending::returnItem(twin.folders(), "Dune", kId, kToday);

    const QStringList paths{lib.f.stats, lib.f.loaned, lib.f.profiles, lib.f.profiles};
    const QString folder = QDir::cleanPath(paths[std::max(step, 1) - 1]);
    const bool away = cause == Cause::RenamedAway || cause == Cause::MovedBeforeSync;
    StopBeforeWrite store(step, cause, [&](bool stop) {
        if (!away)
            stop ? lib.blocker.block() : lib.blocker.release();
        else if (stop)
            QDir().rename(folder, folder + ".away");
        else
            QDir().rename(folder + ".away", folder);
    });
    const std::optional<Message> message =
        returning
            ? lending::returnView(lending::returnItem(lib.f, "Dune", kId, kToday, store)).message
            : lending::lendView(lending::lend(lib.f, "Dune", kId, kToday, store), "Dune").message;
    lib.blocker.release();
    QDir().rename(folder + ".away", folder); // when still away
    QVERIFY(message.has_value());
    QCOMPARE(message->title, QString("Error"));
    const QString reason = cause == Cause::MadeAnyway ? "Input/output error"
                           : away                     ? "No such file or directory"
                           : lib.blocker.mode == WriteBlocker::Mode::FullDisk
                               ? "No space left on device"
                               : "Permission denied";
    QVERIFY2(message->text.contains(reason), qPrintable(message->text));
    QVERIFY2(!message->text.contains("Profile ID"), qPrintable(message->text));
    if (cause != Cause::StaysBlocked && cause != Cause::MovedBeforeSync) {
        QVERIFY2(message->text.endsWith("Nothing was changed."), qPrintable(message->text));
        QCOMPARE(TestFolders::changed(before, lib.files()), QStringList());
        return;
    }
    QVERIFY2(message->text.endsWith("completes or undoes the change."), qPrintable(message->text));
    // The disk has room again, the folder is back: the next start completes the change and says
    // which it was.
    const std::optional<Message> recovered = lending::recoverAtStart(lib.f);
    QVERIFY(recovered.has_value());
    const QString what = returning ? "taking back the item Dune from" : "lending the item Dune to";
    QCOMPARE(recovered->text, "Quillory! QD was stopped while " + what +
                                  " the borrower 4821937Q.\rThe " +
                                  (returning ? "return" : "loan") + " has now been completed.");
    QCOMPARE(lib.files(), twin.snapshot());
}

void TestWriteFailures::everyWriterReports_data() {
    QTest::addColumn<QString>("op");
    for (const char* op : {"new item", "edit item", "new profile", "edit profile", "repair",
                           "settings", "remove item", "remove profile"})
        QTest::newRow(op) << op;
}

// Each writer, with the disk full from the start (for a removal, read-only): it reports the
// failure, and no file changes.
void TestWriteFailures::everyWriterReports() {
    QFETCH(QString, op);
    BlockedLibrary lib;
    if (lib.blocker.mode == WriteBlocker::Mode::Unavailable)
        QSKIP(qPrintable(lib.blocker.whyUnavailable));
    const Folders& f = lib.f;
    const QLocale locale(QLocale::English, QLocale::UnitedStates);
    const items::ItemFields fields{"Emma", "English", "9.99", "N.A.", "N.A."};
    const borrowers::ProfileFields person{"Cy Dorn", "555 0199", "-"};
    const QString ini = lib.config() + "/Quillory.conf";
    TestFolders::writeBytes(ini, "[Paths]\nstats=" + f.stats.toUtf8() + "\n");
    TestFolders::writeBytes(f.loanPath("Dune"), "Dune\r\n"); // a loan record that lost lines
    TestFolders::writeBytes(f.itemPath("Dune"), TestFolders::crlf(lentItem("Dune", " 3 ")));
    TestFolders::writeBytes(f.itemPath("Ivanhoe"), TestFolders::crlf(item("Ivanhoe")));
    QtSettingsStore store(ini);
    const Files before = lib.files();

    bool failed = false; // and the text shown
    QString report;
    auto shown = [&](bool refused, const QString& text) { failed = refused, report = text; };
    lib.blocker.block(op.startsWith("remove"));
    if (op == "new item") {
        const auto o = items::createItem(f, kToday, fields, locale);
        shown(o.kind == items::CreateOutcome::Kind::Failed, o.message.text);
    } else if (op == "edit item") {
        const auto o =
            items::saveItemEdit(f.itemPath("Ivanhoe"), "Ivanhoe", kToday, fields, locale);
        shown(o.kind == items::EditOutcome::Kind::Failed, o.message.text);
    } else if (op == "new profile") {
        const auto o = borrowers::createProfile(f, "7654321Z", person);
        shown(o.result == borrowers::CreateResult::WriteFailed, o.message.text);
    } else if (op == "edit profile") {
        const auto o = borrowers::saveProfileEdit(f, kIdle, kIdle, person);
        shown(o.result == borrowers::EditResult::WriteFailed, o.message.text);
    } else if (op == "repair") {
        const records::Error e =
            records::repairLoanFromItem(f.loanPath("Dune"), f.itemPath("Dune"), kToday).error();
        shown(e.code == records::FileError::WriteFailed, records::errorText(e));
    } else if (op == "settings") {
        shown(
            PreferencesLogic::checkAndStore(store, {f.profiles, f.profiles, f.loaned}).storeFailed,
            PreferencesLogic::storeFailedMessage().text);
    } else if (op == "remove item") {
        const std::optional<Message> m = items::removeItem(f.itemPath("Ivanhoe"));
        shown(m.has_value(), m.value_or(Message{}).text);
    } else {
        const auto o = borrowers::removeProfile(f, kIdle);
        shown(o.error.code == records::FileError::RemoveFailed, o.message.text);
    }
    lib.blocker.release();
    QVERIFY2(failed && !report.trimmed().isEmpty(), "the failure is reported");
    QCOMPARE(TestFolders::changed(before, lib.files()), QStringList());
}

QTEST_GUILESS_MAIN(TestWriteFailures)
#include "tst_writefailures.moc"
