// The program is killed at random instants while it lends and takes back items, and now and
// then again while the next start finishes what the kill interrupted. After the next start the
// four files of the step are all exactly as before it or all exactly as after it, byte for
// byte, with no temporary file or intent record left; a change whose intent record was written
// is finished, and the start says so in one message.
#include "CrashSequence.h"
#include "LibraryFiles.h"

#include "borrowers/BorrowerPanel.h"
#include "items/ItemPanel.h"
#include "lending/ReturnPanel.h"
#include "records/RecordChange.h"
#include "records/RecordFile.h"
#include "support/MainWindowHarness.h"
#include "widgets/FolderList.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QRandomGenerator>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace quillory;
using namespace quillory::test;
namespace crash = quillory::test::crash;

namespace {

// Relative path ("stats/Dune") to bytes, for every file of the three data folders.
using State = QMap<QString, QByteArray>;

constexpr int kLastStep = 11; // twice round the six-step cycle
// A fixed budget of kills, not of time: a loaded machine lets more children finish before their
// kill, and then takes more tries, up to the cap.
constexpr int kMinKills = 500;
constexpr int kMaxTries = 2000;
// The child's pause before each write: kills land between writes as well as inside them.
constexpr int kPauseMicroseconds = 300;

State stateOf(const QString& programFolder) {
    State state;
    for (const char* sub : {"profiles", "stats", "loaned"}) {
        const QString folder = programFolder + QLatin1Char('/') + QLatin1String(sub);
        for (const QString& name : library::entries(folder)) {
            const QString path = folder + QLatin1Char('/') + name;
            if (QFileInfo(path).isFile())
                state.insert(QLatin1String(sub) + QLatin1Char('/') + name,
                             TestFolders::readBytes(path));
        }
    }
    return state;
}

void put(const QString& programFolder, const State& state) {
    for (auto it = state.begin(); it != state.end(); ++it)
        TestFolders::writeBytes(programFolder + QLatin1Char('/') + it.key(), it.value());
}

// The child process, its progress lines read from a pipe.
class Child {
public:
    Child(const QString& programFolder, int first, int last, int pauseMicroseconds) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        const QByteArray exe = QUILLORY_CRASH_CHILD;
        const QByteArray folder = QFile::encodeName(programFolder);
        // A negative first step: the child finishes a stopped change, as a start does.
        const QByteArray from = first < 0 ? "recover" : QByteArray::number(first);
        const QByteArray to = QByteArray::number(last);
        const QByteArray pause = QByteArray::number(pauseMicroseconds);
        char* argv[] = {const_cast<char*>(exe.constData()),   const_cast<char*>(folder.constData()),
                        const_cast<char*>(from.constData()),  const_cast<char*>(to.constData()),
                        const_cast<char*>(pause.constData()), nullptr};
        if (first < 0)
            argv[3] = argv[4], argv[4] = nullptr;
        if (posix_spawn(&m_pid, exe.constData(), &actions, nullptr, argv, environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        m_fd = fds[0];
    }
    ~Child() {
        if (m_pid > 0 && !m_reaped) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool started() const { return m_pid > 0 && m_fd >= 0; }

    // Waits until the child has said the line (or has ended, or the time is up).
    bool waitFor(const QByteArray& line, int timeoutMs) {
        QElapsedTimer clock;
        clock.start();
        while (!m_output.contains(line + '\n')) {
            const qint64 left = timeoutMs - clock.elapsed();
            if (left <= 0 || !readSome(int(left)))
                return false;
        }
        return true;
    }
    // Kills the child; true when the kill ended it (it may have finished first).
    bool kill() {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_reaped = true;
        while (readSome(1000)) {
        }
        m_exitedNormally = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }
    bool exitedNormally() const { return m_exitedNormally; }
    QList<QByteArray> lines() const { return m_output.split('\n'); }

private:
    bool readSome(int timeoutMs) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            return false;
        char buffer[512];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        m_output.append(buffer, n);
        return true;
    }

    pid_t m_pid = -1;
    int m_fd = -1;
    bool m_reaped = false;
    bool m_exitedNormally = false;
    QByteArray m_output;
};

void sleepMicroseconds(qint64 us) {
    timespec t{time_t(us / 1000000), long((us % 1000000) * 1000)};
    while (::nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

} // namespace

class TestCrashSafety : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void killedAnywhereLosesNothing();

private:
    QList<State> m_states; // m_states[n]: the folders after n steps
    qint64 m_writeMicroseconds = 0;
};

// The whole sequence once in this process gives the content of every file after every step; the
// child run once without a kill gives the time a step takes here.
void TestCrashSafety::initTestCase() {
    TestFolders replay;
    replay.makeAll();
    const Folders f = crash::foldersIn(replay.programFolder());
    for (const QString& title : {QStringLiteral("Dune"), QStringLiteral("Emma"),
                                 QStringLiteral("Gone with the Wind (2nd ed.)")})
        TestFolders::writeBytes(f.itemPath(records::itemFileName(title)), library::item(title));
    TestFolders::writeBytes(f.profilePath(crash::kFirst),
                            library::profile(crash::kFirst, "Ann Lee", "0"));
    TestFolders::writeBytes(f.profilePath(crash::kSecond),
                            library::profile(crash::kSecond, "Bo Yin", "0"));
    m_states.append(stateOf(replay.programFolder()));
    for (int step = 0; step <= kLastStep; ++step) {
        QVERIFY2(crash::runOp(f, crash::opAt(step)), qPrintable(QString::number(step)));
        m_states.append(stateOf(replay.programFolder()));
    }

    TestFolders timed;
    timed.makeAll();
    put(timed.programFolder(), m_states[0]);
    Child child(timed.programFolder(), 0, 11, kPauseMicroseconds);
    QVERIFY(child.started());
    QVERIFY(child.waitFor("B 0", 10000));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(child.waitFor("E 11", 60000));
    m_writeMicroseconds = std::max<qint64>(clock.nsecsElapsed() / 1000 / 12 / 6, 20);
    child.kill();
    QCOMPARE(stateOf(timed.programFolder()), m_states[12]);
    qInfo("one write takes about %lld us here", m_writeMicroseconds);
}

void TestCrashSafety::killedAnywhereLosesNothing() {
    const quint32 seed = qEnvironmentVariableIsSet("QUILLORY_CRASH_SEED")
                             ? quint32(qEnvironmentVariableIntValue("QUILLORY_CRASH_SEED"))
                             : QRandomGenerator::system()->generate();
    qInfo("seed %u (set QUILLORY_CRASH_SEED to repeat)", seed);
    QRandomGenerator random(seed);

    // Kills by kind of step and by the write that was about to be made (0 intent record, 1 to 4
    // the files, 5 the intent record's removal, 6 none yet).
    int landed[2][7] = {};
    int killed = 0, recoveriesKilled = 0, finished = 0, untouched = 0;
    int tried = 0;
    for (; killed + recoveriesKilled < kMinKills && tried < kMaxTries; ++tried) {
        const int first =
            tried % (kLastStep + 1); // the first cycle (no loan lists) and a later one
        MainWindowHarness h(MainWindowHarness::MakeFolders);
        const QString program = h.dir.programFolder();
        put(program, m_states[first]);

        const int aim = int(random.bounded(7));
        Child child(program, first, first, kPauseMicroseconds);
        QVERIFY(child.started());
        QVERIFY(child.waitFor("B " + QByteArray::number(first), 10000));
        if (aim < 6)
            QVERIFY(child.waitFor("S " + QByteArray::number(aim), 10000));
        sleepMicroseconds(qint64(random.bounded(kPauseMicroseconds + 2 * m_writeMicroseconds)));
        if (!child.kill())
            continue; // it finished first
        ++killed;
        int lastWrite = 6;
        for (const QByteArray& line : child.lines()) {
            QVERIFY2(!line.startsWith('X'), "a step failed in the child: " + line);
            if (line.startsWith("S "))
                lastWrite = line.mid(2).toInt();
        }
        ++landed[crash::opAt(first).lend ? 0 : 1][lastWrite];

        // Every third time the next start is killed too, while it finishes the change.
        const Folders f = crash::foldersIn(program);
        if (tried % 3 == 0 && QFileInfo::exists(records::intentPath(f))) {
            Child recovery(program, -1, -1, kPauseMicroseconds);
            QVERIFY(recovery.started());
            QVERIFY(recovery.waitFor("B 0", 10000));
            sleepMicroseconds(qint64(random.bounded(4 * kPauseMicroseconds)));
            recoveriesKilled += recovery.kill() ? 1 : 0;
        }

        // The next start: one message when it finished a change, none otherwise.
        const bool pending = QFileInfo::exists(records::intentPath(f));
        if (pending)
            h.messages().answerOk();
        QVERIFY(h.start());
        QCOMPARE(h.messages().shown.size(), pending ? 1 : 0);
        const State actual = stateOf(program);
        const State& before = m_states[first];
        const State& after = m_states[first + 1];
        if (pending) {
            QVERIFY2(h.messages().lastText().contains(" has now been completed."),
                     qPrintable(h.messages().lastText()));
            ++finished;
            QCOMPARE(actual, after);
        } else if (actual == before) {
            ++untouched;
        } else {
            QCOMPARE(actual, after);
        }
        QCOMPARE(h.window->returnPanel().filLoaned->names(),
                 records::RecordFile::list(f.loaned)->names);
    }

    qInfo("tries %d, kills %d (of them %d recoveries), finished at the next start %d, left as "
          "before %d",
          tried, killed + recoveriesKilled, recoveriesKilled, finished, untouched);
    for (int kind = 0; kind < 2; ++kind)
        qInfo("%s killed before write 0/1/2/3/4/5/none: %d/%d/%d/%d/%d/%d/%d",
              kind == 0 ? "lend  " : "return", landed[kind][0], landed[kind][1], landed[kind][2],
              landed[kind][3], landed[kind][4], landed[kind][5], landed[kind][6]);
    QVERIFY2(killed + recoveriesKilled >= kMinKills, "not enough kills");
    for (const auto& kind : landed)
        for (int write = 0; write < 6; ++write)
            QVERIFY2(kind[write] > 0, "some write of a sequence was never interrupted");
}

QTEST_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
