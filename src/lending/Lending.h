#pragma once

#include "records/Paths.h"

#include <QString>
#include <functional>

namespace quillory::lending {

// A borrower whose loan count has reached this cannot borrow.
constexpr int kLoanLimit = 20;

enum class LendOutcome {
    Lent,
    LoanLimit,    // refused before anything was written
    NotAvailable, // the item record does not say "Available"; nothing written
    Failed        // a record missing, damaged or not writable; files written before it stay
};

struct LendResult {
    LendOutcome outcome = LendOutcome::Failed;
    int filesWritten = 0; // 0..4, in the order item, loan record, profile, loan list
    QString detail;       // what failed, for logs; the dialog shows its own words
};

// Lends the item to the borrower: checks the loan limit, then writes the item record (on loan,
// with the borrower block), the loan record, the profile record (count + 1) and appends the title
// to the loan list, in that order. Nothing is undone when a later step fails.
LendResult lend(const Folders& folders, const QString& itemFileName, const QString& profileId,
                const QString& sessionDate);

enum class ReturnOutcome {
    Returned,             // all four files changed
    WrongBorrower,        // the loan record names another borrower; nothing changed
    CannotOpenLoanRecord, // missing or empty loan record; nothing changed
    Repaired,             // the loan record was rebuilt from the item record; no return
    RepairFailed,         // a repair was needed but the item record is missing or not on loan
    LoanListMissing,      // item, loan record and profile returned; the loan list was not there
    Failed,               // no borrower given
};

struct ReturnResult {
    ReturnOutcome outcome = ReturnOutcome::Failed;
    // Steps of the return done, 0..4: item, loan record (deleted), profile, loan list. A repair
    // is not counted: Repaired always means the loan record was written anew.
    int filesWritten = 0;
    QString title; // the item's title when read, else the loan record's, else the file name
    QString detail;
    // With RepairFailed: the item record was fine but the loan record could not be written.
    bool repairWriteFailed = false;
};

// Takes the item back from the borrower: item record back to available, loan record deleted,
// profile count - 1, title removed from the loan list, in that order. A loan record that has lost
// lines, and any failure before the loan list, lead to a repair of the loan record from the item
// record instead; the return is then not carried out.
ReturnResult returnItem(const Folders& folders, const QString& itemFileName,
                        const QString& profileId, const QString& sessionDate);

// Who has an item on loan, from the borrower block of its record (as it was when lent).
struct BorrowerDetails {
    enum class Kind {
        Shown,     // text holds the four lines, joined with "\r"
        Missing,   // the item record is gone
        Unreadable // fewer than 12 lines, or the file cannot be read
    };
    Kind kind = Kind::Unreadable;
    QString text;
};
BorrowerDetails borrowerDetails(const Folders& folders, const QString& itemFileName);

// Fault injection: called with the step (1 to 4) just before each of the four file changes of a
// lend or a return. The program never sets one; tests use it to make one change fail.
using StepHook = std::function<void(int step)>;
void setStepHook(StepHook hook);

} // namespace quillory::lending
