#pragma once

#include <QString>

namespace quillory {

// The status bar's totals: "12 Total Titles     3 Loaned Titles     9 Available for Loan".
// Available may be negative when loan records outnumber item records; it keeps its sign.
QString statisticsText(qint64 totalTitles, qint64 loanedTitles);

} // namespace quillory
