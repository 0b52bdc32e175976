#include "borrowers/BorrowerPanel.h"

#include "shell/FolderList.h"
#include "shell/MainContext.h"
#include "shell/Named.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace quillory {

BorrowerPanel::BorrowerPanel(MainContext& context, QWidget* parent)
    : QGroupBox(QStringLiteral("Profiles"), parent), m_context(context) {
    setObjectName(QStringLiteral("fmeProfiles"));

    filProfiles = named(new FolderList(this), "filProfiles");
    lblGuide = named(
        new QLabel(QStringLiteral("Click at a Profile ID on the left to view borrower details."),
                   this),
        "lblGuide");
    lblGuide->setWordWrap(true);
    lblName = named(new QLabel(QStringLiteral("Name:"), this), "lblName");
    lblProfileName = named(new QLabel(this), "lblProfileName");
    lblHome = named(new QLabel(QStringLiteral("Home Number:"), this), "lblHome");
    lblProfileHome = named(new QLabel(this), "lblProfileHome");
    lblCellPager = named(new QLabel(QStringLiteral("CellPhone/Pager Number:"), this), "lblCellPager");
    lblProfileCellPager = named(new QLabel(this), "lblProfileCellPager");
    lblTotalLoan =
        named(new QLabel(QStringLiteral("Total Number of Items On Loan:"), this), "lblTotalLoan");
    lblProfileTotalLoan = named(new QLabel(this), "lblProfileTotalLoan");
    for (QLabel* value : {lblProfileName, lblProfileHome, lblProfileCellPager}) {
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        value->setTextFormat(Qt::PlainText);
    }
    QFont countFont = lblProfileTotalLoan->font();
    countFont.setPointSizeF(13.5);
    lblProfileTotalLoan->setFont(countFont);
    lblProfileTotalLoan->setTextFormat(Qt::PlainText);
    lblProfileTotalLoan->setAutoFillBackground(true);

    cmdNewProfile = named(new QPushButton(QStringLiteral("New Profile"), this), "cmdNewProfile");
    cmdEditProfile = named(new QPushButton(QStringLiteral("Edit Profile"), this), "cmdEditProfile");
    cmdDeleteProfile =
        named(new QPushButton(QStringLiteral("Remove Profile"), this), "cmdDeleteProfile");
    cmdItemList = named(new QPushButton(QStringLiteral("Item List"), this), "cmdItemList");
    tmrBlinkItem = named(new QTimer(this), "tmrBlinkItem");

    auto* details = new QGridLayout;
    int row = 0;
    details->addWidget(lblGuide, row++, 0, 1, 2);
    for (const auto& pair : QList<QPair<QLabel*, QLabel*>>{{lblName, lblProfileName},
                                                           {lblHome, lblProfileHome},
                                                           {lblCellPager, lblProfileCellPager},
                                                           {lblTotalLoan, lblProfileTotalLoan}}) {
        details->addWidget(pair.first, row, 0);
        details->addWidget(pair.second, row++, 1);
    }
    details->setColumnStretch(1, 1);
    details->setRowStretch(row, 1);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdNewProfile, cmdEditProfile, cmdDeleteProfile, cmdItemList})
        buttons->addWidget(b);

    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::VLine);

    auto* top = new QHBoxLayout;
    top->addWidget(filProfiles, 1);
    top->addWidget(separator);
    top->addLayout(details, 3);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
}

void BorrowerPanel::clearValues() {
    for (QLabel* value : {lblProfileName, lblProfileHome, lblProfileCellPager, lblProfileTotalLoan})
        value->clear();
}

// The behaviour of the remaining handlers comes with the borrower management work.
void BorrowerPanel::filProfiles_Click() {}
void BorrowerPanel::tmrBlinkItem_Timer() {}
void BorrowerPanel::cmdNewProfile_Click() {}
void BorrowerPanel::cmdEditProfile_Click() {}
void BorrowerPanel::cmdDeleteProfile_Click() {}

} // namespace quillory
