#include "support/TestFolders.h"

#include <QProcess>
#include <QtTest>

// The console program as a user meets it: exit statuses and which stream carries the text.
class TstToolCli : public QObject {
    Q_OBJECT

private slots:
    void usage_data();
    void usage();
};

void TstToolCli::usage_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("stdoutHas");
    QTest::addColumn<QString>("stderrHas");

    QTest::newRow("no command") << QStringList{} << 2 << QString() << "no command given";
    QTest::newRow("unknown command")
        << QStringList{"frobnicate"} << 2 << QString() << "unknown command 'frobnicate'";
    QTest::newRow("overview") << QStringList{"--help"} << 0 << "Usage: quillory-tool <command>"
                              << QString();
    QTest::newRow("help of a command") << QStringList{"stats", "--help"} << 0
                                       << "Usage: quillory-tool stats [options]" << QString();
    QTest::newRow("unknown option") << QStringList{"export", "--colour", "items"} << 2 << QString()
                                    << "Unknown option 'colour'";
    QTest::newRow("unknown kind") << QStringList{"export", "books"} << 2 << QString()
                                  << "Name one of: items, borrowers, loans.";
    QTest::newRow("overdue without days")
        << QStringList{"overdue"} << 2 << QString() << "--days needs a whole number";
    QTest::newRow("missing folder")
        << QStringList{"stats", "--stats", "LIB/none", "--profiles", "LIB", "--loaned", "LIB"} << 2
        << QString() << "no such folder: LIB/none/";
    QTest::newRow("damaged record skipped")
        << QStringList{"export", "loans", "--stats", "LIB", "--profiles", "LIB", "--loaned", "LIB"}
        << 1 << "File Name,Title,Loan Date"
        << "skipped Short: ";
}

void TstToolCli::usage() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, stdoutHas);
    QFETCH(QString, stderrHas);

    // LIB: a folder holding one loan record that has lost lines.
    quillory::test::TestFolders lib;
    quillory::test::TestFolders::writeBytes(lib.root() + "/Short", "Dune\r\n");
    args.replaceInStrings("LIB", lib.root());
    stderrHas.replace("LIB", lib.root());
    QProcess tool;
    tool.start(QStringLiteral(QUILLORY_TOOL_PATH), args);
    QVERIFY(tool.waitForFinished(30000));
    const QString out = QString::fromUtf8(tool.readAllStandardOutput());
    const QString err = QString::fromUtf8(tool.readAllStandardError());
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), status);
    if (stdoutHas.isEmpty())
        QVERIFY2(out.isEmpty(), qPrintable(out));
    else
        QVERIFY2(out.contains(stdoutHas), qPrintable(out));
    if (stderrHas.isEmpty())
        QVERIFY2(err.isEmpty(), qPrintable(err));
    else
        QVERIFY2(err.contains(stderrHas), qPrintable(err));
}

QTEST_GUILESS_MAIN(TstToolCli)
#include "tst_toolcli.moc"
