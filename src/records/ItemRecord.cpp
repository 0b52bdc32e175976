#include "records/ItemRecord.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace quillory::records {

namespace {
// Every one is ASCII: a table of the 128, asked once per character of every title, made when
// the program is built.
constexpr std::array<bool, 128> kReplaced = [] {
    std::array<bool, 128> table{};
    for (const char r : std::string_view("!@#$%^&*()-+=\\/|.?~`><{}[]:;"))
        table[size_t(r)] = true;
    return table;
}();
} // namespace

bool isReplacedInFileName(QChar c) {
    return c.unicode() < 128 && kReplaced[c.unicode()];
}

QString itemFileName(const QString& title) {
    // Most titles have none of the characters: they share the title's text, not a copy.
    const char16_t* text = QStringView(title).utf16();
    const qsizetype first =
        std::find_if(text, text + title.size(),
                     [](char16_t c) { return isReplacedInFileName(QChar(c)); }) -
        text;
    if (first == title.size())
        return title;
    QString name = title;
    for (auto c = name.begin() + first; c != name.end(); ++c) {
        if (isReplacedInFileName(*c))
            *c = QLatin1Char('_');
    }
    return name;
}

QString normalisePrice(const QString& price) {
    if (price.startsWith(QLatin1Char('$')))
        return price;
    return QLatin1Char('$') + price;
}

QString normaliseLanguage(const QString& language) {
    if (language.isEmpty() || (language[0] >= u'A' && language[0] <= u'Z'))
        return language;
    // toUpper of the one character: "ß" would grow to "SS", so keep it as typed then.
    const QString first = language.left(1).toUpper();
    return (first.size() == 1 ? first : language.left(1)) + language.mid(1);
}

QStringList ItemRecord::toLines() const {
    QStringList lines{title, dateCreated, status, language, price, serialNumber, publisher};
    if (borrower) {
        lines << borrower->profileId << borrower->name << borrower->home << borrower->cell
              << borrower->loanCount;
    }
    return lines;
}

ItemRecord ItemRecord::fromLines(const QStringList& lines) {
    ItemRecord r;
    auto line = [&lines](int i) { return i < lines.size() ? lines[i] : QString(); };
    r.title = line(0);
    r.dateCreated = line(1);
    r.status = line(2);
    r.language = line(3);
    r.price = line(4);
    r.serialNumber = line(5);
    r.publisher = line(6);
    if (lines.size() >= kItemOnLoanLines)
        r.borrower = BorrowerBlock{line(7), line(8), line(9), line(10), line(11)};
    return r;
}

Result<ItemRecord> readItem(const QString& path, int minLines) {
    const Result<QStringList> read = RecordFile::read(path, minLines);
    if (!read.ok())
        return read.error();
    return ItemRecord::fromLines(read.value());
}

Result<> writeItem(const QString& path, const ItemRecord& record) {
    return RecordFile::write(path, record.toLines());
}

} // namespace quillory::records
