#include "tool/Command.h"
#include "tool/LibraryCheck.h"

#include <QCommandLineParser>
#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quillory::tool {

namespace {

QJsonArray toJson(const std::vector<Finding>& findings) {
    QJsonArray array;
    for (const Finding& f : findings)
        array.append(QJsonObject{{QStringLiteral("kind"), f.kind},
                                 {QStringLiteral("text"), f.text},
                                 {QStringLiteral("files"), QJsonArray::fromStringList(f.files)}});
    return array;
}

int runCheck(CommandContext& context) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reads every record once and reports each inconsistency of the three "
                       "folders, one line per finding, with the file(s) concerned. Exit status 0 "
                       "when consistent, 1 when findings remain, 2 when it could not read."));
    const QCommandLineOption repair(QStringLiteral("repair"),
                                    QStringLiteral("Finish a stopped loan or return as the next "
                                                   "start would, then fix what the files decide "
                                                   "unambiguously."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print the findings as one JSON object."));
    parser.addOption(repair);
    parser.addOption(json);
    addFolderOptions(parser);
    if (const auto status = parseArguments(parser, context))
        return *status;
    const auto folders = foldersWithoutArguments(parser, context, QStringLiteral("check"));
    if (!folders)
        return ExitUsage;

    QStringList changes;
    if (parser.isSet(repair)) {
        // A loan record written now carries today's date, as the program's own repair does.
        repairLibrary(*folders, context.app.todayLongDate(), changes);
    }
    const std::vector<Finding> findings = checkLibrary(*folders, context.progress("read"));
    context.endProgress();
    if (parser.isSet(json)) {
        context.print(QString::fromUtf8(
            QJsonDocument(
                QJsonObject{{QStringLiteral("changes"), QJsonArray::fromStringList(changes)},
                            {QStringLiteral("findings"), toJson(findings)}})
                .toJson(QJsonDocument::Indented)));
    } else {
        QString text;
        for (const QString& change : changes)
            text += QStringLiteral("repaired: ") + change + u'\n';
        for (const Finding& f : findings)
            text += f.kind + QStringLiteral(": ") + f.text + QStringLiteral(" [") +
                    f.files.join(QStringLiteral(", ")) + QStringLiteral("]\n");
        if (findings.empty())
            text += context.coloured(32, QStringLiteral("consistent")) + u'\n';
        context.print(text);
    }
    return findings.empty() ? ExitOk : ExitFindings;
}

const Registration reg{{QStringLiteral("check"),
                        QStringLiteral("report (and with --repair fix) inconsistent records"),
                        runCheck}};

} // namespace

} // namespace quillory::tool
