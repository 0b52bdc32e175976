// Without a window: what the program takes from the system (hand-written settings, the instance
// lock, memory figures, its folders) and the texts it makes of them, the release notes and
// credits it shows, and the visual-style manifest.
#include "info/AboutCredits.h"
#include "info/Manifest.h"
#include "info/MemoryText.h"
#include "info/VersionHistory.h"
#include "platform/InstanceGuard.h"
#include "platform/SettingsStore.h"
#include "platform/SystemInfo.h"
#include "settings/FolderSettings.h"
#include "support/ScriptedMessages.h"
#include "support/TestFolders.h"

#include <QTest>

#include <limits>
#include <unistd.h>

using namespace quillory;
using namespace quillory::info;
using quillory::test::ScriptedMessages;
using quillory::test::TestFolders;

namespace {
const QLocale kC = QLocale::c();
const QLocale kGerman(QLocale::German, QLocale::Germany);
using Figures = QList<quint64>; // in KB: total and available RAM, swap; the address space used

// Written out whole, as the platform reads it.
const QByteArray kManifest =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><assembly xmlns=\"urn:schemas-"
    "microsoft-com:asm.v1\" manifestVersion=\"1.0\"><assemblyIdentity version=\"1.0.0.0\" "
    "processorArchitecture=\"X86\" name=\"Arborlight.WindowsXP.Example\" type=\"win32\" /> "
    "<description>An example of windows XP theming.</description> <dependency> <dependentAssembly> "
    "<assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0"
    "\" processorArchitecture=\"X86\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\" /> "
    "</dependentAssembly> </dependency> </assembly>\r\n";
void setting(const char* name, const QByteArray& file, const QString& key, const QString& value) {
    QTest::newRow(name) << file << key << value;
}
} // namespace

class TestPlatform : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Settings files written by hand: section and key names in any letter case, values as
    // written to the end of the line.
    void handWrittenSettings_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value"); // "?" when the key is absent
        const QString s = "/data/s/";
        setting("capitalised key", "[Paths]\nStats=/data/s/\n", "stats", s);
        setting("upper section and key", "[PATHS]\nPROFILES=/data/p/\n", "Profiles", "/data/p/");
        setting("lower section", "[paths]\nloaned=/l/\n", "Loaned", "/l/");
        setting("comma, semicolon", "[Paths]\nstats=/a,b;c/\n", "stats", "/a,b;c/");
        setting("quotes, hash, trailing blank", "[Paths]\nstats=\"/x\" #y \n", "stats",
                "\"/x\" #y ");
        setting("non-ASCII",
                "[Paths]\nstats=/donn\xc3\xa9"
                "es/\n",
                "stats", QStringLiteral("/données/"));
        setting("CR LF, blanks around names", "[ Paths ]\r\n  Stats  =  /data/s/\r\n", "stats", s);
        setting("the first of two", "[Paths]\nStats=/data/s/\n[paths]\nstats=/x/\n", "stats", s);
        setting("comment", "[Paths]\n;stats=/no/\n#stats=/no/\n", "stats", "?");
        setting("other section", "[Other]\nstats=/no/\n", "stats", "?");
    }
    void handWrittenSettings() {
        QFETCH(QByteArray, file);
        QFETCH(QString, key);
        QFETCH(QString, value);
        TestFolders dir;
        const QString path = dir.root() + "/Quillory.conf";
        TestFolders::writeBytes(path, file);
        {
            QtSettingsStore store(path);
            QCOMPARE(store.value(key, "?"), value);
            // The program writing another key keeps what was read, and adds no second copy.
            QVERIFY(store.setValue("LOANED", "/w/"));
        }
        QtSettingsStore again(path);
        QCOMPARE(again.value(key, "?"), key.compare("loaned", Qt::CaseInsensitive) ? value : "/w/");
        const QString written = QString::fromUtf8(TestFolders::readBytes(path)).toLower();
        QVERIFY2(written.contains("[paths]"), "values live in section Paths");
        if (value != "?")
            QCOMPARE(written.count("\n" + key.toLower() + "="), 1);
        // One key whatever the letter case it is written in.
        QVERIFY(again.setValue(key.toUpper(), "/y/"));
        QCOMPARE(again.value(key.toLower()), QString("/y/"));
    }

    // Only a lock held by a running copy keeps the program from starting.
    void instanceGuard_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("admitted");
        QTest::newRow("held by a running copy") << "held" << false;
        QTest::newRow("runtime folder missing") << "missing" << true;
        QTest::newRow("runtime folder read-only") << "read-only" << true;
    }
    void instanceGuard() {
        QFETCH(QString, folder);
        QFETCH(bool, admitted);
        TestFolders dir;
        QString lock = dir.root() + "/quillory.lock";
        auto first = std::make_unique<LockFileInstanceGuard>(lock);
        if (folder == "held") {
            QVERIFY(first->acquire());
        } else if (folder == "missing") {
            lock = dir.root() + "/gone/quillory.lock";
        } else {
            if (geteuid() == 0)
                QSKIP("root writes into read-only folders");
            QFile::setPermissions(dir.root(), QFile::ReadOwner | QFile::ExeOwner);
        }
        LockFileInstanceGuard second(lock);
        QCOMPARE(second.acquire(), admitted);
        first.reset();
        QVERIFY2(second.acquire(), "the lock is free again once the first copy has gone");
        QFile::setPermissions(dir.root(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Beside the program, also when it sits at the root of the file system; the manifest named
    // after the executable without its last extension.
    void besideTheProgram() {
        const Folders root = FolderSettings::defaults("/");
        QCOMPARE(QStringList({root.stats, root.profiles, root.loaned}),
                 QStringList({"/stats/", "/profiles/", "/loaned/"}));
        QCOMPARE(Manifest::path("/opt/q", "quillory"), QString("/opt/q/quillory.exe.manifest"));
        QCOMPARE(Manifest::path("/", "my.lend.exe"), QString("/my.lend.exe.manifest"));
    }

    // Kilobytes in their shortest form, without thousands separators; a share as "0.00%".
    void memoryTexts_data() {
        QTest::addColumn<quint64>("part");
        QTest::addColumn<quint64>("whole"); // of a share, which the text ends in "%"
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        const QLocale french(QLocale::French, QLocale::France);
        QTest::newRow("1536 bytes") << quint64(1536) << quint64(0) << kC << "1.5";
        QTest::newRow("regional separator") << quint64(1536) << quint64(0) << kGerman << "1,5";
        QTest::newRow("no thousands separator")
            << quint64(1234567) * 1024 << quint64(0) << kGerman << "1234567";
        QTest::newRow("one byte, every decimal")
            << quint64(1) << quint64(0) << kC << "0.0009765625";
        QTest::newRow("above 4 GiB") << (quint64(5) << 30) + 512 << quint64(0) << kC << "5242880.5";
        QTest::newRow("share rounded up") << quint64(2) << quint64(3) << kC << "66.67%";
        QTest::newRow("nothing to divide by") << quint64(0) << quint64(0) << kC << "0.00%";
        QTest::newRow("large") << (quint64(3) << 44) << (quint64(1) << 47) << kC << "37.50%";
        QTest::newRow("regional share") << quint64(4732) << quint64(10000) << french << "47,32%";
    }
    void memoryTexts() {
        QFETCH(quint64, part);
        QFETCH(quint64, whole);
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QCOMPARE(text.endsWith('%') ? percentUsed(part, whole, locale) : kilobytes(part, locale),
                 text);
    }

    // The bars keep the proportion of figures past any bar's range (the Memory window's test
    // reads a bar of everyday figures).
    void barsKeepTheProportion() {
        const quint64 most = std::numeric_limits<quint64>::max();
        const UsageBar bar = usageBar(most, most / 2);
        QVERIFY(bar.maximum > 0 && qAbs(double(bar.value) / bar.maximum - 0.5) < 1e-4);
    }

    void procFigures_data() {
        QTest::addColumn<QByteArray>("meminfo");
        QTest::addColumn<Figures>("figures"); // empty: the text is not understood
        QTest::newRow("typical")
            << QByteArray("MemTotal: 16318060 kB\nMemFree: 1234567 kB\nMemAvailable: 9876543 kB\n"
                          "Buffers: 345678 kB\nSwapTotal: 2097148 kB\nSwapFree: 2000000 kB\n")
            << Figures{16318060, 9876543, 2097148, 2000000, 123456};
        QTest::newRow("older kernel without MemAvailable")
            << QByteArray("MemTotal: 1000 kB\nMemFree: 300 kB\nSwapTotal: 0 kB\nSwapFree: 0 kB\n")
            << Figures{1000, 300, 0, 0, 123456};
        QTest::newRow("not a number")
            << QByteArray("MemTotal: lots kB\nMemAvailable: 1 kB\n") << Figures{};
    }
    void procFigures() {
        QFETCH(QByteArray, meminfo);
        QFETCH(Figures, figures);
        Figures got;
        if (const auto f = SystemMemoryStatus::fromProcText(
                meminfo, "Name:\tquillory\nVmPeak:\t  200000 kB\nVmSize:\t  123456 kB\n"))
            got = {f->totalPhys / 1024, f->availPhys / 1024, f->totalPage / 1024,
                   f->availPage / 1024, (f->totalVirtual - f->availVirtual) / 1024};
        QCOMPARE(got, figures);
    }

    void versionHistoryAsPlainText_data() {
        QTest::addColumn<QByteArray>("bytes"); // as TestFolders::make takes them
        QTest::addColumn<QString>("shown");    // null: nothing to show
        QTest::newRow("CR LF lines")
            << QByteArray("Version 3\r\n- first\r\n") << "Version 3\n- first\n";
        QTest::newRow("LF and lone CR") << QByteArray("a\nb\rc") << "a\nb\nc";
        QTest::newRow("rich-text markup as characters")
            << QByteArray("{\\rtf1\\ansi {\\b bold}}") << "{\\rtf1\\ansi {\\b bold}}";
        QTest::newRow("UTF-8") << QByteArray("Caf\xC3\xA9 \xE2\x82\xAC")
                               << QStringLiteral("Café €");
        QTest::newRow("UTF-8 with byte order mark") << QByteArray("\xEF\xBB\xBFNotes") << "Notes";
        QTest::newRow("Windows-1252") << QByteArray("Caf\xE9 \x80") << QStringLiteral("Café €");
        QTest::newRow("missing") << QByteArray() << QString();
        QTest::newRow("a folder of that name") << QByteArray("<folder>") << QString();
    }
    void versionHistoryAsPlainText() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        TestFolders dir;
        const QString path = VersionHistory::path(dir.programFolder() + "/");
        TestFolders::make(path, bytes);
        QCOMPARE(VersionHistory::load(path).value_or(QString()), shown);
        if (!shown.isNull())
            QCOMPARE(TestFolders::readBytes(path), bytes); // only ever read
    }

    void creditsPauseOncePerPass_data() {
        QTest::addColumn<int>("container");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("firstPauseAfter"); // ticks; 0 when the top never hits 255 exactly
        QTest::newRow("as designed") << 2055 << 10 << 180;
        QTest::newRow("coarser step still lands") << 2055 << 20 << 90;
        QTest::newRow("panel 5 twips lower never lands") << 2060 << 10 << 0;
    }
    void creditsPauseOncePerPass() {
        QFETCH(int, container);
        QFETCH(int, step);
        QFETCH(int, firstPauseAfter);
        const int label = CreditsScroller::kLabelHeight;
        CreditsScroller scroller(container, label, step);
        int ticks = 0, pauses = 0, restarts = 0;
        while (restarts < 3 && ticks < 100000) {
            const int before = scroller.top();
            const CreditsScroller::Tick t = scroller.tick();
            ++ticks;
            if (t == CreditsScroller::Tick::Restarted) {
                // As soon as the whole label has passed above the panel, not a step later.
                QVERIFY2(before <= -label && before > -label - step,
                         qPrintable(QString::number(before)));
                QCOMPARE(scroller.top(), container);
                ++restarts;
                QCOMPARE(pauses, firstPauseAfter ? restarts : 0);
                continue;
            }
            QCOMPARE(scroller.top(), before - step);
            if (t == CreditsScroller::Tick::Paused) {
                QCOMPARE(scroller.top(), 255);
                if (pauses++ == 0)
                    QCOMPARE(ticks, firstPauseAfter);
            }
        }
        QCOMPARE(restarts, 3);
    }

    // A manifest there is left alone; a missing one is written and a restart asked for, or
    // themes are said to stay off.
    void manifestAtStartUp_data() {
        QTest::addColumn<QByteArray>("before"); // null: no file
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("message"); // title|text of the one box, empty for none
        QTest::newRow("any file of that name counts")
            << QByteArray("old\r\n") << true << QByteArray("old\r\n") << QString();
        QTest::newRow("missing: written, restart asked")
            << QByteArray() << true << kManifest
            << "Restart|Please restart Quillory! QD to view Windows XP theme,";
        QTest::newRow("cannot be written")
            << QByteArray() << false << QByteArray()
            << "Themeing Error!|Error creating Windows XP theme file. You may be running EXE file "
               "from a network drive With which you dont have write permissions. Themes will Not "
               "be enabled.";
    }
    void manifestAtStartUp() {
        QFETCH(QByteArray, before);
        QFETCH(bool, folderExists);
        QFETCH(QByteArray, after);
        QFETCH(QString, message);
        TestFolders dir;
        const QString path = Manifest::path(dir.root() + (folderExists ? "" : "/gone"), "quillory");
        TestFolders::put(path, before);
        ScriptedMessages messages;
        if (!message.isEmpty())
            messages.answerOk();
        QCOMPARE(Manifest::check(path, messages), !before.isNull() ? Manifest::Outcome::AlreadyThere
                                                  : folderExists   ? Manifest::Outcome::Written
                                                                   : Manifest::Outcome::Failed);
        QCOMPARE(TestFolders::bytesOrNull(path), after);
        QStringList shown;
        for (const Message& m : messages.shown)
            shown << m.title + "|" + m.text;
        QCOMPARE(shown.join(""), message);
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
