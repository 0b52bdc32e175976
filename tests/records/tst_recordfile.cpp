#include "records/Cp1252.h"
#include "records/FolderIndex.h"
#include "records/Paths.h"
#include "records/RecordFile.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

using namespace quillory;
using namespace quillory::records;
using quillory::test::TestFolders;

Q_DECLARE_METATYPE(quillory::records::FileError)

class TestRecordFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writesCp1252WithCrLf_data();
    void writesCp1252WithCrLf();
    void refusesCharactersOutsideTheCodePage();
    void read_data();
    void read();
    void appendKeepsOldBytes_data();
    void appendKeepsOldBytes();
    void existsIgnoresCaseAndHiddenFiles_data();
    void existsIgnoresCaseAndHiddenFiles();
    void listingFiltersAndSorts();
    void listingFollowsEveryChange();
    void checkDirNameAndMakeDir();
    void decodeEncodeRoundTripsEveryByte();
};

void TestRecordFile::writesCp1252WithCrLf_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("name"); // as the system has it, the file there before if any
    const QByteArray r("Record");
    QTest::newRow("plain") << QStringList{"Dune", "Available"}
                           << QByteArray("Dune\r\nAvailable\r\n") << r;
    QTest::newRow("accents and euro") << QStringList{QStringLiteral("Café"), QStringLiteral("€12")}
                                      << QByteArray("Caf\xE9\r\n\x80"
                                                    "12\r\n")
                                      << r;
    QTest::newRow("empty lines kept")
        << QStringList{"a", "", "b"} << QByteArray("a\r\n\r\nb\r\n") << r;
    QTest::newRow("blanks kept") << QStringList{" Dune ", " 1 "} << QByteArray(" Dune \r\n 1 \r\n")
                                 << r;
    QTest::newRow("one empty line") << QStringList{""} << QByteArray("\r\n") << r;
    QTest::newRow("no lines") << QStringList{} << QByteArray() << r;
    QTest::newRow("rewrite of a name not UTF-8")
        << QStringList{"new"} << QByteArray("new\r\n") << QByteArray("Caf\xE9");
}

void TestRecordFile::writesCp1252WithCrLf() {
    QFETCH(QStringList, lines);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, name);
    TestFolders dir;
    const QByteArray raw = QFile::encodeName(dir.root()) + '/' + name;
    if (name != "Record") // by its bytes, as a folder copied from Windows has it
        QVERIFY(::close(::open(raw.constData(), O_WRONLY | O_CREAT, 0644)) == 0);
    const QString path = dir.root() + "/" + RecordFile::list(dir.root())->names.value(0, name);
    QVERIFY(RecordFile::write(path, lines).ok());
    // Creating never replaces a record.
    QCOMPARE(RecordFile::create(path, {"other"}).error().code, FileError::WriteFailed);
    // One file, by its bytes: no temporary left, and a record replaced, not joined by a second
    // spelling of its name.
    QCOMPARE(std::distance(std::filesystem::directory_iterator(dir.root().toStdString()), {}), 1);
    QFile file;
    QVERIFY(file.open(::open(raw.constData(), O_RDONLY), QIODevice::ReadOnly,
                      QFileDevice::AutoCloseHandle));
    QCOMPARE(file.readAll(), bytes);
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

// Every line end a hand-edited file may have; what a reader refuses, and why.
void TestRecordFile::read_data() {
    QTest::addColumn<QByteArray>("bytes"); // see TestFolders::make
    QTest::addColumn<int>("minLines");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<FileError>("error");
    const FileError ok = FileError::None;
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << 2 << QStringList{"a", "b"} << ok;
    QTest::newRow("lf") << QByteArray("a\nb\n") << 0 << QStringList{"a", "b"} << ok;
    QTest::newRow("cr") << QByteArray("a\rb\r") << 0 << QStringList{"a", "b"} << ok;
    QTest::newRow("mixed") << QByteArray("a\r\nb\nc\rd") << 0 << QStringList{"a", "b", "c", "d"}
                           << ok;
    QTest::newRow("no final end") << QByteArray("a\r\nb") << 0 << QStringList{"a", "b"} << ok;
    QTest::newRow("empty line at end")
        << QByteArray("a\r\n\r\n") << 0 << QStringList{"a", ""} << ok;
    QTest::newRow("lf cr is two ends")
        << QByteArray("a\n\rb") << 0 << QStringList{"a", "", "b"} << ok;
    QTest::newRow("empty file") << QByteArray("") << 0 << QStringList{} << ok;
    QTest::newRow("missing") << QByteArray() << 0 << QStringList{} << FileError::Missing;
    QTest::newRow("folder") << QByteArray("<folder>") << 0 << QStringList{} << FileError::NotAFile;
    QTest::newRow("too large") << QByteArray(RecordFile::kMaxBytes + 1, 'x') << 0 << QStringList{}
                               << FileError::TooLarge;
    QTest::newRow("too short") << QByteArray("1\r\n2\r\n3\r\n") << 4 << QStringList{"1", "2", "3"}
                               << FileError::TooShort;
}

void TestRecordFile::read() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, minLines);
    QFETCH(QStringList, lines);
    QFETCH(FileError, error);
    TestFolders dir;
    const QString path = dir.root() + "/Record";
    TestFolders::make(path, bytes);
    const Result<QStringList> result = RecordFile::read(path, minLines);
    QCOMPARE(result.error().code, error);
    QCOMPARE(result.value(), lines); // a short record keeps what it read
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

namespace {
// A name that is not UTF-8: "Café" in Windows-1252, as a folder copied from Windows has it.
const QByteArray kLegacyName("Caf\xE9");

// Writes a file by its bytes, as another program would.
void writeRaw(const QString& folder, const QByteArray& name) {
    const int fd = ::open((QFile::encodeName(folder) + '/' + name).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0 && ::write(fd, "x\r\n", 3) == 3 && ::close(fd) == 0);
}
} // namespace

void TestRecordFile::existsIgnoresCaseAndHiddenFiles_data() {
    QTest::addColumn<QString>("onDisk");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<bool>("exists");
    // "listed": a list held the folder's listing before the file was made (or removed) from
    // outside; the answer must still be right, and come without reading the folder again.
    QTest::addColumn<bool>("listed");
    const QString cafe = QStringLiteral("CAFÉ");
    for (const bool listed : {false, true}) {
        auto row = [listed](const char* name) {
            return &QTest::newRow(qPrintable(QString(name) + (listed ? ", listed" : "")));
        };
        *row("same name") << "Dune"
                          << "Dune" << true << listed;
        *row("other case") << "Dune"
                           << "DUNE" << true << listed;
        *row("accented other case")
            << QStringLiteral("Émile") << QStringLiteral("éMILE") << true << listed;
        *row("name not UTF-8") << "legacy" << cafe << true << listed;
        *row("missing") << "Dune"
                        << "Emma" << false << listed;
        *row("removed") << "removed:Dune"
                        << "dune" << false << listed;
        *row("prefix is not the name") << "Dune"
                                       << "Dun" << false << listed;
        *row("hidden file") << ".Dune"
                            << ".Dune" << false << listed;
        *row("folder") << "dir:Dune"
                       << "Dune" << false << listed;
    }
}

void TestRecordFile::existsIgnoresCaseAndHiddenFiles() {
    QFETCH(QString, onDisk);
    QFETCH(QString, asked);
    QFETCH(bool, exists);
    QFETCH(bool, listed);
    TestFolders dir;
    const QString root = dir.root();
    std::shared_ptr<FolderIndex> index;
    std::unique_ptr<QSignalSpy> rereads;
    auto list = [&] {
        if (listed && !index) {
            index = FolderIndex::of(root);
            QVERIFY(index->update());
            rereads = std::make_unique<QSignalSpy>(index.get(), &FolderIndex::wasReset);
        }
    };
    if (onDisk.startsWith("removed:"))
        TestFolders::writeBytes(root + "/" + onDisk.mid(8), "x\r\n");
    list();
    if (onDisk.startsWith("dir:"))
        QDir().mkdir(root + "/" + onDisk.mid(4));
    else if (onDisk.startsWith("removed:"))
        QVERIFY(QFile::remove(root + "/" + onDisk.mid(8)));
    else if (onDisk == "legacy")
        writeRaw(root, kLegacyName);
    else
        TestFolders::writeBytes(root + "/" + onDisk, "x\r\n");
    QCOMPARE(CheckExist(root + "/" + asked), exists);
    if (rereads)
        QCOMPARE(rereads->size(), 0);
}

void TestRecordFile::listingFiltersAndSorts() {
    TestFolders dir;
    for (const char* name : {"beta", "Alpha", "gamma", "ALPHA2", "4821937Q", "4821937Q.lst",
                             "notes.txt", ".hidden", "Émile", "zeta"})
        TestFolders::writeBytes(dir.root() + "/" + name, "x\r\n");
    QDir().mkdir(dir.root() + "/afolder");
    QFile::link(dir.root() + "/beta", dir.root() + "/link");
    writeRaw(dir.root(), kLegacyName);
    const auto listing = RecordFile::list(dir.root());
    QVERIFY(listing.has_value());
    QCOMPARE(listing->names,
             (QStringList{"4821937Q", "Alpha", "ALPHA2", "beta", QStringLiteral("Café"), "gamma",
                          "zeta", QStringLiteral("Émile")}));
    // The search goes to the first name with the prefix in any case, and to none when no name
    // has it, also where the prefix sorts between two names.
    const std::shared_ptr<FolderIndex> index = FolderIndex::of(dir.root());
    QVERIFY(index->update());
    for (const auto& [prefix, row] : QList<QPair<QString, int>>{
             {"", 0}, {"alp", 1}, {"ALPHA2", 2}, {"b", 3}, {"bz", -1}, {"Alpha3", -1}, {"zz", -1}})
        QVERIFY2(index->firstWithPrefix(prefix) == row, qPrintable(prefix));
    // Every name listed opens, and can be removed, whatever bytes it has on disk.
    for (const QString& name : listing->names)
        QVERIFY2(RecordFile::read(dir.root() + "/" + name, 1).ok(), qPrintable(name));
    QVERIFY(RecordFile::remove(dir.root() + "/" + QStringLiteral("Café")).ok());
}

void TestRecordFile::listingFollowsEveryChange() {
    TestFolders dir;
    const QString f = dir.root();
    for (const char* name : {"b", "a", "c", "d"})
        TestFolders::writeBytes(f + "/" + name, "x\r\n");
    // What a plain reading of the folder gives, sorted the list's way.
    auto plain = [&] {
        QStringList names;
        const QFileInfoList entries =
            QDir(f).entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::Hidden);
        for (const QFileInfo& e : entries) {
            if (!e.fileName().contains('.'))
                names.append(e.fileName());
        }
        std::sort(names.begin(), names.end(),
                  [](const QString& a, const QString& b) { return FolderIndex::lessThan(a, b); });
        return names;
    };
    const std::shared_ptr<FolderIndex> index = FolderIndex::of(f);
    QVERIFY(index->update());
    QSignalSpy rereads(index.get(), &FolderIndex::wasReset);
    auto check = [&](const char* step) {
        QVERIFY2(index->update(), step);
        QVERIFY2(index->names() == plain(), step);
        QCOMPARE(RecordFile::list(f)->names, index->names());
    };
    check("unchanged");
    QVERIFY(RecordFile::write(f + "/b", {"rewritten"}).ok());
    check("rewritten in place");
    QVERIFY(RecordFile::write(f + "/New", {"made by the program"}).ok());
    check("added by the program");
    TestFolders::writeBytes(f + "/E", "x\r\n");
    check("added from outside");
    QFile::remove(f + "/a");
    check("removed");
    QFile::rename(f + "/c", f + "/Z");
    check("renamed");
    QFile::rename(f + "/Z", f + "/z");
    check("renamed to another case");
    TestFolders::writeBytes(f + "/note.txt", "x\r\n");
    QDir().mkdir(f + "/folder");
    QFile::link(f + "/b", f + "/link");
    check("a name with a dot, a folder and a link added");
    QFile::remove(f + "/d");
    QDir().mkdir(f + "/d");
    check("a record replaced by a folder");
    QCOMPARE(rereads.size(), 0); // each change applied by its name, no folder read
    QVERIFY(QDir(f).removeRecursively());
    QVERIFY(!index->update());
    QVERIFY(index->names().isEmpty());
    QDir().mkpath(f);
    TestFolders::writeBytes(f + "/again", "x\r\n");
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
