#include "lending/Lending.h"

#include "records/ItemRecord.h"
#include "records/LoanList.h"
#include "records/LoanRecord.h"
#include "records/ProfileRecord.h"

#include <limits>

namespace quillory::lending {

using namespace records;

namespace {

StepHook& stepHook() {
    static StepHook hook;
    return hook;
}

void beforeStep(int step) {
    if (const StepHook& hook = stepHook())
        hook(step);
}

QString failure(const QString& what, const Error& error) {
    return what + QStringLiteral(": ") + errorText(error);
}

} // namespace

void setStepHook(StepHook hook) {
    stepHook() = std::move(hook);
}

LendResult lend(const Folders& folders, const QString& itemFileName, const QString& profileId,
                const QString& sessionDate) {
    LendResult result;
    const QString itemPath = folders.itemPath(itemFileName);
    const QString profilePath = folders.profilePath(profileId);

    const Result<ProfileRecord> profile = readProfile(profilePath);
    if (!profile.ok()) {
        result.detail = failure(QStringLiteral("profile record"), profile.error());
        return result;
    }
    const qint64 count = *profile.value().loanCountValue();
    if (count >= kLoanLimit) {
        result.outcome = LendOutcome::LoanLimit;
        return result;
    }

    // The status is not looked at: the item panel offers Borrow only for an available item.
    const Result<ItemRecord> item = readItem(itemPath, kItemLines);
    if (!item.ok()) {
        result.detail = failure(QStringLiteral("item record"), item.error());
        return result;
    }
    // The panel offers Borrow only for available items, but a folder edited by hand (or a list
    // not yet refreshed) could still name one on loan: lending it twice would lose a loan.
    if (!item.value().isAvailable()) {
        result.outcome = LendOutcome::NotAvailable;
        result.detail = item.value().title;
        return result;
    }

    const QString newCount = numericPrintForm(count + 1);
    const ProfileRecord& p = profile.value();

    ItemRecord onLoan = item.value();
    onLoan.status = kOnLoan;
    onLoan.borrower = BorrowerBlock{p.profileId, p.name, p.home, p.cell, newCount};

    ProfileRecord counted = p;
    counted.loanCount = newCount;

    beforeStep(1);
    if (const Result<> w = writeItem(itemPath, onLoan); !w.ok()) {
        result.detail = failure(QStringLiteral("item record"), w.error());
        return result;
    }
    result.filesWritten = 1;

    beforeStep(2);
    const LoanRecord loan{onLoan.title, sessionDate, onLoan.price, p.profileId, p.name};
    if (const Result<> w = writeLoan(folders.loanPath(itemFileName), loan); !w.ok()) {
        result.detail = failure(QStringLiteral("loan record"), w.error());
        return result;
    }
    result.filesWritten = 2;

    beforeStep(3);
    if (const Result<> w = writeProfile(profilePath, counted); !w.ok()) {
        result.detail = failure(QStringLiteral("profile record"), w.error());
        return result;
    }
    result.filesWritten = 3;

    beforeStep(4);
    if (const Result<> w = appendToLoanList(folders.loanListPath(profileId), onLoan.title);
        !w.ok()) {
        result.detail = failure(QStringLiteral("loan list"), w.error());
        return result;
    }
    result.filesWritten = 4;
    result.outcome = LendOutcome::Lent;
    return result;
}

namespace {

// The common repair: the loan record rebuilt from the item record; the return does not go on.
ReturnResult repair(ReturnResult result, const QString& loanPath, const QString& itemPath,
                    const QString& sessionDate) {
    const Result<LoanRecord> rebuilt = loanFromItem(itemPath, sessionDate);
    const Result<> repaired = rebuilt.ok() ? writeLoan(loanPath, rebuilt.value()) : rebuilt.error();
    if (!repaired.ok()) {
        result.outcome = ReturnOutcome::RepairFailed;
        result.repairWriteFailed = rebuilt.ok();
        result.detail += (result.detail.isEmpty() ? QString() : QStringLiteral("; ")) +
                         QStringLiteral("repair: ") + errorText(repaired.error());
        return result;
    }
    result.outcome = ReturnOutcome::Repaired;
    return result;
}

} // namespace

ReturnResult returnItem(const Folders& folders, const QString& itemFileName,
                        const QString& profileId, const QString& sessionDate) {
    ReturnResult result;
    result.title = itemFileName;
    if (profileId.isEmpty())
        return result; // Failed: the panel asks for a borrower before it gets here

    const QString loanPath = folders.loanPath(itemFileName);
    const QString itemPath = folders.itemPath(itemFileName);
    const QString profilePath = folders.profilePath(profileId);

    const Result<LoanFile> loan = readLoan(loanPath);
    if (loan.value().lineCount == 0) {
        // Missing, unreadable or empty: there is nothing to go by, so nothing is touched.
        result.outcome = ReturnOutcome::CannotOpenLoanRecord;
        result.detail = failure(QStringLiteral("loan record"), loan.error());
        return result;
    }
    result.title = loan.value().record.title;
    if (!loan.ok()) {
        result.detail = failure(QStringLiteral("loan record"), loan.error());
        return repair(result, loanPath, itemPath, sessionDate);
    }
    if (loan.value().record.profileId != profileId) {
        result.outcome = ReturnOutcome::WrongBorrower;
        return result;
    }

    const Result<ItemRecord> item = readItem(itemPath, kItemLines);
    if (!item.ok()) {
        result.detail = failure(QStringLiteral("item record"), item.error());
        return repair(result, loanPath, itemPath, sessionDate);
    }
    result.title = item.value().title;

    // The count is checked as a number here, before anything is written, so a damaged profile
    // leaves all four files as they are.
    const Result<ProfileRecord> profile = readProfile(profilePath);
    const std::optional<qint64> count =
        profile.ok() ? profile.value().loanCountValue() : std::nullopt;
    if (!count || *count == std::numeric_limits<qint64>::min()) {
        result.detail = failure(QStringLiteral("profile record"),
                                profile.ok() ? Error{FileError::BadValue} : profile.error());
        return repair(result, loanPath, itemPath, sessionDate);
    }

    ItemRecord available = item.value();
    available.status = kAvailable;
    available.borrower.reset();

    beforeStep(1);
    if (const Result<> w = writeItem(itemPath, available); !w.ok()) {
        result.detail = failure(QStringLiteral("item record"), w.error());
        return repair(result, loanPath, itemPath, sessionDate);
    }
    result.filesWritten = 1;

    beforeStep(2);
    if (const Result<> w = deleteLoan(loanPath); !w.ok()) {
        result.detail = failure(QStringLiteral("loan record"), w.error());
        return repair(result, loanPath, itemPath, sessionDate);
    }
    result.filesWritten = 2;

    beforeStep(3);
    ProfileRecord counted = profile.value();
    counted.loanCount = numericPrintForm(*count - 1);
    if (const Result<> w = writeProfile(profilePath, counted); !w.ok()) {
        result.detail = failure(QStringLiteral("profile record"), w.error());
        return repair(result, loanPath, itemPath, sessionDate);
    }
    result.filesWritten = 3;

    beforeStep(4);
    if (const Result<> w = removeFromLoanList(folders.loanListPath(profileId), available.title);
        !w.ok()) {
        result.outcome = ReturnOutcome::LoanListMissing;
        result.detail = failure(QStringLiteral("loan list"), w.error());
        return result;
    }
    result.filesWritten = 4;
    result.outcome = ReturnOutcome::Returned;
    return result;
}

BorrowerDetails borrowerDetails(const Folders& folders, const QString& itemFileName) {
    BorrowerDetails details;
    const QString path = folders.itemPath(itemFileName);
    if (!CheckExist(path)) {
        details.kind = BorrowerDetails::Kind::Missing;
        return details;
    }
    const Result<ItemRecord> read = readItem(path, kItemOnLoanLines);
    if (!read.ok() || !read.value().borrower)
        return details;
    const ItemRecord& item = read.value();
    details.kind = BorrowerDetails::Kind::Shown;
    details.text =
        QStringList{QStringLiteral("The title ") + item.title + QStringLiteral(" is borrowed by: "),
                    QStringLiteral("ID:   ") + item.borrower->profileId,
                    QStringLiteral("Name: ") + item.borrower->name,
                    QStringLiteral("Number: ") + item.borrower->loanCount}
            .join(QLatin1Char('\r'));
    return details;
}

} // namespace quillory::lending
