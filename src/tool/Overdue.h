#pragma once

#include "records/Paths.h"
#include "tool/Export.h"
#include "tool/LoanDates.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

namespace quillory::tool {

// One loan record with what a librarian needs to chase it.
struct LoanLine {
    QString fileName;
    QString title;
    QString loanDate; // as written
    QString profileId;
    QString name;
    QString home; // from the borrower's profile, else from the item's borrower lines
    QString cell;
    QDate date;         // invalid when the loan date could not be read
    qint64 daysOut = 0; // days from the loan date to the day asked about
};

struct OverdueReport {
    std::vector<LoanLine> overdue;    // oldest first
    std::vector<LoanLine> unreadable; // loan dates no installed locale reads, by file name
    std::vector<SkippedRecord> damaged;
};

// The loans out for more than days days on asOf.
OverdueReport findOverdue(const Folders& folders, const QDate& asOf, int days,
                          LoanDateReader& dates);

struct LibraryStats {
    qsizetype titles = 0; // the status bar's three totals
    qsizetype loaned = 0;
    qsizetype available = 0;
    qsizetype borrowers = 0;
    qsizetype borrowersWithLoans = 0;
    qsizetype borrowersAtLimit = 0; // the loan count has reached the lending limit
    std::optional<LoanLine> oldestLoan;
    std::vector<SkippedRecord> damaged; // profiles and loans that could not be read
    qsizetype unreadableLoanDates = 0;
};

LibraryStats collectStats(const Folders& folders, LoanDateReader& dates);

} // namespace quillory::tool
