// The catalogue without a window: the item and profile dialogs' checks, file names, prices and
// Profile IDs, and the records a new item or borrower and an edit leave, byte for byte.
#include "borrowers/Borrowers.h"
#include "items/ItemCatalogue.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QSet>
#include <QTest>

using namespace quillory;
using namespace quillory::items;
using namespace quillory::records;
using namespace quillory::test;
using quillory::borrowers::CreateResult;
using quillory::borrowers::EditResult;
using rec::kId;

Q_DECLARE_METATYPE(quillory::borrowers::EditResult)
Q_DECLARE_METATYPE(quillory::borrowers::CreateResult)

namespace {

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

class TestCatalogue : public QObject {
    Q_OBJECT

private Q_SLOTS:
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

    // A title's file name, each of the 28 signs as "_", and why it could not name a file.
    void titleNames_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("fileName"); // null: the title as typed
        QTest::addColumn<TitleNameProblem>("problem");
        using P = TitleNameProblem;
        const QString same;
        QTest::newRow("signs") << "a!b@c#d$e%f^g&h*i"
                               << "a_b_c_d_e_f_g_h_i" << P::None;
        QTest::newRow("more signs") << "-+=\\/|.?~`><{}[]:;" << QString(18, u'_') << P::None;
        QTest::newRow("double quote, others kept")
            << QStringLiteral(" Café, l'été _ 5€ \"x\"") << same << P::DoubleQuote;
        QTest::newRow("double quote among plain words")
            << "Say \"hi\" now" << same << P::DoubleQuote;
        QTest::newRow("tab") << "Du\tne II" << same << P::ControlCharacter;
        QTest::newRow("delete") << "Dune\x7fIII" << same << P::ControlCharacter;
        QTest::newRow("undefined code page byte") << "Dune\u0081" << same << P::ControlCharacter;
        QTest::newRow("trailing blank") << "Dune " << same << P::TrailingBlank;
        QTest::newRow("nul lower case") << "nul" << same << P::DeviceName;
        QTest::newRow("Com1") << "Com1" << same << P::DeviceName;
        QTest::newRow("COM superscript") << QStringLiteral("COM\u00B9") << same << P::DeviceName;
        QTest::newRow("dot turned underscore") << "NUL.txt"
                                               << "NUL_txt" << P::None;
        QTest::newRow("device name in a title") << "Con Air" << same << P::None;
        QTest::newRow("255 bytes") << QString(255, 'a') << same << P::None;
        QTest::newRow("256 bytes") << QString(256, 'a') << same << P::TooLong;
        QTest::newRow("256 bytes with accents") << QString(128, QChar(0xE9)) << same << P::TooLong;
    }
    void titleNames() {
        QFETCH(QString, title);
        QFETCH(QString, fileName);
        QFETCH(TitleNameProblem, problem);
        QCOMPARE(itemFileName(title), fileName.isNull() ? title : fileName);
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
        const QByteArray date = rec::kToday.toLatin1(), none;
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
        for (const auto& [first, second] :
             {std::pair{"Dune", "DUNE"}, {"Rock & Roll", "Rock - Roll"}, {"A.B", "a-b"}})
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
        if (!existing.isEmpty()) // whatever the record holds, its name is taken
            TestFolders::writeBytes(dir.folders().stats + itemFileName(existing), "x\r\n");
        const Files before = dir.snapshot();
        const CreateOutcome outcome =
            createItem(dir.folders(), rec::kToday, fieldsOf(fields), QLocale(QLocale::English));
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
        QTest::newRow("only another letter case left")
            << "DUNE" << available << good << K::Deleted << "File was deleted! Edit canceled.";
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
            saveItemEdit(path, "Dune", rec::kToday, fieldsOf("|" + typed), QLocale::c());
        QCOMPARE(outcome.kind, kind);
        if (!text.isEmpty())
            QCOMPARE(outcome.message.text, text);
        if (kind == EditOutcome::Kind::Damaged)
            QVERIFY(outcome.message.text.contains(QDir::toNativeSeparators(path)));
        QCOMPARE(dir.snapshot(), before);
    }

    // Scripted draws for the generator: each row's numbers are consumed in order.
    void generateRedrawsOutOfRange_data() {
        QTest::addColumn<QList<double>>("draws");
        QTest::addColumn<QString>("id");
        QTest::newRow("first draws in range") << QList<double>{0.5, 0.99} << "4999999Z";
        QTest::newRow("six digits drawn again")
            << QList<double>{0.0, 0.09, 0.1000001, 0.75} << "1000000D";
        QTest::newRow("highest number") << QList<double>{0.99999999, 0.7142858} << "9999998A";
        QTest::newRow("codes up to 64 drawn again")
            << QList<double>{0.25, 0.0, 0.7142857, 0.5, 0.7142858} << "2499999A";
    }
    void generateRedrawsOutOfRange() {
        QFETCH(QList<double>, draws);
        QFETCH(QString, id);
        qsizetype used = 0;
        QCOMPARE(borrowers::generateProfileId([&] { return draws.value(used++, 0.5); }), id);
        QCOMPARE(used, draws.size());
    }

    // Each Generate ID click takes a new clock-seeded source: no two start alike.
    void clockSeededSourcesDiffer() {
        QSet<QString> first;
        for (int i = 0; i < 20; ++i)
            first.insert(borrowers::generateProfileId(borrowers::clockSeededSource()));
        QCOMPARE(first.size(), 20);
    }

    // A new record's bytes; a taken ID in any case, or a folder in its place, writes nothing.
    void createWritesRecord_data() {
        QTest::addColumn<QString>("existing"); // "" none, an ID's record, or "<folder>"
        QTest::addColumn<CreateResult>("result");
        QTest::newRow("blanks kept") << QString() << CreateResult::Created;
        QTest::newRow("taken in other case") << kId.toLower() << CreateResult::Clash;
        // A folder standing where the record would go cannot be replaced by a file, even by root.
        QTest::newRow("a folder in its place") << "<folder>" << CreateResult::WriteFailed;
    }
    void createWritesRecord() {
        QFETCH(QString, existing);
        QFETCH(CreateResult, result);
        TestFolders dir;
        dir.makeAll();
        const Folders f = dir.folders();
        if (existing == "<folder>")
            TestFolders::make(f.profilePath(kId), "<folder>");
        else if (!existing.isEmpty())
            TestFolders::writeBytes(f.profilePath(existing), "old\r\n");
        const Files before = dir.snapshot();
        const auto outcome = borrowers::createProfile(f, kId, {" Ann Lee ", "555 0101", "-"});
        QCOMPARE(outcome.result, result);
        if (result == CreateResult::Created) {
            QCOMPARE(TestFolders::changed(before, dir.snapshot()), QStringList{"profiles/" + kId});
            QCOMPARE(TestFolders::readBytes(f.profilePath(kId)),
                     QByteArray("4821937Q\r\n Ann Lee \r\n555 0101\r\n-\r\n0\r\n"));
        } else {
            QCOMPARE(dir.snapshot(), before);
        }
        if (result == CreateResult::WriteFailed)
            QVERIFY(outcome.message.text.contains(kId));
    }

    void fieldChecksInOrder_data() {
        QTest::addColumn<QString>("fields"); // name|home|cell
        QTest::addColumn<int>("field");      // -1: every check passes
        QTest::addColumn<QString>("text");   // how the refusal starts
        QTest::addColumn<QString>("title");
        const QString name = "Name field is empty!    ", home = "Home number field is empty!    ",
                      cell = "Please provide a valid Cell-phone number\ror skip field by "
                             "inserting the dash symbol '-'.",
                      empty = "Empty", none;
        QTest::newRow("all filled") << "Ann|1|-" << -1 << none << none;
        QTest::newRow("all empty") << "||" << 0 << name << empty;
        QTest::newRow("name of blanks") << "   |1|2" << 0 << name << empty;
        QTest::newRow("home and cell empty") << "Ann||" << 1 << home << empty;
        QTest::newRow("cell of blanks") << "Ann|1| \t" << 2 << cell << kAppTitle;
        QTest::newRow("name unstorable")
            << QStringLiteral("Аня|1|-") << 0 << "The Name field" << kAppTitle;
        QTest::newRow("cell unstorable, blank home first")
            << QStringLiteral("Ann| |☎ 1") << 1 << home << empty;
        QTest::newRow("cell unstorable")
            << QStringLiteral("Ann|1|☎ 1") << 2 << "The Cell Number field" << kAppTitle;
    }
    void fieldChecksInOrder() {
        QFETCH(QString, fields);
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QString, title);
        const QStringList f = fields.split('|');
        const auto refusal = borrowers::checkFields({f[0], f[1], f[2]});
        QCOMPARE(refusal ? int(refusal->field) : -1, field);
        if (!refusal)
            return;
        QVERIFY2(refusal->message.text.startsWith(text), qPrintable(refusal->message.text));
        QCOMPARE(refusal->message.title, title);
        QCOMPARE(refusal->message.buttons, MsgButtons::Ok);
    }

    void editSavesOnlyWhileNothingIsOnLoan_data() {
        QTest::addColumn<QByteArray>("before"); // null: the file is gone
        QTest::addColumn<EditResult>("result");
        QTest::newRow("count 0 after a return, LF lines")
            << QByteArray("4821937Q\nAnn\n1\n2\n 0 \n") << EditResult::Saved;
        QTest::newRow("lent meanwhile")
            << QByteArray("4821937Q\r\nAnn\r\n1\r\n2\r\n 1 \r\n") << EditResult::OnLoan;
        QTest::newRow("count below 0")
            << QByteArray("4821937Q\r\nAnn\r\n1\r\n2\r\n-1 \r\n") << EditResult::BadCount;
        QTest::newRow("removed meanwhile") << QByteArray() << EditResult::Gone;
        QTest::newRow("lost lines")
            << QByteArray("4821937Q\r\nAnn\r\n1\r\n2\r\n") << EditResult::Unreadable;
    }
    void editSavesOnlyWhileNothingIsOnLoan() {
        QFETCH(QByteArray, before);
        QFETCH(EditResult, result);
        TestFolders dir;
        dir.makeAll();
        const QString path = dir.folders().profilePath(kId);
        TestFolders::put(path, before);
        const auto snapshot = dir.snapshot();
        const auto outcome =
            borrowers::saveProfileEdit(dir.folders(), kId, kId, {" Bob ", "555 0202", "-"});
        QCOMPARE(outcome.result, result);
        if (result == EditResult::Saved) {
            QCOMPARE(TestFolders::readBytes(path),
                     QByteArray("4821937Q\r\n Bob \r\n555 0202\r\n-\r\n0\r\n"));
            return;
        }
        QCOMPARE(dir.snapshot(), snapshot); // nothing written, nothing brought back
        const QString text = outcome.message.text;
        QVERIFY2(text.contains(kId) && text.endsWith("\rThe changes were not saved."),
                 qPrintable(text));
        // Says what is wrong: a count below 0 is not items on loan.
        QCOMPARE(text.contains("has items on loan"), result == EditResult::OnLoan);
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
