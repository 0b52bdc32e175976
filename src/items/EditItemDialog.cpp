#include "items/EditItemDialog.h"

#include "items/ItemForm.h"
#include "widgets/FittedLabel.h"
#include "widgets/MainContext.h"
#include "widgets/Named.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quillory {

EditItemDialog::EditItemDialog(MainContext& context, const QString& path,
                               const records::ItemRecord& record, QWidget* parent)
    : QDialog(parent), m_context(context), m_path(path), m_title(record.title) {
    setObjectName(kWindowKey);
    setWindowTitle(QStringLiteral("Edit Item Detail"));

    // "Titile:" is the caption the program has always shown; kept as it is on purpose.
    lblTitle = named(new QLabel(QStringLiteral("Titile:"), this), "lblTitle");
    lblItemTitle = named(new FittedLabel(record.title, this, 2), "lblItemTitle");
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
    items::layOutItemForm(this, grid, rows, 1, cmdSaveEdit, cmdClose);
    m_form =
        items::ItemForm{nullptr, txtItemLanguage, txtItemPrice, txtItemSerialNum, txtItemPublisher};
    txtItemLanguage->setFocus(Qt::OtherFocusReason);

    connect(cmdSaveEdit, &QPushButton::clicked, this, &EditItemDialog::cmdSaveEdit_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
}

void EditItemDialog::cmdSaveEdit_Click() {
    const items::ItemFields typed = m_form.fields();
    const items::EditOutcome outcome = items::saveItemEdit(
        m_path, m_title, m_context.sessionDate(), typed, m_context.platform().app.locale());
    m_context.messages().show(outcome.message);
    if (outcome.kind != items::EditOutcome::Kind::Saved) {
        // Refused or canceled: the dialog stays open with the fields as typed.
        m_form.refuse(outcome.field);
        return;
    }
    close();
    m_context.itemChanged();
}

} // namespace quillory
