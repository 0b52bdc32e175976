#include "info/AboutCredits.h"
#include "info/MemoryText.h"
#include "info/VersionHistory.h"
#include "platform/SystemInfo.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QTest>

#include <limits>

using namespace quillory;
using namespace quillory::info;
using quillory::test::TestFolders;

class TestInfoText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void kilobytesShortestForm_data();
    void kilobytesShortestForm();
    void percentPattern_data();
    void percentPattern();
    void barsKeepTheProportion_data();
    void barsKeepTheProportion();
    void procFigures_data();
    void procFigures();
    void versionHistoryShownAsPlainText_data();
    void versionHistoryShownAsPlainText();
    void versionHistoryMissingOrUnreadable();
    void creditsPauseOncePerPass_data();
    void creditsPauseOncePerPass();
};

void TestInfoText::kilobytesShortestForm_data() {
    QTest::addColumn<quint64>("bytes");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    const QLocale c = QLocale::c();
    const QLocale german(QLocale::German, QLocale::Germany);
    QTest::newRow("512 MiB") << quint64(512) * 1024 * 1024 << c << "524288";
    QTest::newRow("1536 bytes") << quint64(1536) << c << "1.5";
    QTest::newRow("regional decimal separator") << quint64(1536) << german << "1,5";
    QTest::newRow("no thousands separator") << quint64(1234567) * 1024 << german << "1234567";
    QTest::newRow("one byte, every decimal") << quint64(1) << c << "0.0009765625";
    QTest::newRow("trailing zeros dropped") << quint64(1024 + 256) << c << "1.25";
    QTest::newRow("above 4 GiB") << (quint64(5) << 30) + 512 << c << "5242880.5";
    QTest::newRow("64-bit address space") << (quint64(1) << 47) << c << "137438953472";
}

void TestInfoText::kilobytesShortestForm() {
    QFETCH(quint64, bytes);
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QCOMPARE(kilobytes(bytes, locale), text);
}

void TestInfoText::percentPattern_data() {
    QTest::addColumn<quint64>("part");
    QTest::addColumn<quint64>("whole");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    const QLocale c = QLocale::c();
    QTest::newRow("two decimals") << quint64(4732) << quint64(10000) << c << "47.32%";
    QTest::newRow("rounded down") << quint64(1) << quint64(3) << c << "33.33%";
    QTest::newRow("rounded up") << quint64(2) << quint64(3) << c << "66.67%";
    QTest::newRow("all") << quint64(7) << quint64(7) << c << "100.00%";
    QTest::newRow("nothing to divide by") << quint64(0) << quint64(0) << c << "0.00%";
    QTest::newRow("large figures") << (quint64(3) << 44) << (quint64(1) << 47) << c << "37.50%";
    QTest::newRow("regional decimal separator")
        << quint64(4732) << quint64(10000) << QLocale(QLocale::French, QLocale::France) << "47,32%";
}

void TestInfoText::percentPattern() {
    QFETCH(quint64, part);
    QFETCH(quint64, whole);
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QCOMPARE(percentUsed(part, whole, locale), text);
}

void TestInfoText::barsKeepTheProportion_data() {
    QTest::addColumn<quint64>("total");
    QTest::addColumn<quint64>("used");
    QTest::newRow("512 MiB, a quarter used") << (quint64(512) << 20) << (quint64(128) << 20);
    QTest::newRow("64-bit address space") << (quint64(1) << 47) << (quint64(3) << 40);
    QTest::newRow("largest figure")
        << std::numeric_limits<quint64>::max() << std::numeric_limits<quint64>::max() / 2;
}

void TestInfoText::barsKeepTheProportion() {
    QFETCH(quint64, total);
    QFETCH(quint64, used);
    const UsageBar bar = usageBar(total, used);
    QVERIFY(bar.maximum > 0);
    QVERIFY(bar.value >= 0 && bar.value <= bar.maximum);
    const double wanted = double(used) / double(total);
    QVERIFY2(qAbs(double(bar.value) / bar.maximum - wanted) < 1e-4,
             qPrintable(QStringLiteral("%1 of %2").arg(bar.value).arg(bar.maximum)));
    if (total / 1024 <= quint64(std::numeric_limits<int>::max()))
        QCOMPARE(quint64(bar.maximum), total / 1024); // in KB while that fits
}

void TestInfoText::procFigures_data() {
    QTest::addColumn<QByteArray>("meminfo");
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<bool>("known");
    QTest::addColumn<quint64>("totalPhys");
    QTest::addColumn<quint64>("availPhys");
    QTest::addColumn<quint64>("totalPage");
    QTest::addColumn<quint64>("availPage");
    QTest::addColumn<quint64>("usedVirtual");

    const QByteArray full = "MemTotal:       16318060 kB\n"
                            "MemFree:         1234567 kB\n"
                            "MemAvailable:    9876543 kB\n"
                            "Buffers:          345678 kB\n"
                            "SwapCached:            0 kB\n"
                            "SwapTotal:       2097148 kB\n"
                            "SwapFree:        2000000 kB\n";
    const QByteArray status = "Name:\tquillory\nVmPeak:\t  200000 kB\nVmSize:\t  123456 kB\n";
    QTest::newRow("typical") << full << status << true << quint64(16318060) * 1024
                             << quint64(9876543) * 1024 << quint64(2097148) * 1024
                             << quint64(2000000) * 1024 << quint64(123456) * 1024;
    QTest::newRow("older kernel without MemAvailable")
        << QByteArray("MemTotal: 1000 kB\nMemFree: 300 kB\nSwapTotal: 0 kB\nSwapFree: 0 kB\n")
        << status << true << quint64(1000) * 1024 << quint64(300) * 1024 << quint64(0) << quint64(0)
        << quint64(123456) * 1024;
    QTest::newRow("not a number") << QByteArray("MemTotal: lots kB\nMemAvailable: 1 kB\n") << status
                                  << false << quint64(0) << quint64(0) << quint64(0) << quint64(0)
                                  << quint64(0);
}

void TestInfoText::procFigures() {
    QFETCH(QByteArray, meminfo);
    QFETCH(QByteArray, status);
    QFETCH(bool, known);
    const std::optional<MemoryFigures> f = SystemMemoryStatus::fromProcText(meminfo, status);
    QCOMPARE(f.has_value(), known);
    if (!known)
        return;
    QFETCH(quint64, totalPhys);
    QFETCH(quint64, availPhys);
    QFETCH(quint64, totalPage);
    QFETCH(quint64, availPage);
    QFETCH(quint64, usedVirtual);
    QCOMPARE(f->totalPhys, totalPhys);
    QCOMPARE(f->availPhys, availPhys);
    QCOMPARE(f->totalPage, totalPage);
    QCOMPARE(f->availPage, availPage);
    QCOMPARE(f->totalVirtual - f->availVirtual, usedVirtual);
}

void TestInfoText::versionHistoryShownAsPlainText_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("CR LF lines") << QByteArray("Version 3\r\n- first\r\n")
                                 << "Version 3\n- first\n";
    QTest::newRow("LF and lone CR") << QByteArray("a\nb\rc") << "a\nb\nc";
    QTest::newRow("rich-text markup as characters")
        << QByteArray("{\\rtf1\\ansi {\\b bold}}") << "{\\rtf1\\ansi {\\b bold}}";
    QTest::newRow("UTF-8") << QByteArray("Caf\xC3\xA9 \xE2\x82\xAC") << QStringLiteral("Café €");
    QTest::newRow("UTF-8 with byte order mark")
        << QByteArray("\xEF\xBB\xBFNotes") << QStringLiteral("Notes");
    QTest::newRow("Windows-1252") << QByteArray("Caf\xE9 \x80"
                                                "5")
                                  << QStringLiteral("Café €5");
}

void TestInfoText::versionHistoryShownAsPlainText() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    TestFolders dir;
    const QString path = VersionHistory::path(dir.programFolder());
    QCOMPARE(path, dir.programFolder() + "/VersionHistory.txt");
    TestFolders::writeBytes(path, bytes);
    const std::optional<QString> text = VersionHistory::load(path);
    QVERIFY(text.has_value());
    QCOMPARE(*text, shown);
    QCOMPARE(TestFolders::readBytes(path), bytes); // only ever read
}

void TestInfoText::versionHistoryMissingOrUnreadable() {
    TestFolders dir;
    const QString path = VersionHistory::path(dir.programFolder() + "/");
    QCOMPARE(path, dir.programFolder() + "/VersionHistory.txt");
    QVERIFY(!VersionHistory::load(path).has_value());
    QVERIFY(QDir().mkdir(path)); // a folder of that name is no file
    QVERIFY(!VersionHistory::load(path).has_value());
}

void TestInfoText::creditsPauseOncePerPass_data() {
    QTest::addColumn<int>("container");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("firstPauseAfter"); // ticks; 0 when the top never hits 255 exactly
    QTest::newRow("as designed") << 2055 << 10 << 180;
    QTest::newRow("coarser step still lands") << 2055 << 20 << 90;
    QTest::newRow("panel 5 twips lower never lands") << 2060 << 10 << 0;
    QTest::newRow("panel 5 twips higher never lands") << 2050 << 10 << 0;
}

void TestInfoText::creditsPauseOncePerPass() {
    QFETCH(int, container);
    QFETCH(int, step);
    QFETCH(int, firstPauseAfter);
    CreditsScroller scroller(container, CreditsScroller::kLabelHeight, step);
    QCOMPARE(scroller.top(), container);

    int ticks = 0;
    int pauses = 0;
    int restarts = 0;
    QList<int> pauseTops;
    while (restarts < 3 && ticks < 100000) {
        const int before = scroller.top();
        const CreditsScroller::Tick t = scroller.tick();
        ++ticks;
        switch (t) {
        case CreditsScroller::Tick::Paused:
            if (pauses == 0)
                QCOMPARE(ticks, firstPauseAfter);
            ++pauses;
            pauseTops.append(scroller.top());
            QCOMPARE(scroller.top(), before - step);
            break;
        case CreditsScroller::Tick::Moved:
            QCOMPARE(scroller.top(), before - step);
            break;
        case CreditsScroller::Tick::Restarted:
            // Only once the whole label has passed above the panel.
            QVERIFY(before <= -CreditsScroller::kLabelHeight);
            QCOMPARE(scroller.top(), container);
            ++restarts;
            QCOMPARE(pauses, firstPauseAfter ? restarts : 0);
            break;
        }
    }
    QCOMPARE(restarts, 3);
    for (int top : pauseTops)
        QCOMPARE(top, 255);
}

QTEST_GUILESS_MAIN(TestInfoText)
#include "tst_infotext.moc"
