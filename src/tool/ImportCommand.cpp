#include "tool/Command.h"
#include "tool/Export.h"
#include "tool/Import.h"

#include <QCommandLineParser>
#include <QFile>

namespace quillory::tool {

namespace {

// The title or name as one line of the report: a control character (a line break inside a
// quoted field, a lone CR that would send the cursor back over the line number) is shown by its
// picture rather than obeyed.
QString shownLabel(const ImportPlan& plan, const ImportRow& row) {
    QString label = plan.label(row).toString();
    for (QChar& c : label) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QChar(c.unicode() == 0x7F ? 0x2421 : 0x2400 + c.unicode());
    }
    return label;
}

// One line per row, in file order: refused rows with their reason; accepted rows as what
// would be, or was, created. A Profile ID a dry run draws is not the one --apply will draw, so
// such a row is promised a new one rather than that.
void printRow(CommandContext& context, const ImportPlan& plan, const ImportRow& row,
              const QString& outcome, bool newId = false) {
    if (row.accepted())
        context.print(QStringLiteral("line %1: %2 \"%3\" %4\n")
                          .arg(row.line)
                          .arg(outcome, shownLabel(plan, row),
                               newId ? QStringLiteral("with a new Profile ID")
                                     : QStringLiteral("as ") + row.fileName.toString()));
    else
        context.print(QStringLiteral("line %1: %2 \"%3\": %4\n")
                          .arg(row.line)
                          .arg(context.coloured(31, QStringLiteral("refused")),
                               shownLabel(plan, row), row.refusal));
}

int runImport(CommandContext& context) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads a CSV file with a header row (the export's column names, letter case ignored) and "
        "checks every row as the New Item or New Profile dialog would. Without --apply nothing "
        "is written. Items need the columns Title and Price; Language, Serial Number and "
        "Publisher default to the dialog's English, N.A. and N.A. Borrowers need Name, Home and "
        "Cell; a row without a Profile ID gets a new one; loan counts start at 0.\n"
        "Exit status: 0 when every row was accepted, 1 when a row was refused or not written, "
        "2 when the file cannot be read."));
    parser.addPositionalArgument(QStringLiteral("kind"), QStringLiteral("items or borrowers"));
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("the CSV file"));
    const QCommandLineOption apply(QStringLiteral("apply"),
                                   QStringLiteral("Write the accepted rows as new records."));
    const QCommandLineOption encoding(
        QStringLiteral("encoding"),
        QStringLiteral("utf-8 (the default; a byte order mark is allowed) or windows-1252."),
        QStringLiteral("NAME"), QStringLiteral("utf-8"));
    parser.addOptions({apply, encoding});
    addFolderOptions(parser);
    if (const auto status = parseArguments(parser, context))
        return *status;

    const QStringList args = parser.positionalArguments();
    const auto csvEncoding = parseEncoding(parser.value(encoding));
    const bool items = args.value(0) == QLatin1String("items");
    if (args.size() != 2 || (!items && args[0] != QLatin1String("borrowers")) || !csvEncoding) {
        context.printError(
            !csvEncoding ? QStringLiteral("Unknown encoding '%1'.\n").arg(parser.value(encoding))
                         : QStringLiteral("Name items or borrowers, then a file.\n"));
        context.printError(QStringLiteral("Try '%1 --help'.\n").arg(context.arguments.value(0)));
        return ExitUsage;
    }
    const auto folders = resolveFolders(parser, context);
    if (!folders)
        return ExitUsage;
    QFile file(args[1]);
    if (!file.open(QIODevice::ReadOnly)) {
        context.printError(
            QStringLiteral("quillory-tool: cannot read %1: %2\n").arg(args[1], file.errorString()));
        return ExitUsage;
    }
    const CsvTable table = readCsv(file.readAll(), *csvEncoding);
    if (!table.ok()) {
        // A file without a header row has no line to point at.
        const QString where =
            table.errorLine > 0 ? QStringLiteral(":%1").arg(table.errorLine) : QString();
        context.printError(
            QStringLiteral("%1%2: not a CSV file: %3\n").arg(args[1], where, table.error));
        return ExitUsage;
    }
    ImportPlan plan =
        items ? planItemImport(*folders, table, context.app.todayLongDate(), QLocale::system())
              : planBorrowerImport(*folders, table, borrowers::clockSeededSource());
    for (const QString& name : plan.ignored)
        context.printError(QStringLiteral("note: column \"%1\" is not imported\n").arg(name));
    if (!plan.ok()) {
        context.printError(QStringLiteral("%1: %2\n").arg(args[1], plan.error));
        return ExitUsage;
    }
    const qsizetype accepted = plan.acceptedCount();
    const qsizetype refused = qsizetype(plan.rows.size()) - accepted;
    const QString kind = items ? QStringLiteral("items") : QStringLiteral("borrowers");
    if (!parser.isSet(apply)) {
        const int givenId = items ? -1 : table.column(QStringLiteral("Profile ID"));
        for (const ImportRow& row : plan.rows)
            printRow(context, plan, row, context.coloured(32, QStringLiteral("would create")),
                     !items && table.field(table.rows[&row - plan.rows.data()], givenId).isEmpty());
        context.print(QStringLiteral("%1 rows: %2 %3 would be created, %4 refused. Nothing was "
                                     "written (a dry run; --apply writes).\n")
                          .arg(plan.rows.size())
                          .arg(accepted)
                          .arg(kind)
                          .arg(refused));
        return refused == 0 ? ExitOk : ExitFindings;
    }
    const QString folder = items ? folders->stats : folders->profiles;
    const std::vector<ImportWrite> writes = applyImport(
        folder, plan,
        [progress = context.progress(QStringLiteral("import")), accepted](qsizetype done) {
            if (progress && done % 500 == 0)
                progress(done, accepted);
        });
    context.endProgress();
    qsizetype written = 0;
    auto write = writes.begin();
    for (const ImportRow& row : plan.rows) {
        if (!row.accepted()) {
            printRow(context, plan, row, {});
        } else if ((write++)->result.ok()) {
            ++written;
            printRow(context, plan, row, context.coloured(32, QStringLiteral("created")));
        } else {
            const records::Result<>& r = std::prev(write)->result;
            context.print(QStringLiteral("line %1: %2 \"%3\" as %4: %5\n")
                              .arg(row.line)
                              .arg(context.coloured(31, QStringLiteral("not written")),
                                   shownLabel(plan, row), row.fileName, errorText(r.error())));
        }
    }
    context.print(QStringLiteral("%1 rows: %2 %3 written to %4, %5 refused, %6 not written.\n")
                      .arg(plan.rows.size())
                      .arg(written)
                      .arg(kind, folder)
                      .arg(refused)
                      .arg(accepted - written));
    return written == qsizetype(plan.rows.size()) ? ExitOk : ExitFindings;
}

const Registration reg{{QStringLiteral("import"),
                        QStringLiteral("items or borrowers from a CSV file (a dry run unless "
                                       "--apply)"),
                        runImport}};

} // namespace

} // namespace quillory::tool
