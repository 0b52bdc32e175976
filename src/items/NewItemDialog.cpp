#include "items/NewItemDialog.h"

#include "items/FieldHelpers.h"
#include "shell/BusyCursor.h"
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
using items::ItemFields;

NewItemDialog::NewItemDialog(MainContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setObjectName(kWindowKey);
    setWindowTitle(QStringLiteral("New Item Details"));

    lblTitle = named(new QLabel(QStringLiteral("Title:"), this), "lblTitle");
    txtItemTitle = named(new QLineEdit(this), "txtItemTitle");
    lblLanguage = named(new QLabel(QStringLiteral("Language:"), this), "lblLanguage");
    txtItemLanguage = named(new QLineEdit(QStringLiteral("English"), this), "txtItemLanguage");
    lblPrice = named(new QLabel(QStringLiteral("Price:"), this), "lblPrice");
    txtItemPrice = named(new QLineEdit(this), "txtItemPrice");
    lblSerialNum = named(new QLabel(QStringLiteral("Serial Number:"), this), "lblSerialNum");
    txtItemSerialNum = named(new QLineEdit(QStringLiteral("N.A."), this), "txtItemSerialNum");
    lblPublisher = named(new QLabel(QStringLiteral("Publisher:"), this), "lblPublisher");
    txtItemPublisher = named(new QLineEdit(QStringLiteral("N.A."), this), "txtItemPublisher");
    cmdSave = named(new QPushButton(QStringLiteral("Save"), this), "cmdSave");
    cmdClose = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdClose");
    // Enter in any field presses Save.
    cmdSave->setDefault(true);

    auto* grid = new QGridLayout;
    const QList<QPair<QLabel*, QLineEdit*>> rows{{lblTitle, txtItemTitle},
                                                 {lblLanguage, txtItemLanguage},
                                                 {lblPrice, txtItemPrice},
                                                 {lblSerialNum, txtItemSerialNum},
                                                 {lblPublisher, txtItemPublisher}};
    int row = 0;
    for (const auto& [label, edit] : rows) {
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row++, 1);
        items::SelectAllText(edit);
    }
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    QWidget::setTabOrder(txtItemTitle, txtItemLanguage);
    QWidget::setTabOrder(txtItemLanguage, txtItemPrice);
    QWidget::setTabOrder(txtItemPrice, txtItemSerialNum);
    QWidget::setTabOrder(txtItemSerialNum, txtItemPublisher);
    QWidget::setTabOrder(txtItemPublisher, cmdSave);
    QWidget::setTabOrder(cmdSave, cmdClose);

    // Serial number and publisher turn yellow only for a character the files cannot hold;
    // typing clears that like any other refusal.
    for (const auto& [label, edit] : rows)
        items::resetColourOnChange(edit);
    connect(cmdSave, &QPushButton::clicked, this, &NewItemDialog::cmdSave_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
}

ItemFields NewItemDialog::fields() const {
    return ItemFields{txtItemTitle->text(), txtItemLanguage->text(), txtItemPrice->text(),
                      txtItemSerialNum->text(), txtItemPublisher->text()};
}

void NewItemDialog::setFields(const ItemFields& fields) {
    txtItemTitle->setText(fields.title);
    txtItemLanguage->setText(fields.language);
    txtItemPrice->setText(fields.price);
    txtItemSerialNum->setText(fields.serialNumber);
    txtItemPublisher->setText(fields.publisher);
}

QLineEdit* NewItemDialog::field(ItemField which) const {
    switch (which) {
    case ItemField::Title:
        return txtItemTitle;
    case ItemField::Language:
        return txtItemLanguage;
    case ItemField::Price:
        return txtItemPrice;
    case ItemField::SerialNumber:
        return txtItemSerialNum;
    case ItemField::Publisher:
        return txtItemPublisher;
    }
    return nullptr;
}

void NewItemDialog::cmdSave_Click() {
    const ItemFields typed = fields();
    items::CreateOutcome outcome;
    {
        BusyCursor busy;
        outcome = items::createItem(m_context.folders(), m_context.sessionDate(), typed,
                                    QLocale::system());
    }
    const MsgAnswer answer = m_context.messages().show(outcome.message);
    switch (outcome.kind) {
    case items::CreateOutcome::Kind::Refused:
        if (outcome.field)
            items::markRefused(field(*outcome.field));
        return;
    case items::CreateOutcome::Kind::Duplicate:
    case items::CreateOutcome::Kind::Failed:
        return; // the fields keep what was typed
    case items::CreateOutcome::Kind::Created:
        break;
    }
    if (answer == MsgAnswer::Yes) {
        setFields(items::prepareNextItem(typed));
        txtItemTitle->setFocus(Qt::OtherFocusReason);
    } else {
        close();
    }
    m_context.refreshStatistics();
}

} // namespace quillory
