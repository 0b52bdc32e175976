#pragma once

#include "lending/Lending.h"
#include "platform/MessageService.h"
#include "records/ItemRecord.h"
#include "records/RecordChange.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace quillory::lending {

// What the borrow dialog shows after Borrow: the message, and whether the dialog closes.
struct LendView {
    std::optional<Message> message;
    bool close = true;
    bool refresh = false; // the main window's panels and totals catch up with the files
};
LendView lendView(const LendResult& result, const QString& itemToLend);

// What the return panel shows: its note (none: keep the last one), a message, and whether the
// main window's lists catch up with the files.
struct ReturnView {
    std::optional<QString> note;
    std::optional<Message> message;
    bool refresh = false;
};
ReturnView returnView(const ReturnResult& result);

// Before a return acts: what to ask for when a title or a Profile ID is not chosen (nullopt: both
// are, go on). The menu asks for a missing title in a message; a double-click without one stops.
std::optional<ReturnView> returnNeeds(bool haveTitle, bool haveProfile, bool fromMenu);

// A click on a title on loan: the loan date, or the loan record rebuilt from the item record
// when it has lost lines (which writes it), or a message when neither can be done.
ReturnView loanClicked(const Folders& folders, const QString& itemFileName,
                       const QString& sessionDate);
// The note while a repair works.
QString updatingNote();

// What "Borrower Details" shows for the item on show (null when none is): who has it, or why
// no one can be named. `gone`: the record vanished and the item panel stops showing it.
struct DetailsView {
    std::optional<Message> message;
    bool gone = false;
};
DetailsView borrowerDetailsView(const Folders& folders, const records::ItemRecord* shown,
                                const QString& itemFileName);

// The titles the item list window shows for a borrower, read from the loan list; a list that
// cannot be read gives no titles and the message naming the borrower.
struct TitlesView {
    QStringList titles;
    std::optional<Message> message;
};
TitlesView loanedTitles(const Folders& folders, const QString& profileId,
                        const QString& borrowerName);

// The one message after a start that found a loan or return stopped part-way.
std::optional<Message> recoveryMessage(const records::RecoveryResult& result);

} // namespace quillory::lending
