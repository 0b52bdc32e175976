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
}

void TstToolCli::usage() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, stdoutHas);
    QFETCH(QString, stderrHas);

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
