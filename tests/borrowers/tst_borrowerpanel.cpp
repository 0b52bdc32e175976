#include "support/MainWindowHarness.h"

#include <QLineEdit>
#include <QPointer>

using namespace quillory;
using namespace quillory::test;

namespace {

// The main window started and shown over these profile records.
struct Borrowers {
    explicit Borrowers(const QList<QStringList>& profiles)
        : h(MainWindowHarness::Default | MainWindowHarness::Show) {
        for (const QStringList& lines : profiles)
            h.writeProfile(lines[0], lines);
        h.window->RefreshStatistics();
    }
    QWidget* dialog(const QString& key) const { return h.window->openWindow(key); }
    MainWindowHarness h;
};

bool yellow(const QString& field, const QObject* root) {
    return child(field, root)->palette().color(QPalette::Base) == QColor(255, 255, 0);
}

} // namespace

class TestBorrowerPanel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void gates_data() {
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("offered"); // edit and remove, or the item list; "blink" too
        QTest::newRow("0 after a blinking one") << " 0 " << QString("edit");
        QTest::newRow("1") << "1" << QString("list");
        QTest::newRow("6") << "6" << QString("list, blink");
        QTest::newRow("count below 0") << "-1 " << QString();
    }
    void gates() {
        QFETCH(QString, count);
        QFETCH(QString, offered);
        Borrowers b({rec::profile("1000000A", " 7 "), rec::profile("2000000B", count, " Bea ")});
        pick("filProfiles", "1000000A");
        auto* timer = child<QTimer>("tmrBlinkItem");
        QVERIFY(timer->isActive());
        pick("filProfiles", "2000000B");
        QCOMPARE(text("lblProfileName") + "|" + text("lblProfileTotalLoan"), " Bea |" + count);
        const bool edit = offered == "edit";
        const bool list = offered.startsWith("list");
        for (const char* name :
             {"cmdEditProfile", "cmdDeleteProfile", "mnuEdit_EditProfile", "mnuEdit_RemoveProfile"})
            QVERIFY2(enabled(name) == edit, name);
        QCOMPARE(!child("cmdItemList")->isHidden(), list);
        QCOMPARE(enabled("mnuEdit_ItemList"), list);
        QVERIFY(enabled("cmdNewProfile"));
        QCOMPARE(timer->isActive(), offered.endsWith("blink"));
        const BlinkColours& colours = b.h.window->blinkColours();
        auto colour = [] {
            return child("lblProfileTotalLoan")->palette().color(QPalette::WindowText);
        };
        const QColor first = colour();
        if (!timer->isActive()) {
            QCOMPARE(first, QColor(Qt::black));
        } else {
            QVERIFY(first == colours.text[0] || first == colours.text[1]);
            tick("tmrBlinkItem");
            QCOMPARE(colour(), first == colours.text[0] ? colours.text[1] : colours.text[0]);
        }
        if (offered.isEmpty()) // the panel says what is wrong, without a box
            QVERIFY2(text("lblGuide").contains("2000000B"), qPrintable(text("lblGuide")));
    }

    void newProfile() {
        Borrowers b({rec::profile("1000000A")});
        pick("filProfiles", "1000000A");
        trigger("mnuFile_NewProfile");
        QWidget* d = b.dialog("frmNewProfile");
        QVERIFY(d && QTest::qWaitForWindowActive(d));
        QVERIFY(b.h.window->isEnabled());
        setText("txtName", " Zoë ", d);
        b.h.messages().answerOk();
        click("cmdOK", d); // before Generate ID
        click("cmdGenerate", d);
        const QString id = text("lblProfile", d);
        b.h.messages().answerOk();
        click("cmdOK", d); // home empty: marked and focused until typed in
        QVERIFY(yellow("txtHome", d));
        QCOMPARE(d->focusWidget(), child("txtHome", d));
        QTest::keyClicks(child("txtHome", d), "555 0303");
        QVERIFY(!yellow("txtHome", d));
        setText("txtCell", "-", d);
        b.h.messages().answer(MsgAnswer::No);
        click("cmdOK", d);
        QCOMPARE(
            b.h.messages().texts(),
            (QStringList{"Please click on Generate ID to create a new Profile ID for new user.",
                         "Home number field is empty!    ",
                         "The user  Zoë  was created with Profile ID number: " + id +
                             "\rCreate another new user?"}));
        QCOMPARE(TestFolders::readBytes(b.h.folders().profilePath(id)),
                 TestFolders::crlf({id, QStringLiteral(" Zoë "), "555 0303", "-", "0"}));
        for (const char* list : {"filProfiles", "filProfilesReturn"})
            QVERIFY(child<FolderList>(list)->names().contains(id));
        QCOMPARE(text("lblProfileName"), QString("Ann Lee")); // the one on show stays
        QVERIFY(!d->isVisible());
    }

    void editProfile() {
        Borrowers b({rec::profile("1000000A", " 0 "), rec::profile("2000000B", "0", "Bea")});
        click("cmdEditProfile"); // nothing selected: nothing opens
        QVERIFY(!b.dialog("frmEditProfile"));
        pick("filProfiles", "1000000A");
        click("cmdEditProfile");
        QPointer<QWidget> d = b.dialog("frmEditProfile");
        QVERIFY(d && QTest::qWaitForWindowActive(d));
        QCOMPARE(d->windowTitle() + "|" + text("lblProfileID", d),
                 QString("Edit Profile ID 1000000A|1000000A"));
        QTRY_COMPARE(child<QLineEdit>("txtName", d)->selectedText(), QString("Ann Lee"));
        // Another borrower picked meanwhile does not change what the open dialog edits.
        pick("filProfiles", "2000000B");
        click("cmdEditProfile");
        QCOMPARE(b.dialog("frmEditProfile"), d.data());
        setText("txtName", " Ann B ", d);
        pick("filProfiles", "1000000A");
        b.h.messages().answerOk();
        click("cmdOK", d);
        QCOMPARE(b.h.messages().lastText(),
                 QString("The Profile ID 1000000A new changes are saved."));
        QCOMPARE(text("lblProfileName"), QString(" Ann B ")); // read again from the record
        QTRY_VERIFY(!d || d->isHidden());
    }

    void removal_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void removal() {
        QFETCH(bool, yes);
        Borrowers b({rec::profile("1000000A"), rec::profile("2000000B")});
        pick("filProfiles", "1000000A");
        const auto files = b.h.dir.snapshot();
        b.h.messages().answer(yes ? MsgAnswer::Yes : MsgAnswer::No);
        if (yes)
            b.h.messages().answerOk();
        trigger("mnuEdit_RemoveProfile");
        QCOMPARE(b.h.messages().texts().value(0), QString("Remove Profile ID: 1000000A?"));
        if (!yes) {
            QCOMPARE(b.h.dir.snapshot(), files);
            QCOMPARE(text("lblProfileName"), QString("Ann Lee"));
            return;
        }
        QVERIFY(!QFile::exists(b.h.folders().profilePath("1000000A")));
        for (const char* list : {"filProfiles", "filProfilesReturn"})
            QCOMPARE(child<FolderList>(list)->names(), QStringList{"2000000B"});
        QVERIFY(child<FolderList>("filProfiles")->selectedFileName().isEmpty());
        for (const char* value :
             {"lblProfileName", "lblProfileHome", "lblProfileCellPager", "lblProfileTotalLoan"})
            QVERIFY(text(value).isEmpty());
    }
};

QTEST_MAIN(TestBorrowerPanel)
#include "tst_borrowerpanel.moc"
