#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace quillory {

class MessageService;

// frmItemList: the titles a borrower has on loan, read from the loan list when it opens. Shows
// only; changes nothing.
class ItemListWindow : public QDialog {
    Q_OBJECT
public:
    static inline const QString kWindowKey = QStringLiteral("frmItemList");

    // Reads the list at loanListPath; a missing or unreadable list is reported with the
    // borrower's name and the window opens empty.
    ItemListWindow(MessageService& messages, const QString& loanListPath,
                   const QString& borrowerName, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* lblName = nullptr;
    QListWidget* List1 = nullptr;
    QPushButton* cmdClose = nullptr;
};

} // namespace quillory
