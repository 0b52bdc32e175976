#include "tool/Command.h"
#include "tool/Overdue.h"

#include <QCommandLineParser>

namespace quillory::tool {

namespace {

QString contact(const LoanLine& loan) {
    return QStringLiteral("%1 %2, home %3, cell %4")
        .arg(loan.profileId, loan.name, loan.home, loan.cell);
}

int runOverdue(CommandContext& context) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lists the loans whose loan date is more than N days before today (or DATE), oldest "
        "first. Loan dates are read in the program's own regional format first, then in every "
        "installed locale's long-date form; loans whose date none of them reads are listed in "
        "a section of their own (on stderr with --csv) and the exit status is then 1."));
    const QCommandLineOption days(QStringLiteral("days"),
                                  QStringLiteral("Loans out for more than N days."),
                                  QStringLiteral("N"));
    const QCommandLineOption asOf(QStringLiteral("as-of"),
                                  QStringLiteral("Count the days up to DATE (YYYY-MM-DD) "
                                                 "instead of today."),
                                  QStringLiteral("DATE"));
    const QCommandLineOption csv(QStringLiteral("csv"), QStringLiteral("Write CSV to stdout."));
    parser.addOptions({days, asOf, csv});
    addFolderOptions(parser);
    if (const auto status = parseArguments(parser, context))
        return *status;

    bool daysOk = false;
    const int limit = parser.value(days).toInt(&daysOk);
    const QDate when = parser.isSet(asOf) ? QDate::fromString(parser.value(asOf), Qt::ISODate)
                                          : context.app.today();
    if (!daysOk || limit < 0 || !when.isValid() || !parser.positionalArguments().isEmpty()) {
        context.printError(!daysOk || limit < 0
                               ? QStringLiteral("--days needs a whole number of days, 0 or more.\n")
                           : !when.isValid()
                               ? QStringLiteral("--as-of needs a date such as 2026-12-31.\n")
                               : QStringLiteral("overdue takes no arguments.\n"));
        context.printError(QStringLiteral("Try '%1 --help'.\n").arg(context.arguments.value(0)));
        return ExitUsage;
    }
    const auto folders = resolveFolders(parser, context);
    if (!folders)
        return ExitUsage;

    LoanDateReader dates;
    const OverdueReport report = findOverdue(*folders, when, limit, dates);
    if (parser.isSet(csv)) {
        CsvWriter writer;
        // Whom to ask for which title first; the date and the record it was read from after.
        writer.writeRow({QStringLiteral("Title"), QStringLiteral("Borrower ID"),
                         QStringLiteral("Borrower Name"), QStringLiteral("Home"),
                         QStringLiteral("Cell"), QStringLiteral("Days Out"),
                         QStringLiteral("Loan Date"), QStringLiteral("File Name")});
        for (const LoanLine& l : report.overdue)
            writer.writeRow({l.title, l.profileId, l.name, l.home, l.cell,
                             QString::number(l.daysOut), l.loanDate, l.fileName});
        context.out.write(writer.bytes());
    } else {
        context.print(QStringLiteral("Loans out more than %1 days on %2: %3\n")
                          .arg(limit)
                          .arg(when.toString(Qt::ISODate))
                          .arg(report.overdue.size()));
        for (const LoanLine& l : report.overdue)
            context.print(QStringLiteral("%1 days  %2  (lent %3)  %4\n")
                              .arg(context.coloured(31, QString::number(l.daysOut)), l.title,
                                   l.loanDate, contact(l)));
    }
    // Never guessed at: these are for a person to look at.
    QIODevice& section = parser.isSet(csv) ? context.err : context.out;
    if (!report.unreadable.empty())
        section.write(QStringLiteral("\nLoan dates that could not be read: %1\n")
                          .arg(report.unreadable.size())
                          .toUtf8());
    for (const LoanLine& l : report.unreadable)
        section.write(QStringLiteral("%1 (file %2)  loan date \"%3\"  %4\n")
                          .arg(l.title, l.fileName, l.loanDate, contact(l))
                          .toUtf8());
    for (const SkippedRecord& s : report.damaged)
        context.printError(
            QStringLiteral("skipped loan record %1: %2\n").arg(s.fileName, s.reason));
    return report.unreadable.empty() && report.damaged.empty() ? ExitOk : ExitFindings;
}

const Registration reg{{QStringLiteral("overdue"),
                        QStringLiteral("loans out for more than N days, oldest first"),
                        runOverdue}};

} // namespace

} // namespace quillory::tool
