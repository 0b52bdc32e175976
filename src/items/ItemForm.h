#pragma once

#include "items/ItemCatalogue.h"

#include <QList>
#include <QPair>

#include <optional>

class QDialog;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillory::items {

// The text fields of an item dialog by the field each holds. The edit dialog has no title field:
// the title names the record's file and cannot change there.
struct ItemForm {
    QLineEdit* title = nullptr;
    QLineEdit* language = nullptr;
    QLineEdit* price = nullptr;
    QLineEdit* serialNumber = nullptr;
    QLineEdit* publisher = nullptr;

    // What is typed; the title is empty where the form has no title field.
    ItemFields fields() const;
    // The field's control; null for the title where the form has none.
    QLineEdit* edit(ItemField field) const;
    // Marks the refused field, if the refusal names one the form has.
    void refuse(std::optional<ItemField> field) const;
};

// Lays out an item dialog: the rows of labelled fields in grid from firstRow on, save and cancel
// below at the right, Tab through the fields and then the buttons. Every field selects its whole
// text on focus and loses the yellow of a refusal once typed in.
void layOutItemForm(QDialog* dialog, QGridLayout* grid,
                    const QList<QPair<QLabel*, QLineEdit*>>& rows, int firstRow, QPushButton* save,
                    QPushButton* cancel);

} // namespace quillory::items
