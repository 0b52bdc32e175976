#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace quillory {

// frmItemList: the titles a borrower has on loan, as the lending logic read them when it
// opened. Shows only; changes nothing.
class ItemListWindow : public QDialog {
    Q_OBJECT
public:
    static inline const QString kWindowKey = QStringLiteral("frmItemList");

    ItemListWindow(const QString& borrowerName, const QStringList& titles,
                   QWidget* parent = nullptr);

private:
    QLabel* Label1 = nullptr;
    QLabel* lblName = nullptr;
    QListWidget* List1 = nullptr;
    QPushButton* cmdClose = nullptr;
};

} // namespace quillory
