#include "items/ItemCatalogue.h"
#include "records/ItemRecord.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QTest>

using namespace quillory;
using namespace quillory::items;
using namespace quillory::records;
using namespace quillory::test;
using K = quillory::items::CreateOutcome::Kind;

namespace {

const QString kDate = QStringLiteral("Saturday, December 05, 2026");
const QString kOldDate = QStringLiteral("Thursday, December 03, 2026");

ItemFields fieldsOf(const QStringList& f) {
    return ItemFields{f.value(0), f.value(1), f.value(2), f.value(3), f.value(4)};
}

QStringList listOf(const ItemFields& f) {
    return {f.title, f.language, f.price, f.serialNumber, f.publisher};
}

} // namespace

class TestItemCatalogue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fileNames_data();
    void fileNames();
    void recordShapesByteForByte();
    void numericPrice_data();
    void numericPrice();
    void titleNameProblems_data();
    void titleNameProblems();
    void nextItemPreparation_data();
    void nextItemPreparation();
    void create_data();
    void create();
    void editRefusals_data();
    void editRefusals();
};

void TestItemCatalogue::fileNames_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("edition") << "Gone with the Wind (2nd ed.)"
                             << "Gone with the Wind _2nd ed__";
    QTest::newRow("signs") << "a!b@c#d$e%f^g&h*i"
                           << "a_b_c_d_e_f_g_h_i";
    QTest::newRow("more signs") << "-+=\\/|.?~`><{}[]:;" << QString(18, u'_');
    QTest::newRow("kept as typed")
        << QStringLiteral(" Café, l'été _ 5€ \"x\" ") << QStringLiteral(" Café, l'été _ 5€ \"x\" ");
}

void TestItemCatalogue::fileNames() {
    QFETCH(QString, title);
    QFETCH(QString, fileName);
    QCOMPARE(itemFileName(title), fileName);
}

void TestItemCatalogue::recordShapesByteForByte() {
    TestFolders dir;
    const QString path = dir.root() + "/Dune";
    ItemRecord item{"Dune",  kOldDate, kAvailable, QStringLiteral("Français"),
                    "$9.99", "N.A.",   "Ace",      std::nullopt};
    const QByteArray available = "Dune\r\n" + kOldDate.toLatin1() +
                                 "\r\nAvailable\r\nFran\xE7"
                                 "ais\r\n$9.99\r\nN.A.\r\nAce\r\n";
    QVERIFY(writeItem(path, item).ok());
    QCOMPARE(TestFolders::readBytes(path), available);

    item.status = kOnLoan;
    item.borrower = BorrowerBlock{"1234567A", "Ann Lee", "555-0101", "-", " 1 "};
    QVERIFY(writeItem(path, item).ok());
    const QByteArray onLoan = QByteArray(available).replace("Available", "ON LOAN") +
                              "1234567A\r\nAnn Lee\r\n555-0101\r\n-\r\n 1 \r\n";
    QCOMPARE(TestFolders::readBytes(path), onLoan);
    const Result<ItemRecord> lent = readItem(path, kItemOnLoanLines);
    QVERIFY(lent.ok());
    QVERIFY(lent.value().borrower);
    QCOMPARE(lent.value().borrower->loanCount, QStringLiteral(" 1 "));

    // Back from loan: the borrower block goes, line 2 stays.
    ItemRecord returned = lent.value();
    returned.status = kAvailable;
    returned.borrower.reset();
    QVERIFY(writeItem(path, returned).ok());
    QCOMPARE(TestFolders::readBytes(path), available);
}

void TestItemCatalogue::numericPrice_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    const struct {
        const char* locale;
        const char* text;
        bool numeric;
    } rows[] = {
        {"en_US", "12.50", true},    {"en_US", "$12.50", true},    {"en_US", " 7 ", true},
        {"en_US", "1,234.50", true}, {"en_US", "-5", true},        {"en_US", "+5", true},
        {"en_US", "$ 7", true},      {"en_US", " $5", true},       {"en_US", "$ $5", true},
        {"en_US", "$-3", true},      {"en_US", ".5", true},        {"en_US", "", false},
        {"en_US", "   ", false},     {"en_US", "$", false},        {"en_US", "abc", false},
        {"en_US", "12,50", false},   {"en_US", "1.234,50", false}, {"en_US", "1e5", false},
        {"en_US", "inf", false},     {"en_US", "nan", false},      {"en_US", "12.5.1", false},
        {"en_US", " $ $5", false},   {"en_US", "-$5", false},      {"en_US", "5 5", false},
        {"de_DE", "12,50", true},    {"de_DE", "1.234,50", true},  {"de_DE", "$12,50", true},
        {"de_DE", "12.50", false},   {"de_DE", "1,234.50", false}, {"C", "12.50", true},
        {"fr_FR", "1 234,50", true}, {"fr_FR", "12.50", false},
    };
    for (const auto& row : rows)
        QTest::addRow("%s '%s'", row.locale, row.text) << row.locale << row.text << row.numeric;
}

void TestItemCatalogue::numericPrice() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    const QLocale loc(locale);
    QCOMPARE(isNumericPrice(text, loc), numeric);
    // What the record stores for a numeric price must pass again when edited unchanged.
    if (numeric)
        QVERIFY(isNumericPrice(normalisePrice(text), loc));
}

void TestItemCatalogue::titleNameProblems_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<TitleNameProblem>("problem");
    using P = TitleNameProblem;
    QTest::newRow("plain") << "Dune" << P::None;
    QTest::newRow("leading blank") << " Dune" << P::None;
    QTest::newRow("double quote") << "The \"Dune\" saga" << P::DoubleQuote;
    QTest::newRow("tab") << "Dune\tII" << P::ControlCharacter;
    QTest::newRow("undefined code page byte")
        << QStringLiteral("Dune\u0081") << P::ControlCharacter;
    QTest::newRow("trailing blank") << "Dune " << P::TrailingBlank;
    QTest::newRow("CON") << "CON" << P::DeviceName;
    QTest::newRow("nul lower case") << "nul" << P::DeviceName;
    QTest::newRow("Com1") << "Com1" << P::DeviceName;
    QTest::newRow("COM superscript") << QStringLiteral("COM\u00B9") << P::DeviceName;
    QTest::newRow("dot turned underscore") << "NUL.txt" << P::None;
    QTest::newRow("device name in a title") << "Con Air" << P::None;
    QTest::newRow("255 bytes") << QString(255, 'a') << P::None;
    QTest::newRow("256 bytes") << QString(256, 'a') << P::TooLong;
    QTest::newRow("256 bytes with accents") << QString(128, QChar(0xE9)) << P::TooLong;
}

void TestItemCatalogue::titleNameProblems() {
    QFETCH(QString, title);
    QFETCH(TitleNameProblem, problem);
    QCOMPARE(titleNameProblem(title), problem);
}

void TestItemCatalogue::nextItemPreparation_data() {
    QTest::addColumn<QStringList>("saved");
    QTest::addColumn<QStringList>("next");
    // title, language, price, serial number, publisher
    QTest::newRow("english") << QStringList{"Dune", "english", "5", "123", "Ace"}
                             << QStringList{"", "English", "", "N.A.", "N.A."};
    QTest::newRow("ENGLISH, n.a.") << QStringList{"Dune", "ENGLISH", "5", "N.A.", "N.A."}
                                   << QStringList{"", "English", "", "N.A.", "N.A."};
    QTest::newRow("n.a. / n.a.") << QStringList{"Dune", "french", "5", "N.A.", "n.a."}
                                 << QStringList{"Dune", "French", "5", "N.A.", "N.A."};
    QTest::newRow("empty counts as n.a.") << QStringList{"Dune", "French", "5", "", ""}
                                          << QStringList{"Dune", "French", "5", "N.A.", "N.A."};
    QTest::newRow("publisher other") << QStringList{"Dune", "French", "5", "N.A.", "Ace"}
                                     << QStringList{"", "French", "", "N.A.", ""};
    QTest::newRow("serial other") << QStringList{"Dune", "French", "5", "123", "N.A."}
                                  << QStringList{"", "French", "", "", ""};
    QTest::newRow("both other") << QStringList{"Dune", "French", "5", "123", "Ace"}
                                << QStringList{"", "French", "", "N.A.", ""};
    QTest::newRow("english with a blank is another language")
        << QStringList{"Dune", "english ", "5", "N.A.", "N.A."}
        << QStringList{"Dune", "English ", "5", "N.A.", "N.A."};
}

void TestItemCatalogue::nextItemPreparation() {
    QFETCH(QStringList, saved);
    QFETCH(QStringList, next);
    QCOMPARE(listOf(prepareNextItem(fieldsOf(saved))), next);
}

// A new item: its record byte for byte, or a refusal (the dialog's own checks first, then the
// ones about storing the fields, then the duplicate in any letter case) that writes nothing.
void TestItemCatalogue::create_data() {
    QTest::addColumn<QString>("existing"); // a title created first, or empty
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<CreateOutcome::Kind>("kind");
    QTest::addColumn<QString>("text"); // the refusal, or the new file's name
    QTest::addColumn<QString>("title");
    QTest::addColumn<QByteArray>("bytes");
    using K = CreateOutcome::Kind;
    const QByteArray date = kDate.toLatin1(), none;
    const QString unstorable =
        QStringLiteral("The %1 field contains the character \"%2\", which cannot be stored in "
                       "the record files.\rPlease type it another way.");
    auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };
    row("edition") << ""
                   << QStringList{"Gone with the Wind (2nd ed.)", "french", "12.50", "N.A.", "N.A."}
                   << K::Created << "Gone with the Wind _2nd ed__"
                   << "New Item"
                   << "Gone with the Wind (2nd ed.)\r\n" + date +
                          "\r\nAvailable\r\nFrench\r\n$12.50\r\nN.A.\r\nN.A.\r\n";
    row("blanks kept, dollar kept")
        << "" << QStringList{" Dune", " english", "$3", "", ""} << K::Created << " Dune"
        << "New Item"
        << " Dune\r\n" + date + "\r\nAvailable\r\n english\r\n$3\r\n\r\n\r\n";
    row("price with blank, code page")
        << "" << QStringList{QStringLiteral("Café"), QStringLiteral("élan"), " 7", "978-0", "Ace"}
        << K::Created << QStringLiteral("Café") << "New Item"
        << "Caf\xE9\r\n" + date + "\r\nAvailable\r\n\xC9lan\r\n$ 7\r\n978-0\r\nAce\r\n";
    row("blank title") << "" << QStringList{"   ", "", "x", "", ""} << K::Refused
                       << "Invalid Title!    "
                       << "Empty" << none;
    row("blank language") << "" << QStringList{"Dune", "  ", "x", "", ""} << K::Refused
                          << "Invalid Language!    "
                          << "Empty" << none;
    row("bad price") << "" << QStringList{"Dune", "English", "abc", "", ""} << K::Refused
                     << "Invalid Price!    "
                     << "Empty" << none;
    row("quote, then blank language")
        << "" << QStringList{"\"Dune\"", "", "5", "", ""} << K::Refused << "Invalid Language!    "
        << "Empty" << none;
    row("unstorable publisher") << ""
                                << QStringList{"Dune", "English", "5", "N.A.",
                                               QStringLiteral("Ace ✓")}
                                << K::Refused
                                << unstorable.arg(QStringLiteral("Publisher"), QStringLiteral("✓"))
                                << "Invalid Character" << none;
    row("device name") << "" << QStringList{"con", "English", "5", "", ""} << K::Refused
                       << "The title \"con\" is the name of a device on Windows, so no file can be "
                          "named after it.\rPlease add a word to the title."
                       << "Invalid Title" << none;
    for (const auto& [first, second] : {std::pair{"Dune", "Dune"},
                                        {"Dune", "DUNE"},
                                        {"Rock & Roll", "Rock - Roll"},
                                        {"A.B", "a-b"}})
        QTest::addRow("%s, then %s", first, second)
            << first << QStringList{second, "German", "2"} << K::Duplicate
            << "File was already created!" << kAppTitle << none;
}

void TestItemCatalogue::create() {
    QFETCH(QString, existing);
    QFETCH(QStringList, fields);
    QFETCH(CreateOutcome::Kind, kind);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(QByteArray, bytes);
    TestFolders dir;
    dir.makeAll();
    const QLocale en(QLocale::English);
    if (!existing.isEmpty())
        QCOMPARE(createItem(dir.folders(), kOldDate, fieldsOf({existing, "English", "1"}), en).kind,
                 CreateOutcome::Kind::Created);
    const Files before = dir.snapshot();
    const CreateOutcome outcome = createItem(dir.folders(), kDate, fieldsOf(fields), en);
    QCOMPARE(outcome.kind, kind);
    QCOMPARE(outcome.message.title, title);
    if (kind != K::Created) {
        QCOMPARE(outcome.message.text, text);
        QCOMPARE(outcome.message.icon, kind == K::Duplicate ? MsgIcon::None : MsgIcon::Exclamation);
        QCOMPARE(dir.snapshot(), before);
        return;
    }
    QCOMPARE(outcome.message.text, QStringLiteral("New title created and added!\rCreate another "
                                                  "new item?"));
    QCOMPARE(outcome.message.buttons, MsgButtons::YesNo);
    QCOMPARE(TestFolders::changed(before, dir.snapshot()), QStringList{"stats/" + text});
    QCOMPARE(TestFolders::readBytes(dir.folders().stats + text), bytes);
}

void TestItemCatalogue::editRefusals_data() {
    QTest::addColumn<QString>("onDisk"); // name of the file present, empty for none
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<EditOutcome::Kind>("kind");
    QTest::addColumn<QString>("text");
    const QStringList available{"Dune", kOldDate, "Available", "English", "$5", "N.A.", "N.A."};
    const QStringList onLoan{"Dune", kOldDate,   "ON LOAN", "English", "$5", "N.A.",
                             "N.A.", "1234567A", "Ann",     "555",     "-",  " 1 "};
    const QStringList good{"English", "$5", "N.A.", "N.A."};
    using K = EditOutcome::Kind;
    const QString deleted = QStringLiteral("File was deleted! Edit canceled.");
    QTest::newRow("deleted") << "" << QStringList() << good << K::Deleted << deleted;
    QTest::newRow("only another letter case left")
        << "DUNE" << available << good << K::Deleted << deleted;
    QTest::newRow("checks come before the file")
        << "" << QStringList() << QStringList{" ", "$5", "", ""} << K::Refused
        << "Invalid Language!    ";
    QTest::newRow("bad price") << "Dune" << available << QStringList{"English", "5$", "", ""}
                               << K::Refused << "Invalid Price!    ";
    QTest::newRow("lent meanwhile")
        << "Dune" << onLoan << good << K::NotAvailable
        << "The title Dune is no longer available (its status is \"ON LOAN\"), so it cannot be "
           "edited.\rNo file was changed.";
    QStringList otherCase = available;
    otherCase[2] = "available";
    QTest::newRow("status of another case") << "Dune" << otherCase << good << K::NotAvailable << "";
    QTest::newRow("lost lines") << "Dune" << available.mid(0, 6) << good << K::Damaged << "";
}

void TestItemCatalogue::editRefusals() {
    QFETCH(QString, onDisk);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, typed);
    QFETCH(EditOutcome::Kind, kind);
    QFETCH(QString, text);
    TestFolders dir;
    dir.makeAll();
    if (!onDisk.isEmpty())
        TestFolders::writeBytes(dir.folders().stats + onDisk, TestFolders::crlf(lines));
    const auto before = dir.snapshot();
    const QString path = dir.folders().stats + "Dune";
    const EditOutcome outcome =
        saveItemEdit(path, "Dune", kDate, fieldsOf(QStringList{QString()} + typed), QLocale::c());
    QCOMPARE(outcome.kind, kind);
    if (!text.isEmpty())
        QCOMPARE(outcome.message.text, text);
    if (kind == EditOutcome::Kind::Damaged)
        QVERIFY(outcome.message.text.contains(QDir::toNativeSeparators(path)));
    QCOMPARE(dir.snapshot(), before);
}

QTEST_GUILESS_MAIN(TestItemCatalogue)
#include "tst_itemcatalogue.moc"
