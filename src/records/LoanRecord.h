#pragma once

#include "records/RecordFile.h"

#include <QString>
#include <QStringList>

namespace quillory::records {

// Lines of a loan record, one per title on loan in the loaned-items folder, named like the item
// record of the title.
constexpr int kLoanLines = 5;

struct LoanRecord {
    QString title;     // line 1 of the item record
    QString loanDate;  // the session date of the lending (or of the last repair)
    QString price;     // line 5 of the item record
    QString profileId; // line 1 of the borrower's profile record
    QString name;      // line 2 of the borrower's profile record

    QStringList toLines() const { return {title, loanDate, price, profileId, name}; }
    static LoanRecord fromLines(const QStringList& lines);
};

// A loan record as read, with the number of lines its file holds (an empty line counts; an empty
// file has none). A record with at least one line but fewer than five is repaired from the item
// record, not rejected.
struct LoanFile {
    LoanRecord record;
    qsizetype lineCount = 0;
};

// Reads the five lines. TooShort when the file has fewer, the failure still holding whatever
// lines it has and their number.
Result<LoanFile> readLoan(const QString& path);
// Opened and has its first line, but lost some of the others.
bool needsRepair(const Result<LoanFile>& loan);
// Writes the five lines, replacing any file of that name.
Result<> writeLoan(const QString& path, const LoanRecord& record);
Result<> deleteLoan(const QString& path);

// The loan record a 12-line item record stands for: its title, the given date, its price and the
// Profile ID and name of its borrower block. TooShort when the item has no borrower block.
Result<LoanRecord> loanFromItem(const QString& itemPath, const QString& sessionDate);
// Writes the loan record anew from the item record (loanFromItem). Nothing is written when the
// item record is missing or has fewer than 12 lines.
Result<LoanRecord> repairLoanFromItem(const QString& loanPath, const QString& itemPath,
                                      const QString& sessionDate);

} // namespace quillory::records
