#include "lending/LendingMessages.h"

#include "records/ItemRecord.h"
#include "records/LoanList.h"
#include "records/LoanRecord.h"

namespace quillory::lending {

namespace {

const QString kErrorTitle = QStringLiteral("Error");
const QString kProfileError =
    QStringLiteral("The Profile ID is either corrupted or accidentally deleted!"
                   "\rPlease create a new Profile ID for the borrower.");
const QString kLoanLimitText =
    QStringLiteral("Quillory! QD was designed to limit users from borrowing "
                   "out more than 20 items! Sorry.");
const QString kOnLoanSince = QStringLiteral("Item is ON LOAN since ");
const QString kUpdating = QStringLiteral("Please wait . . . Updating Item Information");
const QString kUpdated = QStringLiteral("Item updated successfully!");
const QString kSelectProfile =
    QStringLiteral("Please select a Profile ID from the list on the right.");
const QString kSelectBoth =
    QStringLiteral("Please select a Title and a Profile ID in Return Item on the right.");
const QString kWrongProfile = QStringLiteral("Incorrect Profile ID for loaned item!");
const QString kNoLoanList =
    QStringLiteral("Return all items borrowed by borrower to utilise the item list.");
const QString kCannotOpenItem = QStringLiteral(
    "Quillory! QD cannot open the item! Please click on Item Data first to select item.");

// "could not write /data/stats/Dune (No space left on device)": the file and the system's words.
QString refusedWrite(const WriteFailure& refused) {
    return QStringLiteral("Quillory! QD could not write ") + refused.path + QStringLiteral(" (") +
           (refused.detail.isEmpty() ? QStringLiteral("the system refused it") : refused.detail) +
           QStringLiteral(")");
}

QString notPutBack() {
    return QStringLiteral(", nor put back the files already changed.\rThe next start of "
                          "Quillory! QD completes or undoes the change.");
}

Message error(const QString& text) {
    return Message{text, kErrorTitle, MsgIcon::Exclamation};
}

} // namespace

QString updatingNote() {
    return kUpdating;
}

LendView lendView(const LendResult& result, const QString& itemToLend) {
    LendView view;
    switch (result.outcome) {
    case LendOutcome::Lent:
        view.refresh = true;
        view.message = Message{QStringLiteral("Item ") + itemToLend +
                                   QStringLiteral(" successfully loaned out."),
                               QStringLiteral("Loaned"), MsgIcon::Information, MsgButtons::Ok};
        break;
    case LendOutcome::LoanLimit:
        // Nothing written; the dialog stays so another borrower can be picked.
        view.close = false;
        view.message = Message{kLoanLimitText, QStringLiteral("Loan Limit"), MsgIcon::Critical};
        break;
    case LendOutcome::Failed:
        view.message = Message{kProfileError, kErrorTitle, MsgIcon::Critical};
        break;
    case LendOutcome::NotAvailable:
        view.refresh = true; // the item panel's gates catch up with the record
        view.message = error(QStringLiteral("The item ") + result.detail +
                             QStringLiteral(" is not available for loan.\rNothing was changed."));
        break;
    case LendOutcome::WriteRefused:
        view.message =
            error(QStringLiteral("The item ") + itemToLend + QStringLiteral(" was not lent: ") +
                  refusedWrite(result.refused) + QStringLiteral(".\rNothing was changed."));
        break;
    case LendOutcome::Unfinished:
        view.message =
            error(QStringLiteral("The item ") + itemToLend + QStringLiteral(" was not lent: ") +
                  refusedWrite(result.refused) + notPutBack());
        break;
    }
    return view;
}

ReturnView returnView(const ReturnResult& result) {
    ReturnView view;
    switch (result.outcome) {
    case ReturnOutcome::Returned:
        view.refresh = true;
        view.message = Message{QStringLiteral("The item ") + result.title +
                                   QStringLiteral(" was successfully returned."),
                               kAppTitle, MsgIcon::Information};
        break;
    case ReturnOutcome::WrongBorrower:
        view.note = kWrongProfile;
        break;
    case ReturnOutcome::Repaired:
        view.note = kUpdated;
        break;
    case ReturnOutcome::RepairFailed:
        // The note stays on the repair; the message says why it could not be done.
        view.note = kUpdating;
        view.message =
            error(QStringLiteral("Quillory! QD cannot return the item ") + result.title +
                  (result.repairWriteFailed
                       ? QStringLiteral(". Its loan record could not be rebuilt: ") +
                             refusedWrite(result.refused) + QLatin1Char('.')
                       : QStringLiteral(". Its item record is missing or does not show it on loan, "
                                        "so the loan record cannot be rebuilt.")) +
                  QStringLiteral("\rNo file was changed."));
        break;
    case ReturnOutcome::LoanListMissing:
        // Item, loan record and profile show the return; the lists are left as they were.
        view.note = kNoLoanList;
        break;
    case ReturnOutcome::WriteRefused:
        view.message = error(QStringLiteral("The item ") + result.title +
                             QStringLiteral(" was not returned: ") + refusedWrite(result.refused) +
                             QStringLiteral(".\rNothing was changed."));
        break;
    case ReturnOutcome::Unfinished:
        view.message = error(QStringLiteral("The item ") + result.title +
                             QStringLiteral(" was not returned: ") + refusedWrite(result.refused) +
                             notPutBack());
        break;
    case ReturnOutcome::Failed:
        view.note = kSelectProfile;
        break;
    case ReturnOutcome::CannotOpenLoanRecord:
        // Nothing to go by: it names the title and changes nothing.
        view.message = error(QStringLiteral("Quillory! QD cannot open the loan record of ") +
                             result.title + QStringLiteral("! Nothing was returned."));
        break;
    }
    return view;
}

std::optional<ReturnView> returnNeeds(bool haveTitle, bool haveProfile, bool fromMenu) {
    ReturnView view;
    if (fromMenu && !haveTitle)
        view.message = Message{kSelectBoth, kAppTitle, MsgIcon::Exclamation};
    else if (!haveProfile)
        view.note = kSelectProfile;
    else if (haveTitle)
        return std::nullopt;
    return view;
}

ReturnView loanClicked(const Folders& folders, const QString& itemFileName,
                       const QString& sessionDate) {
    ReturnView view;
    const Message cannotOpen{kCannotOpenItem, kErrorTitle, MsgIcon::Information};
    const records::Result<records::LoanFile> loan =
        records::readLoan(folders.loanPath(itemFileName));
    if (loan.ok()) {
        view.note = kOnLoanSince + loan->record.loanDate;
        return view;
    }
    if (!records::needsRepair(loan)) {
        view.message = cannotOpen;
        return view;
    }
    // A missing item record, or one without its borrower block, gives nothing to rebuild from;
    // nothing is written then and the note stays on the repair.
    const QString itemPath = folders.itemPath(itemFileName);
    view.note = kUpdating;
    if (CheckExist(itemPath) &&
        records::repairLoanFromItem(folders.loanPath(itemFileName), itemPath, sessionDate).ok())
        view.note = kUpdated;
    else
        view.message = cannotOpen;
    return view;
}

DetailsView borrowerDetailsView(const Folders& folders, const records::ItemRecord* shown,
                                const QString& itemFileName) {
    DetailsView view;
    if (!shown || shown->status != records::kOnLoan) {
        view.message = Message{QStringLiteral("Borrower Details not available for the item named:"
                                              "\r") +
                                   (shown ? shown->title : QString()),
                               kAppTitle, MsgIcon::Information};
        return view;
    }
    const BorrowerDetails details = borrowerDetails(folders, itemFileName);
    switch (details.kind) {
    case BorrowerDetails::Kind::Missing:
        // Deleted behind the program's back: the panel stops showing it, without a word.
        view.gone = true;
        break;
    case BorrowerDetails::Kind::Unreadable:
        view.message = Message{QStringLiteral("Quillory! QD cannot open the item! Please select "
                                              "an item listed in Item Data first."),
                               kErrorTitle, MsgIcon::Information};
        break;
    case BorrowerDetails::Kind::Shown:
        view.message = Message{details.text, kAppTitle, MsgIcon::Information};
        break;
    }
    return view;
}

TitlesView loanedTitles(const Folders& folders, const QString& profileId,
                        const QString& borrowerName) {
    const records::Result<QStringList> list =
        records::readLoanList(folders.loanListPath(profileId));
    if (list.ok())
        return TitlesView{list.value(), std::nullopt};
    return TitlesView{{},
                      Message{QStringLiteral("Sorry the borrower ") + borrowerName +
                                  QStringLiteral(" items list is not available."),
                              QStringLiteral("Item List"), MsgIcon::Information}};
}

std::optional<Message> recoveryMessage(const records::RecoveryResult& result) {
    using O = records::RecoveryResult::Outcome;
    const records::ChangeIntent& intent = result.intent;
    const bool lending = intent.kind == QLatin1String("lend");
    const bool returning = intent.kind == QLatin1String("return");
    QString what = QStringLiteral("repairing the records of the borrower ") + intent.profileId;
    QString done = QStringLiteral(".\rThe repair has now been completed.");
    if (lending) {
        what = QStringLiteral("lending the item ") + intent.title +
               QStringLiteral(" to the borrower ") + intent.profileId;
        done = QStringLiteral(".\rThe loan has now been completed.");
    } else if (returning) {
        what = QStringLiteral("taking back the item ") + intent.title +
               QStringLiteral(" from the borrower ") + intent.profileId;
        done = QStringLiteral(".\rThe return has now been completed.");
    }
    const QString stopped = QStringLiteral("Quillory! QD was stopped while ") + what;
    switch (result.outcome) {
    case O::Nothing:
        return std::nullopt;
    case O::Finished:
        return Message{stopped + done, kAppTitle, MsgIcon::Information};
    case O::Undone:
        return error(stopped + QStringLiteral(".\rIt could not be completed (") + result.detail +
                     QStringLiteral("), so it was undone: nothing was changed."));
    case O::Unfinished:
        return error(stopped + QStringLiteral(".\rIt can be neither completed nor undone now (") +
                     result.detail + QStringLiteral("); the next start tries again."));
    case O::Unreadable:
        return error(QStringLiteral("Quillory! QD found an unfinished loan or return that it "
                                    "cannot read (") +
                     result.detail +
                     QStringLiteral(").\rRun \"quillory-tool check\" to see what it left."));
    }
    return std::nullopt;
}

} // namespace quillory::lending
