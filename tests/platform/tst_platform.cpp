#include "platform/InstanceGuard.h"
#include "platform/SettingsStore.h"
#include "settings/FolderSettings.h"
#include "shell/Statistics.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace quillory;

class TestPlatform : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void handWrittenSettings_data();
    void handWrittenSettings();
    void instanceGuard_data();
    void instanceGuard();
    void statisticsText_data();
    void statisticsText();
    void defaultFolders_data();
    void defaultFolders();
};

void TestPlatform::handWrittenSettings_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value"); // "?" when the key is absent
    QTest::newRow("capitalised key") << QByteArray("[Paths]\nStats=/data/s/\n") << "stats"
                                     << "/data/s/";
    QTest::newRow("upper section and key")
        << QByteArray("[PATHS]\nPROFILES=/data/p/\n") << "Profiles"
        << "/data/p/";
    QTest::newRow("lower section") << QByteArray("[paths]\nloaned=/l/\n") << "Loaned"
                                   << "/l/";
    QTest::newRow("comma") << QByteArray("[Paths]\nstats=/data/a,b/\n") << "Stats"
                           << "/data/a,b/";
    QTest::newRow("semicolon") << QByteArray("[Paths]\nstats=/data/a;b/\n") << "Stats"
                               << "/data/a;b/";
    QTest::newRow("quotes, hash, trailing blank")
        << QByteArray("[Paths]\nstats=\"/x\" #y \n") << "Stats"
        << "\"/x\" #y ";
    QTest::newRow("non-ASCII") << QByteArray("[Paths]\nstats=/donn\xc3\xa9"
                                             "es/\n")
                               << "Stats"
                               << QString::fromUtf8("/donn\xc3\xa9"
                                                    "es/");
    QTest::newRow("CR LF, blanks around names")
        << QByteArray("[ Paths ]\r\n  Stats  =  /data/s/\r\n") << "stats"
        << "/data/s/";
    QTest::newRow("the first of two")
        << QByteArray("[Paths]\nStats=/mine/\n[paths]\nstats=/x/\n") << "stats"
        << "/mine/";
    QTest::newRow("comment") << QByteArray("[Paths]\n;stats=/no/\n#stats=/no/\n") << "stats"
                             << "?";
    QTest::newRow("other section") << QByteArray("[Other]\nstats=/no/\n") << "stats"
                                   << "?";
}

void TestPlatform::handWrittenSettings() {
    QFETCH(QByteArray, file);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QTemporaryDir dir;
    const QString path = dir.filePath("Quillory.conf");
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(file);
    out.close();
    {
        QtSettingsStore store(path);
        QCOMPARE(store.value(key, "?"), value);
        // The program writing another key keeps what was read, and adds no second copy.
        QVERIFY(store.setValue("LOANED", "/w/"));
    }
    QtSettingsStore again(path);
    QCOMPARE(again.value(key, "?"), key.compare("loaned", Qt::CaseInsensitive) ? value : "/w/");
    QVERIFY(out.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(out.readAll()).toLower();
    QVERIFY2(written.contains("[paths]"), "values live in section Paths");
    if (value != "?")
        QCOMPARE(written.count("\n" + key.toLower() + "="), 1);
    // One key whatever the letter case it is written in.
    QVERIFY(again.setValue(key.toUpper(), "/y/"));
    QCOMPARE(again.value(key.toLower()), QString("/y/"));
}

void TestPlatform::instanceGuard_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("admitted");
    QTest::newRow("held by a running copy") << "held" << false;
    QTest::newRow("runtime folder missing") << "missing" << true;
    QTest::newRow("runtime folder read-only") << "read-only" << true;
}

void TestPlatform::instanceGuard() {
    QFETCH(QString, folder);
    QFETCH(bool, admitted);
    QTemporaryDir dir;
    QString lock = dir.filePath("quillory.lock");
    auto first = std::make_unique<LockFileInstanceGuard>(lock);
    if (folder == "held") {
        QVERIFY(first->acquire());
    } else if (folder == "missing") {
        lock = dir.filePath("gone/quillory.lock");
    } else {
        if (geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    }
    LockFileInstanceGuard second(lock);
    QCOMPARE(second.acquire(), admitted);
    first.reset();
    QVERIFY2(second.acquire(), "the lock is free again once the first copy has gone");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestPlatform::statisticsText_data() {
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

void TestPlatform::statisticsText() {
    QFETCH(int, total);
    QFETCH(int, loaned);
    QFETCH(QString, text);
    QCOMPARE(quillory::statisticsText(total, loaned), text);
}

void TestPlatform::defaultFolders_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("stats");
    QTest::newRow("plain folder") << "/opt/quillory"
                                  << "/opt/quillory/stats/";
    QTest::newRow("root") << "/"
                          << "/stats/";
}

void TestPlatform::defaultFolders() {
    QFETCH(QString, program);
    QFETCH(QString, stats);
    const Folders f = FolderSettings::defaults(program);
    QCOMPARE(f.stats, stats);
    QCOMPARE(f.profiles, QString(stats).replace("stats", "profiles"));
    QCOMPARE(f.loaned, QString(stats).replace("stats", "loaned"));
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
