// A fixed number of kills at random instants inside every step of lending and returning, and
// inside the recovery of the real program's next start and of the real `quillory-tool check
// --repair`. Recovery then runs one of four ways in turn: the real program's start, the real
// check --repair, the main window's start in this process (which must say what it completed),
// or the start's recovery alone. Afterwards the four files are byte for byte as before the step
// or as after it, nothing else is left in the folders, and the check finds nothing.
#include "CrashSequence.h"

#include "records/RecordChange.h"
#include "records/RecordFile.h"
#include "support/MainWindowHarness.h"
#include "tool/LibraryCheck.h"
#include "widgets/FolderList.h"

#include <QElapsedTimer>
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

// Relative path ("stats/Dune") to bytes, for every entry of the three data folders.
using State = Files;

constexpr int kSteps = 12;            // twice round the six-step cycle: the second has loan lists
constexpr int kKills = 500;           // a fixed budget of kills, whatever the machine's load
constexpr int kMaxRounds = 1500;      // a child that finishes before its kill costs a round
constexpr int kEachWriteAtLeast = 15; // kills after each write of a lend and of a return
constexpr int kRecoveryAtLeast = 8;   // kills inside each real program's recovery
constexpr int kPause = 300;           // microseconds the step reporter waits at each write
constexpr int kWaitMs = 30000;

// Every file of the data folders, hidden ones included (the screen file lives elsewhere).
State stateOf(const QString& root) {
    return TestFolders::filesUnder(root);
}

void restore(const QString& root, const State& state) {
    const State old = stateOf(root);
    for (auto it = old.cbegin(); it != old.cend(); ++it)
        QFile::remove(root + QLatin1Char('/') + it.key());
    for (auto it = state.cbegin(); it != state.cend(); ++it)
        TestFolders::writeBytes(root + QLatin1Char('/') + it.key(), it.value());
}

// A program run with the step reporter preloaded, its standard output read from a pipe.
class Child {
public:
    Child(const QList<QByteArray>& args, const QString& stepDir) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        QList<QByteArray> env{"LD_PRELOAD=" QUILLORY_STEP_SHIM,
                              "QUILLORY_STEP_PAUSE=" + QByteArray::number(kPause),
                              // The reporter is not built with the sanitizers; it may come first.
                              "ASAN_OPTIONS=verify_asan_link_order=0:" + qgetenv("ASAN_OPTIONS")};
        if (!stepDir.isEmpty())
            env << "QUILLORY_STEP_DIR=" + QFile::encodeName(stepDir);
        // The offscreen screen is 800 x 800, too small for the program: it gets one of its own.
        if (qEnvironmentVariableIsSet("QUILLORY_SCREEN"))
            env << "QT_QPA_PLATFORM=offscreen:configfile=" + qgetenv("QUILLORY_SCREEN");
        for (char** e = environ; *e; ++e)
            if (!QByteArray(*e).startsWith("ASAN_OPTIONS=") &&
                !QByteArray(*e).startsWith("QT_QPA_PLATFORM="))
                env << *e;
        std::vector<char*> argv, envp;
        for (const QByteArray& a : args)
            argv.push_back(const_cast<char*>(a.constData()));
        for (const QByteArray& e : env)
            envp.push_back(const_cast<char*>(e.constData()));
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        m_fd = fds[0];
    }
    ~Child() {
        if (m_pid > 0 && !m_reaped)
            kill();
        ::close(m_fd);
    }

    // Waits until the child has said the line (or has ended, or the time is up).
    bool waitFor(const QByteArray& line) {
        QElapsedTimer clock;
        clock.start();
        while (!m_output.contains(line + '\n'))
            if (clock.elapsed() > kWaitMs || !readSome(int(kWaitMs - clock.elapsed())))
                return false;
        return true;
    }
    // Kills the child; true when the kill ended it (it may have finished first).
    bool kill() {
        ::kill(m_pid, SIGKILL);
        return WIFSIGNALED(reap()) && WTERMSIG(m_status) == SIGKILL;
    }
    // Waits for the child's own end; its exit status, or -1.
    int finish() { return WIFEXITED(reap()) ? WEXITSTATUS(m_status) : -1; }
    // The last step the reporter announced, -1 when none.
    int lastStep() const {
        int last = -1;
        for (const QByteArray& line : m_output.split('\n'))
            if (line.startsWith("S "))
                last = line.mid(2).toInt();
        return last;
    }
    bool failed() const { return m_output.contains("\nX ") || m_output.startsWith("X "); }

private:
    int reap() {
        ::waitpid(m_pid, &m_status, 0);
        m_reaped = true;
        while (readSome(1000)) {
        }
        return m_status;
    }
    bool readSome(int timeoutMs) {
        pollfd p{m_fd, POLLIN, 0};
        char buffer[512];
        const ssize_t n = ::poll(&p, 1, timeoutMs) > 0 ? ::read(m_fd, buffer, sizeof buffer) : 0;
        if (n > 0)
            m_output.append(buffer, n);
        return n > 0;
    }

    pid_t m_pid = -1;
    int m_fd = -1;
    int m_status = 0;
    bool m_reaped = false;
    QByteArray m_output;
};

void sleepMicroseconds(qint64 us) {
    timespec t{time_t(us / 1000000), long((us % 1000000) * 1000)};
    while (::nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

bool pending(const State& state) {
    for (auto it = state.cbegin(); it != state.cend(); ++it)
        if (it.key().contains(QLatin1String("/.")))
            return true; // an intent record or a temporary file
    return false;
}

} // namespace

class TestCrashSafety : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void killedAnywhereLosesNothing();

private:
    QList<QByteArray> tool(bool repair) const;
    bool recover(int round, const State& killed, QString& how);

    TestFolders m_lib;
    QTemporaryDir m_screenDir;
    Folders m_folders;
    QList<State> m_states; // m_states[n]: the folders after n steps
};

QList<QByteArray> TestCrashSafety::tool(bool repair) const {
    QList<QByteArray> args{QUILLORY_TOOL, "check",
                           "--stats",     QFile::encodeName(m_folders.stats),
                           "--profiles",  QFile::encodeName(m_folders.profiles),
                           "--loaned",    QFile::encodeName(m_folders.loaned)};
    if (repair)
        args.insert(2, "--repair");
    return args;
}

// The whole sequence once in this process gives every file after every step. The real program
// finds the same folders through its settings.
void TestCrashSafety::initTestCase() {
    m_lib.makeAll();
    m_folders = crash::foldersIn(m_lib.programFolder());
    for (const QString& title : {QStringLiteral("Dune"), QStringLiteral("Emma"),
                                 QStringLiteral("Gone with the Wind (2nd ed.)")})
        TestFolders::writeBytes(m_folders.itemPath(records::itemFileName(title)),
                                TestFolders::crlf(rec::item(title)));
    for (const QString& id : {crash::kFirst, crash::kSecond})
        TestFolders::writeBytes(m_folders.profilePath(id), TestFolders::crlf(rec::profile(id)));
    m_states.append(stateOf(m_lib.root()));
    for (int step = 0; step < kSteps; ++step) {
        QVERIFY2(crash::runOp(m_folders, crash::opAt(step)), qPrintable(QString::number(step)));
        m_states.append(stateOf(m_lib.root()));
    }
    const QString screen = m_screenDir.filePath(QStringLiteral("screen.json"));
    TestFolders::writeBytes(screen, R"({"screens": [{"name": "S", "width": 1024, "height": 768,
                                    "logicalDpiX": 96, "logicalDpiY": 96, "depth": 24}]})");
    qputenv("QUILLORY_SCREEN", QFile::encodeName(screen));
    const QString conf = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Quillory/Quillory.conf";
    QVERIFY(QDir().mkpath(QFileInfo(conf).path()));
    TestFolders::writeBytes(conf, "[Paths]\nStats=" + QFile::encodeName(m_folders.stats) +
                                      "\nProfiles=" + QFile::encodeName(m_folders.profiles) +
                                      "\nLoaned=" + QFile::encodeName(m_folders.loaned) + "\n");
}

// Finishes what a kill left, the way this round chooses; false when that way failed.
bool TestCrashSafety::recover(int round, const State& killed, QString& how) {
    const bool intent = killed.contains(QStringLiteral("loaned/") +
                                        QFileInfo(records::intentPath(m_folders)).fileName());
    if (round % 16 == 0 && pending(killed)) {
        how = QStringLiteral("the real program's start");
        Child start({QUILLORY_PROGRAM}, QString());
        QElapsedTimer clock;
        clock.start();
        while (pending(stateOf(m_lib.root())) && clock.elapsed() < kWaitMs)
            sleepMicroseconds(2000);
        return start.kill();
    }
    if (round % 4 == 1) {
        how = QStringLiteral("check --repair");
        return Child(tool(true), QString()).finish() == 0;
    }
    if (round % 8 == 2) {
        how = QStringLiteral("the main window's start");
        MainWindowHarness h(MainWindowHarness::MakeFolders);
        restore(h.dir.root(), killed);
        if (intent)
            h.messages().answerOk();
        if (!h.start() || h.messages().shown.size() != (intent ? 1 : 0) ||
            (intent && !h.messages().lastText().contains(" has now been completed.")) ||
            h.find<FolderList>("filLoaned")->names() !=
                records::RecordFile::list(h.folders().loaned)->names)
            return false;
        restore(m_lib.root(), stateOf(h.dir.root()));
        return true;
    }
    how = QStringLiteral("the start's recovery");
    lending::recoverAtStart(m_folders);
    return true;
}

void TestCrashSafety::killedAnywhereLosesNothing() {
    const quint32 seed = qEnvironmentVariableIsSet("QUILLORY_CRASH_SEED")
                             ? quint32(qEnvironmentVariableIntValue("QUILLORY_CRASH_SEED"))
                             : QRandomGenerator::system()->generate();
    qInfo("seed %u (set QUILLORY_CRASH_SEED to repeat)", seed);
    QRandomGenerator random(seed);
    const QString root = m_lib.root();
    const QByteArray rootBytes = QFile::encodeName(root);

    // Kills by what was killed (0 lend, 1 return, 2 the program's recovery, 3 the tool's) and
    // the last write it announced (-1: none yet, shifted by one).
    int landed[4][8] = {};
    int kills = 0, round = 0;
    for (; kills < kKills && round < kMaxRounds; ++round) {
        const int step = round % kSteps;
        const int aim = (round / kSteps) % 7 - 1; // the write to wait for; -1: none
        restore(root, m_states[step]);
        {
            Child child({QUILLORY_CRASH_CHILD, rootBytes, QByteArray::number(step),
                         QByteArray::number(step)},
                        root);
            QVERIFY(child.waitFor("B " + QByteArray::number(step)));
            if (aim >= 0)
                QVERIFY(child.waitFor("S " + QByteArray::number(aim)));
            sleepMicroseconds(random.bounded(2 * kPause));
            const bool killed = child.kill();
            QVERIFY2(!child.failed(), "a step failed in the child");
            if (killed) {
                ++kills;
                ++landed[crash::opAt(step).lend ? 0 : 1][std::min(child.lastStep() + 1, 7)];
            }
        }

        // Now and then the recovery is killed too, in the real program or the real tool.
        const int recoveryKind = round % 20 == 3 ? 2 : round % 10 == 8 ? 3 : 0;
        if (recoveryKind && kills < kKills && pending(stateOf(root))) {
            Child recovery(recoveryKind == 2 ? QList<QByteArray>{QUILLORY_PROGRAM} : tool(true),
                           root);
            if (recovery.waitFor("S 0")) {
                sleepMicroseconds(random.bounded(8 * kPause));
                if (recovery.kill()) {
                    ++kills;
                    ++landed[recoveryKind][std::min(recovery.lastStep() + 1, 7)];
                }
            }
        }

        const State killed = stateOf(root);
        QString how;
        QVERIFY2(recover(round, killed, how), qPrintable(how));
        const State now = stateOf(root);
        const bool wasIntent = killed.contains(
            QStringLiteral("loaned/") + QFileInfo(records::intentPath(m_folders)).fileName());
        if (now != m_states[step + 1])
            QVERIFY2(
                now == m_states[step] && !wasIntent,
                qPrintable(QStringLiteral("round %1, step %2, after %3: %4")
                               .arg(round)
                               .arg(step)
                               .arg(how, TestFolders::changed(m_states[step], now).join(u' '))));
        const std::vector<tool::Finding> findings = tool::checkLibrary(m_folders);
        QVERIFY2(findings.empty(), qPrintable(findings.empty() ? QString() : findings[0].text));
    }
    QCOMPARE(Child(tool(false), QString()).finish(), 0);

    qInfo("rounds %d, kills %d", round, kills);
    const char* names[] = {"lend", "return", "program recovery", "tool recovery"};
    for (int kind = 0; kind < 4; ++kind)
        qInfo("%s killed after write none/0/1/2/3/4/5/later: %d/%d/%d/%d/%d/%d/%d/%d", names[kind],
              landed[kind][0], landed[kind][1], landed[kind][2], landed[kind][3], landed[kind][4],
              landed[kind][5], landed[kind][6], landed[kind][7]);
    QCOMPARE(kills, kKills);
    for (int kind = 0; kind < 2; ++kind)
        for (int write = 1; write <= 6; ++write)
            QVERIFY2(landed[kind][write] >= kEachWriteAtLeast,
                     qPrintable(QStringLiteral("%1 write %2").arg(names[kind]).arg(write - 1)));
    for (int kind = 2; kind < 4; ++kind) {
        int inside = 0;
        for (int write = 1; write < 8; ++write)
            inside += landed[kind][write];
        QVERIFY2(inside >= kRecoveryAtLeast, names[kind]);
    }
}

QTEST_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
