// The item and borrower panels and their dialogs, driven through the real main window.
#include "support/MainWindowHarness.h"

#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>

using namespace quillory;
using namespace quillory::test;

namespace {

// A started, shown main window over these item and profile records; the item blink ticks only
// when told.
struct Panels {
    explicit Panels(const QMap<QString, QStringList>& items,
                    const QList<QStringList>& profiles = {})
        : h(MainWindowHarness::Default | MainWindowHarness::Show) {
        for (auto it = items.cbegin(); it != items.cend(); ++it)
            h.writeStats(it.key(), it.value());
        for (const QStringList& lines : profiles)
            h.writeProfile(lines[0], lines);
        h.window->RefreshStatistics();
        child<QTimer>("tmrBlink")->stop();
    }
    // What the item panel offers, the same on its buttons and both menus: "change" (edit,
    // remove, borrow), "details" (who has it) or "".
    QString offered() const {
        QStringList change, details{child("cmdBorrowerDetails")->isHidden() ? "" : "details"};
        for (const char* a :
             {"cmdEditItem", "cmdDeleteItem", "mnuEdit_EditItemDetails", "mnuEdit_RemoveItem",
              "mnuEdit_BorrowItem", "mnuPop_BorrowItem", "mnuPop_EditItem", "mnuPop_RemoveItem"})
            change << (enabled(a) ? "change" : "");
        for (const char* a :
             {"cmdBorrowerDetails", "mnuEdit_BorrowerDetails", "mnuPop_BorrowerDetails"})
            details << (enabled(a) ? "details" : "");
        change.removeDuplicates();
        details.removeDuplicates();
        return (change.join('/') + ' ' + details.join('/')).trimmed();
    }
    QWidget* dialog(const QString& key) const { return h.window->openWindow(key); }
    QString selected(const QString& list = "filStats") const {
        return child<FolderList>(list)->selectedFileName();
    }
    MainWindowHarness h;
};

QColor colour(const QString& label) {
    return child(label)->palette().color(QPalette::WindowText);
}
// Blinking: one of the two colours, the other after a tick.
void blinks(const QString& label, const QString& timer, const BlinkColours& colours) {
    const QColor first = colour(label);
    QVERIFY(first == colours.text[0] || first == colours.text[1]);
    tick(timer);
    QCOMPARE(colour(label), first == colours.text[0] ? colours.text[1] : colours.text[0]);
}
bool yellow(const QString& field, const QObject* root) {
    return child(field, root)->palette().color(QPalette::Base) == QColor(255, 255, 0);
}

} // namespace

class TestPanels : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void itemShownAndGates_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("offered");
        QStringList distinct{"Title 1", "Date 2", "Available", "Lang 4", "$5", "Ser 6", "Pub 7"};
        QTest::newRow("available") << distinct << "change";
        QTest::newRow("on loan") << rec::lentItem("Title 1") << "details";
        distinct[2] = "Available ";
        QTest::newRow("available with a blank") << distinct << "details";
        QTest::newRow("lost lines") << distinct.mid(0, 6) << "";
    }
    void itemShownAndGates() {
        QFETCH(QStringList, lines);
        QFETCH(QString, offered);
        Panels p({{"Aaa", offered == "change" ? rec::lentItem("Aaa") : rec::item("Aaa")},
                  {"Item", lines}});
        pick("filStats", "Aaa");
        QVERIFY(p.offered() != offered);
        pick("filStats", "Item");
        QCOMPARE(p.offered(), offered);
        QStringList shown;
        for (const char* name : {"lblItemTitle", "lblItemDate", "lblItemStatus", "lblItemLanguage",
                                 "lblItemPrice", "lblItemSerialNumber", "lblItemPublisher"})
            shown << text(name);
        // Damaged: no box, the heading names the file, nothing of another item is shown.
        const bool damaged = lines.size() < 7;
        QCOMPARE(shown, damaged ? QStringList(7, QString()) : lines.mid(0, 7));
        QVERIFY(text("lblData").contains(
            damaged ? QDir::toNativeSeparators(p.h.folders().stats + "Item") : "Item Data"));
        if (offered == "details")
            blinks("lblItemStatus", "tmrBlink", p.h.window->blinkColours());
        else if (offered == "change")
            QCOMPARE(colour("lblItemStatus"), QColor(Qt::black));
    }

    // A right press, and any press beside the names, keeps the selection; the pop-up menu
    // opens for a selected item only.
    void pressesKeepTheSelection() {
        Panels p({{"Free", rec::item("Free")}, {"Lent", rec::lentItem("Lent")}});
        auto* popUp = child<QMenu>("mnuPopUp");
        auto* list = child<FolderList>("filStats");
        pick("filStats", "Lent", Qt::RightButton);
        QVERIFY2(!popUp->isVisible(), "nothing selected, no menu");
        pick("filStats", "Free");
        pick("filStats", "Lent", Qt::RightButton);
        QTRY_VERIFY(popUp->isVisible());
        QCOMPARE(p.selected(), QString("Free"));
        popUp->close();
        const QPoint blank(5, list->viewport()->height() - 5);
        QVERIFY(!list->indexAt(blank).isValid());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, blank);
        QCOMPARE(p.selected() + "|" + text("lblItemTitle") + "|" + p.offered(),
                 QString("Free|Free|change"));
    }

    void search_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("selected"); // and what is shown and offered
        const QString gone = "Gone with the Wind _2nd ed__", alpha = "Alpha|Alpha|change";
        QTest::newRow("other case") << "GONE W" << gone + "|Gone with the Wind (2nd ed.)|change";
        // "b" matches nothing and sorts between two names: the selection stays.
        QTest::newRow("no match stays") << "b" << alpha;
        QTest::newRow("on loan") << "lent" << QString("Lent|Lent|details");
        // Every name begins with the empty text: an emptied field goes back to the first name.
        QTest::newRow("emptied") << "lent\b\b\b\b" << alpha;
        // Reaching a damaged record asks nothing in the middle of the typing.
        QTest::newRow("damaged") << "dam" << QString("Damaged||");
    }
    void search() {
        QFETCH(QString, typed);
        QFETCH(QString, selected);
        Panels p({{"Alpha", rec::item("Alpha")},
                  {"Gone with the Wind _2nd ed__", rec::item("Gone with the Wind (2nd ed.)")},
                  {"Lent", rec::lentItem("Lent")},
                  {"Damaged", {"Damaged"}}});
        pick("filStats", "Alpha");
        for (const QChar c : typed)
            QTest::keyClick(child("txtSearch"),
                            c == '\b' ? Qt::Key_Backspace : Qt::Key(c.toUpper().unicode()), {}, -1);
        QCOMPARE(p.selected() + "|" + text("lblItemTitle") + "|" + p.offered(), selected);
    }

    void itemRemoval_data() {
        QTest::addColumn<QString>("answer"); // "gone": the file went before
        QTest::newRow("yes") << "yes";
        QTest::newRow("no") << "no";
        QTest::newRow("file gone") << "gone";
    }
    void itemRemoval() {
        QFETCH(QString, answer);
        const QString name = "Gone with the Wind _2nd ed__";
        Panels p({{"Alpha", rec::item("Alpha")},
                  {name, rec::item("Gone")},
                  {"Lent", rec::lentItem("Lent")}});
        pick("filStats", "Alpha");
        // Selected but not shown: the question must still name the file that goes.
        child<FolderList>("filStats")->selectName(name);
        const QString path = p.h.folders().stats + name;
        if (answer == "gone")
            QFile::remove(path);
        p.h.messages().answer(answer == "no" ? MsgAnswer::No : MsgAnswer::Yes);
        if (answer == "yes")
            p.h.messages().answerOk();
        click("cmdDeleteItem");
        const QStringList texts = p.h.messages().texts();
        if (answer != "gone")
            QCOMPARE(texts[0], QString("Remove item Gone ?"));
        QCOMPARE(QFile::exists(path), answer == "no");
        QCOMPARE(child<FolderList>("filStats")->count(), answer == "no" ? 3 : 2);
        QCOMPARE(text("staPanelStats").left(1), answer == "no" ? "3" : "2");
        QCOMPARE(text("lblItemTitle"), answer == "no" ? "Gone" : "");
        if (answer == "gone")
            return;
        // An item lent meanwhile is shown and kept; nothing is asked.
        child<FolderList>("filStats")->selectName("Lent");
        click("cmdDeleteItem");
        QCOMPARE(p.h.messages().shown.size(), texts.size());
        QCOMPARE(text("lblItemTitle"), QString("Lent"));
    }

    // New Item: a refused price is marked and kept until typed over; Yes to another item keeps
    // what the next one may share and gives the title the focus, its text selected, as a click
    // selects a field's whole text unless the focus has left it already. Edit Item keeps the
    // record it loaded while open; reopened, it loads it afresh.
    void itemDialogs() {
        QStringList dune = rec::item("Dune");
        Panels p(
            {{"Dune", dune}, {"Other", rec::item("Other")}, {"Torn", rec::item("Torn").mid(0, 4)}});
        click("cmdNewItem");
        QPointer<QWidget> d = p.dialog("frmNewItemDetail");
        QVERIFY(d && QTest::qWaitForWindowActive(d));
        auto values = [&] {
            return QStringList{text("txtItemTitle", d), text("txtItemLanguage", d),
                               text("txtItemPrice", d), text("txtItemSerialNum", d),
                               text("txtItemPublisher", d)}
                .join('|');
        };
        QCOMPARE(values(), QString("|English||N.A.|N.A."));
        setText("txtItemTitle", "Rock & Roll", d);
        setText("txtItemLanguage", "french", d);
        setText("txtItemPrice", "abc", d);
        p.h.messages().answerOk();
        click("cmdSave", d);
        QVERIFY(yellow("txtItemPrice", d));
        QCOMPARE(text("txtItemPrice", d), QString("abc"));
        setText("txtItemPrice", "7", d);
        QVERIFY(!yellow("txtItemPrice", d));
        p.h.messages().answer(MsgAnswer::Yes);
        click("cmdSave", d);
        QVERIFY(child<FolderList>("filStats")->names().contains("Rock _ Roll"));
        QCOMPARE(values(), QString("Rock & Roll|French|7|N.A.|N.A."));
        QTRY_COMPARE(QApplication::focusWidget(), child("txtItemTitle", d));
        QTRY_COMPARE(child<QLineEdit>("txtItemTitle", d)->selectedText(), QString("Rock & Roll"));
        auto* language = child<QLineEdit>("txtItemLanguage", d);
        auto* serial = child<QLineEdit>("txtItemSerialNum", d);
        QTest::mouseClick(language, Qt::LeftButton, {}, QPoint(3, 3));
        QTRY_COMPARE(language->selectedText(), language->text());
        serial->setFocus(Qt::OtherFocusReason);
        QTest::mouseClick(language, Qt::LeftButton, {}, QPoint(3, 3));
        serial->setFocus(Qt::OtherFocusReason); // before the click's own events have run out
        QCoreApplication::processEvents();
        QCOMPARE(serial->selectedText(), serial->text());
        QCOMPARE(QApplication::focusWidget(), serial);
        QVERIFY(!language->hasSelectedText());
        d->close();
        pick("filStats", "Dune");
        click("cmdEditItem");
        d = p.dialog("frmEditItemDetail");
        QCOMPARE(text("lblItemTitle", d), QString("Dune"));
        dune[3] = "Spanish";
        p.h.writeStats("Dune", dune);
        pick("filStats", "Other");
        click("cmdEditItem");
        QCOMPARE(p.dialog("frmEditItemDetail"), d.data());
        QCOMPARE(text("txtItemLanguage", d), QString("English"));
        setText("txtItemPrice", "12 50", d); // refused: marked, the dialog stays
        p.h.messages().answerOk();
        click("cmdSaveEdit", d);
        QVERIFY(yellow("txtItemPrice", d) && d->isVisible());
        setText("txtItemPrice", "$5", d);
        setText("txtItemLanguage", "german", d);
        p.h.messages().answerOk();
        click("cmdSaveEdit", d);
        QCOMPARE(p.h.messages().lastText(), QString("The title Dune was edited and saved!"));
        QCOMPARE(TestFolders::readBytes(p.h.folders().stats + "Dune").split('\r').value(3),
                 QByteArray("\ngerman"));
        QTRY_VERIFY(!d);
        QCOMPARE(text("lblItemTitle"), QString("Other")); // the panel shows the selection again
        // Escape closes it; the next opening, even before deletion, is made anew.
        pick("filStats", "Dune");
        click("cmdEditItem");
        QPointer<QWidget> first = p.dialog("frmEditItemDetail");
        QTest::keyClick(child("txtItemPrice", first), Qt::Key_Escape);
        p.h.writeStats("Dune", dune);
        click("cmdEditItem");
        QVERIFY(p.dialog("frmEditItemDetail") != first.data());
        QCOMPARE(text("txtItemLanguage", p.dialog("frmEditItemDetail")), QString("Spanish"));
        p.dialog("frmEditItemDetail")->close();
        // Selected, not shown (as when damaged since it was): a box, no dialog.
        child<FolderList>("filStats")->selectName("Torn");
        p.h.messages().answerOk();
        trigger("mnuPop_EditItem");
        QTRY_VERIFY(!p.dialog("frmEditItemDetail"));
    }

    void profileGates_data() {
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("offered"); // edit and remove, or the item list; "blink" too
        QTest::newRow("0 after a blinking one") << " 0 " << QString("edit");
        QTest::newRow("1") << "1" << QString("list");
        QTest::newRow("5") << "5" << QString("list");
        QTest::newRow("6") << "6" << QString("list, blink");
        QTest::newRow("count below 0") << "-1 " << QString();
    }
    void profileGates() {
        QFETCH(QString, count);
        QFETCH(QString, offered);
        Panels p({}, {rec::profile("1000000A", " 7 "), rec::profile("2000000B", count, " Bea ")});
        pick("filProfiles", "1000000A");
        QVERIFY(child<QTimer>("tmrBlinkItem")->isActive());
        const QRect remove = child("cmdDeleteProfile")->geometry();
        pick("filProfiles", "2000000B");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(child("cmdDeleteProfile")->geometry(), remove); // Item List hidden or not
        QCOMPARE(text("lblProfileName") + "|" + text("lblProfileTotalLoan"), " Bea |" + count);
        for (const char* name :
             {"cmdEditProfile", "cmdDeleteProfile", "mnuEdit_EditProfile", "mnuEdit_RemoveProfile"})
            QVERIFY2(enabled(name) == (offered == "edit"), name);
        QCOMPARE(!child("cmdItemList")->isHidden(), offered.startsWith("list"));
        QCOMPARE(enabled("mnuEdit_ItemList"), offered.startsWith("list"));
        QCOMPARE(child<QTimer>("tmrBlinkItem")->isActive(), offered.endsWith("blink"));
        if (offered.endsWith("blink"))
            blinks("lblProfileTotalLoan", "tmrBlinkItem", p.h.window->blinkColours());
        else
            QCOMPARE(colour("lblProfileTotalLoan"), QColor(Qt::black));
        if (offered.isEmpty()) // the panel says what is wrong, without a box
            QVERIFY2(text("lblGuide").contains("2000000B"), qPrintable(text("lblGuide")));
    }

    // New Profile asks for an ID first, marks and focuses a refused field, and leaves the
    // borrower on show; Edit Profile edits the borrower it opened for.
    void profileDialogs() {
        Panels p({}, {rec::profile("1000000A", " 0 "), rec::profile("2000000B", "0", "Bea")});
        pick("filProfiles", "1000000A");
        trigger("mnuFile_NewProfile");
        QPointer<QWidget> d = p.dialog("frmNewProfile");
        QVERIFY(d && QTest::qWaitForWindowActive(d));
        setText("txtName", " Zoë ", d);
        p.h.messages().answerOk();
        click("cmdOK", d); // before Generate ID
        click("cmdGenerate", d);
        const QString id = text("lblProfile", d);
        p.h.messages().answerOk();
        click("cmdOK", d); // home empty: marked and focused
        QVERIFY(yellow("txtHome", d));
        QCOMPARE(d->focusWidget(), child("txtHome", d));
        QTest::keyClicks(child("txtHome", d), "555 0303");
        setText("txtCell", "-", d);
        p.h.messages().answer(MsgAnswer::No);
        click("cmdOK", d);
        QCOMPARE(
            p.h.messages().texts(),
            (QStringList{"Please click on Generate ID to create a new Profile ID for new user.",
                         "Home number field is empty!    ",
                         "The user  Zoë  was created with Profile ID number: " + id +
                             "\rCreate another new user?"}));
        for (const char* list : {"filProfiles", "filProfilesReturn"})
            QVERIFY(child<FolderList>(list)->names().contains(id));
        QCOMPARE(text("lblProfileName"), QString("Ann Lee"));
        click("cmdEditProfile");
        d = p.dialog("frmEditProfile");
        QVERIFY(d && QTest::qWaitForWindowActive(d));
        QCOMPARE(d->windowTitle() + "|" + text("lblProfileID", d),
                 QString("Edit Profile ID 1000000A|1000000A"));
        // Another borrower picked meanwhile does not change what the open dialog edits.
        pick("filProfiles", "2000000B");
        click("cmdEditProfile");
        QCOMPARE(p.dialog("frmEditProfile"), d.data());
        setText("txtName", " Ann B ", d);
        pick("filProfiles", "1000000A");
        p.h.messages().answerOk();
        click("cmdOK", d);
        QCOMPARE(p.h.messages().lastText(),
                 QString("The Profile ID 1000000A new changes are saved."));
        QCOMPARE(text("lblProfileName"), QString(" Ann B ")); // read again from the record
        click("cmdEditProfile"); // closed by OK, not yet deleted: made anew
        QVERIFY(p.dialog("frmEditProfile") != d.data());
    }

    // No keeps the borrower on show; Yes removes the record and its rows from both lists.
    void profileRemoval() {
        Panels p({}, {rec::profile("1000000A"), rec::profile("2000000B")});
        pick("filProfiles", "1000000A");
        for (const bool yes : {false, true}) {
            p.h.messages().answer(yes ? MsgAnswer::Yes : MsgAnswer::No);
            if (yes)
                p.h.messages().answerOk();
            trigger("mnuEdit_RemoveProfile");
            QCOMPARE(p.h.messages().texts().value(0), QString("Remove Profile ID: 1000000A?"));
            QCOMPARE(QFile::exists(p.h.folders().profilePath("1000000A")), !yes);
            for (const char* list : {"filProfiles", "filProfilesReturn"})
                QCOMPARE(child<FolderList>(list)->names().join(' '),
                         yes ? "2000000B" : "1000000A 2000000B");
            QCOMPARE(p.selected("filProfiles") + "|" + text("lblProfileName"),
                     yes ? "|" : "1000000A|Ann Lee");
        }
    }
};

QTEST_MAIN(TestPanels)
#include "tst_panels.moc"
