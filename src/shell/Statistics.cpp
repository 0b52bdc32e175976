#include "shell/Statistics.h"

namespace quillory {

QString statisticsText(qint64 totalTitles, qint64 loanedTitles) {
    return QString::number(totalTitles) + QStringLiteral(" Total Titles     ") +
           QString::number(loanedTitles) + QStringLiteral(" Loaned Titles     ") +
           QString::number(totalTitles - loanedTitles) + QStringLiteral(" Available for Loan");
}

} // namespace quillory
