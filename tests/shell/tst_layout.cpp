// The main window's layout under values of any length: nothing moves, nothing widens.
#include "borrowers/BorrowerPanel.h"
#include "items/ItemPanel.h"
#include "lending/ReturnPanel.h"
#include "support/MainWindowHarness.h"
#include "widgets/FolderList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using namespace quillory;
using namespace quillory::test;

class TestLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void longValuesMoveNothing();
};

void TestLayout::longValuesMoveNothing() {
    MainWindowHarness h(MainWindowHarness::Default | MainWindowHarness::Show);
    const QString title(80, 'A');
    const QString huge(1000000, 'z');
    h.writeStats(title, {title, "d", "Available", "English", "$1", "N.A.", "N.A."});
    h.writeStats("Zz", {huge, "d", "Available", "English", "$1", "N.A.", "N.A."});
    h.writeProfile("1234567A", {"1234567A", QString(33, 'N'), QString(40, '5'), "-", "0"});
    h.writeLoaned("Lent", {"Lent", QString(200, 'd'), "$1", "1234567A", "Ann"});
    h.window->RefreshStatistics();
    QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
    ItemPanel& items = h.window->itemPanel();
    BorrowerPanel& borrowers = h.window->borrowerPanel();
    ReturnPanel& returns = h.window->returnPanel();

    // At start nothing is selected, nor drawn as if it were.
    items.filStats->setFocus();
    QVERIFY(!items.filStats->currentIndex().isValid());

    auto places = [&] {
        QList<QRect> r;
        for (QWidget* w : QList<QWidget*>{h.window.get(), &items, &borrowers, &returns,
                                          borrowers.filProfiles, returns.filLoaned,
                                          borrowers.cmdNewProfile, borrowers.cmdDeleteProfile})
            r << QRect(w->mapTo(h.window.get(), QPoint()), w->size());
        return r;
    };
    QApplication::processEvents();
    const QList<QRect> before = places();
    QElapsedTimer clock;
    clock.start();
    for (const QString& name : {title, QString("Zz")}) {
        items.filStats->selectName(name);
        items.filStats_Click();
        QApplication::processEvents();
        QCOMPARE(places(), before);
    }
    QVERIFY2(clock.elapsed() < 2000, "a 1 MB line is never laid out");
    borrowers.filProfiles->selectName("1234567A");
    borrowers.filProfiles_Click(); // Item List hides; no other button moves
    returns.filLoaned->selectName("Lent");
    returns.filLoaned_Click();
    QApplication::processEvents();
    QCOMPARE(places(), before);
    QVERIFY(!borrowers.filProfiles->horizontalScrollBar()->isVisible());
    QVERIFY(items.lblItemTitle->text() == huge); // the whole value is kept, only its display cut
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
