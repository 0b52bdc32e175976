#pragma once

#include "platform/MessageService.h"
#include "records/Paths.h"
#include "records/ProfileRecord.h"

#include <QString>
#include <functional>
#include <optional>

namespace quillory::borrowers {

// A source of uniformly distributed numbers in [0, 1).
using UnitSource = std::function<double()>;

// A fresh source seeded from the high-resolution clock; Generate ID takes a new one per click.
UnitSource clockSeededSource();

// A new Profile ID: seven digits, the first 1 to 9, then a capital letter A to Z ("4821937Q").
// Each part is drawn until it falls in range, so every ID is equally likely.
QString generateProfileId(const UnitSource& next);

// The three fields a librarian types, exactly as typed.
struct ProfileFields {
    QString name;
    QString home;
    QString cell;
};

enum class Field { Name, Home, Cell };
// The field as its messages name it ("Name", "Home Number", "Cell Number").
QString fieldCaption(Field field);

struct FieldRefusal {
    Field field;
    Message message;
};

// The field checks shared by the new and the edit profile dialogs, in their order: name, home
// number and cell number must not be blank; then no field may hold a character the record files
// cannot store. The first failing check, or nothing.
std::optional<FieldRefusal> checkFields(const ProfileFields& fields);

// --- the borrower panel's gates -----------------------------------------------------------

// What the borrower panel offers for the loan count it shows.
struct ProfileGates {
    bool canChange = false; // edit and remove (and new) are offered: nothing on loan
    bool itemList = false;  // the item list is offered: something on loan
    bool blink = false;     // the count blinks: 6 or more on loan
};
// Three rules on the same count: 0, more than 0, 6 or more. A negative count (possible only in
// a damaged folder) passes none of them: nothing; the record counts as damaged.
std::optional<ProfileGates> profileGates(qint64 loanCount);

// Every call below returns what happened with the finished message to show for it.

// --- create -------------------------------------------------------------------------------

// The first check of the new profile dialog, before the fields: a Profile ID must have been
// generated. The refusal asks Ok (try again) or Cancel (give up).
std::optional<Message> profileIdRefusal(const QString& profileId);

enum class CreateResult { Created, Clash, WriteFailed };

struct CreateOutcome {
    CreateResult result = CreateResult::Created;
    // Created: the question "Create another new user?" (Yes/No). Clash: Ok to try again, Cancel
    // to give up. WriteFailed: nothing written, the fields stay.
    Message message;
};

// Writes a new profile record with loan count "0", unless a record of that Profile ID exists
// (letter case ignored: "1234567a" and "1234567A" are the same borrower).
CreateOutcome createProfile(const Folders& folders, const QString& profileId,
                            const ProfileFields& fields);

// --- show and edit ------------------------------------------------------------------------

struct LoadOutcome {
    records::ProfileRecord record;
    std::optional<Message> failure; // nothing shown or opened then
    bool ok() const { return !failure; }
};

// The five lines; fails when the file is gone, has lost lines or its count is not a number.
LoadOutcome loadProfile(const Folders& folders, const QString& profileId);
// As loadProfile, and also fails while the borrower has something on loan: a dialog that could
// never save would only waste the librarian's typing.
LoadOutcome loadProfileForEdit(const Folders& folders, const QString& profileId);

// What the borrower panel shows for the selected Profile ID. An unreadable record shows empty
// values, never another borrower's; problem says what is wrong and names the file.
struct ProfileView {
    records::ProfileRecord record;
    ProfileGates gates; // none for a damaged record
    QString problem;
    bool readable = false;
};
ProfileView viewProfile(const Folders& folders, const QString& profileId);

enum class EditResult { Saved, Gone, Unreadable, OnLoan, BadCount, WriteFailed };

struct EditOutcome {
    EditResult result = EditResult::Saved;
    Message message; // the confirmation, or why nothing was saved
};

// Rewrites the record of profileId with the fields and loan count "0"; line 1 is shownId. The
// record is read again first: a borrower removed, or lent an item, since the dialog opened is
// refused and nothing is written, so a save never resets a loan count or brings a borrower back.
EditOutcome saveProfileEdit(const Folders& folders, const QString& profileId,
                            const QString& shownId, const ProfileFields& fields);

// --- removal ------------------------------------------------------------------------------

// Nothing when the record is there to remove, else why not.
std::optional<Message> removalRefusal(const Folders& folders, const QString& profileId);
Message removeQuestion(const QString& profileId);

struct RemoveOutcome {
    bool removed = false;
    records::Error error;
    Message message;
};
// Deletes the profile record only; the loan list beside it stays.
RemoveOutcome removeProfile(const Folders& folders, const QString& profileId);

// The refusal of a Profile ID already taken (also the import's reason for skipping a row).
Message clashMessage();

} // namespace quillory::borrowers
