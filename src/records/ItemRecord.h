#pragma once

#include "records/RecordFile.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace quillory::records {

inline const QString kAvailable = QStringLiteral("Available");
inline const QString kOnLoan = QStringLiteral("ON LOAN");

// Lines of an item record: 7 while available, 12 while on loan.
constexpr int kItemLines = 7;
constexpr int kItemOnLoanLines = 12;

// The item file name of a title: each of 28 punctuation characters becomes "_", everything else
// (blanks at either end included) is kept. The only place a file name is derived from a title.
QString itemFileName(const QString& title);
// True for the 28 characters the name rule replaces.
bool isReplacedInFileName(QChar c);

// "$" in front unless the text already starts with one.
QString normalisePrice(const QString& price);
// First character upper-cased, nothing else changed.
QString normaliseLanguage(const QString& language);

// Lines 8 to 12 of an item on loan: the borrower's profile as it was when the item went out,
// the count being the one after this loan, in numeric print form.
struct BorrowerBlock {
    QString profileId;
    QString name;
    QString home;
    QString cell;
    QString loanCount;
};

struct ItemRecord {
    QString title;
    QString dateCreated;
    QString status;
    QString language;
    QString price;
    QString serialNumber;
    QString publisher;
    std::optional<BorrowerBlock> borrower;

    bool isAvailable() const { return status == kAvailable; }
    // 7 lines, or 12 when a borrower block is present.
    QStringList toLines() const;
    // Needs at least 7 lines; takes the borrower block when there are 12 or more.
    static ItemRecord fromLines(const QStringList& lines);
};

// Reads an item record; minLines is 7 for the readers of the first seven lines and 12 for the
// readers of the borrower block.
Result<ItemRecord> readItem(const QString& path, int minLines = kItemLines);
Result<> writeItem(const QString& path, const ItemRecord& record);

} // namespace quillory::records
