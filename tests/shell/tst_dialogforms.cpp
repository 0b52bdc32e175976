// The dialogs' forms: Tab order and whole-text selection, which the dialogs share, and the
// message box that shows every text as it stands.
#include "borrowers/EditProfileDialog.h"
#include "borrowers/NewProfileDialog.h"
#include "items/EditItemDialog.h"
#include "items/NewItemDialog.h"
#include "settings/PreferencesDialog.h"
#include "support/MainWindowHarness.h"

#include "platform/QtPlatform.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace quillory;
using namespace quillory::test;

namespace {

std::unique_ptr<QDialog> makeDialog(const QString& which, MainWindowHarness& h) {
    QWidget* parent = h.window.get();
    if (which == "frmNewItemDetail")
        return std::make_unique<NewItemDialog>(*h.window, parent);
    if (which == "frmEditItemDetail") {
        records::ItemRecord item{
            "Dune",      "Monday, May 04, 2026", "Available", "English", "$12.50", "N.A.", "Ace",
            std::nullopt};
        return std::make_unique<EditItemDialog>(*h.window, h.folders().itemPath("Dune"), item,
                                                parent);
    }
    if (which == "frmNewProfile")
        return std::make_unique<NewProfileDialog>(*h.window, parent);
    if (which == "frmEditProfile") {
        records::ProfileRecord profile{"1000000A", "Ann Lee", "555 0101", "-", "0"};
        return std::make_unique<EditProfileDialog>(*h.window, "1000000A", profile, parent);
    }
    return std::make_unique<PreferencesDialog>(*h.window, parent);
}

// The names of the widgets Tab visits, from the dialog's first until it comes round again.
QStringList tabOrder(QWidget* first) {
    QStringList names;
    QWidget* w = first;
    do {
        if (w->focusPolicy() & Qt::TabFocus && w->window() == first->window())
            names << w->objectName();
        w = w->nextInFocusChain();
    } while (w != first && names.size() < 50);
    return names;
}

} // namespace

class TestDialogForms : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void messageBoxShowsTextLiterally_data();
    void messageBoxShowsTextLiterally();
    void tabOrder_data();
    void tabOrder();
    void selectionFollowsTheFocus_data();
    void selectionFollowsTheFocus();
};

void TestDialogForms::tabOrder_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("new item") << "frmNewItemDetail"
                              << QStringList{"txtItemTitle",     "txtItemLanguage",  "txtItemPrice",
                                             "txtItemSerialNum", "txtItemPublisher", "cmdSave",
                                             "cmdClose"};
    QTest::newRow("edit item") << "frmEditItemDetail"
                               << QStringList{"txtItemLanguage",  "txtItemPrice",
                                              "txtItemSerialNum", "txtItemPublisher",
                                              "cmdSaveEdit",      "cmdClose"};
    QTest::newRow("new profile") << "frmNewProfile"
                                 << QStringList{"cmdGenerate", "txtName", "txtHome",
                                                "txtCell",     "cmdOK",   "cmdCancel"};
    QTest::newRow("edit profile") << "frmEditProfile"
                                  << QStringList{"txtName", "txtHome", "txtCell", "cmdOK",
                                                 "cmdCancel"};
    QTest::newRow("preferences") << "frmPreferences"
                                 << QStringList{"txtLoaned",  "cmdBrowse1", "txtProfiles",
                                                "cmdBrowse2", "txtStats",   "cmdBrowse3",
                                                "cmdDefault", "cmdOK",      "cmdCancel",
                                                "cmdApply"};
}

void TestDialogForms::tabOrder() {
    QFETCH(QString, dialog);
    QFETCH(QStringList, order);
    MainWindowHarness h;
    const std::unique_ptr<QDialog> d = makeDialog(dialog, h);
    auto* first = d->findChild<QWidget*>(order.first());
    QVERIFY(first);
    QCOMPARE(::tabOrder(first), order);
}

void TestDialogForms::selectionFollowsTheFocus_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<QString>("next");
    QTest::newRow("edit profile") << "frmEditProfile"
                                  << "txtHome"
                                  << "txtCell";
}

// A click selects the whole text; a field the focus has already left keeps no selection, and
// the field that took the focus has its whole text selected.
void TestDialogForms::selectionFollowsTheFocus() {
    QFETCH(QString, dialog);
    QFETCH(QString, clicked);
    QFETCH(QString, next);
    MainWindowHarness h(MainWindowHarness::Default | MainWindowHarness::Show);
    const std::unique_ptr<QDialog> d = makeDialog(dialog, h);
    d->show();
    QVERIFY(QTest::qWaitForWindowActive(d.get()));
    auto* first = d->findChild<QLineEdit*>(clicked);
    auto* second = d->findChild<QLineEdit*>(next);
    QVERIFY(first && second && !first->text().isEmpty() && !second->text().isEmpty());

    QTest::mouseClick(first, Qt::LeftButton, {}, QPoint(3, 3));
    QTRY_COMPARE(first->selectedText(), first->text());

    second->setFocus(Qt::OtherFocusReason);
    QTest::mouseClick(first, Qt::LeftButton, {}, QPoint(3, 3));
    second->setFocus(Qt::OtherFocusReason); // before the click's own events have run out
    QTRY_COMPARE(second->selectedText(), second->text());
    QTest::qWait(50);
    QCOMPARE(QApplication::focusWidget(), second);
    QVERIFY(!first->hasSelectedText());
}

void TestDialogForms::messageBoxShowsTextLiterally_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("title with tags") << "Remove item <b>Bold</b> Book ?"
                                     << "Remove item <b>Bold</b> Book ?";
    // Three lines stay three lines, even where the box would wrap them.
    QTest::newRow("three lines") << "Quillory! QD is optimized for screen resolutions of\r800 x "
                                    "600. Please set screen resolution to 800x600!\r This "
                                    "program will now terminate. Sorry!"
                                 << "Quillory! QD is optimized for screen resolutions of\n800 x "
                                    "600. Please set screen resolution to 800x600!\n This "
                                    "program will now terminate. Sorry!";
}

void TestDialogForms::messageBoxShowsTextLiterally() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QString seenText;
    Qt::TextFormat seenFormat = Qt::AutoText;
    int seenLines = 0;
    QTimer::singleShot(100, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        auto* label = box->findChild<QLabel*>("qt_msgbox_label");
        QVERIFY(label);
        seenText = label->text();
        seenFormat = label->textFormat();
        seenLines = label->height() / label->fontMetrics().lineSpacing();
        box->accept();
    });
    QtMessageService().show(Message{text, kAppTitle, MsgIcon::Information, MsgButtons::Ok});
    QCOMPARE(seenText, shown);
    QCOMPARE(seenFormat, Qt::PlainText);
    QCOMPARE(seenLines, int(shown.count('\n')) + 1);
}

QTEST_MAIN(TestDialogForms)
#include "tst_dialogforms.moc"
