#pragma once

#include "platform/MessageService.h"
#include "records/Paths.h"
#include "records/RecordChange.h"

#include <QString>
#include <optional>

namespace quillory::lending {

// A borrower whose loan count has reached this cannot borrow.
constexpr int kLoanLimit = 20;

enum class LendOutcome {
    Lent,
    LoanLimit,    // refused before anything was written
    NotAvailable, // the item record does not say "Available"; nothing written
    Failed,       // a record missing or damaged (profile, count, item); nothing written
    WriteRefused, // the system refused a write; every file was put back as it was
    Unfinished    // a write was refused and putting back failed too; the next start finishes it
};

// Which of the files a refused write concerned, its path and the system's words.
struct WriteFailure {
    QString path;
    QString detail;
};

struct LendResult {
    LendOutcome outcome = LendOutcome::Failed;
    QString detail;       // what was wrong, for logs; the dialog shows its own words
    WriteFailure refused; // with WriteRefused and Unfinished
};

// Lends the item to the borrower: checks the loan limit, then, all or nothing, writes the item
// record (on loan, with the borrower block), the loan record, the profile record (count + 1) and
// appends the title to the loan list, in that order. Writes go through `store`.
LendResult lend(const Folders& folders, const QString& itemFileName, const QString& profileId,
                const QString& sessionDate,
                records::RecordStore& store = records::RecordStore::system());

enum class ReturnOutcome {
    Returned,             // all four files changed
    WrongBorrower,        // the loan record names another borrower; nothing changed
    CannotOpenLoanRecord, // missing or empty loan record; nothing changed
    Repaired,             // the loan record was rebuilt from the item record; no return
    RepairFailed,         // a repair was needed but the item record is missing or not on loan
    LoanListMissing,      // item, loan record and profile returned; the loan list was not there
    WriteRefused,         // the system refused a write; every file was put back as it was
    Unfinished,           // a write was refused and putting back failed too
    Failed,               // no borrower given
};

struct ReturnResult {
    ReturnOutcome outcome = ReturnOutcome::Failed;
    QString title; // the item's title when read, else the loan record's, else the file name
    QString detail;
    // With RepairFailed: the item record was fine but the loan record could not be written.
    bool repairWriteFailed = false;
    WriteFailure refused; // with WriteRefused and Unfinished, and a repair that could not write
};

// Takes the item back from the borrower, all or nothing: item record back to available, loan
// record deleted, profile count - 1, title removed from the loan list, in that order. A loan
// record that has lost lines, and a damaged item or profile record, lead to a repair of the loan
// record from the item record instead; the return is then not carried out.
ReturnResult returnItem(const Folders& folders, const QString& itemFileName,
                        const QString& profileId, const QString& sessionDate,
                        records::RecordStore& store = records::RecordStore::system());

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

// A loan or return that a stop left part-way, finished as the program starts (before anything
// is listed). The message names the loan or return it completed; none when there was nothing to
// finish.
std::optional<Message> recoverAtStart(const Folders& folders,
                                      records::RecordStore& store = records::RecordStore::system());

} // namespace quillory::lending
