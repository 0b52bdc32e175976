#pragma once

#include "items/ItemCatalogue.h"
#include "items/ItemForm.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quillory {

class MainContext;

// frmEditItemDetail, "Edit Item Detail": changes language, price, serial number and publisher
// of one item. Loaded once; saves to the path it loaded, whatever is selected by then.
class EditItemDialog : public QDialog {
    Q_OBJECT
public:
    static inline const QString kWindowKey = QStringLiteral("frmEditItemDetail");

    EditItemDialog(MainContext& context, const QString& path, const records::ItemRecord& record,
                   QWidget* parent);

private:
    QLabel* lblTitle = nullptr;
    QLabel* lblItemTitle = nullptr;
    QLabel* lblLanguage = nullptr;
    QLineEdit* txtItemLanguage = nullptr;
    QLabel* lblPrice = nullptr;
    QLineEdit* txtItemPrice = nullptr;
    QLabel* lblSerialNum = nullptr;
    QLineEdit* txtItemSerialNum = nullptr;
    QLabel* lblPublisher = nullptr;
    QLineEdit* txtItemPublisher = nullptr;
    QPushButton* cmdSaveEdit = nullptr;
    QPushButton* cmdClose = nullptr;
    void cmdSaveEdit_Click();

    MainContext& m_context;
    const QString m_path;
    const QString m_title; // as read; the edit keeps it
    items::ItemForm m_form;
};

} // namespace quillory
