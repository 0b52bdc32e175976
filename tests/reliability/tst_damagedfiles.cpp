// What the main window does with damaged files and folders: a damaged record is shown as such in
// its panel, a record it cannot open is reported in a box, an odd name is still opened, and a
// damaged start-up is survived; no file changes that the action was not asked to change and the
// program goes on. How each damage is read is the record and lending tests' business.
#include "records/FileNames.h"
#include "support/MainWindowHarness.h"
#include "support/Widgets.h"

#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using namespace quillory;
using namespace quillory::test;

namespace {
const QString kCannotOpenItem = QStringLiteral(
    "Quillory! QD cannot open the item! Please click on Item Data first to select item.");
} // namespace

class TestDamagedFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void badFiles_data();
    void badFiles();
};

void TestDamagedFiles::badFiles_data() {
    QTest::addColumn<QString>("where");    // stats, profiles, loaned, settings, folder, first start
    QTest::addColumn<QByteArray>("name");  // as the file system holds it
    QTest::addColumn<QByteArray>("bytes"); // null: a sparse file of 200 MB
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("expect"); // "damaged", "box", or the text shown
    QTest::addColumn<QStringList>("mayChange");

    const QByteArray odyssey = TestFolders::crlf(rec::item("Odyssey"));
    const QByteArray garbage("\x01\xFF\r\n[Paths]\r\nStats\x00=\r\n\xFE", 19);
    QTest::newRow("item lost lines")
        << "stats" << QByteArray("Odyssey") << QByteArray("Odyssey\r\n") << "click item"
        << "damaged" << QStringList();
    QTest::newRow("item name not UTF-8")
        << "stats" << QByteArray("Ody\xFFssey") << odyssey << "click item"
        << "Odyssey" << QStringList();
    QTest::newRow("item name with a line break")
        << "stats" << QByteArray("Ody\nssey") << odyssey << "click item"
        << "Odyssey" << QStringList();
    QTest::newRow("count not a number")
        << "profiles" << QByteArray("7777777B")
        << TestFolders::crlf(rec::profile("7777777B", "three")) << "click borrower"
        << "damaged" << QStringList();
    QTest::newRow("loan record empty")
        << "loaned" << QByteArray("Dune") << QByteArray("") << "click loaned"
        << "box" << QStringList();
    QTest::newRow("loan record of one line")
        << "loaned" << QByteArray("Dune") << QByteArray("Dune\r\n") << "click loaned"
        << "Item updated successfully!" << QStringList{"loaned/Dune"};
    QTest::newRow("loan list of 200 MB")
        << "profiles" << QByteArray("4821937Q.lst") << QByteArray() << "item list"
        << "box" << QStringList();
    QTest::newRow("settings garbage") << "settings" << QByteArray() << garbage << "start"
                                      << "" << QStringList();
    QTest::newRow("a file in place of the loaned-items folder")
        << "folder" << QByteArray() << QByteArray("x\r\n") << "start"
        << "box" << QStringList();
    QTest::newRow("the same at the first start")
        << "first start" << QByteArray() << QByteArray("x\r\n") << "start"
        << "box" << QStringList();
}

void TestDamagedFiles::badFiles() {
    QFETCH(QString, where);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, action);
    QFETCH(QString, expect);
    QFETCH(QStringList, mayChange);

    MainWindowHarness h(MainWindowHarness::MakeFolders);
    const Folders f = h.folders();
    // Emma on the shelf, Dune lent to Ann Lee.
    h.writeStats("Emma", rec::item("Emma"));
    h.writeStats("Dune", rec::lentItem("Dune"));
    h.writeLoaned("Dune", rec::loan("Dune"));
    h.writeProfile(rec::kId, rec::profile(rec::kId, " 1 "));
    TestFolders::writeBytes(f.loanListPath(rec::kId), "Dune\r\n");

    if (where == "settings") {
        TestFolders::writeBytes(h.fake.settingsFile(), bytes);
    } else if (where == "folder" || where == "first start") {
        QVERIFY(QDir(f.loaned).removeRecursively());
        TestFolders::writeBytes(QDir::cleanPath(f.loaned), bytes);
        if (where == "folder") // the folders were set up by an earlier start
            for (const auto& [key, value] :
                 {std::pair{"profiles", f.profiles}, {"stats", f.stats}, {"loaned", f.loaned}})
                h.fake.settings->setValue(key, value);
    } else {
        // Raw system calls: some names here do not survive a round trip through QString.
        const QByteArray path = QFile::encodeName(h.dir.root() + u'/' + where + u'/') + name;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        if (bytes.isNull())
            QCOMPARE(::ftruncate(fd, 200LL << 20), 0);
        else
            QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
        ::close(fd);
    }
    const Files before = TestFolders::filesUnder(h.dir.root());

    ScriptedMessages& boxes = h.messages();
    if (expect == "box")
        boxes.answerOk();
    QVERIFY(h.start());
    h.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
    const QString shownName = records::FileNames::decode(name);
    QString shown;
    if (action == "click item") {
        pick("filStats", shownName);
        shown = text("lblItemTitle");
    } else if (action == "click borrower") {
        pick("filProfiles", shownName);
        shown = text("lblProfileName");
    } else if (action == "click loaned") {
        pick("filLoaned", shownName);
        shown = text("lblNote");
    } else if (action == "item list") {
        pick("filProfiles", rec::kId);
        click("cmdItemList");
    }

    if (expect == "damaged") {
        // In the panel, not in a box: no values, and the file named where the heading was.
        QCOMPARE(shown, QString());
        const QString problem = text(action == "click item" ? "lblData" : "lblGuide");
        QVERIFY2(problem.contains(shownName.left(3)), qPrintable(problem));
    } else if (expect == "box") {
        QCOMPARE(boxes.shown.size(), 1);
        if (action == "click loaned")
            QCOMPARE(boxes.lastText(), kCannotOpenItem);
    } else {
        QCOMPARE(shown, expect);
    }
    if (expect != "box")
        QCOMPARE(boxes.shown.size(), 0);
    QCOMPARE(TestFolders::changed(before, TestFolders::filesUnder(h.dir.root())), mayChange);

    // And the program goes on: another item can be shown.
    boxes.clear();
    pick("filStats", "Emma");
    QCOMPARE(text("lblItemTitle"), QString("Emma"));
    QVERIFY(boxes.shown.isEmpty());
}

QTEST_MAIN(TestDamagedFiles)
#include "tst_damagedfiles.moc"
