// A fixed number of kills at random instants inside every step of lending and returning (run in
// workers forked from this program started again with --serve: a kill costs a fork, not a start)
// and inside the recovery of the real program and of the real `quillory-tool check --repair`.
// Recovery then runs one of four ways: the real check --repair, the same repair or the start's
// recovery in this process, or the main window's start here (which must say what it completed;
// the real program's next start is the kill smoke test's). Afterwards the four files are byte for
// byte as before the step or as after it, nothing else is left in the folders, and the check
// finds nothing.
#include "lending/Lending.h"
#include "records/Cp1252.h"
#include "records/ItemRecord.h"
#include "records/RecordChange.h"
#include "records/RecordFile.h"
#include "support/MainWindowHarness.h"
#include "tool/LibraryCheck.h"
#include "widgets/FolderList.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <numeric>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

using namespace quillory;
using namespace quillory::test;

namespace {

constexpr int kSteps = 12;            // twice round the six-step cycle: the second has loan lists
constexpr int kKills = 500;           // a fixed budget of kills, whatever the machine's load
constexpr int kMaxRounds = 1500;      // a step that finishes before its kill costs a round
constexpr int kEachWriteAtLeast = 15; // kills after each write of a lend and of a return
constexpr int kRecoveryAtLeast = 8;   // kills inside each real program's recovery
constexpr int kPause = 300;           // microseconds the step reporter waits at each write
constexpr int kWaitMs = 30000;
const QString kDate = QStringLiteral("Saturday, December 05, 2026");
const QString kOther = QStringLiteral("1234567A");
const QString kGone = QStringLiteral("Gone with the Wind (2nd ed.)");
const QStringList kRepair{QUILLORY_TOOL, "check", "--repair"};

// Three titles (one whose file name differs from its title), two borrowers; a cycle of six steps.
bool runStep(const Folders& f, int step) {
    static const struct {
        bool lend;
        QString title, id;
    } cycle[] = {{true, "Dune", rec::kId},  {true, "Emma", rec::kId},  {true, kGone, kOther},
                 {false, "Emma", rec::kId}, {false, "Dune", rec::kId}, {false, kGone, kOther}};
    const auto& op = cycle[step % 6];
    const QString name = records::itemFileName(op.title);
    if (op.lend)
        return lending::lend(f, name, op.id, kDate).outcome == lending::LendOutcome::Lent;
    return lending::returnItem(f, name, op.id, kDate).outcome == lending::ReturnOutcome::Returned;
}

void say(char what, int n) {
    char line[32];
    const int size = std::snprintf(line, sizeof line, "%c %d\n", what, n);
    if (::write(STDOUT_FILENO, line, size_t(size)) != size)
        ::_exit(4);
}

// The server: for each step number read, a forked worker says "B <its pid>", runs the step (the
// preloaded reporter says "S <k>" before each write) and says "E" or "X" (failed). The test kills
// it; at the next line read the server reaps it (so its pid is not reused before) and says "D 1"
// when the kill ended it, "D 0" when it had ended first.
int serve(const char* root) {
    const Folders folders = TestFolders::foldersIn(QFile::decodeName(root));
    QByteArray warm; // the code page loaded once here, not in every worker
    records::Cp1252::encode(QStringLiteral("\u00e9"), warm);
    char line[32];
    while (std::fgets(line, sizeof line, stdin)) {
        const int step = std::atoi(line);
        const pid_t worker = ::fork();
        if (worker == 0) {
            say('B', ::getpid());
            const bool done = runStep(folders, step);
            say(done ? 'E' : 'X', step);
            ::_exit(done ? 0 : 3);
        }
        if (worker < 0 || !std::fgets(line, sizeof line, stdin))
            return 1;
        int status = 0;
        ::waitpid(worker, &status, 0);
        say('D', WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    }
    return 0;
}

QString screenConfig; // the offscreen screen is 800 x 800, too small for the program

// A program run with the step reporter preloaded, its standard output read line by line.
class Child : public QProcess {
public:
    Child(const QStringList& args, const QString& stepDir) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LD_PRELOAD", QUILLORY_STEP_SHIM);
        env.insert("QUILLORY_STEP_PAUSE", QString::number(kPause));
        if (!stepDir.isEmpty())
            env.insert("QUILLORY_STEP_DIR", stepDir);
        env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + screenConfig);
        // The reporter is not built with the sanitizers; it may come first.
        env.insert("ASAN_OPTIONS", "verify_asan_link_order=0:" + env.value("ASAN_OPTIONS"));
        setProcessEnvironment(env);
        start(args.first(), args.mid(1));
    }
    void send(int n) {
        write(QByteArray::number(n) + '\n');
        waitForBytesWritten(kWaitMs);
    }
    // Reads on to the next line "<key> <value>"; its value, or none when none came in time.
    std::optional<int> next(char key) {
        const QDeadlineTimer deadline(kWaitMs);
        while (canReadLine() || waitForReadyRead(int(deadline.remainingTime()))) {
            if (!canReadLine())
                continue;
            const QByteArray line = readLine();
            m_seen += line;
            if (line.size() > 2 && line[0] == key && line[1] == ' ')
                return line.mid(2).trimmed().toInt();
        }
        return std::nullopt;
    }
    bool waitFor(char key, int value) {
        for (std::optional<int> v = next(key); v; v = next(key))
            if (*v == value)
                return true;
        return false;
    }
    // Kills the child; true when the kill ended it (it may have finished first).
    bool end() {
        kill();
        waitForFinished(kWaitMs);
        m_seen += readAllStandardOutput();
        return exitStatus() == QProcess::CrashExit;
    }
    // The output read since the last call.
    QByteArray take() { return std::exchange(m_seen, {}); }

private:
    QByteArray m_seen;
};

// The last write a reporter announced in this output (-1: none).
int lastWrite(const QByteArray& output) {
    const qsizetype at = ('\n' + output).lastIndexOf("\nS ");
    return at < 0 ? -1 : output.mid(at + 2, output.indexOf('\n', at) - at - 2).toInt();
}

QString intentName(const Folders& f) {
    return "loaned/" + QFileInfo(records::intentPath(f)).fileName();
}
bool pending(const Files& state) { // an intent record or a temporary file left
    const QStringList names = state.keys();
    return std::any_of(names.begin(), names.end(),
                       [](const QString& n) { return n.contains("/."); });
}

// Makes the files below root these, and only these.
void put(const QString& root, const Files& state) {
    for (const QString& path : TestFolders::filesUnder(root).keys())
        QFile::remove(root + u'/' + path);
    for (auto it = state.cbegin(); it != state.cend(); ++it)
        TestFolders::writeBytes(root + u'/' + it.key(), it.value());
}

enum Way { RealTool, Repair, Window, Start };

} // namespace

class TestCrashSafety : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void killedAnywhereLosesNothing();

private:
    bool recover(Way way, const Files& killed);
    void restore(const Files& state) const { put(m_lib.root(), state); }

    TestFolders m_lib{TestFolders::WithDataFolders};
    QTemporaryDir m_screenDir;
    QList<Files> m_states; // m_states[n]: the folders after n steps
};

// The whole sequence once in this process gives every file after every step. The real program
// and tool find the same folders through their settings.
void TestCrashSafety::initTestCase() {
    const Folders f = m_lib.folders();
    for (const QString& title : {QStringLiteral("Dune"), QStringLiteral("Emma"), kGone})
        TestFolders::writeBytes(f.itemPath(records::itemFileName(title)),
                                TestFolders::crlf(rec::item(title)));
    for (const QString& id : {rec::kId, kOther})
        TestFolders::writeBytes(f.profilePath(id), TestFolders::crlf(rec::profile(id)));
    m_states.append(m_lib.snapshot());
    for (int step = 0; step < kSteps; ++step) {
        QVERIFY2(runStep(f, step), qPrintable(QString::number(step)));
        m_states.append(m_lib.snapshot());
    }
    const QString screen = m_screenDir.filePath(QStringLiteral("screen.json"));
    TestFolders::writeBytes(screen, R"({"screens": [{"name": "S", "width": 1024, "height": 768,
                                    "logicalDpiX": 96, "logicalDpiY": 96, "depth": 24}]})");
    screenConfig = screen;
    const QString conf = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Quillory/Quillory.conf";
    QVERIFY(QDir().mkpath(QFileInfo(conf).path()));
    TestFolders::writeBytes(conf, "[Paths]\nStats=" + QFile::encodeName(f.stats) +
                                      "\nProfiles=" + QFile::encodeName(f.profiles) +
                                      "\nLoaned=" + QFile::encodeName(f.loaned) + "\n");
}

// Finishes what a kill left, the chosen way; false when that way failed.
bool TestCrashSafety::recover(Way way, const Files& killed) {
    const Folders f = m_lib.folders();
    switch (way) {
    case RealTool:
        return QProcess::execute(kRepair.first(), kRepair.mid(1)) == 0;
    case Repair: {
        QStringList changes;
        tool::repairLibrary(f, kDate, changes);
        return true;
    }
    case Window: {
        const bool intent = killed.contains(intentName(f));
        MainWindowHarness h(MainWindowHarness::MakeFolders);
        put(h.dir.root(), killed);
        if (intent)
            h.messages().answerOk();
        if (!h.start() || h.messages().shown.size() != (intent ? 1 : 0) ||
            (intent && !h.messages().lastText().contains(" has now been completed.")) ||
            h.find<FolderList>("filLoaned")->names() !=
                records::RecordFile::list(h.folders().loaned)->names)
            return false;
        restore(h.dir.snapshot());
        return true;
    }
    case Start:
        lending::recoverAtStart(f);
        return true;
    }
    return false;
}

void TestCrashSafety::killedAnywhereLosesNothing() {
    const quint32 seed = qEnvironmentVariableIsSet("QUILLORY_CRASH_SEED")
                             ? quint32(qEnvironmentVariableIntValue("QUILLORY_CRASH_SEED"))
                             : QRandomGenerator::system()->generate();
    qInfo("seed %u (set QUILLORY_CRASH_SEED to repeat)", seed);
    QRandomGenerator random(seed);
    Child server({QCoreApplication::applicationFilePath(), "--serve", m_lib.root()}, m_lib.root());

    // Kills by what was killed (0 lend, 1 return, 2 the program's recovery, 3 the tool's) and
    // the last write it announced (-1: none yet, shifted by one).
    int landed[4][8] = {};
    int kills = 0, round = 0;
    // The real program costs a start: a few rounds kill it, at the next round with a change left
    // to finish.
    bool programKill = false;
    for (; kills < kKills && round < kMaxRounds; ++round) {
        const int step = round % kSteps;
        const int aim = (round / kSteps) % 7 - 1; // the write to wait for; -1: none
        restore(m_states[step]);
        server.send(step);
        const std::optional<int> worker = server.next('B');
        QVERIFY(worker.has_value());
        if (aim >= 0)
            QVERIFY(server.waitFor('S', aim));
        // Within the reporter's pause after the aimed write: the writes of a change's middle
        // follow each other without a sync between, and a longer wait passes them by.
        QThread::usleep(random.bounded(kPause));
        ::kill(*worker, SIGKILL);
        server.send(0);
        const std::optional<int> ended = server.next('D');
        QVERIFY(ended.has_value());
        const QByteArray output = server.take();
        QVERIFY2(!output.contains("X "), "a step failed in the worker");
        if (*ended) {
            ++kills;
            ++landed[step % 6 < 3 ? 0 : 1][std::min(lastWrite(output) + 1, 7)];
        }

        // Now and then the recovery is killed too, in the real program or the real tool.
        programKill |= round % 48 == 24;
        if ((programKill || round % 24 == 8) && kills < kKills && pending(m_lib.snapshot())) {
            const int kind = programKill ? 2 : 3;
            programKill = false;
            Child recovery(kind == 2 ? QStringList{QUILLORY_PROGRAM} : kRepair, m_lib.root());
            if (recovery.waitFor('S', 0)) {
                QThread::usleep(random.bounded(8 * kPause));
                if (recovery.end()) {
                    ++kills;
                    ++landed[kind][std::min(lastWrite(recovery.take()) + 1, 7)];
                }
            }
        }

        const Files killed = m_lib.snapshot();
        const Way way = round % 32 == 1   ? RealTool
                        : round % 4 == 1  ? Repair
                        : round % 16 == 2 ? Window
                                          : Start;
        QVERIFY2(recover(way, killed), qPrintable(QString::number(way)));
        const Files now = m_lib.snapshot();
        if (now != m_states[step + 1])
            QVERIFY2(now == m_states[step] && !killed.contains(intentName(m_lib.folders())),
                     qPrintable(QString::asprintf("round %d, step %d, way %d: ", round, step, way) +
                                TestFolders::changed(m_states[step], now).join(u' ')));
        const std::vector<tool::Finding> findings = tool::checkLibrary(m_lib.folders());
        QVERIFY2(findings.empty(), qPrintable(findings.empty() ? QString() : findings[0].text));
    }
    QCOMPARE(QProcess::execute(QUILLORY_TOOL, {"check"}), 0);

    qInfo("rounds %d, kills %d", round, kills);
    QCOMPARE(kills, kKills);
    const char* names[] = {"lend", "return", "program recovery", "tool recovery"};
    for (int kind = 0; kind < 4; ++kind) {
        QStringList counts;
        for (const int n : landed[kind])
            counts << QString::number(n);
        qInfo("%s killed after write none/0/1/2/3/4/5/later: %s", names[kind],
              qPrintable(counts.join(u'/')));
        for (int write = 1; kind < 2 && write <= 6; ++write)
            QVERIFY2(landed[kind][write] >= kEachWriteAtLeast,
                     qPrintable(QStringLiteral("%1 write %2").arg(names[kind]).arg(write - 1)));
        const int inside = std::accumulate(landed[kind] + 1, landed[kind] + 8, 0);
        QVERIFY2(kind < 2 || inside >= kRecoveryAtLeast, names[kind]);
    }
}

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--serve") == 0)
        return serve(argv[2]);
    QApplication app(argc, argv);
    TestCrashSafety test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crashsafety.moc"
