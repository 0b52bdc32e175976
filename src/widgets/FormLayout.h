#pragma once

#include <QList>
#include <QPair>

#include <initializer_list>

class QAbstractScrollArea;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace quillory {

// Each label to the left of its field, one row each from firstRow on; the label is the field's
// buddy, so its mnemonic moves the focus there.
void addFieldRows(QGridLayout* grid, const QList<QPair<QLabel*, QLineEdit*>>& rows,
                  int firstRow = 0);

// Tab moves through the widgets in the order given.
void setTabChain(const QList<QWidget*>& order);

// A list of Profile IDs just wide enough for them beside its vertical scroll bar; what the panel
// around it shows never narrows or widens it.
void fixWidthForProfileIds(QAbstractScrollArea* list);

// A window's command buttons side by side at the right.
QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons);

} // namespace quillory
