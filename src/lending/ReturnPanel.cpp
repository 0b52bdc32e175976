#include "lending/ReturnPanel.h"

#include "lending/LendingMessages.h"
#include "widgets/BusyCursor.h"
#include "widgets/FittedLabel.h"
#include "widgets/FolderList.h"
#include "widgets/FormLayout.h"
#include "widgets/MainContext.h"
#include "widgets/Named.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>

namespace quillory {

ReturnPanel::ReturnPanel(MainContext& context, QWidget* parent)
    : QGroupBox(QStringLiteral("Return Item"), parent), m_context(context) {
    setObjectName(QStringLiteral("fmeReturnItem"));
    filLoaned = named(new FolderList(this), "filLoaned");
    filProfilesReturn = named(new FolderList(this), "filProfilesReturn");
    fixWidthForProfileIds(filProfilesReturn);
    lblNote = named(new FittedLabel(this, 2), "lblNote");
    lblReturn = named(new QLabel(QStringLiteral("Select a Profile ID on the right and double-click "
                                                "on the title to return on the left."),
                                 this),
                      "lblReturn");
    lblReturn->setWordWrap(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(filLoaned, 0, 0);
    layout->addWidget(filProfilesReturn, 0, 1);
    layout->addWidget(lblNote, 1, 0, 1, 2);
    layout->addWidget(lblReturn, 2, 0, 1, 2);
    layout->setColumnStretch(0, 3);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(0, 1);

    connect(filLoaned, &FolderList::picked, this, &ReturnPanel::filLoaned_Click);
    connect(filLoaned, &FolderList::pickedTwice, this, &ReturnPanel::filLoaned_DblClick);
    connect(context.menus().mnuEdit_ReturnBook, &QAction::triggered, this,
            &ReturnPanel::mnuEdit_ReturnBook_Click);
}

int ReturnPanel::listFolders(const QString& loaned, const QString& profiles) {
    filLoaned->setFolder(loaned);
    filProfilesReturn->setFolder(profiles);
    return filLoaned->count();
}

void ReturnPanel::filLoaned_Click() {
    const QString name = filLoaned->selectedFileName();
    if (name.isEmpty())
        return;
    lending::ReturnView view;
    {
        BusyCursor busy;
        view = lending::loanClicked(m_context.folders(), name, m_context.sessionDate());
        if (view.note)
            lblNote->setText(*view.note);
    }
    if (view.message)
        m_context.messages().show(*view.message);
}

// Applies what a return asks for first; true when it may go on.
bool ReturnPanel::readyToReturn(bool fromMenu) {
    const std::optional<lending::ReturnView> needs =
        lending::returnNeeds(!filLoaned->selectedFileName().isEmpty(),
                             !filProfilesReturn->selectedFileName().isEmpty(), fromMenu);
    if (!needs)
        return true;
    if (needs->note)
        lblNote->setText(*needs->note);
    if (needs->message)
        m_context.messages().show(*needs->message);
    return false;
}

void ReturnPanel::filLoaned_DblClick() {
    if (readyToReturn(false))
        returnSelected();
}

void ReturnPanel::returnSelected() {
    const QString profileId = filProfilesReturn->selectedFileName();
    const QString name = filLoaned->selectedFileName();

    lending::ReturnView view;
    {
        BusyCursor busy;
        const lending::ReturnResult result =
            lending::returnItem(m_context.folders(), name, profileId, m_context.sessionDate());
        view = lending::returnView(result);
        if (view.note)
            lblNote->setText(*view.note);
        if (view.refresh) {
            m_context.itemChanged();
            m_context.profileChanged();
            m_context.RefreshStatistics(); // the loaned list among them
        }
    }
    // Messages come after the busy pointer is gone.
    if (view.message)
        m_context.messages().show(*view.message);
}

void ReturnPanel::mnuEdit_ReturnBook_Click() {
    if (readyToReturn(true))
        returnSelected();
}

} // namespace quillory
