// Folders as they are found in real life: files cut short, edited on another system, filled with
// garbage, far too large, oddly named, replaced by folders or links, or locked. For each, the real
// main window (or the lending logic, where no panel reads the file) must show the described
// message or a clear one of its own, change no file it was not asked to change, and keep running.
#include "LibraryFiles.h"

#include "items/ItemPanel.h"
#include "lending/Lending.h"
#include "lending/ReturnPanel.h"
#include "records/Cp1252.h"
#include "records/FileNames.h"
#include "records/RecordFile.h"
#include "support/MainWindowHarness.h"
#include "widgets/FolderList.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace quillory;
using namespace quillory::test;
using namespace quillory::test::library;

namespace {

const QString kId = QStringLiteral("4821937Q");               // has Dune on loan
const QString kOther = QStringLiteral("7777777B");            // the damaged borrower of a row
const QString kLent = QStringLiteral("Friday, May 01, 2026"); // Dune went out; today is kToday
const QString kCannotOpenItem = QStringLiteral(
    "Quillory! QD cannot open the item! Please click on Item Data first to select item.");
const QString kUpdated = QStringLiteral("Item updated successfully!");
const QString kNoLoanList =
    QStringLiteral("Return all items borrowed by borrower to utilise the item list.");

QByteArray lines(const QStringList& list, const char* end) {
    QByteArray out;
    for (const QString& line : list) {
        QByteArray encoded;
        records::Cp1252::encode(line, encoded);
        out += encoded + end;
    }
    return out;
}

QStringList odyssey() {
    return {"Odyssey", kCreated, "Available", "Greek", "$9", "N.A.", "N.A."};
}
QStringList person(const QString& id, const QString& count) {
    return {id, "Cy Dorn", "555 0199", "-", count};
}

// Bytes 1 to 255 without CR and LF: a file of binary garbage that is all one line.
QByteArray garbageOneLine() {
    QByteArray out;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n')
            out.append(char(b));
    return out + out;
}

// Every byte value, line ends included, four times over: garbage that still has many lines.
QByteArray garbageManyLines() {
    QByteArray out;
    for (int round = 0; round < 4; ++round)
        for (int b = 0; b < 256; ++b)
            out.append(char((b * 37 + round) & 0xFF));
    return out;
}

// Root passes every permission check; reading a locked file is refused to it only while it gives
// up the capabilities that bypass them (for this thread, which runs the program here).
class PermissionChecksForRoot {
public:
    PermissionChecksForRoot() {
        if (::geteuid() != 0) {
            m_ok = true; // permissions already apply
            return;
        }
        m_header = {_LINUX_CAPABILITY_VERSION_3, 0};
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_ok = m_dropped = ::syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~PermissionChecksForRoot() {
        if (m_dropped)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    bool ok() const { return m_ok; }

private:
    __user_cap_header_struct m_header{};
    __user_cap_data_struct m_saved[2]{};
    bool m_ok = false;
    bool m_dropped = false;
};

} // namespace

class TestDamagedFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void badFiles_data();
    void badFiles();
};

void TestDamagedFiles::badFiles_data() {
    QTest::addColumn<QString>("folder");   // stats, profiles, loaned, outside, settings
    QTest::addColumn<QByteArray>("name");  // the file's name as the file system holds it
    QTest::addColumn<QString>("kind");     // bytes, sparse, dir, symlink, locked, file for folder
    QTest::addColumn<QByteArray>("bytes"); // content (of the link's target, for a symlink)
    QTest::addColumn<QString>("action");   // what the person at the desk (or the logic) does
    QTest::addColumn<QString>("expect");   // shown, box, note, unlisted, started, lend:X, return:X
    QTest::addColumn<QString>("text");     // the exact text expected, when one is described
    QTest::addColumn<QStringList>("mayChange"); // files the action is asked to change

    const QByteArray odd = lines(odyssey(), "\r\n");
    const QStringList none;
    const QStringList repair{"loaned/Dune"};
    const QStringList returned{"stats/Dune", "loaned/Dune", "profiles/" + kId};
    const QStringList allFour = returned + QStringList{"profiles/" + kId + ".lst"};
    auto row = [](const char* title) -> QTestData& { return QTest::newRow(title); };

    // Item records, shown by a click in the item list.
    row("item: empty") << "stats" << QByteArray("Odyssey") << "bytes" << QByteArray("")
                       << "click item"
                       << "damaged"
                       << "" << none;
    row("item: one line") << "stats" << QByteArray("Odyssey") << "bytes"
                          << lines({"Odyssey"}, "\r\n") << "click item"
                          << "damaged"
                          << "" << none;
    row("item: six lines") << "stats" << QByteArray("Odyssey") << "bytes"
                           << lines(odyssey().mid(0, 6), "\r\n") << "click item"
                           << "damaged"
                           << "" << none;
    row("item: garbage, one line")
        << "stats" << QByteArray("Odyssey") << "bytes" << garbageOneLine() << "click item"
        << "damaged"
        << "" << none;
    row("item: garbage, many lines")
        << "stats" << QByteArray("Odyssey") << "bytes" << garbageManyLines() << "click item"
        << "shown" << records::RecordFile::splitLines(garbageManyLines()).first() << none;
    row("item: 200 MB") << "stats" << QByteArray("Odyssey") << "sparse" << QByteArray()
                        << "click item"
                        << "damaged"
                        << "" << none;
    row("item: LF only") << "stats" << QByteArray("Odyssey") << "bytes" << lines(odyssey(), "\n")
                         << "click item"
                         << "shown"
                         << "Odyssey" << none;
    row("item: CR only") << "stats" << QByteArray("Odyssey") << "bytes" << lines(odyssey(), "\r")
                         << "click item"
                         << "shown"
                         << "Odyssey" << none;
    row("item: UTF-8 byte-order mark")
        << "stats" << QByteArray("Odyssey") << "bytes" << QByteArray("\xEF\xBB\xBF") + odd
        << "click item"
        << "shown" << QString::fromUtf8("\u00EF\u00BB\u00BFOdyssey") << none;
    row("item: name with blanks around")
        << "stats" << QByteArray("  Odyssey ") << "bytes" << odd << "click item"
        << "shown"
        << "Odyssey" << none;
    row("item: name in Cyrillic") << "stats" << QStringLiteral("Одиссея").toUtf8() << "bytes" << odd
                                  << "click item"
                                  << "shown"
                                  << "Odyssey" << none;
    row("item: name with a tab") << "stats" << QByteArray("Ody\tssey") << "bytes" << odd
                                 << "click item"
                                 << "shown"
                                 << "Odyssey" << none;
    row("item: name with a line break")
        << "stats" << QByteArray("Ody\nssey") << "bytes" << odd << "click item"
        << "shown"
        << "Odyssey" << none;
    // Listed by its bytes, shown in the records' code page, and opened.
    row("item: name not valid UTF-8")
        << "stats" << QByteArray("Ody\xFFssey") << "bytes" << odd << "click item"
        << "shown"
        << "Odyssey" << none;
    row("item: locked") << "stats" << QByteArray("Odyssey") << "locked" << odd << "click item"
                        << "damaged"
                        << "" << none;
    row("item: folder in its place")
        << "stats" << QByteArray("Odyssey") << "dir" << QByteArray() << "lend item"
        << "lend:Failed"
        << "" << none;
    row("item: folder is not listed")
        << "stats" << QByteArray("Odyssey") << "dir" << QByteArray() << "list items"
        << "unlisted"
        << "" << none;
    row("item: link out of the folder is not listed")
        << "stats" << QByteArray("Odyssey") << "symlink" << odd << "list items"
        << "unlisted"
        << "" << none;
    row("item: no lending through a link out of the folder")
        << "stats" << QByteArray("Odyssey") << "symlink" << odd << "lend item"
        << "lend:Failed"
        << "" << none;
    row("item: huge count in the borrower block")
        << "stats" << QByteArray("Odyssey") << "bytes"
        << lines(QStringList{"Odyssey", kCreated, "ON LOAN", "Greek", "$9", "N.A.", "N.A.", kOther,
                             "Cy Dorn", "555 0199", "-", "99999999999999999999"},
                 "\r\n")
        << "click item"
        << "shown"
        << "Odyssey" << none;

    // Profile records, shown by a click in the borrower list.
    const QByteArray other = kOther.toLatin1();
    row("profile: empty") << "profiles" << other << "bytes" << QByteArray("") << "click borrower"
                          << "damaged"
                          << "" << none;
    row("profile: four lines") << "profiles" << other << "bytes"
                               << lines(person(kOther, "0").mid(0, 4), "\r\n") << "click borrower"
                               << "damaged"
                               << "" << none;
    row("profile: garbage") << "profiles" << other << "bytes" << garbageManyLines()
                            << "click borrower"
                            << "damaged"
                            << "" << none;
    row("profile: 200 MB") << "profiles" << other << "sparse" << QByteArray() << "click borrower"
                           << "damaged"
                           << "" << none;
    row("profile: LF only") << "profiles" << other << "bytes" << lines(person(kOther, "0"), "\n")
                            << "click borrower"
                            << "shown"
                            << "Cy Dorn" << none;
    row("profile: CR only") << "profiles" << other << "bytes" << lines(person(kOther, "0"), "\r")
                            << "click borrower"
                            << "shown"
                            << "Cy Dorn" << none;
    row("profile: UTF-8 byte-order mark")
        << "profiles" << other << "bytes"
        << QByteArray("\xEF\xBB\xBF") + lines(person(kOther, "0"), "\r\n") << "click borrower"
        << "shown"
        << "Cy Dorn" << none;
    row("profile: count not a number") << "profiles" << other << "bytes"
                                       << lines(person(kOther, "three"), "\r\n") << "click borrower"
                                       << "damaged"
                                       << "" << none;
    row("profile: huge count") << "profiles" << other << "bytes"
                               << lines(person(kOther, "99999999999999999999"), "\r\n")
                               << "click borrower"
                               << "damaged"
                               << "" << none;
    row("profile: locked") << "profiles" << other << "locked" << lines(person(kOther, "0"), "\r\n")
                           << "click borrower"
                           << "damaged"
                           << "" << none;
    row("profile: link out of the folder is not listed")
        << "profiles" << other << "symlink" << lines(person(kOther, "0"), "\r\n")
        << "list borrowers"
        << "unlisted"
        << "" << none;
    row("lend: count not a number")
        << "profiles" << other << "bytes" << lines(person(kOther, "three"), "\r\n") << "lend to"
        << "lend:Failed"
        << "" << none;
    row("lend: huge count") << "profiles" << other << "bytes"
                            << lines(person(kOther, "99999999999999999999"), "\r\n") << "lend to"
                            << "lend:Failed"
                            << "" << none;
    row("lend: largest count") << "profiles" << other << "bytes"
                               << lines(person(kOther, "9223372036854775807"), "\r\n") << "lend to"
                               << "lend:LoanLimit"
                               << "" << none;
    row("lend: smallest count") << "profiles" << other << "bytes"
                                << lines(person(kOther, "-9223372036854775808"), "\r\n")
                                << "lend to"
                                << "lend:Lent"
                                << ""
                                << QStringList{"stats/Emma", "loaned/Emma", "profiles/" + kOther,
                                               "profiles/" + kOther + ".lst"};
    row("lend: profile is a folder") << "profiles" << other << "dir" << QByteArray() << "lend to"
                                     << "lend:Failed"
                                     << "" << none;
    row("return: smallest count")
        << "profiles" << kId.toLatin1() << "bytes"
        << lines({kId, "Ann Lee", "555 0101", "-", "-9223372036854775808"}, "\r\n") << "return"
        << "note" << kUpdated << repair;

    // Loan records, shown by a click in the list of loaned titles (Dune is on loan to kId).
    row("loan: empty") << "loaned" << QByteArray("Dune") << "bytes" << QByteArray("")
                       << "click loaned"
                       << "box" << kCannotOpenItem << none;
    row("loan: one line") << "loaned" << QByteArray("Dune") << "bytes" << lines({"Dune"}, "\r\n")
                          << "click loaned"
                          << "note" << kUpdated << repair;
    row("loan: four lines, LF only")
        << "loaned" << QByteArray("Dune") << "bytes"
        << lines({"Dune", "Friday, May 01, 2026", "$12.50", kId}, "\n") << "click loaned"
        << "note" << kUpdated << repair;
    row("loan: six lines, CR only")
        << "loaned" << QByteArray("Dune") << "bytes"
        << lines({"Dune", "Friday, May 01, 2026", "$12.50", kId, "Ann Lee", "extra"}, "\r")
        << "click loaned"
        << "note"
        << "Item is ON LOAN since Friday, May 01, 2026" << none;
    row("loan: garbage, one line")
        << "loaned" << QByteArray("Dune") << "bytes" << garbageOneLine() << "click loaned"
        << "note" << kUpdated << repair;
    row("loan: 200 MB") << "loaned" << QByteArray("Dune") << "sparse" << QByteArray()
                        << "click loaned"
                        << "box" << kCannotOpenItem << none;
    row("loan: locked") << "loaned" << QByteArray("Dune") << "locked"
                        << lines({"Dune", kToday, "$12.50", kId, "Ann Lee"}, "\r\n")
                        << "click loaned"
                        << "box" << kCannotOpenItem << none;
    row("loan: folder in its place")
        << "loaned" << QByteArray("Dune") << "dir" << QByteArray() << "return core"
        << "return:CannotOpenLoanRecord"
        << "" << none;

    // The borrower's loan list, read by a return and by the item list window.
    const QByteArray list = (kId + ".lst").toLatin1();
    row("list: 200 MB, return") << "profiles" << list << "sparse" << QByteArray() << "return"
                                << "note" << kNoLoanList << returned;
    row("list: 200 MB, item list") << "profiles" << list << "sparse" << QByteArray() << "item list"
                                   << "box"
                                   << "" << none;
    row("list: garbage, return") << "profiles" << list << "bytes" << garbageManyLines() << "return"
                                 << "box"
                                 << "The item Dune was successfully returned." << allFour;
    row("list: CR only, item list")
        << "profiles" << list << "bytes" << QByteArray("\rDune\r\r") << "item list"
        << "shown"
        << "Dune" << none;
    row("list: folder in its place") << "profiles" << list << "dir" << QByteArray() << "return"
                                     << "note" << kNoLoanList << returned;
    row("list: locked, return") << "profiles" << list << "locked" << QByteArray("Dune\r\n")
                                << "return"
                                << "note" << kNoLoanList << returned;
    row("list: link out of the folder, return")
        << "profiles" << list << "symlink" << QByteArray("Dune\r\nSecret\r\n") << "return"
        << "note" << kNoLoanList << returned;

    // Start-up over damaged settings or folders.
    row("settings: garbage") << "settings" << QByteArray() << "bytes" << garbageManyLines()
                             << "start"
                             << "started"
                             << "" << none;
    row("folder: a file in place of the loaned-items folder")
        << "loaned" << QByteArray() << "file for folder" << QByteArray("not a folder\r\n")
        << "start"
        << "box"
        << "" << none;
    row("folder: a file in place of the loaned-items folder, first start")
        << "loaned" << QByteArray() << "file for folder, first start"
        << QByteArray("not a folder\r\n") << "start"
        << "box"
        << "" << none;
}

void TestDamagedFiles::badFiles() {
    QFETCH(QString, folder);
    QFETCH(QByteArray, name);
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, action);
    QFETCH(QString, expect);
    QFETCH(QString, text);
    QFETCH(QStringList, mayChange);

    MainWindowHarness h(MainWindowHarness::MakeFolders);
    const Folders f = h.folders();
    const QString root = h.dir.root();
    // A small library: Emma on the shelf, Dune lent to Ann Lee.
    TestFolders::writeBytes(f.itemPath("Emma"), item("Emma"));
    TestFolders::writeBytes(f.itemPath("Dune"), item("Dune"));
    TestFolders::writeBytes(f.profilePath(kId), profile(kId, "Ann Lee", "0"));
    TestFolders::writeBytes(f.profilePath(kOther), profile(kOther, "Cy Dorn", "0"));
    QCOMPARE(lending::lend(f, "Dune", kId, kLent).outcome, lending::LendOutcome::Lent);

    // The bad file of the row.
    const QString dataFolder = folder == "stats"      ? f.stats
                               : folder == "profiles" ? f.profiles
                               : folder == "loaned"   ? f.loaned
                                                      : QString();
    const QByteArray path = QFile::encodeName(dataFolder) + name;
    const QString qpath = QFile::decodeName(path);
    const QString shownName = records::FileNames::decode(name);
    if (folder == "settings") {
        TestFolders::writeBytes(h.fake.settingsFile(), bytes);
    } else if (kind.startsWith("file for folder")) {
        QVERIFY(QDir(dataFolder).removeRecursively());
        TestFolders::writeBytes(QDir::cleanPath(dataFolder), bytes);
        if (kind == "file for folder") { // the folders were set up by an earlier start
            h.fake.settings->setValue("profiles", f.profiles);
            h.fake.settings->setValue("stats", f.stats);
            h.fake.settings->setValue("loaned", f.loaned);
        }
    } else {
        ::unlink(path.constData());
        QDir(qpath).removeRecursively();
        if (kind == "bytes" || kind == "locked") {
            // Raw system calls: some names here do not survive a round trip through QString.
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            QVERIFY(fd >= 0);
            QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
            ::close(fd);
            if (kind == "locked")
                QVERIFY(::chmod(path.constData(), 0) == 0);
        } else if (kind == "sparse") {
            QFile big(qpath);
            QVERIFY(big.open(QIODevice::WriteOnly));
            QVERIFY(big.resize(200LL * 1024 * 1024));
        } else if (kind == "dir") {
            QVERIFY(QDir().mkdir(qpath));
        } else if (kind == "symlink") {
            QDir().mkpath(root + "/outside");
            TestFolders::writeBytes(root + "/outside/secret", bytes);
            QVERIFY(QFile::link("../outside/secret", qpath));
        }
    }
    const auto before = snapshot(root);

    std::unique_ptr<PermissionChecksForRoot> permissions;
    if (kind == "locked") {
        permissions = std::make_unique<PermissionChecksForRoot>();
        if (!permissions->ok())
            QSKIP("running as root, and the capabilities that let root read a locked file cannot "
                  "be set aside here");
    }

    ScriptedMessages& boxes = h.messages();
    if (action == "start" && expect == "box")
        boxes.answerOk();
    QVERIFY(h.start());
    h.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
    auto* items = h.find<FolderList>("filStats");
    auto* borrowers = h.find<FolderList>("filProfiles");
    auto* loaned = h.find<FolderList>("filLoaned");

    int boxesBefore = int(boxes.shown.size());
    QString shown; // what the panel shows for "shown" and "note"
    auto* note = h.find<QLabel>("lblNote");
    if (expect == "box" && action != "start")
        boxes.answerOk();
    if (action == "click item") {
        QVERIFY2(clickEntry(items, shownName), "the item is listed");
        shown = h.window->itemPanel().lblItemTitle->text();
    } else if (action == "click borrower") {
        QVERIFY2(clickEntry(borrowers, shownName), "the borrower is listed");
        shown = h.find<QLabel>("lblProfileName")->text();
    } else if (action == "click loaned") {
        QVERIFY2(clickEntry(loaned, shownName), "the title is listed");
        shown = note->text();
    } else if (action == "return") {
        QVERIFY(clickEntry(h.find<FolderList>("filProfilesReturn"), kId));
        QVERIFY(loaned->selectName("Dune"));
        h.window->returnPanel().filLoaned_DblClick();
        shown = note->text();
    } else if (action == "item list") {
        QVERIFY(clickEntry(borrowers, kId));
        h.find<QPushButton>("cmdItemList")->click();
        auto* window = h.find<QListWidget>("List1");
        QVERIFY(window);
        for (int i = 0; i < window->count(); ++i)
            shown += (i ? "\n" : "") + window->item(i)->text();
    } else if (action == "list items") {
        QVERIFY(!items->names().contains(shownName));
        QCOMPARE(items->names(), (QStringList{"Dune", "Emma"}));
    } else if (action == "list borrowers") {
        QVERIFY(!borrowers->names().contains(shownName));
        QCOMPARE(borrowers->names(), (QStringList{kId}));
    } else if (action == "lend item" || action == "lend to") {
        const lending::LendResult r = action == "lend item"
                                          ? lending::lend(f, shownName, kId, kToday)
                                          : lending::lend(f, "Emma", shownName, kToday);
        shown = QString("lend:") + (r.outcome == lending::LendOutcome::Lent        ? "Lent"
                                    : r.outcome == lending::LendOutcome::LoanLimit ? "LoanLimit"
                                                                                   : "Failed");
    } else if (action == "return core") {
        const lending::ReturnResult r = lending::returnItem(f, "Dune", kId, kToday);
        shown = r.outcome == lending::ReturnOutcome::CannotOpenLoanRecord
                    ? "return:CannotOpenLoanRecord"
                    : "return:" + QString::number(int(r.outcome));
    } else if (action == "start") {
        boxesBefore = 0;
    }
    permissions.reset();

    // What the person at the desk was shown.
    const QList<Message> newBoxes = boxes.shown.mid(boxesBefore);
    qInfo().noquote() << "gave:"
                      << (newBoxes.isEmpty()
                              ? shown
                              : "[" + newBoxes.first().title + "] " +
                                    QString(newBoxes.first().text).replace('\r', " / "));
    if (expect == "damaged") {
        // Shown in the panel, not in a box: no values, and the file named where the heading or
        // the guide was.
        QCOMPARE(newBoxes.size(), 0);
        QCOMPARE(shown, QString());
        const QString problem =
            h.find<QLabel>(action == "click item" ? "lblData" : "lblGuide")->text();
        QVERIFY2(problem.contains(QString::fromUtf8(name).left(3)), qPrintable(problem));
    } else if (expect == "box") {
        QCOMPARE(newBoxes.size(), 1);
        QVERIFY2(!newBoxes.first().text.trimmed().isEmpty(), "a message says what went wrong");
        if (!text.isEmpty())
            QCOMPARE(newBoxes.first().text, text);
    } else {
        QCOMPARE(newBoxes.size(), expect == "box" ? 1 : 0);
        if (expect == "shown" || expect == "note")
            QCOMPARE(shown, text);
        else if (expect.startsWith("lend:") || expect.startsWith("return:"))
            QCOMPARE(shown, expect);
    }

    // No file changed that the action was not asked to change.
    QStringList changes = changed(before, snapshot(root));
    changes.sort();
    mayChange.sort();
    QCOMPARE(changes, mayChange);

    // And the program goes on: another item can be shown.
    if (!kind.startsWith("file for folder") || folder != "stats") {
        boxes.clear();
        QVERIFY(clickEntry(items, "Emma"));
        QCOMPARE(h.window->itemPanel().lblItemTitle->text(), QString("Emma"));
        QVERIFY(boxes.shown.isEmpty());
    }
    QVERIFY(h.window->isVisible());
}

QTEST_MAIN(TestDamagedFiles)
#include "tst_damagedfiles.moc"
