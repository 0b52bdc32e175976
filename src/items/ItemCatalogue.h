#pragma once

#include "platform/MessageService.h"
#include "records/ItemRecord.h"
#include "records/Paths.h"

#include <QLocale>
#include <QString>
#include <optional>

namespace quillory::items {

// The text fields of the item dialogs, in tab order.
enum class ItemField { Title, Language, Price, SerialNumber, Publisher };

struct ItemFields {
    QString title;
    QString language;
    QString price;
    QString serialNumber;
    QString publisher;

    bool operator==(const ItemFields&) const = default;
};

// A save that was not carried out: the message to show and the field to mark and focus
// (none when no single field is to blame).
struct Refusal {
    Message message;
    std::optional<ItemField> field;
};

// The caption of a field without its colon, as messages name it ("Serial Number").
QString fieldCaption(ItemField field);

// A price is numeric when it parses as a number under the locale. Blanks around it, a sign, the
// locale's decimal and group separators and a leading "$" are accepted; empty text is not.
bool isNumericPrice(const QString& text, const QLocale& locale);

// Why a title cannot name a file on Linux or on Windows, judged on its item file name.
enum class TitleNameProblem {
    None,
    DoubleQuote,
    ControlCharacter,
    TrailingBlank,
    DeviceName, // CON, PRN, AUX, NUL, COM0-9, LPT0-9, whatever the letter case
    TooLong
};
TitleNameProblem titleNameProblem(const QString& title);
// The longest file name, in bytes of its encoded (UTF-8) form, that Linux file systems take;
// Windows counts UTF-16 units, never more than the UTF-8 bytes of the same name.
constexpr int kMaxFileNameBytes = 255;

// The fields of the new item dialog after "Create another new item?" was answered Yes.
ItemFields prepareNextItem(const ItemFields& saved);

// --- Creating ---------------------------------------------------------------------------

struct CreateOutcome {
    enum class Kind { Created, Refused, Duplicate, Failed };
    Kind kind = Kind::Refused;
    Message message; // for Created, the question "Create another new item?"
    std::optional<ItemField> field;
    QString fileName; // the item file name derived from the title (once past the checks)
};

// The new item dialog's field checks in their order (title, language, price, then what the
// record files and file names can hold), without the duplicate test; the first refusal or none.
std::optional<Refusal> checkNewItem(const ItemFields& fields, const QLocale& locale);
// The record the new item dialog writes for fields that passed the checks.
records::ItemRecord newItemRecord(const ItemFields& fields, const QString& sessionDate);
// "File was already created!": a record of the same file name, in any letter case, exists.
Message alreadyCreatedMessage();

// The new item dialog's save: the checks in order, the duplicate test, then the record.
CreateOutcome createItem(const Folders& folders, const QString& sessionDate,
                         const ItemFields& fields, const QLocale& locale);

// --- Showing and editing ----------------------------------------------------------------

struct LoadOutcome {
    records::ItemRecord record;
    std::optional<Message> failure; // names the file; nothing was changed
    bool ok() const { return !failure; }
};

// What the item panel offers for the item it shows (null: none, or a damaged record).
struct ItemGates {
    bool canChange = false;       // edit, remove and borrow: the item is "Available"
    bool borrowerDetails = false; // who has it: anything else
};
ItemGates itemGates(const records::ItemRecord* shown);

// Reads a record to be edited: it must be readable, complete and "Available".
LoadOutcome loadItemForEdit(const QString& path);

struct EditOutcome {
    enum class Kind { Saved, Refused, Deleted, NotAvailable, Damaged, Failed };
    Kind kind = Kind::Refused;
    Message message; // for Saved, the "was edited and saved!" message
    std::optional<ItemField> field;
};

// The edit dialog's save to the path it loaded. Title is the one shown in the dialog; the
// fields' title is not used (a title cannot be changed).
EditOutcome saveItemEdit(const QString& path, const QString& title, const QString& sessionDate,
                         const ItemFields& fields, const QLocale& locale);

// --- Removing ---------------------------------------------------------------------------

// "Remove item <title> ?"
Message removalQuestion(const QString& shownTitle);
Message removalSuccess();
// Deletes the record; the failure message names the file when it could not be deleted.
std::optional<Message> removeItem(const QString& path);

} // namespace quillory::items
