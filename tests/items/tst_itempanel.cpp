#include "items/ItemPanel.h"
#include "support/MainWindowHarness.h"
#include "widgets/FolderList.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace quillory;
using namespace quillory::test;

namespace {

// What the panel offers: edit and remove, who has it, or nothing.
enum class Gate { Available, NotAvailable, Damaged };

const QStringList kFree{"Free", "Monday, May 04, 2026", "Available", "English", "$5", "N.A.",
                        "Ace"};
const QStringList kLent{"Lent",    "Monday, May 04, 2026",
                        "ON LOAN", "English",
                        "$5",      "N.A.",
                        "Ace",     "1234567A",
                        "Ann Lee", "555-0101",
                        "-",       " 1 "};

QStringList titled(QStringList lines, const QString& title) {
    lines[0] = title;
    return lines;
}

void press(FolderList* list, const QString& name, Qt::MouseButton button = Qt::LeftButton) {
    const int row = int(list->names().indexOf(name));
    QVERIFY2(row >= 0, qPrintable(name));
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), button, {}, rect.center());
}

// A started main window, shown, listing these item records.
struct Panel {
    explicit Panel(const QMap<QString, QStringList>& records)
        : h(MainWindowHarness::Default | MainWindowHarness::Show) {
        for (auto it = records.cbegin(); it != records.cend(); ++it)
            h.writeStats(it.key(), it.value());
        h.window->RefreshStatistics();
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        panel().tmrBlink->stop(); // ticks only when the test says so
    }
    ItemPanel& panel() { return h.window->itemPanel(); }
    FolderList* list() { return panel().filStats; }
    const MainMenus& menus() { return h.window->menus(); }
    QStringList shown() {
        ItemPanel& p = panel();
        return {p.lblItemTitle->text(),    p.lblItemDate->text(),  p.lblItemStatus->text(),
                p.lblItemLanguage->text(), p.lblItemPrice->text(), p.lblItemSerialNumber->text(),
                p.lblItemPublisher->text()};
    }
    // Every control of the gate table against the state of an available item.
    void checkGates(bool available) {
        checkGates(available ? Gate::Available : Gate::NotAvailable);
    }
    void checkGates(Gate gate) {
        const bool available = gate == Gate::Available;
        const bool lent = gate == Gate::NotAvailable;
        const MainMenus& m = menus();
        for (QAction* a : {m.mnuEdit_EditItemDetails, m.mnuEdit_RemoveItem, m.mnuEdit_BorrowItem,
                           m.mnuPop_BorrowItem, m.mnuPop_EditItem, m.mnuPop_RemoveItem})
            QVERIFY2(a->isEnabled() == available, qPrintable(a->objectName()));
        QCOMPARE(m.mnuEdit_BorrowerDetails->isEnabled(), lent);
        QCOMPARE(m.mnuPop_BorrowerDetails->isEnabled(), lent);
        QCOMPARE(panel().cmdEditItem->isEnabled(), available);
        QCOMPARE(panel().cmdDeleteItem->isEnabled(), available);
        QCOMPARE(panel().cmdBorrowerDetails->isHidden(), !lent);
        QCOMPARE(panel().cmdBorrowerDetails->isEnabled(), lent);
    }
    QColor statusText() { return panel().lblItemStatus->palette().color(QPalette::WindowText); }

    MainWindowHarness h;
};

// Messages answered in advance, with a hook that runs as each box appears.
class HookedMessages : public ScriptedMessages {
public:
    using ScriptedMessages::show;
    std::function<void(const Message&)> onShow;
    MsgAnswer show(const Message& message) override {
        if (onShow)
            onShow(message);
        return ScriptedMessages::show(message);
    }
};

} // namespace

class TestItemPanel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsRecordAndSetsEveryGate_data();
    void showsRecordAndSetsEveryGate();
    void blinkPhaseFlipsOncePerShowAndIsKept();
    void popUpMenuFollowsTheShownItem();
    void searchMovesSelectionAndPanel_data();
    void searchMovesSelectionAndPanel();
    void removal_data();
    void removal();
    void removalOfAnItemLentMeanwhileAsksNothing();
    void removalThatFailsSaysSoAndRereads_data();
    void removalThatFailsSaysSoAndRereads();
    void pressBesideTheNamesKeepsTheSelection();
};

void TestItemPanel::showsRecordAndSetsEveryGate_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("available");
    QTest::addColumn<bool>("damaged");
    const QStringList distinct{"Title 1", "Date 2", "Available", "Lang 4", "$5", "Ser 6", "Pub 7"};
    QStringList onLoan = distinct;
    onLoan[2] = "ON LOAN";
    onLoan << "1234567A"
           << "Ann"
           << "555"
           << "-"
           << " 1 ";
    QStringList otherCase = distinct;
    otherCase[2] = "on loan";
    QStringList blank = distinct;
    blank[2] = "Available ";
    QTest::newRow("available") << distinct << true << false;
    QTest::newRow("on loan") << onLoan << false << false;
    QTest::newRow("on loan, other case") << otherCase << false << false;
    QTest::newRow("available with a blank") << blank << false << false;
    QTest::newRow("lost lines") << distinct.mid(0, 6) << false << true;
}

void TestItemPanel::showsRecordAndSetsEveryGate() {
    QFETCH(QStringList, lines);
    QFETCH(bool, available);
    QFETCH(bool, damaged);
    Panel p({{"Aaa", available ? kLent : kFree}, {"Item", lines}});
    press(p.list(), "Aaa");
    p.checkGates(!available);
    const auto before = p.h.dir.snapshot();
    press(p.list(), "Item");
    if (damaged) {
        // No box: the panel names the file, shows nothing of another item and offers nothing.
        p.checkGates(Gate::Damaged);
        const QString path = QDir::toNativeSeparators(p.h.folders().stats + "Item");
        QVERIFY2(p.panel().lblData->text().contains(path), qPrintable(p.panel().lblData->text()));
        QCOMPARE(p.shown(), QStringList(7, QString()));
    } else {
        p.checkGates(available);
        QCOMPARE(p.panel().lblData->text(), QStringLiteral("Item Data"));
        QCOMPARE(p.shown(), lines.mid(0, 7));
    }
    if (available)
        QCOMPARE(p.statusText(), QColor(Qt::black));
    QCOMPARE(p.h.dir.snapshot(), before);
}

void TestItemPanel::blinkPhaseFlipsOncePerShowAndIsKept() {
    Panel p({{"Free", kFree}, {"Lent", kLent}});
    ItemPanel& panel = p.panel();
    const BlinkColours& colours = p.h.window->blinkColours();
    auto checkColours = [&] {
        const QPalette palette = panel.lblItemStatus->palette();
        QCOMPARE(palette.color(QPalette::WindowText), colours.text[panel.blinkPhase()]);
        QCOMPARE(palette.color(QPalette::Window), colours.back[panel.blinkPhase()]);
    };
    const int start = panel.blinkPhase();
    press(p.list(), "Lent");
    QCOMPARE(panel.blinkPhase(), 1 - start);
    checkColours();
    panel.tmrBlink_Timer();
    QCOMPARE(panel.blinkPhase(), start);
    checkColours();

    press(p.list(), "Free"); // steady and black; the phase stays where it was
    QCOMPARE(panel.blinkPhase(), start);
    QCOMPARE(p.statusText(), QColor(Qt::black));
    panel.tmrBlink_Timer();
    QCOMPARE(panel.blinkPhase(), start);

    p.list()->setFocus();
    QTest::keyClick(p.list(), Qt::Key_Down); // a keyboard move shows the item too
    QCOMPARE(panel.lblItemTitle->text(), QStringLiteral("Lent"));
    QCOMPARE(panel.blinkPhase(), 1 - start);
    checkColours();
}

void TestItemPanel::popUpMenuFollowsTheShownItem() {
    Panel p({{"Free", kFree}, {"Lent", kLent}});
    QMenu* popUp = p.menus().mnuPopUp;
    const MainMenus& m = p.menus();
    press(p.list(), "Lent", Qt::RightButton);
    QVERIFY(!popUp->isVisible()); // nothing selected, no menu

    for (const bool available : {true, false}) {
        press(p.list(), available ? "Free" : "Lent");
        const QString selected = p.list()->selectedFileName();
        press(p.list(), available ? "Lent" : "Free", Qt::RightButton);
        QTRY_VERIFY(popUp->isVisible());
        QCOMPARE(p.list()->selectedFileName(), selected); // the right button selects nothing
        QCOMPARE(m.mnuPop_BorrowItem->isEnabled(), available);
        QCOMPARE(m.mnuPop_EditItem->isEnabled(), available);
        QCOMPARE(m.mnuPop_RemoveItem->isEnabled(), available);
        QCOMPARE(m.mnuPop_BorrowerDetails->isEnabled(), !available);
        popUp->close();
        QTRY_VERIFY(!popUp->isVisible());
    }
}

void TestItemPanel::searchMovesSelectionAndPanel_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("shownTitle");
    QTest::addColumn<int>("flips"); // blink steps run by showing
    QTest::newRow("lower case") << "gone"
                                << "gone fishing"
                                << "gone fishing" << 0;
    QTest::newRow("upper case, replaced character") << "GONE WITH THE WIND _"
                                                    << "Gone with the Wind _2nd ed__"
                                                    << "Gone with the Wind (2nd ed.)" << 0;
    QTest::newRow("no match stays") << "xyz"
                                    << "Alpha"
                                    << "Alpha" << 0;
    // The on-loan item is shown once, when the selection reaches it, however much is typed.
    QTest::newRow("on loan item") << "lent"
                                  << "Lent"
                                  << "Lent" << 1;
    // Every name begins with the empty text: an emptied field goes back to the first name.
    QTest::newRow("emptied") << "lent\b\b\b\b"
                             << "Alpha"
                             << "Alpha" << 1;
    // Reaching a damaged record asks nothing in the middle of the typing.
    QTest::newRow("damaged item") << "dam"
                                  << "Damaged"
                                  << "" << 1;
}

void TestItemPanel::searchMovesSelectionAndPanel() {
    QFETCH(QString, typed);
    QFETCH(QString, selected);
    QFETCH(QString, shownTitle);
    QFETCH(int, flips);
    Panel p({{"Alpha", titled(kFree, "Alpha")},
             {"Gone with the Wind _2nd ed__", titled(kFree, "Gone with the Wind (2nd ed.)")},
             {"gone fishing", titled(kFree, "gone fishing")},
             {"Lent", kLent},
             {"Damaged", {"Damaged"}}});
    press(p.list(), "Alpha");
    const int phase = p.panel().blinkPhase();
    for (const QChar c : typed) {
        if (c == '\b')
            QTest::keyClick(p.panel().txtSearch, Qt::Key_Backspace);
        else
            QTest::keyClicks(p.panel().txtSearch, QString(c));
    }
    QCOMPARE(p.list()->selectedFileName(), selected);
    QCOMPARE(p.panel().lblItemTitle->text(), shownTitle);
    QCOMPARE(p.panel().blinkPhase(), flips % 2 ? 1 - phase : phase);
    p.checkGates(selected == "Lent"      ? Gate::NotAvailable
                 : selected == "Damaged" ? Gate::Damaged
                                         : Gate::Available);
}

void TestItemPanel::removal_data() {
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<bool>("yes");
    QTest::newRow("button, yes") << "cmdDeleteItem" << true;
    QTest::newRow("button, no") << "cmdDeleteItem" << false;
    QTest::newRow("pop-up menu, yes") << "mnuPop_RemoveItem" << true;
}

void TestItemPanel::removal() {
    QFETCH(QString, trigger);
    QFETCH(bool, yes);
    const QString name = "Gone with the Wind _2nd ed__";
    const QStringList gone = titled(kFree, "Gone with the Wind (2nd ed.)");
    Panel p({{"Alpha", titled(kFree, "Alpha")}, {name, gone}});
    press(p.list(), "Alpha");
    // Selected but not shown: the question must still name the file that goes.
    p.list()->selectName(name);
    const QString totals = p.h.window->staPanelStats->text();

    p.h.messages().answer(yes ? MsgAnswer::Yes : MsgAnswer::No);
    if (yes)
        p.h.messages().answerOk();
    if (trigger == "cmdDeleteItem")
        p.panel().cmdDeleteItem->click();
    else
        p.h.find<QAction>(trigger)->trigger();

    const QList<Message>& shown = p.h.messages().shown;
    QCOMPARE(shown.size(), yes ? 2 : 1);
    QCOMPARE(shown[0].text, QStringLiteral("Remove item Gone with the Wind (2nd ed.) ?"));
    QCOMPARE(shown[0].title, QStringLiteral("Remove Item"));
    QCOMPARE(shown[0].buttons, MsgButtons::YesNo);
    const QString path = p.h.folders().stats + name;
    if (yes) {
        QCOMPARE(shown[1].text, QStringLiteral("The item was successfully removed."));
        QCOMPARE(shown[1].title, QStringLiteral("Success"));
        QVERIFY(!QFile::exists(path));
        QCOMPARE(p.list()->names(), QStringList{"Alpha"});
        QCOMPARE(p.shown(), QStringList(7, QString()));
        QVERIFY(p.h.window->staPanelStats->text() != totals);
    } else {
        QCOMPARE(TestFolders::readBytes(path), TestFolders::crlf(gone));
        QCOMPARE(p.list()->count(), 2);
        QCOMPARE(p.shown(), gone);
    }
}

void TestItemPanel::removalOfAnItemLentMeanwhileAsksNothing() {
    Panel p({{"Free", kFree}, {"Lent", kLent}});
    p.panel().cmdDeleteItem->click(); // nothing selected: nothing happens
    press(p.list(), "Free");
    p.list()->selectName("Lent");
    const auto before = p.h.dir.snapshot();
    p.panel().cmdDeleteItem->click(); // shows "Lent", which may not be removed
    QVERIFY(p.h.messages().shown.isEmpty());
    QCOMPARE(p.panel().lblItemTitle->text(), QStringLiteral("Lent"));
    p.checkGates(false);
    QCOMPARE(p.h.dir.snapshot(), before);
}

void TestItemPanel::removalThatFailsSaysSoAndRereads_data() {
    QTest::addColumn<bool>("goneBefore"); // false: while the question is open
    QTest::newRow("gone while asked") << false;
    QTest::newRow("gone before") << true;
}

void TestItemPanel::removalThatFailsSaysSoAndRereads() {
    QFETCH(bool, goneBefore);
    TestFolders dir;
    dir.makeAll();
    FakePlatform fake(dir.programFolder());
    HookedMessages messages;
    Platform platform{messages, *fake.settings,    *fake.instance, fake.screen,    fake.locks,
                      fake.app, fake.folderPicker, fake.memory,    fake.osVersion, fake.help};
    MainWindow window(platform);
    QVERIFY(window.start());
    const QString path = dir.folders().stats + "Dune";
    TestFolders::writeBytes(path, TestFolders::crlf(titled(kFree, "Dune")));
    window.RefreshStatistics();
    ItemPanel& panel = window.itemPanel();
    panel.filStats->selectName("Dune");
    // The file goes by other means while the question is open.
    messages.onShow = [&](const Message& m) {
        if (m.buttons == MsgButtons::YesNo)
            QFile::remove(path);
    };
    QStringList expected{"The item record \"" + QDir::toNativeSeparators(path) +
                         "\" could not be removed: the file is missing."};
    if (goneBefore) {
        QFile::remove(path);
    } else {
        messages.answer(MsgAnswer::Yes);
        expected.prepend("Remove item Dune ?");
    }
    messages.answerOk();
    panel.cmdDeleteItem->click();
    QCOMPARE(messages.texts(), expected);
    QCOMPARE(panel.filStats->count(), 0);
    QCOMPARE(window.staPanelStats->text().left(2), QStringLiteral("0 "));
    QVERIFY(panel.cmdBorrowerDetails->isHidden());
}

void TestItemPanel::pressBesideTheNamesKeepsTheSelection() {
    Panel p({{"Free", kFree}, {"Lent", kLent}});
    press(p.list(), "Lent");
    p.panel().clearValues();
    const QPoint blank(5, p.list()->viewport()->height() - 5);
    QVERIFY(!p.list()->indexAt(blank).isValid());
    QTest::mouseClick(p.list()->viewport(), Qt::LeftButton, {}, blank);
    QCOMPARE(p.list()->selectedFileName(), QStringLiteral("Lent"));
    QCOMPARE(p.panel().lblItemTitle->text(), QStringLiteral("Lent")); // shown again
    QTest::mouseClick(p.list()->viewport(), Qt::RightButton, {}, blank);
    QTRY_VERIFY(p.menus().mnuPopUp->isVisible());
    p.menus().mnuPopUp->close();
}

QTEST_MAIN(TestItemPanel)
#include "tst_itempanel.moc"
