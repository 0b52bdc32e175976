#include "tool/Overdue.h"

#include "lending/Lending.h"
#include "records/ItemRecord.h"
#include "records/LoanRecord.h"
#include "records/ProfileRecord.h"
#include "records/RecordFile.h"

#include <algorithm>

namespace quillory::tool {

using namespace records;

namespace {

QStringList recordNames(const QString& folder) {
    return RecordFile::list(folder).value_or(FolderListing{}).names;
}

// Every loan record with its date read; the damaged ones go to damaged.
std::vector<LoanLine> readLoans(const Folders& folders, LoanDateReader& dates,
                                std::vector<SkippedRecord>& damaged) {
    std::vector<LoanLine> loans;
    for (const QString& name : recordNames(folders.loaned)) {
        const Result<LoanFile> read = readLoan(folders.loanPath(name));
        if (!read.ok()) {
            damaged.push_back({name, errorText(read.error())});
            continue;
        }
        LoanLine loan;
        loan.fileName = name;
        const LoanRecord& r = read.value().record;
        loan.title = r.title;
        loan.loanDate = r.loanDate;
        loan.profileId = r.profileId;
        loan.name = r.name;
        loan.date = dates.read(loan.loanDate).value_or(QDate());
        loans.push_back(std::move(loan));
    }
    return loans;
}

void addContact(const Folders& folders, LoanLine& loan) {
    const Result<ProfileRecord> profile = readProfile(folders.profilePath(loan.profileId));
    if (profile.ok()) {
        loan.home = profile.value().home;
        loan.cell = profile.value().cell;
        return;
    }
    // The profile is gone or damaged: the item keeps a copy taken when it was lent.
    const Result<ItemRecord> item = readItem(folders.itemPath(loan.fileName), kItemOnLoanLines);
    if (item.ok() && item.value().borrower) {
        loan.home = item.value().borrower->home;
        loan.cell = item.value().borrower->cell;
    }
}

bool olderFirst(const LoanLine& a, const LoanLine& b) {
    if (a.date != b.date)
        return a.date < b.date;
    return a.fileName.compare(b.fileName, Qt::CaseInsensitive) < 0;
}

} // namespace

OverdueReport findOverdue(const Folders& folders, const QDate& asOf, int days,
                          LoanDateReader& dates) {
    OverdueReport report;
    for (LoanLine& loan : readLoans(folders, dates, report.damaged)) {
        if (!loan.date.isValid()) {
            addContact(folders, loan);
            report.unreadable.push_back(std::move(loan));
            continue;
        }
        loan.daysOut = loan.date.daysTo(asOf);
        if (loan.daysOut > days) {
            addContact(folders, loan);
            report.overdue.push_back(std::move(loan));
        }
    }
    std::sort(report.overdue.begin(), report.overdue.end(), olderFirst);
    return report;
}

LibraryStats collectStats(const Folders& folders, LoanDateReader& dates) {
    LibraryStats stats;
    stats.titles = recordNames(folders.stats).size();
    const std::vector<LoanLine> loans = readLoans(folders, dates, stats.damaged);
    stats.loaned = qsizetype(loans.size() + stats.damaged.size());
    stats.available = stats.titles - stats.loaned;
    for (const LoanLine& loan : loans) {
        if (!loan.date.isValid())
            ++stats.unreadableLoanDates;
        else if (!stats.oldestLoan || olderFirst(loan, *stats.oldestLoan))
            stats.oldestLoan = loan;
    }
    const QStringList profiles = recordNames(folders.profiles);
    stats.borrowers = profiles.size();
    for (const QString& id : profiles) {
        const Result<ProfileRecord> read = readProfile(folders.profilePath(id));
        if (!read.ok()) {
            stats.damaged.push_back({id, errorText(read.error())});
            continue;
        }
        const qint64 count = read.value().loanCountValue().value_or(0);
        if (count > 0)
            ++stats.borrowersWithLoans;
        if (count >= lending::kLoanLimit)
            ++stats.borrowersAtLimit;
    }
    return stats;
}

} // namespace quillory::tool
