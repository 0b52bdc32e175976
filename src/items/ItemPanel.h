#pragma once

#include "items/ItemView.h"
#include "records/ItemRecord.h"

#include <QGroupBox>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace quillory {

class FolderList;
class MainContext;

// The "Item Details" frame: the catalogue list, the search field, the shown item and the item
// buttons. Gates the item actions by the shown item's status and blinks a status on loan.
class ItemPanel : public QGroupBox {
    Q_OBJECT
public:
    // Wires the item menu items of context.menus(), which must exist.
    explicit ItemPanel(MainContext& context, QWidget* parent = nullptr);

    // Lists the item records of the folder; returns how many are listed.
    int listFolder(const QString& path);
    QString selectedItem() const;
    // Shows the selected item again, read afresh, and sets the gates of the item actions.
    void showSelected() { filStats_Click(); }
    // The shown record is gone: nothing shown, no borrower details offered.
    void forgetShownItem();
    // The record on show, read when it was shown; null when none is.
    const records::ItemRecord* shownItem() const {
        return m_shown.record ? &*m_shown.record : nullptr;
    }
    // Blinks the status of an item that is not available, from now on.
    void startBlink();

signals:
    // "Borrower Details": who has the shown item is the lending work's to tell.
    void borrowerDetailsRequested();

private:
    FolderList* filStats = nullptr;
    QLabel* lblSearch = nullptr;
    QLineEdit* txtSearch = nullptr;
    QLabel* lblData = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblItemTitle = nullptr;
    QLabel* lblDate = nullptr;
    QLabel* lblItemDate = nullptr;
    QLabel* lblStatus = nullptr;
    QLabel* lblItemStatus = nullptr;
    QLabel* lblLanguage = nullptr;
    QLabel* lblItemLanguage = nullptr;
    QLabel* lblPrice = nullptr;
    QLabel* lblItemPrice = nullptr;
    QLabel* lblSerialNumber = nullptr;
    QLabel* lblItemSerialNumber = nullptr;
    QLabel* lblPublisher = nullptr;
    QLabel* lblItemPublisher = nullptr;
    QPushButton* cmdNewItem = nullptr;
    QPushButton* cmdEditItem = nullptr;
    QPushButton* cmdDeleteItem = nullptr;
    QPushButton* cmdBorrowerDetails = nullptr;
    QTimer* tmrBlink = nullptr;
    // Shows the selected item and sets the gates of the item actions.
    void filStats_Click();
    void filStats_MouseDown(Qt::MouseButton button, const QPoint& globalPos);
    // One blink step of the status of an item that is not available.
    void tmrBlink_Timer();
    void txtSearch_Change();
    void cmdNewItem_Click();
    void cmdEditItem_Click();
    void cmdDeleteItem_Click();
    // Empties the seven value labels.
    void clearValues();

    // Enables the item actions the shown record allows.
    void setGates();

    bool shownAvailable() const;

    MainContext& m_context;
    int m_blinkPhase = 0;
    // The record last shown; the gates and the removal follow it.
    items::ItemView m_shown;
    // A mouse press that is shown by filStats_MouseDown also arrives as picked(); show it once.
    bool m_pickShownByPress = false;
};

} // namespace quillory
