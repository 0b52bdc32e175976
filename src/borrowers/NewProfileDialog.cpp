#include "borrowers/NewProfileDialog.h"

#include "widgets/FormLayout.h"
#include "widgets/MainContext.h"
#include "widgets/Named.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillory {

using namespace borrowers;

NewProfileDialog::NewProfileDialog(MainContext& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog), m_context(context) {
    setObjectName(kWindowKey);
    setWindowTitle(QStringLiteral("New Profile"));
    setModal(false);

    lblProfileID = named(new QLabel(QStringLiteral("Profile ID:"), this), "lblProfileID");
    lblProfile = named(new QLabel(this), "lblProfile");
    QFont idFont = lblProfile->font();
    idFont.setBold(true);
    idFont.setPointSize(12);
    lblProfile->setFont(idFont);
    lblProfile->setTextFormat(Qt::PlainText);
    lblProfile->setMinimumWidth(QFontMetrics(idFont).horizontalAdvance(QStringLiteral("0000000W")));
    cmdGenerate = named(new QPushButton(QStringLiteral("Generate ID"), this), "cmdGenerate");
    cmdGenerate->setAutoDefault(false);

    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    lblName = named(new QLabel(QStringLiteral("Name:"), frame), "lblName");
    txtName = named(new QLineEdit(frame), "txtName");
    lblHome = named(new QLabel(QStringLiteral("Home Number:"), frame), "lblHome");
    txtHome = named(new QLineEdit(frame), "txtHome");
    lblCell = named(new QLabel(QStringLiteral("Cell Number:"), frame), "lblCell");
    txtCell = named(new QLineEdit(frame), "txtCell");
    addFieldRows(new QGridLayout(frame),
                 {{lblName, txtName}, {lblHome, txtHome}, {lblCell, txtCell}});

    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdOK->setDefault(true);
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    cmdCancel->setAutoDefault(false);

    auto* idRow = new QHBoxLayout;
    idRow->addWidget(lblProfileID);
    idRow->addWidget(lblProfile, 1);
    idRow->addWidget(cmdGenerate);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(idRow);
    layout->addWidget(frame);
    layout->addLayout(buttonRow({cmdOK, cmdCancel}));

    setTabChain({cmdGenerate, txtName, txtHome, txtCell, cmdOK, cmdCancel});
    cmdGenerate->setFocus();

    m_form = ProfileForm{txtName, txtHome, txtCell};
    m_form.watchChanges();

    connect(cmdGenerate, &QPushButton::clicked, this, &NewProfileDialog::cmdGenerate_Click);
    connect(cmdOK, &QPushButton::clicked, this, &NewProfileDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &NewProfileDialog::cmdCancel_Click);
}

void NewProfileDialog::cmdGenerate_Click() {
    lblProfile->setText(generateProfileId(clockSeededSource()));
}

void NewProfileDialog::cmdOK_Click() {
    MessageService& messages = m_context.messages();
    const QString profileId = lblProfile->text();
    if (const auto refusal = profileIdRefusal(profileId)) {
        if (messages.show(*refusal) == MsgAnswer::Cancel)
            close();
        return;
    }
    const ProfileFields fields = m_form.fields();
    if (const auto refusal = checkFields(fields)) {
        m_form.refuse(m_context, *refusal);
        return;
    }
    const CreateOutcome outcome = createProfile(m_context.folders(), profileId, fields);
    if (outcome.result == CreateResult::Clash) {
        if (messages.show(outcome.message) == MsgAnswer::Cancel)
            close();
        return;
    }
    if (outcome.result == CreateResult::WriteFailed) {
        // Nothing was written; the fields stay for another try.
        messages.show(outcome.message);
        return;
    }
    // The new borrower shows in the lists; the borrower on show stays selected.
    m_context.profileListsChanged();
    const MsgAnswer another = messages.show(outcome.message);
    if (another == MsgAnswer::Yes) {
        lblProfile->clear();
        txtName->clear();
        txtHome->clear();
        txtCell->clear();
        txtName->setFocus();
    } else {
        close();
    }
}

void NewProfileDialog::cmdCancel_Click() {
    close();
}

} // namespace quillory
