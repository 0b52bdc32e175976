#pragma once

#include "items/ItemCatalogue.h"
#include "items/ItemForm.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quillory {

class MainContext;

// frmNewItemDetail, "New Item Details": adds one title to the catalogue and offers to enter
// another at once. Modeless; the main window stays usable.
class NewItemDialog : public QDialog {
    Q_OBJECT
public:
    static inline const QString kWindowKey = QStringLiteral("frmNewItemDetail");

    NewItemDialog(MainContext& context, QWidget* parent);

private:
    QLabel* lblTitle = nullptr;
    QLineEdit* txtItemTitle = nullptr;
    QLabel* lblLanguage = nullptr;
    QLineEdit* txtItemLanguage = nullptr;
    QLabel* lblPrice = nullptr;
    QLineEdit* txtItemPrice = nullptr;
    QLabel* lblSerialNum = nullptr;
    QLineEdit* txtItemSerialNum = nullptr;
    QLabel* lblPublisher = nullptr;
    QLineEdit* txtItemPublisher = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClose = nullptr;
    void cmdSave_Click();

    void setFields(const items::ItemFields& fields);

    MainContext& m_context;
    items::ItemForm m_form;
};

} // namespace quillory
