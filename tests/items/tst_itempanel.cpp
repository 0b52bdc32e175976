// The item panel and the two item dialogs, driven through the real main window.
#include "support/MainWindowHarness.h"

#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>

using namespace quillory;
using namespace quillory::test;

namespace {

const QStringList kFree = rec::item("Free");
const QStringList kLent = rec::lentItem("Lent");

QStringList titled(QStringList lines, const QString& title) {
    lines[0] = title;
    return lines;
}

// A started, shown main window listing these item records; the blink ticks only when told.
struct Items {
    explicit Items(const QMap<QString, QStringList>& records)
        : h(MainWindowHarness::Default | MainWindowHarness::Show) {
        for (auto it = records.cbegin(); it != records.cend(); ++it)
            h.writeStats(it.key(), it.value());
        h.window->RefreshStatistics();
        child<QTimer>("tmrBlink")->stop();
    }
    QStringList shown() const {
        QStringList values;
        for (const char* name : {"lblItemTitle", "lblItemDate", "lblItemStatus", "lblItemLanguage",
                                 "lblItemPrice", "lblItemSerialNumber", "lblItemPublisher"})
            values << text(name);
        return values;
    }
    // What the panel offers: "change" (edit, remove, borrow), "details" (who has it) or "".
    QString offered() const {
        const bool change = enabled("cmdEditItem");
        for (const char* a :
             {"cmdDeleteItem", "mnuEdit_EditItemDetails", "mnuEdit_RemoveItem",
              "mnuEdit_BorrowItem", "mnuPop_BorrowItem", "mnuPop_EditItem", "mnuPop_RemoveItem"})
            if (enabled(a) != change)
                return QString("mixed at ") + a;
        const bool details = !child("cmdBorrowerDetails")->isHidden();
        if (details != enabled("mnuEdit_BorrowerDetails") ||
            details != enabled("mnuPop_BorrowerDetails") ||
            details != enabled("cmdBorrowerDetails"))
            return "mixed borrower details";
        return change ? (details ? "both" : "change") : (details ? "details" : "");
    }
    QColor status() const { return child("lblItemStatus")->palette().color(QPalette::WindowText); }
    QWidget* dialog(const QString& key) const { return h.window->openWindow(key); }
    QString selected() const { return child<FolderList>("filStats")->selectedFileName(); }

    MainWindowHarness h;
};

bool yellow(const QString& field, const QObject* root) {
    return child(field, root)->palette().color(QPalette::Base) == QColor(255, 255, 0);
}

} // namespace

class TestItemPanel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsRecordAndGates_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("offered");
        QStringList distinct{"Title 1", "Date 2", "Available", "Lang 4", "$5", "Ser 6", "Pub 7"};
        QTest::newRow("available") << distinct << "change";
        QTest::newRow("on loan") << titled(kLent, "Title 1") << "details";
        distinct[2] = "Available ";
        QTest::newRow("available with a blank") << distinct << "details";
        QTest::newRow("lost lines") << distinct.mid(0, 6) << "";
    }
    void showsRecordAndGates() {
        QFETCH(QStringList, lines);
        QFETCH(QString, offered);
        Items p({{"Aaa", offered == "change" ? kLent : kFree}, {"Item", lines}});
        pick("filStats", "Aaa");
        QVERIFY(p.offered() != offered);
        pick("filStats", "Item");
        QCOMPARE(p.offered(), offered);
        if (lines.size() < 7) {
            // No box: the heading names the file, nothing of another item is shown.
            QVERIFY(
                text("lblData").contains(QDir::toNativeSeparators(p.h.folders().stats + "Item")));
            QCOMPARE(p.shown(), QStringList(7, QString()));
        } else {
            QCOMPARE(text("lblData"), QString("Item Data"));
            QCOMPARE(p.shown(), lines.mid(0, 7));
        }
        const BlinkColours& colours = p.h.window->blinkColours();
        const QColor first = p.status();
        tick("tmrBlink");
        if (offered == "change") {
            QCOMPARE(p.status(), QColor(Qt::black));
            QCOMPARE(first, QColor(Qt::black));
        } else if (offered == "details") {
            QVERIFY(first == colours.text[0] || first == colours.text[1]);
            QCOMPARE(p.status(), first == colours.text[0] ? colours.text[1] : colours.text[0]);
        }
    }

    // A right press, and any press beside the names, keeps the selection; the pop-up menu
    // opens for a selected item only.
    void pressesKeepTheSelection() {
        Items p({{"Free", kFree}, {"Lent", kLent}});
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
        QCOMPARE(p.selected(), QString("Free"));
        QCOMPARE(text("lblItemTitle"), QString("Free"));
        QCOMPARE(p.offered(), QString("change"));
    }

    void search_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("shownTitle");
        const QString gone = "Gone with the Wind _2nd ed__", alpha = "Alpha";
        QTest::newRow("other case") << "GONE W" << gone << "Gone with the Wind (2nd ed.)";
        // "b" matches nothing and sorts between two names: the selection stays.
        QTest::newRow("no match stays") << "b" << alpha << alpha;
        QTest::newRow("on loan") << "lent" << QString("Lent") << "Lent";
        // Every name begins with the empty text: an emptied field goes back to the first name.
        QTest::newRow("emptied") << "lent\b\b\b\b" << alpha << alpha;
        // Reaching a damaged record asks nothing in the middle of the typing.
        QTest::newRow("damaged") << "dam" << QString("Damaged") << "";
    }
    void search() {
        QFETCH(QString, typed);
        QFETCH(QString, selected);
        QFETCH(QString, shownTitle);
        Items p({{"Alpha", titled(kFree, "Alpha")},
                 {"Gone with the Wind _2nd ed__", titled(kFree, "Gone with the Wind (2nd ed.)")},
                 {"Lent", kLent},
                 {"Damaged", {"Damaged"}}});
        pick("filStats", "Alpha");
        for (const QChar c : typed)
            QTest::keyClick(child("txtSearch"),
                            c == '\b' ? Qt::Key_Backspace : Qt::Key(c.toUpper().unicode()), {}, -1);
        QCOMPARE(p.selected(), selected);
        QCOMPARE(text("lblItemTitle"), shownTitle);
        QCOMPARE(p.offered(), QString(selected == "Lent"      ? "details"
                                      : selected == "Damaged" ? ""
                                                              : "change"));
    }

    void removal_data() {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<QString>("answer"); // "gone": the file went before
        QTest::newRow("button, yes") << "cmdDeleteItem" << QString("yes");
        QTest::newRow("button, no") << "cmdDeleteItem" << QString("no");
        QTest::newRow("pop-up menu, yes") << "mnuPop_RemoveItem" << QString("yes");
        QTest::newRow("file gone") << "cmdDeleteItem" << QString("gone");
    }
    void removal() {
        QFETCH(QString, trigger);
        QFETCH(QString, answer);
        const QString name = "Gone with the Wind _2nd ed__";
        Items p(
            {{"Alpha", titled(kFree, "Alpha")}, {name, titled(kFree, "Gone")}, {"Lent", kLent}});
        pick("filStats", "Alpha");
        // Selected but not shown: the question must still name the file that goes.
        child<FolderList>("filStats")->selectName(name);
        const QString path = p.h.folders().stats + name;
        if (answer == "gone")
            QFile::remove(path);
        p.h.messages().answer(answer == "no" ? MsgAnswer::No : MsgAnswer::Yes);
        if (answer == "yes")
            p.h.messages().answerOk();
        if (trigger.startsWith("cmd"))
            click(trigger);
        else
            ::trigger(trigger);
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

    void newItem_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("another, by button") << "another";
        QTest::newRow("no more, by Enter") << "Enter";
        QTest::newRow("price refused first") << "refused";
    }
    void newItem() {
        QFETCH(QString, how);
        Items p({});
        click("cmdNewItem");
        QPointer<QWidget> d = p.dialog("frmNewItemDetail");
        QVERIFY(d && QTest::qWaitForWindowActive(d));
        QCOMPARE(d->windowTitle(), QString("New Item Details"));
        click("cmdNewItem"); // one dialog only, the main window usable
        QCOMPARE(p.dialog("frmNewItemDetail"), d.data());
        QVERIFY(p.h.window->isEnabled());
        auto values = [&] {
            QStringList v;
            for (const char* f : {"txtItemTitle", "txtItemLanguage", "txtItemPrice",
                                  "txtItemSerialNum", "txtItemPublisher"})
                v << text(f, d);
            return v;
        };
        QCOMPARE(values(), QStringList({"", "English", "", "N.A.", "N.A."}));
        setText("txtItemTitle", "Rock & Roll", d);
        setText("txtItemLanguage", "french", d);
        if (how == "refused") { // marked, focused and kept until typed over
            setText("txtItemPrice", "abc", d);
            p.h.messages().answerOk();
            click("cmdSave", d);
            QVERIFY(yellow("txtItemPrice", d));
            QTRY_COMPARE(QApplication::focusWidget(), child("txtItemPrice", d));
            QCOMPARE(text("txtItemPrice", d), QString("abc"));
            QVERIFY(child<FolderList>("filStats")->names().isEmpty());
        }
        setText("txtItemPrice", "7", d);
        QVERIFY(!yellow("txtItemPrice", d));
        p.h.messages().answer(how == "another" ? MsgAnswer::Yes : MsgAnswer::No);
        if (how == "Enter")
            QTest::keyClick(child("txtItemPublisher", d), Qt::Key_Return);
        else
            click("cmdSave", d);
        QCOMPARE(child<FolderList>("filStats")->names(), QStringList{"Rock _ Roll"});
        if (how == "another") {
            QCOMPARE(values(), QStringList({"Rock & Roll", "French", "7", "N.A.", "N.A."}));
            QTRY_COMPARE(QApplication::focusWidget(), child("txtItemTitle", d));
            QTRY_COMPARE(child<QLineEdit>("txtItemTitle", d)->selectedText(),
                         QString("Rock & Roll"));
        } else {
            QTRY_VERIFY(!d);
        }
    }

    void editItem() {
        QStringList dune = titled(kFree, "Dune");
        Items p({{"Dune", dune}, {"Other", titled(kFree, "Other")}});
        pick("filStats", "Dune");
        click("cmdEditItem");
        QPointer<QWidget> d = p.dialog("frmEditItemDetail");
        QVERIFY(d);
        QCOMPARE(d->windowTitle() + "|" + text("lblTitle", d) + "|" + text("lblItemTitle", d),
                 QString("Edit Item Detail|Titile:|Dune"));
        QCOMPARE(text("txtItemPrice", d), QString("$12.50"));
        // Open, it keeps the record it loaded, whatever is selected or written meanwhile.
        dune[3] = "Spanish";
        p.h.writeStats("Dune", dune);
        pick("filStats", "Other");
        click("cmdEditItem");
        QCOMPARE(p.dialog("frmEditItemDetail"), d.data());
        QCOMPARE(text("txtItemLanguage", d), QString("English"));
        setText("txtItemLanguage", "german", d);
        p.h.messages().answerOk();
        click("cmdSaveEdit", d);
        QCOMPARE(p.h.messages().texts(), QStringList{"The title Dune was edited and saved!"});
        QCOMPARE(TestFolders::readBytes(p.h.folders().stats + "Dune").split('\r').value(3),
                 QByteArray("\ngerman"));
        QTRY_VERIFY(!d);
        QCOMPARE(text("lblItemTitle"), QString("Other")); // the panel shows the selection again
        // Escape closes it; the next opening, even before deletion, loads the record afresh.
        pick("filStats", "Dune");
        click("cmdEditItem");
        QPointer<QWidget> first = p.dialog("frmEditItemDetail");
        QTest::keyClick(child("txtItemPrice", first), Qt::Key_Escape);
        QVERIFY(first && first->isHidden());
        p.h.writeStats("Dune", dune);
        click("cmdEditItem");
        QVERIFY(p.dialog("frmEditItemDetail") != first.data());
        QCOMPARE(text("txtItemLanguage", p.dialog("frmEditItemDetail")), QString("Spanish"));
    }

    void editRefusedOrDamaged() {
        Items p({{"Dune", titled(kFree, "Dune")}, {"Torn", kFree.mid(0, 4)}});
        pick("filStats", "Dune");
        click("cmdEditItem");
        QWidget* d = p.dialog("frmEditItemDetail");
        setText("txtItemPrice", "12 50", d);
        p.h.messages().answerOk();
        click("cmdSaveEdit", d);
        QVERIFY(yellow("txtItemPrice", d) && d->isVisible());
        d->close();
        // Selected without being shown, as when damaged after it was shown: no dialog, the file
        // named.
        child<FolderList>("filStats")->selectName("Torn");
        p.h.messages().answerOk();
        trigger("mnuPop_EditItem");
        QTRY_VERIFY(!p.dialog("frmEditItemDetail"));
        QVERIFY(p.h.messages().lastText().contains(
            QDir::toNativeSeparators(p.h.folders().stats + "Torn")));
    }
};

QTEST_MAIN(TestItemPanel)
#include "tst_itempanel.moc"
