#include "lending/BorrowDialog.h"

#include "lending/LendingMessages.h"
#include "widgets/FittedLabel.h"
#include "widgets/FolderList.h"
#include "widgets/MainContext.h"
#include "widgets/Named.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillory {

namespace {
const QString kStep = QStringLiteral("You have selected the above named item for borrowing. Please "
                                     "select the Profile ID from the list on the left and click "
                                     "Borrow             -->");
const QString kSelectProfile = QStringLiteral("Please select a Profile ID.");
} // namespace

BorrowDialog::BorrowDialog(MainContext& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog), m_context(context) {
    setObjectName(kWindowKey);
    setWindowTitle(QStringLiteral("Borrow"));
    setModal(false);

    lblItemTitle = named(new FittedLabel(this, 2), "lblItemTitle");
    QFont bold = lblItemTitle->font();
    bold.setBold(true);
    lblItemTitle->setFont(bold);
    lblStep = named(new QLabel(kStep, this), "lblStep");
    lblStep->setTextFormat(Qt::PlainText);
    lblStep->setWordWrap(true);
    filBorrow = named(new FolderList(this), "filBorrow");
    lblNote = named(new FittedLabel(this), "lblNote");
    cmdBorrow = named(new QPushButton(QStringLiteral("Borrow"), this), "cmdBorrow");
    cmdBorrow->setDefault(true);
    Command1 = named(new QPushButton(QStringLiteral("Cancel"), this), "Command1");
    Command1->setAutoDefault(false);

    // The instruction sits beside the list; its last line, which ends in the arrow, is beside
    // Borrow.
    lblStep->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    auto* side = new QGridLayout;
    side->setRowStretch(0, 1);
    side->addWidget(lblStep, 1, 0);
    side->addWidget(cmdBorrow, 1, 1, Qt::AlignBottom);
    side->addWidget(lblNote, 2, 0);
    side->addWidget(Command1, 2, 1);
    side->setColumnStretch(0, 1);
    auto* body = new QHBoxLayout;
    body->addWidget(filBorrow, 1);
    body->addLayout(side, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblItemTitle);
    layout->addLayout(body, 1);
    resize(480, 260);

    connect(cmdBorrow, &QPushButton::clicked, this, &BorrowDialog::cmdBorrow_Click);
    connect(Command1, &QPushButton::clicked, this, &BorrowDialog::Command1_Click);

    const records::ItemRecord* shown = context.shownItem();
    lblItemTitle->setText(shown ? shown->title : QString());
    filBorrow->setFolder(context.folders().profiles);
}

void BorrowDialog::cmdBorrow_Click() {
    const QString profileId = filBorrow->selectedFileName();
    if (profileId.isEmpty()) {
        lblNote->setText(kSelectProfile);
        return;
    }
    const lending::LendResult result =
        lending::lend(m_context.folders(), m_itemToLend, profileId, m_context.sessionDate());
    const lending::LendView view = lending::lendView(result, m_itemToLend);
    if (view.refresh) {
        m_context.itemChanged();
        if (result.outcome == lending::LendOutcome::Lent) {
            m_context.profileChanged();
            m_context.RefreshStatistics();
        }
    }
    if (view.message)
        m_context.messages().show(*view.message);
    if (view.close)
        close();
}

void BorrowDialog::Command1_Click() {
    close();
}

} // namespace quillory
