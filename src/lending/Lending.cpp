#include "lending/Lending.h"

#include "lending/LendingMessages.h"
#include "records/ItemRecord.h"
#include "records/LoanList.h"
#include "records/LoanRecord.h"
#include "records/ProfileRecord.h"

#include <QFileInfo>
#include <limits>

namespace quillory::lending {

using namespace records;

namespace {

QString failure(const QString& what, const Error& error) {
    return what + QStringLiteral(": ") + errorText(error);
}

QByteArray encoded(const QStringList& lines) {
    QByteArray bytes;
    RecordFile::encodeLines(lines, bytes); // the lines came from the files: they encode
    return bytes;
}

// The bytes of a file that a change will replace, or none when there is no file.
std::optional<QByteArray> currentBytes(const QString& path) {
    const Result<QByteArray> r = RecordFile::readBytes(path);
    return r.ok() ? std::optional<QByteArray>(r.value()) : std::nullopt;
}

// A change left part-way by an earlier failure is finished first; a new one would overwrite
// its intent record. False when it still cannot be finished.
bool settlePending(const Folders& folders, RecordStore& store, WriteFailure& refused) {
    const RecoveryResult pending = recoverChange(folders, store);
    using O = RecoveryResult::Outcome;
    if (pending.outcome == O::Unfinished || pending.outcome == O::Unreadable) {
        refused = {intentPath(folders), pending.detail};
        return false;
    }
    return true;
}

} // namespace

LendResult lend(const Folders& folders, const QString& itemFileName, const QString& profileId,
                const QString& sessionDate, RecordStore& store) {
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

    const Result<ItemRecord> item = readItem(itemPath, kItemLines);
    if (!item.ok()) {
        result.detail = failure(QStringLiteral("item record"), item.error());
        return result;
    }
    // The panel offers Borrow only for available items, but a folder edited by hand (or a list
    // not yet refreshed) could still name one on loan: lending it twice would lose a loan.
    if (!item->isAvailable()) {
        result.outcome = LendOutcome::NotAvailable;
        result.detail = item->title;
        return result;
    }

    const QString newCount = numericPrintForm(count + 1);
    const ProfileRecord& p = profile.value();

    ItemRecord onLoan = item.value();
    onLoan.status = kOnLoan;
    onLoan.borrower = BorrowerBlock{p.profileId, p.name, p.home, p.cell, newCount};

    ProfileRecord counted = p;
    counted.loanCount = newCount;
    const LoanRecord loan{onLoan.title, sessionDate, onLoan.price, p.profileId, p.name};

    const QString listPath = folders.loanListPath(profileId);
    const Result<QByteArray> listRead = RecordFile::readBytes(listPath);
    const std::optional<QByteArray> list =
        listRead.ok() ? std::optional<QByteArray>(listRead.value()) : std::nullopt;
    if (!list && listRead.error().code != FileError::Missing) {
        result.detail = failure(QStringLiteral("loan list"), listRead.error());
        return result;
    }
    QByteArray newList = list.value_or(QByteArray());
    if (!newList.isEmpty() && !newList.endsWith('\n') && !newList.endsWith('\r'))
        newList += "\r\n"; // two lines never merge
    newList += encoded({onLoan.title});

    ChangeIntent intent{QStringLiteral("lend"), onLoan.title, itemFileName, profileId, {}};
    intent.steps = {
        {FolderKind::Stats, itemFileName, currentBytes(itemPath), encoded(onLoan.toLines())},
        {FolderKind::Loaned, itemFileName, currentBytes(folders.loanPath(itemFileName)),
         encoded(loan.toLines())},
        {FolderKind::Profiles, profileId, currentBytes(profilePath), encoded(counted.toLines())},
        {FolderKind::Profiles, profileId + QStringLiteral(".lst"), list, newList},
    };
    if (!settlePending(folders, store, result.refused)) {
        result.outcome = LendOutcome::Unfinished;
        return result;
    }
    const ChangeResult change = applyChange(folders, intent, store);
    switch (change.outcome) {
    case ChangeResult::Outcome::Done:
        result.outcome = LendOutcome::Lent;
        break;
    case ChangeResult::Outcome::Undone:
        result.outcome = LendOutcome::WriteRefused;
        break;
    case ChangeResult::Outcome::Unfinished:
        result.outcome = LendOutcome::Unfinished;
        break;
    }
    result.refused = {change.failedPath, change.detail};
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
        if (result.repairWriteFailed)
            result.refused = {loanPath, repaired.error().detail};
        result.detail += (result.detail.isEmpty() ? QString() : QStringLiteral("; ")) +
                         QStringLiteral("repair: ") + errorText(repaired.error());
        return result;
    }
    result.outcome = ReturnOutcome::Repaired;
    return result;
}

} // namespace

ReturnResult returnItem(const Folders& folders, const QString& itemFileName,
                        const QString& profileId, const QString& sessionDate, RecordStore& store) {
    ReturnResult result;
    result.title = itemFileName;
    if (profileId.isEmpty())
        return result; // Failed: the panel asks for a borrower before it gets here

    const QString loanPath = folders.loanPath(itemFileName);
    const QString itemPath = folders.itemPath(itemFileName);
    const QString profilePath = folders.profilePath(profileId);

    const Result<LoanFile> loan = readLoan(loanPath);
    if (loan->lineCount == 0) {
        // Missing, unreadable or empty: there is nothing to go by, so nothing is touched.
        result.outcome = ReturnOutcome::CannotOpenLoanRecord;
        result.detail = failure(QStringLiteral("loan record"), loan.error());
        return result;
    }
    result.title = loan->record.title;
    if (!loan.ok()) {
        result.detail = failure(QStringLiteral("loan record"), loan.error());
        return repair(result, loanPath, itemPath, sessionDate);
    }
    if (loan->record.profileId != profileId) {
        result.outcome = ReturnOutcome::WrongBorrower;
        return result;
    }

    const Result<ItemRecord> item = readItem(itemPath, kItemLines);
    if (!item.ok()) {
        result.detail = failure(QStringLiteral("item record"), item.error());
        return repair(result, loanPath, itemPath, sessionDate);
    }
    result.title = item->title;

    // The count is checked as a number here, before anything is written, so a damaged profile
    // leaves all four files as they are.
    const Result<ProfileRecord> profile = readProfile(profilePath);
    const std::optional<qint64> count = profile.ok() ? profile->loanCountValue() : std::nullopt;
    if (!count || *count == std::numeric_limits<qint64>::min()) {
        result.detail = failure(QStringLiteral("profile record"),
                                profile.ok() ? Error{FileError::BadValue} : profile.error());
        return repair(result, loanPath, itemPath, sessionDate);
    }

    ItemRecord available = item.value();
    available.status = kAvailable;
    available.borrower.reset();
    ProfileRecord counted = profile.value();
    counted.loanCount = numericPrintForm(*count - 1);

    ChangeIntent intent{QStringLiteral("return"), available.title, itemFileName, profileId, {}};
    intent.steps = {
        {FolderKind::Stats, itemFileName, currentBytes(itemPath), encoded(available.toLines())},
        {FolderKind::Loaned, itemFileName, currentBytes(loanPath), std::nullopt},
        {FolderKind::Profiles, profileId, currentBytes(profilePath), encoded(counted.toLines())},
    };
    // A borrower without a loan list it may rewrite (missing, unreadable, or a link to another
    // file): the return is made without it, and says so.
    const QString listPath = folders.loanListPath(profileId);
    Result<QStringList> list = RecordFile::read(listPath);
    if (list.ok() && QFileInfo(listPath).isSymLink())
        list = Error{FileError::NotAFile, QStringLiteral("it is a link to another file")};
    if (list.ok())
        intent.steps.push_back({FolderKind::Profiles, profileId + QStringLiteral(".lst"),
                                currentBytes(listPath),
                                encoded(loanListWithout(list.value(), available.title))});

    if (!settlePending(folders, store, result.refused)) {
        result.outcome = ReturnOutcome::Unfinished;
        return result;
    }
    const ChangeResult change = applyChange(folders, intent, store);
    result.refused = {change.failedPath, change.detail};
    switch (change.outcome) {
    case ChangeResult::Outcome::Done:
        result.outcome = list.ok() ? ReturnOutcome::Returned : ReturnOutcome::LoanListMissing;
        if (!list.ok())
            result.detail = failure(QStringLiteral("loan list"), list.error());
        break;
    case ChangeResult::Outcome::Undone:
        result.outcome = ReturnOutcome::WriteRefused;
        break;
    case ChangeResult::Outcome::Unfinished:
        result.outcome = ReturnOutcome::Unfinished;
        break;
    }
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
    if (!read.ok() || !read->borrower)
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

std::optional<Message> recoverAtStart(const Folders& folders, RecordStore& store) {
    const RecoveryResult r = recoverChange(folders, store);
    // Temporaries of writes that were killed: after the recovery, which never needs them.
    for (const QString& folder : {folders.stats, folders.profiles, folders.loaned})
        if (!folder.isEmpty())
            RecordFile::removeLeftovers(folder);
    return recoveryMessage(r);
}

} // namespace quillory::lending
