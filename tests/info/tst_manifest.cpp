#include "info/Manifest.h"
#include "support/ScriptedMessages.h"
#include "support/TestFolders.h"

#include <QFileInfo>
#include <QTest>

using namespace quillory;
using namespace quillory::info;
using quillory::test::ScriptedMessages;
using quillory::test::TestFolders;

namespace {
// Written out whole, as the platform reads it.
const QByteArray kExpected =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">"
    "<assemblyIdentity version=\"1.0.0.0\" processorArchitecture=\"X86\" "
    "name=\"Arborlight.WindowsXP.Example\" type=\"win32\" /> "
    "<description>An example of windows XP theming.</description> "
    "<dependency> <dependentAssembly> "
    "<assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" "
    "version=\"6.0.0.0\" processorArchitecture=\"X86\" publicKeyToken=\"6595b64144ccf1df\" "
    "language=\"*\" /> "
    "</dependentAssembly> </dependency> </assembly>\r\n";
} // namespace

class TestManifest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void contentIsExactlyOneLine();
    void pathRules_data();
    void pathRules();
    void startUpCheck_data();
    void startUpCheck();
    void nothingHappensOffWindows();
};

void TestManifest::contentIsExactlyOneLine() {
    QCOMPARE(Manifest::content(), kExpected);
}

void TestManifest::pathRules_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("exe");
    QTest::addColumn<QString>("path");
    QTest::newRow("folder") << "/opt/quillory"
                            << "quillory"
                            << "/opt/quillory/quillory.exe.manifest";
    QTest::newRow("folder ending in a separator") << "/opt/quillory/"
                                                  << "quillory"
                                                  << "/opt/quillory/quillory.exe.manifest";
    QTest::newRow("file-system root") << "/"
                                      << "quillory"
                                      << "/quillory.exe.manifest";
    QTest::newRow("extension dropped") << "/srv/lib"
                                       << "lend.exe"
                                       << "/srv/lib/lend.exe.manifest";
    QTest::newRow("only the last extension dropped") << "/srv/lib"
                                                     << "my.lend.exe"
                                                     << "/srv/lib/my.lend.exe.manifest";
}

void TestManifest::pathRules() {
    QFETCH(QString, folder);
    QFETCH(QString, exe);
    QFETCH(QString, path);
    QCOMPARE(Manifest::path(folder, exe), path);
}

void TestManifest::startUpCheck_data() {
    QTest::addColumn<QByteArray>("before"); // "-" for no file
    QTest::addColumn<bool>("folderExists");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("title"); // of the one message, empty for none
    QTest::newRow("correct manifest there")
        << kExpected << true << int(Manifest::Outcome::AlreadyThere) << QString();
    QTest::newRow("any file of that name counts")
        << QByteArray("old\r\n") << true << int(Manifest::Outcome::AlreadyThere) << QString();
    QTest::newRow("missing: written, restart asked")
        << QByteArray("-") << true << int(Manifest::Outcome::Written) << "Restart";
    QTest::newRow("cannot be written")
        << QByteArray("-") << false << int(Manifest::Outcome::Failed) << "Themeing Error!";
}

void TestManifest::startUpCheck() {
    QFETCH(QByteArray, before);
    QFETCH(bool, folderExists);
    QFETCH(int, outcome);
    QFETCH(QString, title);

    TestFolders dir;
    const QString folder = folderExists ? dir.root() : dir.root() + "/no-such-folder";
    const QString path = Manifest::path(folder, "quillory");
    if (before != "-")
        TestFolders::writeBytes(path, before);

    ScriptedMessages messages;
    if (!title.isEmpty())
        messages.answerOk();
    QCOMPARE(int(Manifest::check(path, messages)), outcome);

    if (title.isEmpty()) {
        QVERIFY(messages.shown.isEmpty());
        QCOMPARE(TestFolders::readBytes(path), before); // left exactly as it was
        return;
    }
    QCOMPARE(messages.shown.size(), 1);
    const Message& m = messages.shown.first();
    QCOMPARE(m.title, title);
    if (outcome == int(Manifest::Outcome::Written)) {
        QCOMPARE(m.text, QStringLiteral("Please restart Quillory! QD to view Windows XP theme,"));
        QCOMPARE(m.icon, MsgIcon::Information);
        QCOMPARE(TestFolders::readBytes(path), kExpected);
    } else {
        QCOMPARE(m.text, QStringLiteral("Error creating Windows XP theme file. You may be running "
                                        "EXE file from a network drive With which you dont have "
                                        "write permissions. Themes will Not be enabled."));
        QCOMPARE(m.icon, MsgIcon::Exclamation);
        QVERIFY(!QFileInfo::exists(path));
    }
    QCOMPARE(m.buttons, MsgButtons::Ok);
}

void TestManifest::nothingHappensOffWindows() {
#if defined(Q_OS_WIN)
    QSKIP("the visual style is set up on Windows");
#else
    const QString path = Manifest::pathForThisProgram();
    QVERIFY(!QFileInfo::exists(path));
    ScriptedMessages messages;
    Manifest::setUpVisualStyle(messages);
    QVERIFY(messages.shown.isEmpty());
    QVERIFY2(!QFileInfo::exists(path), "no manifest is written where nothing reads it");
#endif
}

QTEST_GUILESS_MAIN(TestManifest)
#include "tst_manifest.moc"
