#include "borrowers/Borrowers.h"
#include "items/ItemCatalogue.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace quillory;
using namespace quillory::borrowers;
using namespace quillory::test;

Q_DECLARE_METATYPE(quillory::borrowers::EditResult)
Q_DECLARE_METATYPE(quillory::borrowers::CreateResult)

class TestBorrowers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void generateRedrawsOutOfRange_data();
    void generateRedrawsOutOfRange();
    void generatedIdsSpreadOverEveryDigitAndLetter();
    void createWritesRecord_data();
    void createWritesRecord();
    void fieldChecksInOrder_data();
    void fieldChecksInOrder();
    void editSavesOnlyWhileNothingIsOnLoan_data();
    void editSavesOnlyWhileNothingIsOnLoan();
    void gates_data();
    void gates();
};

// Scripted draws for the generator: each row's numbers are consumed in order.
void TestBorrowers::generateRedrawsOutOfRange_data() {
    QTest::addColumn<QList<double>>("draws");
    QTest::addColumn<QString>("id");
    QTest::newRow("first draws in range") << QList<double>{0.5, 0.99} << "4999999Z";
    QTest::newRow("six digits drawn again")
        << QList<double>{0.0, 0.09, 0.1000001, 0.75} << "1000000D";
    QTest::newRow("highest number") << QList<double>{0.99999999, 0.7142858} << "9999998A";
    QTest::newRow("codes up to 64 drawn again")
        << QList<double>{0.25, 0.0, 0.7142857, 0.5, 0.7142858} << "2499999A";
}

void TestBorrowers::generateRedrawsOutOfRange() {
    QFETCH(QList<double>, draws);
    QFETCH(QString, id);
    qsizetype used = 0;
    const QString generated = generateProfileId([&] { return draws.value(used++, 0.5); });
    QCOMPARE(generated, id);
    QCOMPARE(used, draws.size());
}

// Draws from a seeded generator reach every letter and every first digit, and drawn IDs have
// the form; a new clock-seeded source, as each Generate ID click takes, starts somewhere new.
void TestBorrowers::generatedIdsSpreadOverEveryDigitAndLetter() {
    const QRegularExpression format(QStringLiteral("^[1-9][0-9]{6}[A-Z]$"));
    QRandomGenerator random(20261206u);
    QMap<QChar, int> letters, firstDigits;
    for (int i = 0; i < 600; ++i) {
        const QString id = generateProfileId([&] { return random.generateDouble(); });
        QVERIFY2(format.match(id).hasMatch(), qPrintable(id));
        ++letters[id.back()];
        ++firstDigits[id.front()];
    }
    QCOMPARE(letters.size(), 26);    // about 23 each
    QCOMPARE(firstDigits.size(), 9); // about 67 each
    for (int count : letters.values() + firstDigits.values())
        QVERIFY(count >= 8);
    QSet<QString> firstOfEachSource;
    for (int i = 0; i < 20; ++i)
        firstOfEachSource.insert(generateProfileId(clockSeededSource()));
    QCOMPARE(firstOfEachSource.size(), 20);
}

// A new record's bytes; a taken ID in any case, or a folder in its place, writes nothing.
void TestBorrowers::createWritesRecord_data() {
    QTest::addColumn<QString>("existing"); // "" none, "4821937q" a record, "<folder>"
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<CreateResult>("result");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("blanks kept") << ""
                                 << " Ann Lee "
                                 << "-" << CreateResult::Created
                                 << QByteArray("4821937Q\r\n Ann Lee \r\n555 0101\r\n-\r\n0\r\n");
    QTest::newRow("code page") << "" << QStringLiteral("Zoë Ørsted") << "0170 5551234"
                               << CreateResult::Created
                               << QByteArray("4821937Q\r\nZo\xEB \xD8rsted\r\n555 0101\r\n0170 "
                                             "5551234\r\n0\r\n");
    QTest::newRow("taken") << "4821937Q"
                           << "Ann"
                           << "-" << CreateResult::Clash << QByteArray();
    QTest::newRow("taken in other case") << "4821937q"
                                         << "Ann"
                                         << "-" << CreateResult::Clash << QByteArray();
    // A folder standing where the record would go cannot be replaced by a file, even by root.
    QTest::newRow("a folder in its place") << "<folder>"
                                           << "Ann"
                                           << "-" << CreateResult::WriteFailed << QByteArray();
}

void TestBorrowers::createWritesRecord() {
    QFETCH(QString, existing);
    QFETCH(QString, name);
    QFETCH(QString, cell);
    QFETCH(CreateResult, result);
    QFETCH(QByteArray, bytes);
    TestFolders dir;
    dir.makeAll();
    const Folders f = dir.folders();
    if (existing == "<folder>")
        TestFolders::make(f.profilePath("4821937Q"), "<folder>");
    else if (!existing.isEmpty())
        TestFolders::writeBytes(f.profilePath(existing), "old\r\n");
    const Files before = dir.snapshot();
    const CreateOutcome outcome = createProfile(f, "4821937Q", {name, "555 0101", cell});
    QCOMPARE(outcome.result, result);
    if (result == CreateResult::Created) {
        QCOMPARE(TestFolders::changed(before, dir.snapshot()), QStringList{"profiles/4821937Q"});
        QCOMPARE(TestFolders::readBytes(f.profilePath("4821937Q")), bytes);
    } else {
        QCOMPARE(dir.snapshot(), before);
    }
    if (result == CreateResult::WriteFailed)
        QVERIFY(outcome.message.text.contains("4821937Q"));
}

void TestBorrowers::fieldChecksInOrder_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<int>("field"); // -1: every check passes
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    const QString name = "Name field is empty!    ", home = "Home number field is empty!    ",
                  cell = "Please provide a valid Cell-phone number\ror skip field by inserting "
                         "the dash symbol '-'.";
    QTest::newRow("all filled") << QStringList{"Ann", "1", "-"} << -1 << ""
                                << "";
    QTest::newRow("all empty") << QStringList{"", "", ""} << 0 << name << "Empty";
    QTest::newRow("name of blanks") << QStringList{"   ", "1", "2"} << 0 << name << "Empty";
    QTest::newRow("home and cell empty") << QStringList{"Ann", "", ""} << 1 << home << "Empty";
    QTest::newRow("cell of blanks") << QStringList{"Ann", "1", " \t"} << 2 << cell << kAppTitle;
    QTest::newRow("name unstorable")
        << QStringList{QStringLiteral("Аня"), "1", "-"} << 0 << "The Name field" << kAppTitle;
    QTest::newRow("cell unstorable, blank home first")
        << QStringList{"Ann", " ", QStringLiteral("☎ 1")} << 1 << home << "Empty";
    QTest::newRow("cell unstorable") << QStringList{"Ann", "1", QStringLiteral("☎ 1")} << 2
                                     << "The Cell Number field" << kAppTitle;
}

void TestBorrowers::fieldChecksInOrder() {
    QFETCH(QStringList, fields);
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, title);
    const auto refusal = checkFields({fields[0], fields[1], fields[2]});
    QCOMPARE(refusal.has_value(), field >= 0);
    if (!refusal)
        return;
    QCOMPARE(int(refusal->field), field);
    QVERIFY2(refusal->message.text.startsWith(text), qPrintable(refusal->message.text));
    QCOMPARE(refusal->message.title, title);
    QCOMPARE(refusal->message.buttons, MsgButtons::Ok);
}

void TestBorrowers::editSavesOnlyWhileNothingIsOnLoan_data() {
    QTest::addColumn<QByteArray>("before"); // empty: the file is gone
    QTest::addColumn<EditResult>("result");
    const QByteArray saved = "4821937Q\r\n Bob \r\n555 0202\r\n-\r\n0\r\n";
    QTest::newRow("count 0") << QByteArray("4821937Q\r\nAnn\r\n1\r\n2\r\n0\r\n")
                             << EditResult::Saved;
    QTest::newRow("count 0 after a return, LF lines")
        << QByteArray("4821937Q\nAnn\n1\n2\n 0 \n") << EditResult::Saved;
    QTest::newRow("lent meanwhile")
        << QByteArray("4821937Q\r\nAnn\r\n1\r\n2\r\n 1 \r\n") << EditResult::OnLoan;
    QTest::newRow("removed meanwhile") << QByteArray() << EditResult::Gone;
    QTest::newRow("lost lines") << QByteArray("4821937Q\r\nAnn\r\n1\r\n2\r\n")
                                << EditResult::Unreadable;
    QTest::newRow("count not a number")
        << QByteArray("4821937Q\r\nAnn\r\n1\r\n2\r\nlots\r\n") << EditResult::Unreadable;
}

void TestBorrowers::editSavesOnlyWhileNothingIsOnLoan() {
    QFETCH(QByteArray, before);
    QFETCH(EditResult, result);
    TestFolders dir;
    dir.makeAll();
    const QString path = dir.folders().profilePath("4821937Q");
    if (!before.isEmpty())
        TestFolders::writeBytes(path, before);
    const auto snapshot = dir.snapshot();
    const EditOutcome outcome =
        saveProfileEdit(dir.folders(), "4821937Q", "4821937Q", {" Bob ", "555 0202", "-"});
    QCOMPARE(outcome.result, result);
    if (result == EditResult::Saved) {
        QCOMPARE(TestFolders::readBytes(path),
                 QByteArray("4821937Q\r\n Bob \r\n555 0202\r\n-\r\n0\r\n"));
        return;
    }
    QCOMPARE(dir.snapshot(), snapshot); // nothing written, nothing brought back
    const QString text = outcome.message.text;
    QVERIFY2(text.contains("4821937Q") && text.endsWith("\rThe changes were not saved."),
             qPrintable(text));
}

// What the panels offer, from the shown record: a borrower's loan count, an item's status.
void TestBorrowers::gates_data() {
    QTest::addColumn<QString>("record"); // "count N", "status S", or "none"
    QTest::addColumn<QString>("offered");
    QTest::newRow("0 on loan") << "count 0"
                               << "change";
    QTest::newRow("1 on loan") << "count 1"
                               << "list";
    QTest::newRow("5 on loan") << "count 5"
                               << "list";
    QTest::newRow("6 on loan") << "count 6"
                               << "list blink";
    QTest::newRow("count below 0") << "count -1"
                                   << "";
    QTest::newRow("available item") << "status Available"
                                    << "change";
    QTest::newRow("item on loan") << "status ON LOAN"
                                  << "details";
    QTest::newRow("available in other case") << "status available"
                                             << "details";
    QTest::newRow("damaged or missing item") << "none"
                                             << "";
}

void TestBorrowers::gates() {
    QFETCH(QString, record);
    QFETCH(QString, offered);
    QStringList got;
    if (record.startsWith("count")) {
        if (const auto g = profileGates(record.mid(6).toLongLong()))
            got << (g->canChange ? "change" : "") << (g->itemList ? "list" : "")
                << (g->blink ? "blink" : "");
    } else {
        records::ItemRecord item;
        item.status = record.mid(7);
        const items::ItemGates g = items::itemGates(record == "none" ? nullptr : &item);
        got << (g.canChange ? "change" : "") << (g.borrowerDetails ? "details" : "");
    }
    got.removeAll(QString());
    QCOMPARE(got.join(' '), offered);
}

QTEST_GUILESS_MAIN(TestBorrowers)
#include "tst_borrowers.moc"
