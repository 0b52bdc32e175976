#include "items/EditItemDialog.h"
#include "items/ItemPanel.h"
#include "items/NewItemDialog.h"
#include "support/MainWindowHarness.h"
#include "widgets/FolderList.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace quillory;
using namespace quillory::test;

namespace {

const QColor kYellow(255, 255, 0);
const QString kSessionDate = QStringLiteral("Saturday, December 05, 2026");
const QStringList kDune{"Dune", "Monday, May 04, 2026", "Available", "English", "$12.50", "N.A.",
                        "Ace"};

QColor base(const QLineEdit* edit) {
    return edit->palette().color(QPalette::Base);
}

QList<QWidget*> windowsNamed(const QString& name) {
    QList<QWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            found << w;
    return found;
}

struct Dialogs {
    Dialogs() : h(MainWindowHarness::Default | MainWindowHarness::Show) {}

    NewItemDialog* openNew() {
        h.window->menus().mnuFile_NewItem->trigger();
        auto* dialog = qobject_cast<NewItemDialog*>(h.window->openWindow("frmNewItemDetail"));
        if (dialog && !QTest::qWaitForWindowActive(dialog))
            return nullptr;
        return dialog;
    }
    EditItemDialog* openEdit(const QString& name) {
        ItemPanel& panel = h.window->itemPanel();
        panel.filStats->selectName(name);
        panel.filStats_Click();
        panel.cmdEditItem->click();
        return qobject_cast<EditItemDialog*>(h.window->openWindow("frmEditItemDetail"));
    }
    void fill(NewItemDialog* d, const QStringList& f) {
        d->txtItemTitle->setText(f.value(0));
        d->txtItemLanguage->setText(f.value(1));
        d->txtItemPrice->setText(f.value(2));
        d->txtItemSerialNum->setText(f.value(3));
        d->txtItemPublisher->setText(f.value(4));
    }
    QStringList fields(NewItemDialog* d) {
        return {d->txtItemTitle->text(), d->txtItemLanguage->text(), d->txtItemPrice->text(),
                d->txtItemSerialNum->text(), d->txtItemPublisher->text()};
    }

    MainWindowHarness h;
};

} // namespace

class TestItemDialogs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void newItemDialogOpensOnceWithItsFields();
    void newItemRefusalMarksField_data();
    void newItemRefusalMarksField();
    void newItemSaved_data();
    void newItemSaved();
    void newItemWriteFailureKeepsDialog();
    void fieldsSelectAllOnFocus();
    void editSavesLoadedRecord_data();
    void editSavesLoadedRecord();
    void editDialogLoadsOnce();
    void editRefusedKeepsRecord_data();
    void editRefusedKeepsRecord();
    void editOfDamagedRecordOpensNothing();
};

void TestItemDialogs::newItemDialogOpensOnceWithItsFields() {
    Dialogs t;
    NewItemDialog* d = t.openNew();
    QVERIFY(d);
    QCOMPARE(d->windowTitle(), QStringLiteral("New Item Details"));
    QCOMPARE(t.fields(d), QStringList({"", "English", "", "N.A.", "N.A."}));
    QVERIFY(d->cmdSave->isDefault());
    QList<QWidget*> order;
    QWidget* w = d->txtItemTitle;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            order << w;
        w = w->nextInFocusChain();
    } while (w != d->txtItemTitle);
    QCOMPARE(order,
             (QList<QWidget*>{d->txtItemTitle, d->txtItemLanguage, d->txtItemPrice,
                              d->txtItemSerialNum, d->txtItemPublisher, d->cmdSave, d->cmdClose}));
    t.h.find<QPushButton>("cmdNewItem")->click();
    QCOMPARE(windowsNamed("frmNewItemDetail").size(), 1);
    QVERIFY(t.h.window->isEnabled());
    d->cmdClose->click();
    QTRY_VERIFY(windowsNamed("frmNewItemDetail").isEmpty());
    QCOMPARE(QDir(t.h.folders().stats).entryList(QDir::Files), QStringList());
}

void TestItemDialogs::newItemRefusalMarksField_data() {
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("field");
    QTest::newRow("title") << QStringList{"  ", "English", "5"} << "txtItemTitle";
    QTest::newRow("price") << QStringList{"Dune", "English", "abc", "N.A.", "N.A."}
                           << "txtItemPrice";
    QTest::newRow("publisher") << QStringList{"Dune", "English", "5", "", QStringLiteral("Ω")}
                               << "txtItemPublisher";
}

void TestItemDialogs::newItemRefusalMarksField() {
    QFETCH(QStringList, typed);
    QFETCH(QString, field);
    Dialogs t;
    NewItemDialog* d = t.openNew();
    QVERIFY(d);
    t.fill(d, typed);
    const QStringList before = t.fields(d);
    const auto files = t.h.dir.snapshot();
    t.h.messages().answerOk();
    d->cmdSave->click();
    QCOMPARE(t.h.messages().shown.size(), 1);
    QCOMPARE(t.h.messages().shown[0].icon, MsgIcon::Exclamation);
    auto* edit = d->findChild<QLineEdit*>(field);
    QCOMPARE(base(edit), kYellow);
    QTRY_COMPARE(QApplication::focusWidget(), edit);
    QCOMPARE(t.fields(d), before);
    QCOMPARE(t.h.dir.snapshot(), files);
    QTest::keyClick(edit, Qt::Key_X);
    QCOMPARE(base(edit), QApplication::palette(edit).color(QPalette::Base));
}

void TestItemDialogs::newItemSaved_data() {
    QTest::addColumn<bool>("another");
    QTest::addColumn<bool>("byEnter");
    QTest::newRow("yes, by button") << true << false;
    QTest::newRow("no, by Enter") << false << true;
}

void TestItemDialogs::newItemSaved() {
    QFETCH(bool, another);
    QFETCH(bool, byEnter);
    Dialogs t;
    QPointer<NewItemDialog> d = t.openNew();
    QVERIFY(d);
    t.fill(d, {"Rock & Roll", "french", "7", "N.A.", "N.A."});
    t.h.messages().answer(another ? MsgAnswer::Yes : MsgAnswer::No);
    if (byEnter)
        QTest::keyClick(d->txtItemPublisher, Qt::Key_Return);
    else
        d->cmdSave->click();
    QCOMPARE(t.h.messages().texts(),
             QStringList{"New title created and added!\rCreate another new item?"});
    QCOMPARE(TestFolders::readBytes(t.h.folders().stats + "Rock _ Roll"),
             TestFolders::crlf(
                 {"Rock & Roll", kSessionDate, "Available", "French", "$7", "N.A.", "N.A."}));
    // The totals were refreshed, so the list holds the new item.
    QCOMPARE(t.h.window->itemPanel().filStats->names(), QStringList{"Rock _ Roll"});
    if (another) {
        QVERIFY(d && d->isVisible());
        QCOMPARE(t.fields(d), QStringList({"Rock & Roll", "French", "7", "N.A.", "N.A."}));
        QTRY_COMPARE(QApplication::focusWidget(), d->txtItemTitle);
        QTRY_COMPARE(d->txtItemTitle->selectedText(), QStringLiteral("Rock & Roll"));
    } else {
        QTRY_VERIFY(!d);
    }
}

void TestItemDialogs::newItemWriteFailureKeepsDialog() {
    Dialogs t;
    NewItemDialog* d = t.openNew();
    QVERIFY(d);
    QVERIFY(QDir(t.h.folders().stats).removeRecursively());
    const QStringList typed{"Dune", "English", "5", "N.A.", "N.A."};
    t.fill(d, typed);
    t.h.messages().answerOk();
    d->cmdSave->click();
    QVERIFY2(t.h.messages().lastText().startsWith("The title Dune could not be saved: "),
             qPrintable(t.h.messages().lastText()));
    QVERIFY(d->isVisible());
    QCOMPARE(t.fields(d), typed);
}

void TestItemDialogs::fieldsSelectAllOnFocus() {
    Dialogs t;
    NewItemDialog* d = t.openNew();
    QVERIFY(d);
    QTest::mouseClick(d->txtItemLanguage, Qt::LeftButton, {}, QPoint(3, 3));
    QTRY_COMPARE(d->txtItemLanguage->selectedText(), QStringLiteral("English"));
    QTest::keyClick(d->txtItemLanguage, Qt::Key_Tab);
    QTest::keyClick(d->txtItemPrice, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), d->txtItemSerialNum);
    QTRY_COMPARE(d->txtItemSerialNum->selectedText(), QStringLiteral("N.A."));
}

void TestItemDialogs::editSavesLoadedRecord_data() {
    QTest::addColumn<bool>("selectOther");
    QTest::newRow("same selection") << false;
    QTest::newRow("other item selected meanwhile") << true;
}

void TestItemDialogs::editSavesLoadedRecord() {
    QFETCH(bool, selectOther);
    Dialogs t;
    QStringList other = kDune;
    other[0] = "Other";
    t.h.writeStats("Dune", kDune);
    t.h.writeStats("Other", other);
    t.h.window->RefreshStatistics();
    QPointer<EditItemDialog> d = t.openEdit("Dune");
    QVERIFY(d);
    QCOMPARE(d->windowTitle(), QStringLiteral("Edit Item Detail"));
    QCOMPARE(d->lblTitle->text(), QStringLiteral("Titile:"));
    QCOMPARE(d->lblItemTitle->text(), QStringLiteral("Dune"));
    QCOMPARE(d->txtItemLanguage->text(), QStringLiteral("English"));
    QCOMPARE(d->txtItemPrice->text(), QStringLiteral("$12.50"));
    QVERIFY(d->cmdSaveEdit->isDefault());
    ItemPanel& panel = t.h.window->itemPanel();
    if (selectOther) {
        panel.filStats->selectName("Other");
        panel.filStats_Click();
    }
    d->txtItemLanguage->setText("german");
    t.h.messages().answerOk();
    d->cmdSaveEdit->click();
    QCOMPARE(t.h.messages().texts(), QStringList{"The title Dune was edited and saved!"});
    QCOMPARE(t.h.messages().shown[0].title, QStringLiteral("New Item"));
    QCOMPARE(
        TestFolders::readBytes(t.h.folders().stats + "Dune"),
        TestFolders::crlf({"Dune", kSessionDate, "Available", "german", "$12.50", "N.A.", "Ace"}));
    QCOMPARE(TestFolders::readBytes(t.h.folders().stats + "Other"), TestFolders::crlf(other));
    QTRY_VERIFY(!d);
    // The panel shows the selected item again, read after the save.
    QCOMPARE(panel.lblItemTitle->text(), selectOther ? "Other" : "Dune");
    QCOMPARE(panel.lblItemDate->text(), selectOther ? kDune[1] : kSessionDate);
}

void TestItemDialogs::editDialogLoadsOnce() {
    Dialogs t;
    t.h.writeStats("Dune", kDune);
    t.h.window->RefreshStatistics();
    EditItemDialog* d = t.openEdit("Dune");
    QVERIFY(d);
    QStringList changed = kDune;
    changed[3] = "Spanish";
    t.h.writeStats("Dune", changed);
    t.h.window->itemPanel().cmdEditItem->click();
    QCOMPARE(t.h.window->openWindow("frmEditItemDetail"), d);
    QCOMPARE(windowsNamed("frmEditItemDetail").size(), 1);
    QCOMPARE(d->txtItemLanguage->text(), QStringLiteral("English"));
    // Escape closes it for good; the next opening, even before the closed one is deleted, loads
    // the record as it is now.
    QPointer<EditItemDialog> first = d;
    QTest::keyClick(d->txtItemPrice, Qt::Key_Escape);
    QVERIFY(first && first->isHidden());
    t.h.window->itemPanel().cmdEditItem->click();
    d = qobject_cast<EditItemDialog*>(t.h.window->openWindow("frmEditItemDetail"));
    QVERIFY(d && d != first);
    QCOMPARE(d->txtItemLanguage->text(), QStringLiteral("Spanish"));
}

void TestItemDialogs::editRefusedKeepsRecord_data() {
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("text");
    QTest::newRow("lent") << "lend"
                          << "$12.50"
                          << "The title Dune is no longer available (its status is \"ON LOAN\"), "
                             "so it cannot be edited.\rNo file was changed.";
    QTest::newRow("bad price") << ""
                               << "12 50"
                               << "Invalid Price!    ";
}

void TestItemDialogs::editRefusedKeepsRecord() {
    QFETCH(QString, meanwhile);
    QFETCH(QString, price);
    QFETCH(QString, text);
    Dialogs t;
    t.h.writeStats("Dune", kDune);
    t.h.window->RefreshStatistics();
    EditItemDialog* d = t.openEdit("Dune");
    QVERIFY(d);
    if (meanwhile == "lend")
        t.h.writeStats("Dune", QStringList(kDune).replaceInStrings("Available", "ON LOAN")
                                   << "1234567A"
                                   << "Ann"
                                   << "555"
                                   << "-"
                                   << " 1 ");
    const auto before = t.h.dir.snapshot();
    d->txtItemPrice->setText(price);
    t.h.messages().answerOk();
    d->cmdSaveEdit->click();
    QCOMPARE(t.h.messages().texts(), QStringList{text});
    QCOMPARE(t.h.dir.snapshot(), before);
    QVERIFY(d->isVisible());
    QCOMPARE(d->txtItemPrice->text(), price);
    QCOMPARE(base(d->txtItemPrice),
             meanwhile.isEmpty() ? kYellow : QApplication::palette().color(QPalette::Base));
}

void TestItemDialogs::editOfDamagedRecordOpensNothing() {
    Dialogs t;
    t.h.writeStats("Dune", kDune.mid(0, 4));
    t.h.window->RefreshStatistics();
    // Selected without being shown (the panel would disable editing), as when the file was
    // damaged after it was shown.
    t.h.window->itemPanel().filStats->selectName("Dune");
    t.h.messages().answerOk();
    t.h.window->itemPanel().cmdEditItem->click();
    QVERIFY(!t.h.window->openWindow("frmEditItemDetail"));
    QCOMPARE(t.h.messages().shown.size(), 1);
    QVERIFY(
        t.h.messages().lastText().contains(QDir::toNativeSeparators(t.h.folders().stats + "Dune")));
}

QTEST_MAIN(TestItemDialogs)
#include "tst_itemdialogs.moc"
