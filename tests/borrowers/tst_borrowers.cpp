#include "borrowers/Borrowers.h"
#include "support/TestFolders.h"

#include <QSet>
#include <QTest>

using namespace quillory;
using namespace quillory::borrowers;
using namespace quillory::test;

Q_DECLARE_METATYPE(quillory::borrowers::EditResult)
Q_DECLARE_METATYPE(quillory::borrowers::CreateResult)

namespace {
const QString kId = rec::kId; // 4821937Q
}

class TestBorrowers : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
        QCOMPARE(generateProfileId([&] { return draws.value(used++, 0.5); }), id);
        QCOMPARE(used, draws.size());
    }

    // Each Generate ID click takes a new clock-seeded source: no two start alike.
    void clockSeededSourcesDiffer() {
        QSet<QString> first;
        for (int i = 0; i < 20; ++i)
            first.insert(generateProfileId(clockSeededSource()));
        QCOMPARE(first.size(), 20);
    }

    // A new record's bytes; a taken ID in any case, or a folder in its place, writes nothing.
    void createWritesRecord_data() {
        QTest::addColumn<QString>("existing"); // "" none, an ID's record, or "<folder>"
        QTest::addColumn<CreateResult>("result");
        QTest::newRow("blanks kept") << QString() << CreateResult::Created;
        QTest::newRow("taken") << kId << CreateResult::Clash;
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
        const CreateOutcome outcome = createProfile(f, kId, {" Ann Lee ", "555 0101", "-"});
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
        const auto refusal = checkFields({f[0], f[1], f[2]});
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
        QTest::newRow("count 0") << QByteArray("4821937Q\r\nAnn\r\n1\r\n2\r\n0\r\n")
                                 << EditResult::Saved;
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
        const EditOutcome outcome =
            saveProfileEdit(dir.folders(), kId, kId, {" Bob ", "555 0202", "-"});
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

QTEST_GUILESS_MAIN(TestBorrowers)
#include "tst_borrowers.moc"
