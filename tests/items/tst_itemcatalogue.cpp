#include "items/ItemCatalogue.h"
#include "records/Cp1252.h"
#include "records/ItemRecord.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QTest>

using namespace quillory;
using namespace quillory::items;
using namespace quillory::records;
using quillory::test::TestFolders;

namespace {

const QString kDate = QStringLiteral("Saturday, December 05, 2026");
const QString kOldDate = QStringLiteral("Thursday, December 03, 2026");

ItemFields fieldsOf(const QStringList& f) {
    return ItemFields{f.value(0), f.value(1), f.value(2), f.value(3), f.value(4)};
}

QStringList listOf(const ItemFields& f) {
    return {f.title, f.language, f.price, f.serialNumber, f.publisher};
}

QStringList files(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot);
}

} // namespace

class TestItemCatalogue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nameRuleReplacesExactlyTheTwentyEight();
    void recordShapesByteForByte();
    void numericPrice_data();
    void numericPrice();
    void titleNameProblems_data();
    void titleNameProblems();
    void nextItemPreparation_data();
    void nextItemPreparation();
    void createRefusalsInOrderWriteNothing_data();
    void createRefusalsInOrderWriteNothing();
    void createWritesRecord_data();
    void createWritesRecord();
    void duplicatesAreRefused_data();
    void duplicatesAreRefused();
    void editRefusals_data();
    void editRefusals();
};

void TestItemCatalogue::nameRuleReplacesExactlyTheTwentyEight() {
    const QString replaced = QStringLiteral("!@#$%^&*()-+=\\/|.?~`><{}[]:;");
    QCOMPARE(replaced.size(), 28);
    // Every character a record can hold: the 28 become "_", all others stay.
    const QString all = Cp1252::decode(QByteArray::fromStdString([] {
        std::string bytes;
        for (int b = 1; b < 256; ++b)
            bytes += char(b);
        return bytes;
    }()));
    for (const QChar c : all) {
        const QString expected = replaced.contains(c) ? QStringLiteral("_") : QString(c);
        QCOMPARE(itemFileName(QString(c)), expected);
    }
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

void TestItemCatalogue::createRefusalsInOrderWriteNothing_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<ItemField>("field");
    const QString unstorable =
        QStringLiteral("The %1 field contains the character \"%2\", which cannot be stored in "
                       "the record files.\rPlease type it another way.");
    QTest::newRow("blank title") << QStringList{"   ", "", "x", "", ""} << "Invalid Title!    "
                                 << "Empty" << ItemField::Title;
    QTest::newRow("blank language")
        << QStringList{"Dune", "  ", "x", "", ""} << "Invalid Language!    "
        << "Empty" << ItemField::Language;
    QTest::newRow("bad price") << QStringList{"Dune", "English", "abc", "", ""}
                               << "Invalid Price!    "
                               << "Empty" << ItemField::Price;
    // The dialog's own three checks come before the ones about storing the fields.
    QTest::newRow("quote, then blank language")
        << QStringList{"\"Dune\"", "", "5", "", ""} << "Invalid Language!    "
        << "Empty" << ItemField::Language;
    QTest::newRow("unstorable publisher")
        << QStringList{"Dune", "English", "5", "N.A.", QStringLiteral("Ace ✓")}
        << unstorable.arg(QStringLiteral("Publisher"), QStringLiteral("✓")) << "Invalid Character"
        << ItemField::Publisher;
    QTest::newRow("device name")
        << QStringList{"con", "English", "5", "", ""}
        << "The title \"con\" is the name of a device on Windows, so no file can be named after "
           "it.\rPlease add a word to the title."
        << "Invalid Title" << ItemField::Title;
}

void TestItemCatalogue::createRefusalsInOrderWriteNothing() {
    QFETCH(QStringList, fields);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(ItemField, field);
    TestFolders dir;
    dir.makeAll();
    const auto before = dir.snapshot();
    const CreateOutcome outcome =
        createItem(dir.folders(), kDate, fieldsOf(fields), QLocale(QLocale::English));
    QCOMPARE(outcome.kind, CreateOutcome::Kind::Refused);
    QCOMPARE(outcome.message.text, text);
    QCOMPARE(outcome.message.title, title);
    QCOMPARE(outcome.message.icon, MsgIcon::Exclamation);
    QCOMPARE(outcome.message.buttons, MsgButtons::Ok);
    QVERIFY(outcome.field == field);
    QCOMPARE(dir.snapshot(), before);
}

void TestItemCatalogue::createWritesRecord_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray date = kDate.toLatin1();
    QTest::newRow("edition") << QStringList{"Gone with the Wind (2nd ed.)", "french", "12.50",
                                            "N.A.", "N.A."}
                             << "Gone with the Wind _2nd ed__"
                             << "Gone with the Wind (2nd ed.)\r\n" + date +
                                    "\r\nAvailable\r\nFrench\r\n$12.50\r\nN.A.\r\nN.A.\r\n";
    QTest::newRow("blanks kept, dollar kept")
        << QStringList{" Dune", " english", "$3", "", ""} << " Dune"
        << " Dune\r\n" + date + "\r\nAvailable\r\n english\r\n$3\r\n\r\n\r\n";
    QTest::newRow("price with blank, code page")
        << QStringList{QStringLiteral("Café"), QStringLiteral("élan"), " 7", "978-0", "Ace"}
        << QStringLiteral("Café")
        << "Caf\xE9\r\n" + date + "\r\nAvailable\r\n\xC9lan\r\n$ 7\r\n978-0\r\nAce\r\n";
}

void TestItemCatalogue::createWritesRecord() {
    QFETCH(QStringList, fields);
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    TestFolders dir;
    dir.makeAll();
    const CreateOutcome outcome =
        createItem(dir.folders(), kDate, fieldsOf(fields), QLocale(QLocale::English));
    QCOMPARE(outcome.kind, CreateOutcome::Kind::Created);
    QCOMPARE(outcome.message.text, QStringLiteral("New title created and added!\rCreate another "
                                                  "new item?"));
    QCOMPARE(outcome.message.title, QStringLiteral("New Item"));
    QCOMPARE(outcome.message.buttons, MsgButtons::YesNo);
    QCOMPARE(files(dir.folders().stats), QStringList{fileName});
    QCOMPARE(TestFolders::readBytes(dir.folders().stats + fileName), bytes);
}

void TestItemCatalogue::duplicatesAreRefused_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("same title") << "Dune"
                                << "Dune";
    QTest::newRow("other letter case") << "Dune"
                                       << "DUNE";
    QTest::newRow("other replaced character") << "Rock & Roll"
                                              << "Rock - Roll";
    QTest::newRow("dot and hyphen") << "A.B"
                                    << "a-b";
}

void TestItemCatalogue::duplicatesAreRefused() {
    QFETCH(QString, first);
    QFETCH(QString, second);
    TestFolders dir;
    dir.makeAll();
    const QLocale en(QLocale::English);
    QCOMPARE(createItem(dir.folders(), kOldDate, fieldsOf({first, "English", "1"}), en).kind,
             CreateOutcome::Kind::Created);
    const auto before = dir.snapshot();
    const CreateOutcome outcome =
        createItem(dir.folders(), kDate, fieldsOf({second, "German", "2"}), en);
    QCOMPARE(outcome.kind, CreateOutcome::Kind::Duplicate);
    QCOMPARE(outcome.message.text, QStringLiteral("File was already created!"));
    QCOMPARE(outcome.message.title, kAppTitle);
    QCOMPARE(outcome.message.icon, MsgIcon::None);
    QCOMPARE(dir.snapshot(), before);
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
