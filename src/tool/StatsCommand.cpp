#include "lending/Lending.h"
#include "shell/Statistics.h"
#include "tool/Command.h"
#include "tool/Overdue.h"

#include <QCommandLineParser>

namespace quillory::tool {

namespace {

int runStats(CommandContext& context) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints the totals of the main window's status bar, then the borrowers, "
                       "those with loans, those at the loan limit and the oldest loan."));
    addFolderOptions(parser);
    if (const auto status = parseArguments(parser, context))
        return *status;
    const auto folders = foldersWithoutArguments(parser, context, QStringLiteral("stats"));
    if (!folders)
        return ExitUsage;

    LoanDateReader dates;
    const LibraryStats s = collectStats(*folders, dates);
    QString text = statisticsText(s.titles, s.loaned) + u'\n';
    text += QStringLiteral("%1 Borrowers\n%2 Borrowers with loans\n%3 Borrowers at the limit of "
                           "%4 loans\n")
                .arg(s.borrowers)
                .arg(s.borrowersWithLoans)
                .arg(s.borrowersAtLimit)
                .arg(lending::kLoanLimit);
    if (s.oldestLoan)
        text += QStringLiteral("Oldest loan: %1, lent %2 to %3 %4 (%5 days ago)\n")
                    .arg(s.oldestLoan->title, s.oldestLoan->loanDate, s.oldestLoan->profileId,
                         s.oldestLoan->name)
                    .arg(s.oldestLoan->date.daysTo(context.app.today()));
    else
        text += QStringLiteral("Oldest loan: none\n");
    if (s.unreadableLoanDates > 0)
        text += QStringLiteral("%1 loan dates could not be read (see 'quillory-tool overdue')\n")
                    .arg(s.unreadableLoanDates);
    context.print(text);
    for (const SkippedRecord& d : s.damaged)
        context.printError(QStringLiteral("skipped %1: %2\n").arg(d.fileName, d.reason));
    return s.damaged.empty() ? ExitOk : ExitFindings;
}

const Registration reg{{QStringLiteral("stats"),
                        QStringLiteral("the status bar's totals, borrowers and the oldest loan"),
                        runStats}};

} // namespace

} // namespace quillory::tool
