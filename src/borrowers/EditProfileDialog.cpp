#include "borrowers/EditProfileDialog.h"

#include "widgets/FieldHelpers.h"
#include "widgets/FormLayout.h"
#include "widgets/MainContext.h"
#include "widgets/Named.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillory {

using namespace borrowers;

EditProfileDialog::EditProfileDialog(MainContext& context, const QString& profileId,
                                     const records::ProfileRecord& record, QWidget* parent)
    : QDialog(parent, Qt::Dialog), m_context(context), m_profileId(profileId),
      m_shownId(record.profileId) {
    setObjectName(kWindowKey);
    setWindowTitle(QStringLiteral("Edit Profile ID ") + m_profileId);
    setModal(false);

    lblProfileInfo =
        named(new QLabel(QStringLiteral("You are editing Profile ID:"), this), "lblProfileInfo");
    lblProfileID = named(new QLabel(record.profileId, this), "lblProfileID");
    QFont idFont = lblProfileID->font();
    idFont.setPointSizeF(13.5);
    lblProfileID->setFont(idFont);
    lblProfileID->setTextFormat(Qt::PlainText);

    lblName = named(new QLabel(QStringLiteral("Name:"), this), "lblName");
    txtName = named(new QLineEdit(record.name, this), "txtName");
    lblHome = named(new QLabel(QStringLiteral("Home Number:"), this), "lblHome");
    txtHome = named(new QLineEdit(record.home, this), "txtHome");
    Label1 = named(new QLabel(QStringLiteral("Cell Phone:"), this), "Label1");
    txtCell = named(new QLineEdit(record.cell, this), "txtCell");

    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdOK->setDefault(true);
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    cmdCancel->setAutoDefault(false);

    auto* idRow = new QHBoxLayout;
    idRow->addWidget(lblProfileInfo);
    idRow->addWidget(lblProfileID, 1);
    auto* fields = new QGridLayout;
    addFieldRows(fields, {{lblName, txtName}, {lblHome, txtHome}, {Label1, txtCell}});
    for (QLineEdit* edit : {txtName, txtHome, txtCell})
        SelectAllText(edit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(idRow);
    layout->addLayout(fields);
    layout->addLayout(buttonRow({cmdOK, cmdCancel}));

    setTabChain({txtName, txtHome, txtCell, cmdOK, cmdCancel});
    txtName->setFocus();

    m_form = ProfileForm{txtName, txtHome, txtCell};
    m_form.watchChanges();

    connect(cmdOK, &QPushButton::clicked, this, &EditProfileDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &EditProfileDialog::cmdCancel_Click);
}

void EditProfileDialog::cmdOK_Click() {
    const ProfileFields fields = m_form.fields();
    if (const auto refusal = checkFields(fields)) {
        m_form.refuse(m_context, *refusal);
        return;
    }
    MainContext& context = m_context;
    const EditOutcome outcome = saveProfileEdit(context.folders(), m_profileId, m_shownId, fields);
    context.messages().show(outcome.message);
    switch (outcome.result) {
    case EditResult::Saved:
        close();
        context.profileChanged();
        return;
    case EditResult::WriteFailed:
        // The record is as it was; the fields stay for another try.
        return;
    case EditResult::OnLoan:
    case EditResult::BadCount:
        // A loan was made (or the count damaged) while the dialog was open: nothing can be saved
        // any more. Showing the borrower again brings the panel's gate up to date.
        close();
        context.profileChanged();
        return;
    case EditResult::Gone:
    case EditResult::Unreadable:
        close();
        return;
    }
}

void EditProfileDialog::cmdCancel_Click() {
    close();
}

} // namespace quillory
