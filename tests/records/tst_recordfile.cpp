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
    void read_data();
    void read();
    void existsIgnoresCaseAndHiddenFiles_data();
    void existsIgnoresCaseAndHiddenFiles();
    void listingFollowsEveryChange();
    void checkDirNameAndMakeDir();
};

// A record written whole: its bytes, or its old bytes kept when a line cannot be encoded.
void TestRecordFile::writesCp1252WithCrLf_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("name"); // as the system has it, the file there before if any
    auto row = [](const char* name, const QStringList& lines, const QByteArray& bytes,
                  const QByteArray& file = "Record") {
        QTest::newRow(name) << lines << bytes << file;
    };
    row("plain", {"Dune", "Available"}, "Dune\r\nAvailable\r\n");
    row("accents and euro", {QStringLiteral("Café"), QStringLiteral("12 €")},
        "Caf\xE9\r\n12 \x80\r\n");
    row("empty lines kept", {"a", "", "b"}, "a\r\n\r\nb\r\n");
    row("blanks kept", {" Dune ", " 1 "}, " Dune \r\n 1 \r\n");
    row("one empty line", {""}, "\r\n");
    row("no lines", {}, "");
    row("rewrite of a name not UTF-8", {"new"}, "new\r\n", "Caf\xE9");
    row("outside the code page", {QStringLiteral("Война и мир")}, "old\r\n", "Old");
}

void TestRecordFile::writesCp1252WithCrLf() {
    QFETCH(QStringList, lines);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, name);
    TestFolders dir;
    const QByteArray raw = QFile::encodeName(dir.root()) + '/' + name;
    if (name != "Record")
        TestFolders::writeNamed(dir.root(), name, name == "Old" ? bytes : "");
    const QString path = dir.root() + "/" + RecordFile::list(dir.root())->names.value(0, name);
    QCOMPARE(RecordFile::write(path, lines).error().code,
             name == "Old" ? FileError::Unencodable : FileError::None);
    // Creating never replaces a record.
    QCOMPARE(RecordFile::create(path, {"other"}).error().code, FileError::WriteFailed);
    // One file, by its bytes: no temporary left, and a record replaced, not joined by a second
    // spelling of its name.
    QCOMPARE(std::distance(std::filesystem::directory_iterator(dir.root().toStdString()), {}), 1);
    QFile file;
    QVERIFY(file.open(::open(raw.constData(), O_RDONLY), QIODevice::ReadOnly,
                      QFileDevice::AutoCloseHandle));
    QCOMPARE(file.readAll(), bytes);
    if (name != "Old")
        QCOMPARE(RecordFile::read(path).value(), lines);
}

// Every line end a hand-edited file may have; what a reader refuses, and why.
void TestRecordFile::read_data() {
    QTest::addColumn<QByteArray>("bytes"); // see TestFolders::make
    QTest::addColumn<int>("minLines");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<FileError>("error");
    auto row = [](const char* name, const QByteArray& bytes, const QStringList& lines,
                  FileError error = FileError::None,
                  int minLines = 0) { QTest::newRow(name) << bytes << minLines << lines << error; };
    row("crlf", "a\r\nb\r\n", {"a", "b"}, FileError::None, 2);
    row("lf, cr, no final end", "a\r\nb\nc\rd", {"a", "b", "c", "d"});
    row("empty line at end", "a\r\n\r\n", {"a", ""});
    row("lf cr is two ends", "a\n\rb", {"a", "", "b"});
    row("empty file", "", {});
    row("missing", QByteArray(), {}, FileError::Missing);
    row("folder", "<folder>", {}, FileError::NotAFile);
    row("too large", QByteArray(RecordFile::kMaxBytes + 1, 'x'), {}, FileError::TooLarge);
    row("too short", "1\r\n2\r\n3\r\n", {"1", "2", "3"}, FileError::TooShort, 4);
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

// A name that is not UTF-8: "Café" in Windows-1252.
static const QByteArray kLegacyName("Caf\xE9");

void TestRecordFile::existsIgnoresCaseAndHiddenFiles_data() {
    QTest::addColumn<QString>("onDisk");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<bool>("exists");
    // "listed": a list held the folder's listing before the file was made (or removed) from
    // outside; the answer must still be right, and come without reading the folder again.
    QTest::addColumn<bool>("listed");
    for (const bool listed : {false, true}) {
        auto row = [listed](const char* name, const QString& onDisk, const QString& asked,
                            bool exists) {
            QTest::newRow(qPrintable(QString(name) + (listed ? ", listed" : "")))
                << onDisk << asked << exists << listed;
        };
        row("same name", "Dune", "Dune", true);
        row("other case", "Dune", "DUNE", true);
        row("accented other case", QStringLiteral("Émile"), QStringLiteral("éMILE"), true);
        row("name not UTF-8", "legacy", QStringLiteral("CAFÉ"), true);
        row("missing", "Dune", "Emma", false);
        row("removed", "removed:Dune", "dune", false);
        row("prefix is not the name", "Dune", "Dun", false);
        row("hidden file", ".Dune", ".Dune", false);
        row("folder", "dir:Dune", "Dune", false);
    }
}

void TestRecordFile::existsIgnoresCaseAndHiddenFiles() {
    QFETCH(QString, onDisk);
    QFETCH(QString, asked);
    QFETCH(bool, exists);
    QFETCH(bool, listed);
    TestFolders dir;
    const QString root = dir.root() + '/', name = onDisk.section(':', -1);
    if (onDisk.startsWith("removed:"))
        TestFolders::writeBytes(root + name, "x\r\n");
    const std::shared_ptr<FolderIndex> index = listed ? FolderIndex::of(dir.root()) : nullptr;
    QVERIFY(!index || index->update());
    int rereads = 0;
    if (index)
        connect(index.get(), &FolderIndex::wasReset, [&] { ++rereads; });
    if (onDisk.startsWith("dir:"))
        QDir().mkdir(root + name);
    else if (onDisk.startsWith("removed:"))
        QVERIFY(QFile::remove(root + name));
    else if (onDisk == "legacy")
        TestFolders::writeNamed(dir.root(), kLegacyName, "x\r\n");
    else
        TestFolders::writeBytes(root + name, "x\r\n");
    QCOMPARE(CheckExist(root + asked), exists);
    QCOMPARE(rereads, 0);
}

// The listing leaves out hidden files, names with a dot, folders and links, and sorts in any
// letter case; it follows every change by the name changed, without reading the folder again.
void TestRecordFile::listingFollowsEveryChange() {
    TestFolders dir;
    const QString f = dir.root();
    for (const char* name :
         {"beta", "Alpha", "gamma", "ALPHA2", "4821937Q", "4821937Q.lst", "notes.txt", ".hidden",
          "Émile", "zeta", "alpha", "a long title, part 2", "A long title, part 1"})
        TestFolders::writeBytes(f + "/" + name, "x\r\n");
    QDir().mkdir(f + "/afolder");
    QFile::link(f + "/beta", f + "/link");
    TestFolders::writeNamed(f, kLegacyName, "x\r\n");
    const QStringList listed = RecordFile::list(f)->names;
    QCOMPARE(listed, (QStringList{"4821937Q", "A long title, part 1", "a long title, part 2",
                                  "Alpha", "alpha", "ALPHA2", "beta", QStringLiteral("Café"),
                                  "gamma", "zeta", QStringLiteral("Émile")}));
    // Every name listed opens, whatever bytes it has on disk.
    for (const QString& name : listed)
        QVERIFY2(RecordFile::read(f + "/" + name, 1).ok(), qPrintable(name));
    // The search goes to the first name with the prefix in any case, and to none when no name
    // has it, also where the prefix sorts between two names.
    const std::shared_ptr<FolderIndex> index = FolderIndex::of(f);
    QVERIFY(index->update());
    for (const auto& [prefix, row] : QList<QPair<QString, int>>{
             {"", 0}, {"alp", 3}, {"ALPHA2", 5}, {"b", 6}, {"bz", -1}, {"Alpha3", -1}, {"zz", -1}})
        QVERIFY2(index->firstWithPrefix(prefix) == row, qPrintable(prefix));
    // What a plain reading of the folder gives, sorted the list's way.
    auto plain = [&] {
        QStringList names = QDir(f).entryList(QDir::Files | QDir::NoSymLinks);
        names.removeIf([](const QString& name) { return name.contains('.'); });
        std::sort(names.begin(), names.end(), NameTable::lessThan);
        return names;
    };
    QSignalSpy rereads(index.get(), &FolderIndex::wasReset);
    auto check = [&](const char* step) {
        QVERIFY2(index->update(), step);
        QVERIFY2(index->names() == plain(), step);
        QCOMPARE(RecordFile::list(f)->names, index->names());
    };
    QVERIFY(RecordFile::remove(f + "/" + QStringLiteral("Café")).ok());
    check("a name not UTF-8 removed");
    QVERIFY(RecordFile::write(f + "/beta", {"rewritten"}).ok());
    check("rewritten in place");
    QVERIFY(RecordFile::write(f + "/New", {"made by the program"}).ok());
    check("added by the program");
    TestFolders::writeBytes(f + "/E", "x\r\n");
    check("added from outside");
    QFile::remove(f + "/alpha");
    check("removed");
    QFile::rename(f + "/gamma", f + "/Z");
    check("renamed");
    QFile::rename(f + "/Z", f + "/z");
    check("renamed to another case");
    TestFolders::writeBytes(f + "/note.txt", "x\r\n");
    QDir().mkdir(f + "/folder");
    QFile::link(f + "/beta", f + "/link2");
    check("a name with a dot, a folder and a link added");
    QFile::remove(f + "/zeta");
    QDir().mkdir(f + "/zeta");
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
    QVERIFY2(!MakeDir(made) && folderExists(made), "an existing folder is not made again");
    QVERIFY2(!MakeDir(dir.root() + "/a/b/"), "only the last folder of a path is made");
    QVERIFY(!folderExists(dir.root() + "/a"));
}

QTEST_GUILESS_MAIN(TestRecordFile)
#include "tst_recordfile.moc"
