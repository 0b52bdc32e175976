#include "items/ItemCatalogue.h"

#include "records/Cp1252.h"
#include "records/FieldCheck.h"
#include "records/RecordFile.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <cstring>

namespace quillory::items {

using records::FileError;
using records::ItemRecord;

namespace {

const QString kEmptyTitle = QStringLiteral("Empty");
const QString kInvalidTitle = QStringLiteral("Invalid Title!    ");
const QString kInvalidLanguage = QStringLiteral("Invalid Language!    ");
const QString kInvalidPrice = QStringLiteral("Invalid Price!    ");
const QString kAlreadyCreated = QStringLiteral("File was already created!");
const QString kCreateAnother =
    QStringLiteral("New title created and added!\rCreate another new item?");
const QString kNewItemTitle = QStringLiteral("New Item");
const QString kEditDeleted = QStringLiteral("File was deleted! Edit canceled.");
const QString kCanceledTitle = QStringLiteral("Canceled");
const QString kRemoveTitle = QStringLiteral("Remove Item");
const QString kRemoved = QStringLiteral("The item was successfully removed.");
const QString kSuccessTitle = QStringLiteral("Success");
// Titles of the refusals the program adds to the dialogs' own checks.
const QString kBadTitleTitle = QStringLiteral("Invalid Title");
const QString kBadCharacterTitle = QStringLiteral("Invalid Character");

Refusal refuse(const QString& text, ItemField field, const QString& title = kEmptyTitle) {
    return Refusal{Message{text, title, MsgIcon::Exclamation, MsgButtons::Ok}, field};
}

QString shownPath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

const QString& fieldText(const ItemFields& fields, ItemField field) {
    switch (field) {
    case ItemField::Title:
        return fields.title;
    case ItemField::Language:
        return fields.language;
    case ItemField::Price:
        return fields.price;
    case ItemField::SerialNumber:
        return fields.serialNumber;
    case ItemField::Publisher:
        return fields.publisher;
    }
    Q_UNREACHABLE();
}

// The refusal of a field with a character the record files cannot hold.
Refusal unstorableRefusal(const QString& text, ItemField field) {
    return refuse(records::unstorableCharacterMessage(fieldCaption(field), text).value_or(text),
                  field, kBadCharacterTitle);
}

// How many characters must go from the end of a file name before it fits.
int excessCharacters(const QString& name) {
    int bytes = 0;
    int fitting = 0;
    for (const QChar c : name) {
        bytes += c.unicode() < 0x80 ? 1 : c.unicode() < 0x800 ? 2 : 3;
        if (bytes > kMaxFileNameBytes)
            break;
        ++fitting;
    }
    return int(name.size()) - fitting;
}

std::optional<Refusal> titleNameRefusal(const QString& title) {
    QString text;
    switch (titleNameProblem(title)) {
    case TitleNameProblem::None:
        return std::nullopt;
    case TitleNameProblem::DoubleQuote:
        text = QStringLiteral("A title cannot contain a double quote (\"), because the item is "
                              "kept in a file named after its title.\rPlease use an apostrophe "
                              "instead.");
        break;
    case TitleNameProblem::ControlCharacter:
        text = QStringLiteral("The title contains a control character (such as a tab), which "
                              "cannot be part of a file name.\rPlease type the title again.");
        break;
    case TitleNameProblem::TrailingBlank:
        text = QStringLiteral("A title cannot end with a blank, because the item is kept in a "
                              "file named after its title.\rPlease remove the blank at the end.");
        break;
    case TitleNameProblem::DeviceName:
        text = QStringLiteral("The title \"%1\" is the name of a device on Windows, so no file "
                              "can be named after it.\rPlease add a word to the title.")
                   .arg(title);
        break;
    case TitleNameProblem::TooLong: {
        const int excess = excessCharacters(records::itemFileName(title));
        text = QStringLiteral("The title is too long to be used as a file name.\rPlease shorten "
                              "it by at least %1 %2.")
                   .arg(excess)
                   .arg(excess == 1 ? QStringLiteral("character") : QStringLiteral("characters"));
        break;
    }
    }
    return refuse(text, ItemField::Title, kBadTitleTitle);
}

// Checks beyond the dialogs' own: each field can be stored, the title can name a file. Nearly
// every field can be stored, which an inline look at its text tells; a refusal is made only for
// one that cannot.
std::optional<Refusal> storageRefusal(const ItemFields& fields, bool withTitle) {
    using records::Cp1252;
    if (withTitle) {
        if (!Cp1252::canEncode(fields.title))
            return unstorableRefusal(fields.title, ItemField::Title);
        if (auto r = titleNameRefusal(fields.title))
            return r;
    }
    for (ItemField field :
         {ItemField::Language, ItemField::Price, ItemField::SerialNumber, ItemField::Publisher}) {
        if (const QString& text = fieldText(fields, field); !Cp1252::canEncode(text))
            return unstorableRefusal(text, field);
    }
    return std::nullopt;
}

Message damagedMessage(const QString& path, const records::Error& error, const QString& doing) {
    return Message{QStringLiteral("The item record \"%1\" cannot be %2: %3.\rNo file was changed.")
                       .arg(shownPath(path), doing, records::errorText(error)),
                   kAppTitle, MsgIcon::Exclamation, MsgButtons::Ok};
}

Message notAvailableMessage(const QString& title, const QString& status) {
    return Message{QStringLiteral("The title %1 is no longer available (its status is \"%2\"), "
                                  "so it cannot be edited.\rNo file was changed.")
                       .arg(title, status),
                   kCanceledTitle, MsgIcon::Exclamation, MsgButtons::Ok};
}

// Digits with at most one decimal point between digits, a price as most are typed: every locale
// with the ASCII digits and the default number options reads it as a finite number, so the
// parser, which costs more than the rest of the item's checks together, need not be asked. False
// leaves any other text or locale to the parser. The locale's number form is looked up once per
// locale, not once per price.
bool isPlainDecimal(QStringView text, const QLocale& locale) {
    struct Form {
        QLocale locale;
        bool asciiDigits = false;
        QChar point;
    };
    thread_local std::optional<Form> form;
    if (!form || !(form->locale == locale)) {
        const QString point = locale.decimalPoint();
        form = Form{locale,
                    locale.zeroDigit() == QLatin1String("0") && point.size() == 1 &&
                        !(locale.numberOptions() & QLocale::RejectTrailingZeroesAfterDot),
                    point.isEmpty() ? QChar() : point[0]};
    }
    // Fifteen characters at most: far from any overflow.
    if (!form->asciiDigits || text.size() > 15)
        return false;
    qsizetype point = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] >= u'0' && text[i] <= u'9')
            continue;
        if (text[i] == form->point && point < 0)
            point = i;
        else
            return false;
    }
    return point != 0 && point != text.size() - 1;
}

// The text without blanks at either end; most fields have none, and are not handed to the
// trimming function. Inline, as it is asked of several fields of every item.
inline QStringView trimmedView(QStringView text) {
    if (!text.isEmpty() && !text.front().isSpace() && !text.back().isSpace())
        return text;
    return text.trimmed();
}

// Whether the four units of a word are all printable ASCII other than a double quote: none at or
// beyond 0x80, none below a blank, no DEL and no quote, tested in all four lanes at once.
bool isPlainWord(quint64 word) {
    constexpr quint64 lanes = 0x0001000100010001ull;
    constexpr quint64 high = 0x0080 * lanes;
    if (word & 0xFF80 * lanes)
        return false;
    const quint64 fromBlank = (word + 0x0060 * lanes) & high; // 0x80 where a unit is at least 0x20
    const quint64 del = (word + 0x0001 * lanes) & high;       // 0x80 where a unit is 0x7F
    const quint64 notQuote = ((word ^ 0x0022 * lanes) + 0x007F * lanes) & high;
    return (fromBlank & notQuote & ~del) == high;
}

bool isNotApplicable(const QString& text) {
    return text.isEmpty() || text.toLower() == QStringLiteral("n.a.");
}

} // namespace

QString fieldCaption(ItemField field) {
    switch (field) {
    case ItemField::Title:
        return QStringLiteral("Title");
    case ItemField::Language:
        return QStringLiteral("Language");
    case ItemField::Price:
        return QStringLiteral("Price");
    case ItemField::SerialNumber:
        return QStringLiteral("Serial Number");
    case ItemField::Publisher:
        return QStringLiteral("Publisher");
    }
    return {};
}

bool isNumericPrice(const QString& text, const QLocale& locale) {
    QStringView rest(text);
    // The "$" the record puts in front of a price typed with blanks before its own "$" (' $5' is
    // stored as '$ $5'): accepted, so every stored price passes again when edited unchanged.
    if (rest.startsWith(QLatin1Char('$')))
        rest = rest.mid(1);
    rest = trimmedView(rest);
    if (rest.startsWith(QLatin1Char('$')))
        rest = trimmedView(rest.mid(1));
    if (rest.isEmpty())
        return false;
    if (isPlainDecimal(rest, locale))
        return true;
    // The locale parser also takes exponents, "inf" and "nan"; no price is written that way.
    for (const QChar c : rest) {
        if (c.isLetter())
            return false;
    }
    bool ok = false;
    const double value = locale.toDouble(rest, &ok);
    return ok && std::isfinite(value);
}

TitleNameProblem titleNameProblem(const QString& title) {
    // Judged on the title itself: the name rule turns ASCII punctuation into "_", and no test
    // below tells the two apart (neither is a quote, a control, a blank or part of a device
    // name, and both are one byte), so the name need not be made.
    const QString& name = title;
    // One pass: a double quote anywhere is named before a control character. Printable ASCII,
    // nearly every unit, is passed over with one test; the ASCII controls are the units below a
    // blank and DEL, and the tables are asked only beyond ASCII.
    // Words of four such units first, as most titles are made of them. Read through a view: a
    // QString's own utf16() copies a borrowed text to end it with a zero.
    const char16_t* units = QStringView(name).utf16();
    qsizetype plain = 0;
    for (quint64 word; plain + 4 <= name.size() &&
                       (std::memcpy(&word, units + plain, sizeof word), isPlainWord(word));
         plain += 4) {
    }
    bool control = false;
    for (const QChar c : QStringView(name).sliced(plain)) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7F && u != u'"')
            continue;
        if (u == u'"')
            return TitleNameProblem::DoubleQuote;
        if (!control)
            control = u < 0x80 || c.category() == QChar::Other_Control;
    }
    if (control)
        return TitleNameProblem::ControlCharacter;
    if (!name.isEmpty() && name.back() == u' ')
        return TitleNameProblem::TrailingBlank;
    // Windows keeps these names for devices whatever follows a dot; the name rule turns every
    // dot into "_", so only the whole name can be one ("Con Air" and "NUL_txt" are fine).
    static const QStringList devices = [] {
        QStringList list{QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                         QStringLiteral("NUL")};
        for (const QString& port : {QStringLiteral("COM"), QStringLiteral("LPT")}) {
            for (char digit = '0'; digit <= '9'; ++digit)
                list << port + QLatin1Char(digit);
            for (const char16_t superscript : {u'\u00B9', u'\u00B2', u'\u00B3'})
                list << port + QChar(superscript);
        }
        return list;
    }();
    if (name.size() <= 4 && devices.contains(name, Qt::CaseInsensitive))
        return TitleNameProblem::DeviceName;
    // A character takes at most three bytes in the name: a short one need not be encoded.
    if (name.size() * 3 > kMaxFileNameBytes && QFile::encodeName(name).size() > kMaxFileNameBytes)
        return TitleNameProblem::TooLong;
    return TitleNameProblem::None;
}

ItemFields prepareNextItem(const ItemFields& saved) {
    ItemFields next = saved;
    const auto emptyAll = [&next] { next = ItemFields{}; };
    if (saved.language.toLower() == QStringLiteral("english")) {
        emptyAll();
        next.language = QStringLiteral("English");
        next.publisher = QStringLiteral("N.A.");
        next.serialNumber = QStringLiteral("N.A.");
        return next;
    }
    const QString language = records::normaliseLanguage(saved.language);
    if (isNotApplicable(next.publisher))
        next.publisher = QStringLiteral("N.A.");
    else
        emptyAll();
    // Tested after the step above, which may have emptied it.
    if (isNotApplicable(next.serialNumber))
        next.serialNumber = QStringLiteral("N.A.");
    else
        emptyAll();
    next.language = language;
    return next;
}

std::optional<Refusal> checkNewItem(const ItemFields& fields, const QLocale& locale) {
    if (trimmedView(fields.title).isEmpty())
        return refuse(kInvalidTitle, ItemField::Title);
    if (trimmedView(fields.language).isEmpty())
        return refuse(kInvalidLanguage, ItemField::Language);
    if (!isNumericPrice(fields.price, locale))
        return refuse(kInvalidPrice, ItemField::Price);
    return storageRefusal(fields, true);
}

ItemRecord newItemRecord(const ItemFields& fields, const QString& sessionDate) {
    return ItemRecord{fields.title,
                      sessionDate,
                      records::kAvailable,
                      records::normaliseLanguage(fields.language),
                      records::normalisePrice(fields.price),
                      fields.serialNumber,
                      fields.publisher,
                      std::nullopt};
}

Message alreadyCreatedMessage() {
    return Message{kAlreadyCreated, kAppTitle, MsgIcon::None, MsgButtons::Ok};
}

CreateOutcome createItem(const Folders& folders, const QString& sessionDate,
                         const ItemFields& fields, const QLocale& locale) {
    if (const std::optional<Refusal> r = checkNewItem(fields, locale))
        return CreateOutcome{CreateOutcome::Kind::Refused, r->message, r->field, {}};
    CreateOutcome outcome;

    outcome.fileName = records::itemFileName(fields.title);
    const QString path = folders.itemPath(outcome.fileName);
    if (CheckExist(path)) {
        outcome.kind = CreateOutcome::Kind::Duplicate;
        outcome.message = alreadyCreatedMessage();
        return outcome;
    }

    const records::Result<> written = records::writeItem(path, newItemRecord(fields, sessionDate));
    if (!written.ok()) {
        outcome.kind = CreateOutcome::Kind::Failed;
        outcome.message = Message{QStringLiteral("The title %1 could not be saved: %2.\rThe new "
                                                 "item was not created.")
                                      .arg(fields.title, records::errorText(written.error())),
                                  kNewItemTitle, MsgIcon::Exclamation, MsgButtons::Ok};
        return outcome;
    }
    outcome.kind = CreateOutcome::Kind::Created;
    outcome.message =
        Message{kCreateAnother, kNewItemTitle, MsgIcon::Information, MsgButtons::YesNo};
    return outcome;
}

ItemGates itemGates(const records::ItemRecord* shown) {
    // A damaged record offers nothing: not even who has it.
    const bool available = shown && shown->isAvailable();
    return ItemGates{available, shown && !available};
}

LoadOutcome loadItemForEdit(const QString& path) {
    LoadOutcome outcome;
    const records::Result<ItemRecord> read = records::readItem(path, records::kItemLines);
    if (!read.ok()) {
        outcome.failure = damagedMessage(path, read.error(), QStringLiteral("edited"));
        return outcome;
    }
    // The panel offers editing only for an available item; the file may have changed since.
    if (!read.value().isAvailable()) {
        outcome.failure = notAvailableMessage(read.value().title, read.value().status);
        return outcome;
    }
    outcome.record = read.value();
    return outcome;
}

EditOutcome saveItemEdit(const QString& path, const QString& title, const QString& sessionDate,
                         const ItemFields& fields, const QLocale& locale) {
    EditOutcome outcome;
    auto ended = [&outcome](EditOutcome::Kind kind, const Message& message,
                            std::optional<ItemField> field = std::nullopt) {
        outcome.kind = kind;
        outcome.message = message;
        outcome.field = field;
        return outcome;
    };
    auto refused = [&ended](const Refusal& r) {
        return ended(EditOutcome::Kind::Refused, r.message, r.field);
    };
    if (fields.language.trimmed().isEmpty())
        return refused(refuse(kInvalidLanguage, ItemField::Language));
    if (!isNumericPrice(fields.price, locale))
        return refused(refuse(kInvalidPrice, ItemField::Price));
    if (auto r = storageRefusal(fields, false))
        return refused(*r);

    const Message deleted{kEditDeleted, kCanceledTitle, MsgIcon::Exclamation, MsgButtons::Ok};
    if (!CheckExist(path))
        return ended(EditOutcome::Kind::Deleted, deleted);
    // Read again just before writing: the item may have been lent while the dialog was open,
    // and an on-loan record must never be overwritten by an available one.
    const records::Result<ItemRecord> current = records::readItem(path, records::kItemLines);
    if (current.error().code == FileError::Missing) // only a name of another letter case is left
        return ended(EditOutcome::Kind::Deleted, deleted);
    if (!current.ok())
        return ended(EditOutcome::Kind::Damaged,
                     damagedMessage(path, current.error(), QStringLiteral("saved")));
    if (!current.value().isAvailable())
        return ended(EditOutcome::Kind::NotAvailable,
                     notAvailableMessage(title, current.value().status));

    // As created, except that the title stays and the language is kept as typed.
    ItemRecord record = newItemRecord(fields, sessionDate);
    record.title = title;
    record.language = fields.language;
    const records::Result<> written = records::writeItem(path, record);
    if (!written.ok())
        return ended(EditOutcome::Kind::Failed,
                     Message{QStringLiteral("The title %1 could not be saved: %2.\rThe item "
                                            "record was not changed.")
                                 .arg(title, records::errorText(written.error())),
                             kNewItemTitle, MsgIcon::Exclamation, MsgButtons::Ok});
    return ended(
        EditOutcome::Kind::Saved,
        Message{QStringLiteral("The title ") + title + QStringLiteral(" was edited and saved!"),
                kNewItemTitle, MsgIcon::Information, MsgButtons::Ok});
}

Message removalQuestion(const QString& shownTitle) {
    return Message{QStringLiteral("Remove item ") + shownTitle + QStringLiteral(" ?"), kRemoveTitle,
                   MsgIcon::Information, MsgButtons::YesNo};
}

Message removalSuccess() {
    return Message{kRemoved, kSuccessTitle, MsgIcon::Information, MsgButtons::Ok};
}

std::optional<Message> removeItem(const QString& path) {
    const records::Result<> removed = records::RecordFile::remove(path);
    if (removed.ok())
        return std::nullopt;
    return Message{QStringLiteral("The item record \"%1\" could not be removed: %2.")
                       .arg(shownPath(path), records::errorText(removed.error())),
                   kRemoveTitle, MsgIcon::Exclamation, MsgButtons::Ok};
}

} // namespace quillory::items
