#include "items/ItemForm.h"

#include "widgets/FieldHelpers.h"
#include "widgets/FormLayout.h"

#include <QDialog>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillory::items {

ItemFields ItemForm::fields() const {
    return ItemFields{title ? title->text() : QString(), language->text(), price->text(),
                      serialNumber->text(), publisher->text()};
}

QLineEdit* ItemForm::edit(ItemField field) const {
    switch (field) {
    case ItemField::Title:
        return title;
    case ItemField::Language:
        return language;
    case ItemField::Price:
        return price;
    case ItemField::SerialNumber:
        return serialNumber;
    case ItemField::Publisher:
        return publisher;
    }
    return nullptr;
}

void ItemForm::refuse(std::optional<ItemField> field) const {
    if (field)
        if (QLineEdit* refused = edit(*field))
            markRefused(refused);
}

void layOutItemForm(QDialog* dialog, QGridLayout* grid,
                    const QList<QPair<QLabel*, QLineEdit*>>& rows, int firstRow, QPushButton* save,
                    QPushButton* cancel) {
    addFieldRows(grid, rows, firstRow);
    QList<QWidget*> tabChain;
    for (const auto& [label, field] : rows) {
        SelectAllText(field);
        // Serial number and publisher turn yellow only for a character the files cannot hold;
        // typing clears that like any other refusal.
        resetColourOnChange(field);
        tabChain.append(field);
    }
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(grid);
    layout->addLayout(buttonRow({save, cancel}));
    dialog->setMinimumWidth(360);
    setTabChain(tabChain << save << cancel);
}

} // namespace quillory::items
