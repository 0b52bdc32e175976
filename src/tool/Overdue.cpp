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
        const LoanReadResult read = readLoan(folders.loanPath(name));
        if (!read.ok()) {
            damaged.push_back({name, fileProblem(read.error, read.detail)});
            continue;
        }
        LoanLine loan;
        loan.fileName = name;
        loan.title = read.record.title;
        loan.loanDate = read.record.loanDate;
        loan.profileId = read.record.profileId;
        loan.name = read.record.name;
        loan.date = dates.read(loan.loanDate).value_or(QDate());
        loans.push_back(std::move(loan));
    }
    return loans;
}

void addContact(const Folders& folders, LoanLine& loan) {
    const ProfileReadResult profile = readProfile(folders.profilePath(loan.profileId));
    if (profile.ok()) {
        loan.home = profile.record.home;
        loan.cell = profile.record.cell;
        return;
    }
    // The profile is gone or damaged: the item keeps a copy taken when it was lent.
    const ItemReadResult item = readItem(folders.itemPath(loan.fileName), kItemOnLoanLines);
    if (item.ok() && item.record.borrower) {
        loan.home = item.record.borrower->home;
        loan.cell = item.record.borrower->cell;
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
        const ProfileReadResult read = readProfile(folders.profilePath(id));
        if (!read.ok()) {
            stats.damaged.push_back({id, fileProblem(read.error, read.detail)});
            continue;
        }
        const qint64 count = read.record.loanCountValue().value_or(0);
        if (count > 0)
            ++stats.borrowersWithLoans;
        if (count >= lending::kLoanLimit)
            ++stats.borrowersAtLimit;
    }
    return stats;
}

} // namespace quillory::tool
