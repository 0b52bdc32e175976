#include "widgets/FormLayout.h"

#include <QAbstractScrollArea>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace quillory {

void addFieldRows(QGridLayout* grid, const QList<QPair<QLabel*, QLineEdit*>>& rows, int firstRow) {
    int row = firstRow;
    for (const auto& [label, field] : rows) {
        label->setBuddy(field);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row++, 1);
    }
}

void fixWidthForProfileIds(QAbstractScrollArea* list) {
    // Seven digits and a capital: as wide as one can be drawn.
    const int text = list->fontMetrics().horizontalAdvance(QStringLiteral("8888888W"));
    const int scrollBar = list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    // The frame on both sides and the room a list item keeps around its text.
    const int margins = 2 * list->frameWidth() + 16;
    list->setFixedWidth(text + scrollBar + margins);
}

void setTabChain(const QList<QWidget*>& order) {
    QWidget* previous = nullptr;
    for (QWidget* widget : order) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* button : buttons)
        row->addWidget(button);
    return row;
}

} // namespace quillory
