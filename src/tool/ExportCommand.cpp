#include "tool/Command.h"
#include "tool/Export.h"

#include <QCommandLineParser>
#include <QSaveFile>

namespace quillory::tool {

namespace {

const QStringList kKinds{QStringLiteral("items"), QStringLiteral("borrowers"),
                         QStringLiteral("loans")};

int runExport(CommandContext& context) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes every item, borrower or loan record as one row of an RFC 4180 CSV "
                       "file with a header row. Records that cannot be read whole are skipped "
                       "and named on stderr; the exit status is then 1."));
    parser.addPositionalArgument(QStringLiteral("kind"),
                                 QStringLiteral("items, borrowers or loans"));
    const QCommandLineOption out(QStringLiteral("out"),
                                 QStringLiteral("Write to FILE instead of standard output."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption bom(QStringLiteral("bom"),
                                 QStringLiteral("Start with a UTF-8 byte order mark, for "
                                                "spreadsheet programs that need one."));
    const QCommandLineOption encoding(QStringLiteral("encoding"),
                                      QStringLiteral("utf-8 (the default) or windows-1252."),
                                      QStringLiteral("NAME"), QStringLiteral("utf-8"));
    parser.addOptions({out, bom, encoding});
    addFolderOptions(parser);
    if (const auto status = parseArguments(parser, context))
        return *status;

    const QStringList args = parser.positionalArguments();
    const auto csvEncoding = parseEncoding(parser.value(encoding));
    // A byte order mark is a UTF-8 one: asked for with another encoding, it is not left out
    // without a word.
    const bool bomRefused = parser.isSet(bom) && csvEncoding != CsvEncoding::Utf8;
    if (args.size() != 1 || !kKinds.contains(args[0]) || !csvEncoding || bomRefused) {
        context.printError(
            !csvEncoding ? QStringLiteral("Unknown encoding '%1'.\n").arg(parser.value(encoding))
            : bomRefused ? QStringLiteral("--bom goes with UTF-8 only.\n")
                         : QStringLiteral("Name one of: items, borrowers, loans.\n"));
        context.printError(QStringLiteral("Try '%1 --help'.\n").arg(context.arguments.value(0)));
        return ExitUsage;
    }
    const auto folders = resolveFolders(parser, context);
    if (!folders)
        return ExitUsage;

    QSaveFile file(parser.value(out));
    if (parser.isSet(out) && !file.open(QIODevice::WriteOnly)) {
        context.printError(QStringLiteral("quillory-tool: cannot write %1: %2\n")
                               .arg(file.fileName(), file.errorString()));
        return ExitUsage;
    }
    QIODevice& target = parser.isSet(out) ? static_cast<QIODevice&>(file) : context.out;
    CsvWriter writer(*csvEncoding, parser.isSet(bom));
    const auto kind = RecordKind(kKinds.indexOf(args[0]));
    // CSV on the terminal itself leaves no line free for a progress line.
    const bool toScreen = !parser.isSet(out) && context.outIsTerminal;
    const ExportResult result =
        exportRecords(kind, *folders, writer, target,
                      toScreen ? nullptr : context.progress(QStringLiteral("export")));
    if (!toScreen)
        context.endProgress();
    const bool written = result.ok() && (!parser.isSet(out) || file.commit());
    if (!written) {
        context.printError(QStringLiteral("quillory-tool: the output could not be written: %1\n")
                               .arg(result.ok() ? file.errorString() : result.writeError));
        return ExitUsage;
    }
    for (const SkippedRecord& s : result.skipped)
        context.printError(QStringLiteral("skipped %1: %2\n").arg(s.fileName, s.reason));
    return result.skipped.empty() ? ExitOk : ExitFindings;
}

const Registration reg{{QStringLiteral("export"),
                        QStringLiteral("items, borrowers or loans as a CSV file"), runExport}};

} // namespace

} // namespace quillory::tool
