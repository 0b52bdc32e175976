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

struct LoanReadResult {
    LoanRecord record;
    // Lines the file holds (an empty line counts; an empty file has none). A record with at
    // least one line but fewer than five is repaired from the item record, not rejected.
    qsizetype lineCount = 0;
    FileError error = FileError::None;
    QString detail;
    bool ok() const { return error == FileError::None; }
    // Opened and has its first line, but lost some of the others.
    bool needsRepair() const { return error == FileError::TooShort && lineCount > 0; }
};

// Reads the five lines. TooShort when the file has fewer, whatever lines it has being in
// `record` and their number in `lineCount`.
LoanReadResult readLoan(const QString& path);
// Writes the five lines, replacing any file of that name.
WriteResult writeLoan(const QString& path, const LoanRecord& record);
WriteResult deleteLoan(const QString& path);

// What a repair from the item record did.
enum class RepairError {
    None,
    ItemUnreadable, // the item record is missing or cannot be read
    ItemNotOnLoan,  // the item record has no borrower block (fewer than 12 lines)
    WriteFailed     // the loan record could not be written
};

struct RepairResult {
    RepairError error = RepairError::None;
    LoanRecord record; // what was written
    QString detail;
    bool ok() const { return error == RepairError::None; }
};

// Writes the loan record anew from a 12-line item record: its title, the given date, its price
// and the Profile ID and name of its borrower block. Nothing is written when the item record
// is missing or has fewer than 12 lines.
RepairResult repairLoanFromItem(const QString& loanPath, const QString& itemPath,
                                const QString& sessionDate);

} // namespace quillory::records
