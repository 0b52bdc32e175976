#include "items/EditItemDialog.h"

#include "items/FieldHelpers.h"
#include "items/ItemPanel.h"
#include "shell/MainContext.h"
#include "shell/Named.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillory {

using items::ItemField;

EditItemDialog::EditItemDialog(MainContext& context, const QString& path,
                               const records::ItemRecord& record, QWidget* parent)
    : QDialog(parent), m_context(context), m_path(path) {
    setObjectName(kWindowKey);
    setWindowTitle(QStringLiteral("Edit Item Detail"));

    lblTitle = named(new QLabel(QStringLiteral("Titile:"), this), "lblTitle");
    lblItemTitle = named(new QLabel(record.title, this), "lblItemTitle");
    lblItemTitle->setTextFormat(Qt::PlainText);
    lblLanguage = named(new QLabel(QStringLiteral("Language:"), this), "lblLanguage");
    txtItemLanguage = named(new QLineEdit(record.language, this), "txtItemLanguage");
    lblPrice = named(new QLabel(QStringLiteral("Price:"), this), "lblPrice");
    txtItemPrice = named(new QLineEdit(record.price, this), "txtItemPrice");
    lblSerialNum = named(new QLabel(QStringLiteral("Serial Number:"), this), "lblSerialNum");
    txtItemSerialNum = named(new QLineEdit(record.serialNumber, this), "txtItemSerialNum");
    lblPublisher = named(new QLabel(QStringLiteral("Publisher:"), this), "lblPublisher");
    txtItemPublisher = named(new QLineEdit(record.publisher, this), "txtItemPublisher");
    cmdSaveEdit = named(new QPushButton(QStringLiteral("Save Edit"), this), "cmdSaveEdit");
    cmdClose = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdClose");
    // Enter in any field presses Save Edit.
    cmdSaveEdit->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(lblTitle, 0, 0);
    grid->addWidget(lblItemTitle, 0, 1);
    const QList<QPair<QLabel*, QLineEdit*>> rows{{lblLanguage, txtItemLanguage},
                                                 {lblPrice, txtItemPrice},
                                                 {lblSerialNum, txtItemSerialNum},
                                                 {lblPublisher, txtItemPublisher}};
    int row = 1;
    for (const auto& [label, edit] : rows) {
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row++, 1);
        items::SelectAllText(edit);
        // Serial number and publisher turn yellow only for a character the files cannot
        // hold; typing clears that like any other refusal.
        items::resetColourOnChange(edit);
    }
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdSaveEdit);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    QWidget::setTabOrder(txtItemLanguage, txtItemPrice);
    QWidget::setTabOrder(txtItemPrice, txtItemSerialNum);
    QWidget::setTabOrder(txtItemSerialNum, txtItemPublisher);
    QWidget::setTabOrder(txtItemPublisher, cmdSaveEdit);
    QWidget::setTabOrder(cmdSaveEdit, cmdClose);
    txtItemLanguage->setFocus(Qt::OtherFocusReason);

    connect(cmdSaveEdit, &QPushButton::clicked, this, &EditItemDialog::cmdSaveEdit_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
}

QLineEdit* EditItemDialog::field(ItemField which) const {
    switch (which) {
    case ItemField::Language:
        return txtItemLanguage;
    case ItemField::Price:
        return txtItemPrice;
    case ItemField::SerialNumber:
        return txtItemSerialNum;
    case ItemField::Publisher:
        return txtItemPublisher;
    case ItemField::Title:
        break;
    }
    return nullptr;
}

void EditItemDialog::cmdSaveEdit_Click() {
    const items::ItemFields typed{{},
                                  txtItemLanguage->text(),
                                  txtItemPrice->text(),
                                  txtItemSerialNum->text(),
                                  txtItemPublisher->text()};
    const items::EditOutcome outcome = items::saveItemEdit(
        m_path, lblItemTitle->text(), m_context.sessionDate(), typed, QLocale::system());
    m_context.messages().show(outcome.message);
    if (outcome.kind != items::EditOutcome::Kind::Saved) {
        // Refused or canceled: the dialog stays open with the fields as typed.
        if (outcome.field)
            if (QLineEdit* edit = field(*outcome.field))
                items::markRefused(edit);
        return;
    }
    close();
    m_context.itemPanel().filStats_Click();
}

} // namespace quillory
