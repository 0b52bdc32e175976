#include "platform/InstanceGuard.h"
#include "platform/SettingsStore.h"
#include "settings/FolderSettings.h"
#include "shell/Statistics.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quillory;

class TestPlatform : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void settingsKeysIgnoreCase_data();
    void settingsKeysIgnoreCase();
    void settingsAbsentKeyGivesDefault();
    void settingsSurviveReopening();
    void instanceGuardAdmitsOneCopy();
    void statisticsText_data();
    void statisticsText();
    void defaultFolders_data();
    void defaultFolders();
};

void TestPlatform::settingsKeysIgnoreCase_data() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("read");
    QTest::newRow("lower then capitalised") << "stats"
                                            << "Stats";
    QTest::newRow("capitalised then lower") << "Loaned"
                                            << "loaned";
    QTest::newRow("upper") << "PROFILES"
                           << "Profiles";
}

void TestPlatform::settingsKeysIgnoreCase() {
    QFETCH(QString, written);
    QFETCH(QString, read);
    QTemporaryDir dir;
    QtSettingsStore store(dir.filePath("Quillory.conf"));
    QVERIFY(store.setValue(written, "/data/x/"));
    QCOMPARE(store.value(read), QString("/data/x/"));
    // One key, not two: writing again in the other case replaces the value.
    QVERIFY(store.setValue(read, "/data/y/"));
    QCOMPARE(store.value(written), QString("/data/y/"));
}

void TestPlatform::settingsAbsentKeyGivesDefault() {
    QTemporaryDir dir;
    QtSettingsStore store(dir.filePath("Quillory.conf"));
    QCOMPARE(store.value("Stats", "fallback"), QString("fallback"));
    QCOMPARE(store.value("Stats"), QString());
}

void TestPlatform::settingsSurviveReopening() {
    QTemporaryDir dir;
    const QString path = dir.filePath("Quillory.conf");
    {
        QtSettingsStore store(path);
        store.setValue("profiles", "C:\\Library\\profiles\\");
    }
    QtSettingsStore again(path);
    QCOMPARE(again.value("Profiles"), QString("C:\\Library\\profiles\\"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY2(file.readAll().contains("[Paths]"), "values live in section Paths");
}

void TestPlatform::instanceGuardAdmitsOneCopy() {
    QTemporaryDir dir;
    const QString lock = dir.filePath("quillory.lock");
    auto first = std::make_unique<LockFileInstanceGuard>(lock);
    QVERIFY(first->acquire());
    LockFileInstanceGuard second(lock);
    QVERIFY(!second.acquire());
    first.reset();
    QVERIFY2(second.acquire(), "the lock is free again once the first copy has gone");
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
