#include "platform/InstanceGuard.h"
#include "platform/SettingsStore.h"
#include "settings/FolderSettings.h"
#include "shell/Statistics.h"
#include "support/TestFolders.h"

#include <QTest>
#include <unistd.h>

using namespace quillory;
using quillory::test::TestFolders;

class TestPlatform : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Settings files written by hand: section and key names in any letter case, values as
    // written to the end of the line.
    void handWrittenSettings_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value"); // "?" when the key is absent
        const QString s = "/data/s/", stats = "stats", absent = "?";
        QTest::newRow("capitalised key") << QByteArray("[Paths]\nStats=/data/s/\n") << stats << s;
        QTest::newRow("upper section and key")
            << QByteArray("[PATHS]\nPROFILES=/data/p/\n") << "Profiles" << QString("/data/p/");
        QTest::newRow("lower section") << QByteArray("[paths]\nloaned=/l/\n") << "Loaned"
                                       << "/l/";
        QTest::newRow("comma") << QByteArray("[Paths]\nstats=/a,b/\n") << stats << "/a,b/";
        QTest::newRow("semicolon") << QByteArray("[Paths]\nstats=/a;b/\n") << stats << "/a;b/";
        QTest::newRow("quotes, hash, trailing blank")
            << QByteArray("[Paths]\nstats=\"/x\" #y \n") << stats << "\"/x\" #y ";
        QTest::newRow("non-ASCII") << QByteArray("[Paths]\nstats=/donn\xc3\xa9"
                                                 "es/\n")
                                   << stats << QStringLiteral("/données/");
        QTest::newRow("CR LF, blanks around names")
            << QByteArray("[ Paths ]\r\n  Stats  =  /data/s/\r\n") << stats << s;
        QTest::newRow("the first of two")
            << QByteArray("[Paths]\nStats=/data/s/\n[paths]\nstats=/x/\n") << stats << s;
        QTest::newRow("comment") << QByteArray("[Paths]\n;stats=/no/\n#stats=/no/\n") << stats
                                 << absent;
        QTest::newRow("other section") << QByteArray("[Other]\nstats=/no/\n") << stats << absent;
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

    void statisticsText_data() {
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("loaned");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << 0 << 0
                               << "0 Total Titles     0 Loaned Titles     0 Available for Loan";
        QTest::newRow("12 of 3") << 12 << 3
                                 << "12 Total Titles     3 Loaned Titles     9 Available for Loan";
        QTest::newRow("negative") << 2 << 3
                                  << "2 Total Titles     3 Loaned Titles     -1 Available for Loan";
        QTest::newRow("beyond 16 bits") << 100000 << 20000
                                        << "100000 Total Titles     20000 Loaned Titles     80000 "
                                           "Available for Loan";
    }
    void statisticsText() {
        QFETCH(int, total);
        QFETCH(int, loaned);
        QFETCH(QString, text);
        QCOMPARE(quillory::statisticsText(total, loaned), text);
    }

    void defaultFolders_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("stats");
        QTest::newRow("plain folder") << "/opt/quillory" << QString("/opt/quillory/stats/");
        QTest::newRow("root") << "/" << QString("/stats/");
    }
    void defaultFolders() {
        QFETCH(QString, program);
        QFETCH(QString, stats);
        const Folders f = FolderSettings::defaults(program);
        QCOMPARE(f.stats, stats);
        QCOMPARE(f.profiles, QString(stats).replace("stats", "profiles"));
        QCOMPARE(f.loaned, QString(stats).replace("stats", "loaned"));
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
