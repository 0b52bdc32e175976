#pragma once

#include "records/RecordFile.h"

#include <QString>
#include <QStringList>

namespace quillory::records {

// A borrower's loan list ("<Profile ID>.lst" in the profiles folder): one title per line in the
// order of lending. Empty lines mean nothing and every reader skips them.

// Titles a rewrite keeps at most; a borrower holds at most 20, one of which is being returned.
constexpr int kLoanListKept = 19;

// The non-empty lines, in file order.
Result<QStringList> readLoanList(const QString& path);

// The lines a rewrite without `title` leaves: every line equal to the title (whole line,
// case-sensitive) and every empty line dropped, at most 19 others kept in order (reading stops
// there), and one empty line at the end.
QStringList loanListWithout(const QStringList& lines, const QString& title);

} // namespace quillory::records
