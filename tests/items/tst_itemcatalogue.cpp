#include "items/ItemCatalogue.h"
#include "records/ItemRecord.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QTest>

using namespace quillory;
using namespace quillory::items;
using namespace quillory::records;
using namespace quillory::test;

namespace {

const QString kDate = QStringLiteral("Saturday, December 05, 2026");
const QString kOldDate = QStringLiteral("Thursday, December 03, 2026");

// The dialog's fields written as "title|language|price|serial number|publisher".
ItemFields fieldsOf(const QString& text) {
    const QStringList f = text.split('|');
    return ItemFields{f.value(0), f.value(1), f.value(2), f.value(3), f.value(4)};
}

QString textOf(const ItemFields& f) {
    return QStringList{f.title, f.language, f.price, f.serialNumber, f.publisher}.join('|');
}

void row(const char* name, const QString& a, const QString& b) {
    QTest::newRow(name) << a << b;
}

} // namespace

class TestItemCatalogue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fileNames_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("fileName");
        row("edition", "Gone with the Wind (2nd ed.)", "Gone with the Wind _2nd ed__");
        row("signs", "a!b@c#d$e%f^g&h*i", "a_b_c_d_e_f_g_h_i");
        row("more signs", "-+=\\/|.?~`><{}[]:;", QString(18, u'_'));
        row("kept as typed", QStringLiteral(" Café, l'été _ 5€ \"x\" "),
            QStringLiteral(" Café, l'été _ 5€ \"x\" "));
    }
    void fileNames() {
        QFETCH(QString, title);
        QFETCH(QString, fileName);
        QCOMPARE(itemFileName(title), fileName);
    }

    void numericPrice_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");
        // Per locale: prices that are numbers, then texts that are not, "|" between them.
        for (const auto& [locale, numeric, other] :
             {std::tuple{"en_US", "12.50|$12.50| 7 |1,234.50|-5|+5|$ 7| $5|$ $5|$-3|.5",
                         "|   |$|abc|12,50|1.234,50|1e5|inf|nan|12.5.1| $ $5|-$5|5 5"},
              {"de_DE", "12,50|1.234,50|$12,50", "12.50|1,234.50"},
              {"C", "12.50", ""},
              {"fr_FR", "1 234,50", "12.50"}})
            for (bool is : {true, false})
                for (const QString& text : QString(is ? numeric : other).split('|'))
                    if (!text.isEmpty() || (!is && locale == std::string("en_US")))
                        QTest::addRow("%s '%s'", locale, qPrintable(text)) << locale << text << is;
    }
    void numericPrice() {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        const QLocale loc(locale);
        QCOMPARE(isNumericPrice(text, loc), numeric);
        // What the record stores for a numeric price must pass again when edited unchanged.
        if (numeric)
            QVERIFY(isNumericPrice(normalisePrice(text), loc));
    }

    void titleNameProblems_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<TitleNameProblem>("problem");
        using P = TitleNameProblem;
        QTest::newRow("plain") << "Dune" << P::None;
        QTest::newRow("double quote") << "The \"Dune\" saga" << P::DoubleQuote;
        QTest::newRow("tab") << "Dune\tII" << P::ControlCharacter;
        QTest::newRow("undefined code page byte") << "Dune\u0081" << P::ControlCharacter;
        QTest::newRow("trailing blank") << "Dune " << P::TrailingBlank;
        QTest::newRow("nul lower case") << "nul" << P::DeviceName;
        QTest::newRow("Com1") << "Com1" << P::DeviceName;
        QTest::newRow("COM superscript") << QStringLiteral("COM\u00B9") << P::DeviceName;
        QTest::newRow("dot turned underscore") << "NUL.txt" << P::None;
        QTest::newRow("device name in a title") << "Con Air" << P::None;
        QTest::newRow("255 bytes") << QString(255, 'a') << P::None;
        QTest::newRow("256 bytes") << QString(256, 'a') << P::TooLong;
        QTest::newRow("256 bytes with accents") << QString(128, QChar(0xE9)) << P::TooLong;
    }
    void titleNameProblems() {
        QFETCH(QString, title);
        QFETCH(TitleNameProblem, problem);
        QCOMPARE(titleNameProblem(title), problem);
    }

    void nextItemPreparation_data() {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("next");
        row("english", "Dune|english|5|123|Ace", "|English||N.A.|N.A.");
        row("ENGLISH, n.a.", "Dune|ENGLISH|5|N.A.|N.A.", "|English||N.A.|N.A.");
        row("n.a. / n.a.", "Dune|french|5|N.A.|n.a.", "Dune|French|5|N.A.|N.A.");
        row("empty counts as n.a.", "Dune|French|5||", "Dune|French|5|N.A.|N.A.");
        row("publisher other", "Dune|French|5|N.A.|Ace", "|French||N.A.|");
        row("serial other", "Dune|French|5|123|N.A.", "|French|||");
        row("both other", "Dune|French|5|123|Ace", "|French||N.A.|");
        row("english with a blank is another language", "Dune|english |5|N.A.|N.A.",
            "Dune|English |5|N.A.|N.A.");
    }
    void nextItemPreparation() {
        QFETCH(QString, saved);
        QFETCH(QString, next);
        QCOMPARE(textOf(prepareNextItem(fieldsOf(saved))), next);
    }

    // A new item: its record byte for byte, or a refusal (the dialog's own checks first, then
    // the ones about storing the fields, then the duplicate in any letter case) that writes
    // nothing.
    void create_data() {
        QTest::addColumn<QString>("existing"); // a title created first, or empty
        QTest::addColumn<QString>("fields");
        QTest::addColumn<CreateOutcome::Kind>("kind");
        QTest::addColumn<QString>("text"); // the refusal, or the new file's name
        QTest::addColumn<QString>("title");
        QTest::addColumn<QByteArray>("bytes");
        using K = CreateOutcome::Kind;
        const QByteArray date = kDate.toLatin1(), none;
        const QString empty = "Empty", created = "New Item";
        QTest::newRow("edition") << QString()
                                 << "Gone with the Wind (2nd ed.)|french|12.50|N.A.|N.A."
                                 << K::Created << "Gone with the Wind _2nd ed__" << created
                                 << "Gone with the Wind (2nd ed.)\r\n" + date +
                                        "\r\nAvailable\r\nFrench\r\n$12.50\r\nN.A.\r\nN.A.\r\n";
        QTest::newRow("blanks kept, dollar kept")
            << QString() << " Dune| english|$3||" << K::Created << " Dune" << created
            << " Dune\r\n" + date + "\r\nAvailable\r\n english\r\n$3\r\n\r\n\r\n";
        QTest::newRow("price with blank, code page")
            << QString() << QStringLiteral("Café|élan| 7|978-0|Ace") << K::Created
            << QStringLiteral("Café") << created
            << "Caf\xE9\r\n" + date + "\r\nAvailable\r\n\xC9lan\r\n$ 7\r\n978-0\r\nAce\r\n";
        QTest::newRow("blank title")
            << QString() << "   ||x||" << K::Refused << "Invalid Title!    " << empty << none;
        QTest::newRow("blank language")
            << QString() << "Dune|  |x||" << K::Refused << "Invalid Language!    " << empty << none;
        QTest::newRow("bad price") << QString() << "Dune|English|abc||" << K::Refused
                                   << "Invalid Price!    " << empty << none;
        QTest::newRow("quote, then blank language") << QString() << "\"Dune\"||5||" << K::Refused
                                                    << "Invalid Language!    " << empty << none;
        QTest::newRow("unstorable publisher")
            << QString() << QStringLiteral("Dune|English|5|N.A.|Ace ✓") << K::Refused
            << QStringLiteral("The Publisher field contains the character \"✓\", which cannot be "
                              "stored in the record files.\rPlease type it another way.")
            << "Invalid Character" << none;
        QTest::newRow("device name")
            << QString() << "con|English|5||" << K::Refused
            << "The title \"con\" is the name of a device on Windows, so no file can be named "
               "after it.\rPlease add a word to the title."
            << "Invalid Title" << none;
        for (const auto& [first, second] : {std::pair{"Dune", "Dune"},
                                            {"Dune", "DUNE"},
                                            {"Rock & Roll", "Rock - Roll"},
                                            {"A.B", "a-b"}})
            QTest::addRow("%s, then %s", first, second)
                << first << QString(second) + "|German|2" << K::Duplicate
                << "File was already created!" << kAppTitle << none;
    }
    void create() {
        QFETCH(QString, existing);
        QFETCH(QString, fields);
        QFETCH(CreateOutcome::Kind, kind);
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(QByteArray, bytes);
        TestFolders dir;
        dir.makeAll();
        const QLocale en(QLocale::English);
        if (!existing.isEmpty())
            QCOMPARE(
                createItem(dir.folders(), kOldDate, fieldsOf(existing + "|English|1"), en).kind,
                CreateOutcome::Kind::Created);
        const Files before = dir.snapshot();
        const CreateOutcome outcome = createItem(dir.folders(), kDate, fieldsOf(fields), en);
        QCOMPARE(outcome.kind, kind);
        QCOMPARE(outcome.message.title, title);
        if (kind != CreateOutcome::Kind::Created) {
            QCOMPARE(outcome.message.text, text);
            QCOMPARE(outcome.message.icon,
                     kind == CreateOutcome::Kind::Duplicate ? MsgIcon::None : MsgIcon::Exclamation);
            QCOMPARE(dir.snapshot(), before);
            return;
        }
        QCOMPARE(outcome.message.text,
                 QString("New title created and added!\rCreate another new item?"));
        QCOMPARE(outcome.message.buttons, MsgButtons::YesNo);
        QCOMPARE(TestFolders::changed(before, dir.snapshot()), QStringList{"stats/" + text});
        QCOMPARE(TestFolders::readBytes(dir.folders().stats + text), bytes);
    }

    void editRefusals_data() {
        QTest::addColumn<QString>("onDisk"); // name of the file present, empty for none
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("typed"); // language|price|serial number|publisher
        QTest::addColumn<EditOutcome::Kind>("kind");
        QTest::addColumn<QString>("text");
        const QStringList available = rec::item("Dune"), onLoan = rec::lentItem("Dune");
        const QString good = "English|$5|N.A.|N.A.", none;
        using K = EditOutcome::Kind;
        const QString deleted = "File was deleted! Edit canceled.";
        QTest::newRow("deleted") << none << QStringList() << good << K::Deleted << deleted;
        QTest::newRow("only another letter case left")
            << "DUNE" << available << good << K::Deleted << deleted;
        QTest::newRow("checks come before the file")
            << none << QStringList() << " |$5||" << K::Refused << "Invalid Language!    ";
        QTest::newRow("bad price")
            << "Dune" << available << "English|5$||" << K::Refused << "Invalid Price!    ";
        QTest::newRow("lent meanwhile")
            << "Dune" << onLoan << good << K::NotAvailable
            << "The title Dune is no longer available (its status is \"ON LOAN\"), so it cannot "
               "be edited.\rNo file was changed.";
        QTest::newRow("status of another case")
            << "Dune" << rec::item("Dune", "available") << good << K::NotAvailable << none;
        QTest::newRow("lost lines") << "Dune" << available.mid(0, 6) << good << K::Damaged << none;
    }
    void editRefusals() {
        QFETCH(QString, onDisk);
        QFETCH(QStringList, lines);
        QFETCH(QString, typed);
        QFETCH(EditOutcome::Kind, kind);
        QFETCH(QString, text);
        TestFolders dir;
        dir.makeAll();
        if (!onDisk.isEmpty())
            TestFolders::writeBytes(dir.folders().stats + onDisk, TestFolders::crlf(lines));
        const auto before = dir.snapshot();
        const QString path = dir.folders().stats + "Dune";
        const EditOutcome outcome =
            saveItemEdit(path, "Dune", kDate, fieldsOf("|" + typed), QLocale::c());
        QCOMPARE(outcome.kind, kind);
        if (!text.isEmpty())
            QCOMPARE(outcome.message.text, text);
        if (kind == EditOutcome::Kind::Damaged)
            QVERIFY(outcome.message.text.contains(QDir::toNativeSeparators(path)));
        QCOMPARE(dir.snapshot(), before);
    }
};

QTEST_GUILESS_MAIN(TestItemCatalogue)
#include "tst_itemcatalogue.moc"
