#include "records/Cp1252.h"
#include "records/Paths.h"
#include "records/RecordFile.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <unistd.h>

using namespace quillory;
using namespace quillory::records;
using quillory::test::TestFolders;

class TestRecordFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writesCp1252WithCrLf_data();
    void writesCp1252WithCrLf();
    void refusesCharactersOutsideTheCodePage();
    void readsEveryLineEnd_data();
    void readsEveryLineEnd();
    void readRefusals_data();
    void readRefusals();
    void replaceIsAtomicAndLeavesNoTemporary();
    void failedWriteKeepsOldContent();
    void appendKeepsOldBytes_data();
    void appendKeepsOldBytes();
    void existsIgnoresCaseAndHiddenFiles_data();
    void existsIgnoresCaseAndHiddenFiles();
    void listingFiltersAndSorts();
    void listingOfMissingFolder();
    void cachedListingFollowsEveryChange();
    void checkDirNameAndMakeDir();
    void decodeEncodeRoundTripsEveryByte();
};

void TestRecordFile::writesCp1252WithCrLf_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("plain") << QStringList{"Dune", "Available"}
                           << QByteArray("Dune\r\nAvailable\r\n");
    QTest::newRow("accents and euro") << QStringList{QStringLiteral("Café"), QStringLiteral("€12")}
                                      << QByteArray("Caf\xE9\r\n\x80"
                                                    "12\r\n");
    QTest::newRow("empty lines kept") << QStringList{"a", "", "b"} << QByteArray("a\r\n\r\nb\r\n");
    QTest::newRow("blanks kept") << QStringList{" Dune ", " 1 "} << QByteArray(" Dune \r\n 1 \r\n");
    QTest::newRow("one empty line") << QStringList{""} << QByteArray("\r\n");
    QTest::newRow("no lines") << QStringList{} << QByteArray();
}

void TestRecordFile::writesCp1252WithCrLf() {
    QFETCH(QStringList, lines);
    QFETCH(QByteArray, bytes);
    TestFolders dir;
    const QString path = dir.root() + "/Record";
    QVERIFY(RecordFile::write(path, lines).ok());
    QCOMPARE(TestFolders::readBytes(path), bytes);
    const Result<QStringList> back = RecordFile::read(path);
    QVERIFY(back.ok());
    QCOMPARE(back.value(), lines);
}

void TestRecordFile::refusesCharactersOutsideTheCodePage() {
    TestFolders dir;
    const QString path = dir.root() + "/Record";
    TestFolders::writeBytes(path, "old\r\n");
    const Result<> result = RecordFile::write(path, {QStringLiteral("Война и мир")});
    QCOMPARE(result.error().code, FileError::Unencodable);
    QCOMPARE(TestFolders::readBytes(path), QByteArray("old\r\n"));
    QCOMPARE(Cp1252::firstUnencodable(QStringLiteral("abc\u0412")), QChar(0x0412));
    QVERIFY(Cp1252::firstUnencodable(QStringLiteral("Œuvre – “quoted” €")).isNull());
}

void TestRecordFile::readsEveryLineEnd_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("lf") << QByteArray("a\nb\n") << QStringList{"a", "b"};
    QTest::newRow("cr") << QByteArray("a\rb\r") << QStringList{"a", "b"};
    QTest::newRow("mixed") << QByteArray("a\r\nb\nc\rd") << QStringList{"a", "b", "c", "d"};
    QTest::newRow("no final end") << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("empty line at end") << QByteArray("a\r\n\r\n") << QStringList{"a", ""};
    QTest::newRow("lf cr is two ends") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
}

void TestRecordFile::readsEveryLineEnd() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    TestFolders dir;
    const QString path = dir.root() + "/Record";
    TestFolders::writeBytes(path, bytes);
    const Result<QStringList> result = RecordFile::read(path);
    QVERIFY(result.ok());
    QCOMPARE(result.value(), lines);
}

void TestRecordFile::readRefusals_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("minLines");
    QTest::addColumn<int>("error");
    QTest::newRow("missing") << "missing" << 0 << int(FileError::Missing);
    QTest::newRow("folder") << "folder" << 0 << int(FileError::NotAFile);
    QTest::newRow("too large") << "large" << 0 << int(FileError::TooLarge);
    QTest::newRow("too short") << "short" << 7 << int(FileError::TooShort);
    QTest::newRow("long enough") << "short" << 3 << int(FileError::None);
}

void TestRecordFile::readRefusals() {
    QFETCH(QString, setup);
    QFETCH(int, minLines);
    QFETCH(int, error);
    TestFolders dir;
    const QString path = dir.root() + "/Record";
    if (setup == "folder")
        QDir().mkdir(path);
    else if (setup == "large")
        TestFolders::writeBytes(path, QByteArray(RecordFile::kMaxBytes + 1, 'x'));
    else if (setup == "short")
        TestFolders::writeBytes(path, "1\r\n2\r\n3\r\n");
    QCOMPARE(int(RecordFile::read(path, minLines).error().code), error);
}

void TestRecordFile::replaceIsAtomicAndLeavesNoTemporary() {
    TestFolders dir;
    const QString path = dir.root() + "/Dune";
    TestFolders::writeBytes(path, "old\r\n");
    QVERIFY(RecordFile::write(path, {"new", "lines"}).ok());
    QCOMPARE(TestFolders::readBytes(path), QByteArray("new\r\nlines\r\n"));
    const QStringList entries =
        QDir(dir.root())
            .entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QCOMPARE(entries, QStringList{"Dune"});
}

void TestRecordFile::failedWriteKeepsOldContent() {
    if (QFileInfo(QDir::rootPath()).isWritable() && ::geteuid() == 0)
        QSKIP("root writes into read-only folders; the reliability tests cover this with a full "
              "disk");
    TestFolders dir;
    const QString folder = dir.root() + "/ro";
    QDir().mkdir(folder);
    const QString path = folder + "/Dune";
    TestFolders::writeBytes(path, "old\r\n");
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const Result<> result = RecordFile::write(path, {"new"});
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(result.error().code, FileError::WriteFailed);
    QCOMPARE(TestFolders::readBytes(path), QByteArray("old\r\n"));
}

void TestRecordFile::appendKeepsOldBytes_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("missing file") << QByteArray() << QByteArray("Dune\r\n");
    QTest::newRow("one empty line") << QByteArray("\r\n") << QByteArray("\r\nDune\r\n");
    QTest::newRow("lf file") << QByteArray("Emma\n") << QByteArray("Emma\nDune\r\n");
    QTest::newRow("no final end") << QByteArray("Emma") << QByteArray("Emma\r\nDune\r\n");
}

void TestRecordFile::appendKeepsOldBytes() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    TestFolders dir;
    const QString path = dir.root() + "/4821937Q.lst";
    if (!before.isEmpty())
        TestFolders::writeBytes(path, before);
    QVERIFY(RecordFile::appendLine(path, "Dune").ok());
    QCOMPARE(TestFolders::readBytes(path), after);
}

void TestRecordFile::existsIgnoresCaseAndHiddenFiles_data() {
    QTest::addColumn<QString>("onDisk");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<bool>("exists");
    QTest::newRow("same name") << "Dune"
                               << "Dune" << true;
    QTest::newRow("other case") << "Dune"
                                << "DUNE" << true;
    QTest::newRow("accented other case")
        << QStringLiteral("Émile") << QStringLiteral("éMILE") << true;
    QTest::newRow("missing") << "Dune"
                             << "Emma" << false;
    QTest::newRow("prefix is not the name") << "Dune"
                                            << "Dun" << false;
    QTest::newRow("hidden file") << ".Dune"
                                 << ".Dune" << false;
    QTest::newRow("folder") << "dir:Dune"
                            << "Dune" << false;
}

void TestRecordFile::existsIgnoresCaseAndHiddenFiles() {
    QFETCH(QString, onDisk);
    QFETCH(QString, asked);
    QFETCH(bool, exists);
    TestFolders dir;
    if (onDisk.startsWith("dir:"))
        QDir().mkdir(dir.root() + "/" + onDisk.mid(4));
    else
        TestFolders::writeBytes(dir.root() + "/" + onDisk, "x\r\n");
    QCOMPARE(CheckExist(dir.root() + "/" + asked), exists);
}

void TestRecordFile::listingFiltersAndSorts() {
    TestFolders dir;
    for (const char* name : {"beta", "Alpha", "gamma", "ALPHA2", "4821937Q", "4821937Q.lst",
                             "notes.txt", ".hidden", "Émile", "zeta"})
        TestFolders::writeBytes(dir.root() + "/" + name, "x\r\n");
    QDir().mkdir(dir.root() + "/afolder");
    QFile::link(dir.root() + "/beta", dir.root() + "/link");
    const auto listing = RecordFile::list(dir.root());
    QVERIFY(listing.has_value());
    QCOMPARE(listing->names, (QStringList{"4821937Q", "Alpha", "ALPHA2", "beta", "gamma", "zeta",
                                          QStringLiteral("Émile")}));
    QCOMPARE(listing->keys.size(), listing->names.size());
    QCOMPARE(listing->keys.at(1), QString("alpha"));
}

void TestRecordFile::listingOfMissingFolder() {
    TestFolders dir;
    QVERIFY(!RecordFile::list(dir.root() + "/nothing").has_value());
    QVERIFY(RecordFile::list(dir.root())->names.isEmpty());
}

void TestRecordFile::cachedListingFollowsEveryChange() {
    TestFolders dir;
    const QString f = dir.root();
    for (const char* name : {"b", "a", "c", "d"})
        TestFolders::writeBytes(f + "/" + name, "x\r\n");
    ListingCache cache;
    auto check = [&](const char* step) {
        const auto cached = RecordFile::list(f, &cache);
        const auto fresh = RecordFile::list(f);
        QVERIFY2(cached && fresh, step);
        QVERIFY2(cached->names == fresh->names, step);
        QVERIFY2(cached->keys == fresh->keys, step);
    };
    check("first");
    check("unchanged");
    QVERIFY(RecordFile::write(f + "/b", {"rewritten"}).ok());
    check("rewritten in place");
    TestFolders::writeBytes(f + "/E", "x\r\n");
    check("added");
    QFile::remove(f + "/a");
    check("removed");
    QFile::rename(f + "/c", f + "/Z");
    check("renamed");
    TestFolders::writeBytes(f + "/note.txt", "x\r\n");
    check("a name with a dot added");
    QVERIFY(QDir(f).removeRecursively());
    QVERIFY(!RecordFile::list(f, &cache).has_value());
    QDir().mkpath(f);
    check("folder made again");
}

void TestRecordFile::checkDirNameAndMakeDir() {
    QCOMPARE(CheckDirName("/data/stats/"), QString("/data/stats/"));
    QCOMPARE(CheckDirName("/data/stats"), QString("/data/stats/"));
    QCOMPARE(CheckDirName(""), QString("/"));
    TestFolders dir;
    const QString made = dir.root() + "/stats/";
    QVERIFY(MakeDir(made));
    QVERIFY(folderExists(made));
    QVERIFY2(!MakeDir(made), "an existing folder is not made again");
    QVERIFY2(!MakeDir(dir.root() + "/a/b/"), "only the last folder of a path is made");
    QVERIFY(!folderExists(dir.root() + "/a"));
}

void TestRecordFile::decodeEncodeRoundTripsEveryByte() {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    QByteArray back;
    QVERIFY(Cp1252::encode(Cp1252::decode(all), back));
    QCOMPARE(back, all);
}

QTEST_GUILESS_MAIN(TestRecordFile)
#include "tst_recordfile.moc"
