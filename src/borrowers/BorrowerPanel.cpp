#include "borrowers/BorrowerPanel.h"

#include "borrowers/Borrowers.h"
#include "borrowers/EditProfileDialog.h"
#include "borrowers/NewProfileDialog.h"
#include "widgets/FittedLabel.h"
#include "widgets/FolderList.h"
#include "widgets/FormLayout.h"
#include "widgets/MainContext.h"
#include "widgets/Named.h"

#include <QAction>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace quillory {

namespace {
const QString kGuide =
    QStringLiteral("Click at a Profile ID on the left to view borrower details.");
} // namespace

BorrowerPanel::BorrowerPanel(MainContext& context, QWidget* parent)
    : QGroupBox(QStringLiteral("Profiles"), parent), m_context(context) {
    setObjectName(QStringLiteral("fmeProfiles"));

    filProfiles = named(new FolderList(this), "filProfiles");
    fixWidthForProfileIds(filProfiles);
    lblGuide = named(new FittedLabel(kGuide, this, 2), "lblGuide");
    lblName = named(new QLabel(QStringLiteral("Name:"), this), "lblName");
    lblProfileName = named(new FittedLabel(this), "lblProfileName");
    lblHome = named(new QLabel(QStringLiteral("Home Number:"), this), "lblHome");
    lblProfileHome = named(new FittedLabel(this), "lblProfileHome");
    lblCellPager =
        named(new QLabel(QStringLiteral("CellPhone/Pager Number:"), this), "lblCellPager");
    lblProfileCellPager = named(new FittedLabel(this), "lblProfileCellPager");
    lblTotalLoan =
        named(new QLabel(QStringLiteral("Total Number of Items On Loan:"), this), "lblTotalLoan");
    lblProfileTotalLoan = named(new FittedLabel(this), "lblProfileTotalLoan");
    for (QLabel* value : {lblProfileName, lblProfileHome, lblProfileCellPager}) {
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
    }
    QFont countFont = lblProfileTotalLoan->font();
    countFont.setPointSizeF(13.5);
    lblProfileTotalLoan->setFont(countFont);

    cmdNewProfile = named(new QPushButton(QStringLiteral("New Profile"), this), "cmdNewProfile");
    cmdEditProfile = named(new QPushButton(QStringLiteral("Edit Profile"), this), "cmdEditProfile");
    cmdDeleteProfile =
        named(new QPushButton(QStringLiteral("Remove Profile"), this), "cmdDeleteProfile");
    cmdItemList = named(new QPushButton(QStringLiteral("Item List"), this), "cmdItemList");
    tmrBlinkItem = named(new QTimer(this), "tmrBlinkItem");
    // Item List keeps its room while hidden, so the other buttons never move.
    QSizePolicy keep = cmdItemList->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    cmdItemList->setSizePolicy(keep);

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

    connect(filProfiles, &FolderList::picked, this, &BorrowerPanel::filProfiles_Click);
    connect(cmdItemList, &QPushButton::clicked, this, &BorrowerPanel::itemListRequested);
    connect(tmrBlinkItem, &QTimer::timeout, this, &BorrowerPanel::tmrBlinkItem_Timer);
    connect(cmdNewProfile, &QPushButton::clicked, this, &BorrowerPanel::cmdNewProfile_Click);
    connect(cmdEditProfile, &QPushButton::clicked, this, &BorrowerPanel::cmdEditProfile_Click);
    connect(cmdDeleteProfile, &QPushButton::clicked, this, &BorrowerPanel::cmdDeleteProfile_Click);

    const MainMenus& m = context.menus();
    connect(m.mnuFile_NewProfile, &QAction::triggered, this, &BorrowerPanel::cmdNewProfile_Click);
    connect(m.mnuEdit_EditProfile, &QAction::triggered, this, &BorrowerPanel::cmdEditProfile_Click);
    connect(m.mnuEdit_RemoveProfile, &QAction::triggered, this,
            &BorrowerPanel::cmdDeleteProfile_Click);
}

void BorrowerPanel::listFolder(const QString& path) {
    filProfiles->setFolder(path);
}

void BorrowerPanel::reread() {
    filProfiles->reread();
}

QString BorrowerPanel::selectedProfile() const {
    return filProfiles->selectedFileName();
}

void BorrowerPanel::clearValues() {
    m_shown.reset();
    for (QLabel* value : {lblProfileName, lblProfileHome, lblProfileCellPager, lblProfileTotalLoan})
        value->clear();
}

namespace {

void enable(QAction* action, bool on) {
    if (action)
        action->setEnabled(on);
}

} // namespace

void BorrowerPanel::filProfiles_Click() {
    const QString profileId = filProfiles->selectedFileName();
    if (profileId.isEmpty())
        return;
    const borrowers::ProfileView view = borrowers::viewProfile(m_context.folders(), profileId);
    // The panel always describes the selected record; what is wrong with it shows in place of
    // the guide.
    if (view.readable)
        m_shown = view.record;
    else
        m_shown.reset();
    lblGuide->setText(view.problem.isEmpty() ? kGuide : view.problem);
    lblProfileName->setText(view.record.name);
    lblProfileHome->setText(view.record.home);
    lblProfileCellPager->setText(view.record.cell);
    lblProfileTotalLoan->setText(view.record.loanCount);

    // A damaged record offers nothing that would change it, and no item list.
    const borrowers::ProfileGates* gates = &view.gates;
    const MainMenus& menus = m_context.menus();
    if (gates->canChange)
        cmdNewProfile->setEnabled(true);
    cmdEditProfile->setEnabled(gates->canChange);
    cmdDeleteProfile->setEnabled(gates->canChange);
    enable(menus.mnuEdit_EditProfile, gates->canChange);
    enable(menus.mnuEdit_RemoveProfile, gates->canChange);
    stopBlink();
    if (gates->blink) {
        tmrBlinkItem_Timer();
        tmrBlinkItem->start(kBlinkInterval);
    }
    cmdItemList->setVisible(gates->itemList);
    enable(menus.mnuEdit_ItemList, gates->itemList);
}

void BorrowerPanel::setCountColours(const QColor& text, const QColor& back) {
    QPalette palette = lblProfileTotalLoan->palette();
    palette.setColor(QPalette::WindowText, text);
    if (back.isValid())
        palette.setColor(QPalette::Window, back);
    lblProfileTotalLoan->setPalette(palette);
}

void BorrowerPanel::stopBlink() {
    tmrBlinkItem->stop();
    // Black on the window colour, whichever phase the blink stopped in.
    setCountColours(Qt::black, m_context.blinkColours().back[0]);
}

void BorrowerPanel::tmrBlinkItem_Timer() {
    m_blinkPhase = 1 - m_blinkPhase;
    const BlinkColours& colours = m_context.blinkColours();
    setCountColours(colours.text[m_blinkPhase], colours.back[m_blinkPhase]);
}

void BorrowerPanel::cmdNewProfile_Click() {
    m_context.showWindow(NewProfileDialog::kWindowKey, [this] {
        return new NewProfileDialog(m_context, m_context.mainWidget());
    });
}

void BorrowerPanel::cmdEditProfile_Click() {
    const QString profileId = filProfiles->selectedFileName();
    if (profileId.isEmpty())
        return;
    // An open dialog is brought forward as it is, still showing the borrower it was opened for.
    if (m_context.raiseWindow(EditProfileDialog::kWindowKey))
        return;
    // On loan: the gate keeps this from happening unless the file changed since it was shown.
    const borrowers::LoadOutcome read =
        borrowers::loadProfileForEdit(m_context.folders(), profileId);
    if (!read.ok()) {
        m_context.messages().show(*read.failure);
        return;
    }
    m_context.showWindow(EditProfileDialog::kWindowKey, [this, &profileId, &read] {
        return new EditProfileDialog(m_context, profileId, read.record, m_context.mainWidget());
    });
}

void BorrowerPanel::cmdDeleteProfile_Click() {
    const QString profileId = filProfiles->selectedFileName();
    if (profileId.isEmpty())
        return;
    MessageService& messages = m_context.messages();
    const Folders& folders = m_context.folders();
    if (const auto refusal = borrowers::removalRefusal(folders, profileId)) {
        messages.show(*refusal);
        return;
    }
    if (messages.show(borrowers::removeQuestion(profileId)) != MsgAnswer::Yes)
        return;
    const borrowers::RemoveOutcome removed = borrowers::removeProfile(folders, profileId);
    if (!removed.removed) {
        messages.show(removed.message);
        return;
    }
    m_context.profileListsChanged();
    clearValues();
    messages.show(removed.message);
    // Nothing is selected afterwards, matching the empty details.
    filProfiles->clearSelectedName();
}

} // namespace quillory
