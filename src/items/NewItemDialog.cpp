#include "items/NewItemDialog.h"

#include "items/ItemForm.h"
#include "widgets/BusyCursor.h"
#include "widgets/MainContext.h"
#include "widgets/Named.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quillory {

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
    items::layOutItemForm(this, grid, rows, 0, cmdSave, cmdClose);
    m_form = items::ItemForm{txtItemTitle, txtItemLanguage, txtItemPrice, txtItemSerialNum,
                             txtItemPublisher};

    connect(cmdSave, &QPushButton::clicked, this, &NewItemDialog::cmdSave_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
}

void NewItemDialog::setFields(const ItemFields& fields) {
    txtItemTitle->setText(fields.title);
    txtItemLanguage->setText(fields.language);
    txtItemPrice->setText(fields.price);
    txtItemSerialNum->setText(fields.serialNumber);
    txtItemPublisher->setText(fields.publisher);
}

void NewItemDialog::cmdSave_Click() {
    const ItemFields typed = m_form.fields();
    items::CreateOutcome outcome;
    {
        BusyCursor busy;
        outcome = items::createItem(m_context.folders(), m_context.sessionDate(), typed,
                                    m_context.platform().app.locale());
    }
    const MsgAnswer answer = m_context.messages().show(outcome.message);
    switch (outcome.kind) {
    case items::CreateOutcome::Kind::Refused:
        m_form.refuse(outcome.field);
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
    m_context.RefreshStatistics();
}

} // namespace quillory
