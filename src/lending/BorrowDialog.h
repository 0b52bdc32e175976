#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace quillory {

class FolderList;
class MainContext;

// frmBorrow: lends the item chosen in the main window to the borrower picked here. Modeless and
// single; a second borrow command brings it forward with the new item to lend.
class BorrowDialog : public QDialog {
    Q_OBJECT
public:
    static inline const QString kWindowKey = QStringLiteral("frmBorrow");

    // Takes the title shown in the item panel and lists the borrowers; both only here, so an
    // open dialog keeps its title when a second command changes the item to lend.
    explicit BorrowDialog(MainContext& context, QWidget* parent = nullptr);

    // The item file name that Borrow lends.
    void setItemToLend(const QString& itemFileName) { m_itemToLend = itemFileName; }

private:
    QLabel* lblItemTitle = nullptr;
    QLabel* lblStep = nullptr;
    FolderList* filBorrow = nullptr;
    QLabel* lblNote = nullptr;
    QPushButton* cmdBorrow = nullptr;
    QPushButton* Command1 = nullptr;
    void cmdBorrow_Click();
    void Command1_Click();

    MainContext& m_context;
    QString m_itemToLend;
};

} // namespace quillory
