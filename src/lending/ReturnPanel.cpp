#include "lending/ReturnPanel.h"

#include "lending/Lending.h"
#include "records/LoanRecord.h"
#include "widgets/BusyCursor.h"
#include "widgets/FolderList.h"
#include "widgets/MainContext.h"
#include "widgets/Named.h"

#include <QGridLayout>
#include <QLabel>

namespace quillory {

namespace {
const QString kOnLoanSince = QStringLiteral("Item is ON LOAN since ");
const QString kUpdating = QStringLiteral("Please wait . . . Updating Item Information");
const QString kUpdated = QStringLiteral("Item updated successfully!");
const QString kSelectProfile =
    QStringLiteral("Please select a Profile ID from the list on the right.");
const QString kWrongProfile = QStringLiteral("Incorrect Profile ID for loaned item!");
const QString kNoLoanList =
    QStringLiteral("Return all items borrowed by borrower to utilise the item list.");
const QString kSelectBoth =
    QStringLiteral("Please select a Title and a Profile ID in Return Item on the right.");
const QString kCannotOpenItem = QStringLiteral(
    "Quillory! QD cannot open the item! Please click on Item Data first to select item.");
const QString kErrorTitle = QStringLiteral("Error");

QString returnedText(const QString& title) {
    return QStringLiteral("The item ") + title + QStringLiteral(" was successfully returned.");
}

// A return that finds its loan record missing or empty has nothing to go by; it names the title
// and changes nothing.
QString cannotOpenLoanText(const QString& title) {
    return QStringLiteral("Quillory! QD cannot open the loan record of ") + title +
           QStringLiteral("! Nothing was returned.");
}

// A return whose repair finds no borrower block to rebuild the loan record from: the item
// record is missing, or a return that stopped part-way already made it available again.
QString repairFailedText(const QString& title, int filesWritten, bool writeFailed) {
    // A full disk or a read-only folder is told apart: the records themselves are fine.
    const QString why =
        writeFailed ? QStringLiteral(". Its loan record could not be written (is the disk full or "
                                     "the folder read-only?), so it cannot be rebuilt.\r")
                    : QStringLiteral(". Its item record is missing or does not show it on loan, "
                                     "so the loan record cannot be rebuilt.\r");
    return QStringLiteral("Quillory! QD cannot return the item ") + title + why +
           (filesWritten == 0 ? QStringLiteral("No file was changed.")
                              : QStringLiteral("The return stopped part-way; the files already "
                                               "written stay as they are."));
}
} // namespace

ReturnPanel::ReturnPanel(MainContext& context, QWidget* parent)
    : QGroupBox(QStringLiteral("Return Item"), parent), m_context(context) {
    setObjectName(QStringLiteral("fmeReturnItem"));
    filLoaned = named(new FolderList(this), "filLoaned");
    filProfilesReturn = named(new FolderList(this), "filProfilesReturn");
    lblNote = named(new QLabel(this), "lblNote");
    lblNote->setTextFormat(Qt::PlainText);
    lblNote->setWordWrap(true);
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
}

void ReturnPanel::filLoaned_Click() {
    const QString name = filLoaned->selectedFileName();
    if (name.isEmpty())
        return;
    const Folders& folders = m_context.folders();
    const records::Result<records::LoanFile> loan = records::readLoan(folders.loanPath(name));
    if (loan.ok()) {
        lblNote->setText(kOnLoanSince + loan.value().record.loanDate);
        return;
    }
    if (!records::needsRepair(loan)) {
        m_context.messages().show(kCannotOpenItem, kErrorTitle, MsgIcon::Information);
        return;
    }
    bool repaired = false;
    {
        BusyCursor busy;
        lblNote->setText(kUpdating);
        // A missing item record, or one without its borrower block, gives nothing to rebuild
        // from; nothing is written then.
        const QString itemPath = folders.itemPath(name);
        repaired =
            CheckExist(itemPath) &&
            records::repairLoanFromItem(folders.loanPath(name), itemPath, m_context.sessionDate())
                .ok();
        if (repaired)
            lblNote->setText(kUpdated);
    }
    if (!repaired)
        m_context.messages().show(kCannotOpenItem, kErrorTitle, MsgIcon::Information);
}

void ReturnPanel::filLoaned_DblClick() {
    const QString profileId = filProfilesReturn->selectedFileName();
    if (profileId.isEmpty()) {
        lblNote->setText(kSelectProfile);
        return;
    }
    const QString name = filLoaned->selectedFileName();
    if (name.isEmpty())
        return;

    lending::ReturnResult result;
    {
        BusyCursor busy;
        result = lending::returnItem(m_context.folders(), name, profileId, m_context.sessionDate());
        switch (result.outcome) {
        case lending::ReturnOutcome::Returned:
            m_context.itemChanged();
            m_context.profileChanged();
            m_context.RefreshStatistics(); // the loaned list among them
            break;
        case lending::ReturnOutcome::WrongBorrower:
            lblNote->setText(kWrongProfile);
            break;
        case lending::ReturnOutcome::Repaired:
            lblNote->setText(kUpdated);
            break;
        case lending::ReturnOutcome::RepairFailed:
            // As after a failed repair from a click: the note stays on the repair, the message
            // says why it could not be done.
            lblNote->setText(kUpdating);
            break;
        case lending::ReturnOutcome::LoanListMissing:
            // Item, loan record and profile show the return; the lists are left as they were.
            lblNote->setText(kNoLoanList);
            break;
        case lending::ReturnOutcome::Failed:
            lblNote->setText(kSelectProfile);
            break;
        case lending::ReturnOutcome::CannotOpenLoanRecord:
            break;
        }
    }
    // Messages come after the busy pointer is gone.
    switch (result.outcome) {
    case lending::ReturnOutcome::Returned:
        m_context.messages().show(returnedText(result.title), kAppTitle, MsgIcon::Information);
        break;
    case lending::ReturnOutcome::CannotOpenLoanRecord:
        m_context.messages().show(cannotOpenLoanText(result.title), kErrorTitle,
                                  MsgIcon::Exclamation);
        break;
    case lending::ReturnOutcome::RepairFailed:
        m_context.messages().show(
            repairFailedText(result.title, result.filesWritten, result.repairWriteFailed),
            kErrorTitle, MsgIcon::Exclamation);
        break;
    default:
        break;
    }
}

void ReturnPanel::mnuEdit_ReturnBook_Click() {
    if (filLoaned->selectedFileName().isEmpty()) {
        m_context.messages().show(kSelectBoth, kAppTitle, MsgIcon::Exclamation);
        return;
    }
    if (filProfilesReturn->selectedFileName().isEmpty()) {
        lblNote->setText(kSelectProfile);
        return;
    }
    filLoaned_DblClick();
}

} // namespace quillory
