#include "tool/Command.h"

#include "platform/SettingsStore.h"
#include "settings/FolderSettings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>

namespace quillory::tool {

namespace {
std::vector<Command>& registry() {
    static std::vector<Command> list;
    return list;
}

const QString kStats = QStringLiteral("stats");
const QString kProfiles = QStringLiteral("profiles");
const QString kLoaned = QStringLiteral("loaned");
const QString kSettings = QStringLiteral("settings");
} // namespace

void CommandContext::print(const QString& text) const {
    out.write(text.toUtf8());
}

void CommandContext::printError(const QString& text) const {
    err.write(text.toUtf8());
}

QString CommandContext::coloured(int colour, const QString& text) const {
    if (!outIsTerminal || qEnvironmentVariableIsSet("NO_COLOR"))
        return text;
    return QStringLiteral("\x1b[%1m%2\x1b[0m").arg(colour).arg(text);
}

std::function<void(qsizetype, qsizetype)> CommandContext::progress(const QString& what) const {
    if (!errIsTerminal)
        return {};
    return [this, what](qsizetype done, qsizetype total) {
        printError(QStringLiteral("\r%1 %2/%3").arg(what).arg(done).arg(total));
    };
}

void CommandContext::endProgress() const {
    if (errIsTerminal)
        printError(QStringLiteral("\r\x1b[K"));
}

const std::vector<Command>& commands() {
    return registry();
}

Registration::Registration(Command command) {
    auto& list = registry();
    const auto at = std::lower_bound(list.begin(), list.end(), command.name,
                                     [](const Command& c, const QString& n) { return c.name < n; });
    list.insert(at, std::move(command));
}

std::optional<int> parseArguments(QCommandLineParser& parser, CommandContext& context) {
    const QCommandLineOption help = parser.addHelpOption();
    if (!parser.parse(context.arguments)) {
        context.printError(parser.errorText() + QLatin1Char('\n'));
        context.printError(QStringLiteral("Try '%1 --help'.\n").arg(context.arguments.value(0)));
        return ExitUsage;
    }
    // The parser offers --help-all beside --help; a console program has no Qt options to add.
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        // helpText() names the program as invoked; the usage line should name the subcommand.
        QString text = parser.helpText();
        const QString binary = QCoreApplication::arguments().value(0);
        if (!binary.isEmpty() && text.startsWith(QStringLiteral("Usage: ") + binary))
            text.replace(7, binary.size(), context.arguments.value(0));
        context.print(text);
        return ExitOk;
    }
    return std::nullopt;
}

void addFolderOptions(QCommandLineParser& parser) {
    parser.addOption({kStats, QStringLiteral("Folder of item records."), QStringLiteral("DIR")});
    parser.addOption({kProfiles, QStringLiteral("Folder of borrower profiles and loan lists."),
                      QStringLiteral("DIR")});
    parser.addOption({kLoaned, QStringLiteral("Folder of loan records."), QStringLiteral("DIR")});
    parser.addOption({kSettings,
                      QStringLiteral("Read the folders from this settings file instead of the "
                                     "program's own settings."),
                      QStringLiteral("FILE")});
}

std::optional<Folders> resolveFolders(const QCommandLineParser& parser, CommandContext& context) {
    // A settings file that is not there would otherwise read as empty and send the tool to the
    // default folders, far from the ones meant.
    if (parser.isSet(kSettings) && !QFileInfo(parser.value(kSettings)).isFile()) {
        context.printError(QStringLiteral("quillory-tool: no such settings file: %1\n")
                               .arg(parser.value(kSettings)));
        return std::nullopt;
    }
    std::unique_ptr<QtSettingsStore> store =
        parser.isSet(kSettings) ? std::make_unique<QtSettingsStore>(parser.value(kSettings))
                                : std::make_unique<QtSettingsStore>();
    const Folders stored = FolderSettings::read(*store);
    const Folders defaults = FolderSettings::defaults(QCoreApplication::applicationDirPath());
    const auto pick = [&](const QString& option, const QString& fromStore,
                          const QString& fallback) {
        if (parser.isSet(option))
            return CheckDirName(parser.value(option));
        return fromStore.isEmpty() ? fallback : CheckDirName(fromStore);
    };
    Folders folders{pick(kProfiles, stored.profiles, defaults.profiles),
                    pick(kStats, stored.stats, defaults.stats),
                    pick(kLoaned, stored.loaned, defaults.loaned)};
    bool ok = true;
    for (const QString& path : {folders.stats, folders.profiles, folders.loaned}) {
        if (!folderExists(path)) {
            context.printError(QStringLiteral("quillory-tool: no such folder: %1\n").arg(path));
            ok = false;
        }
    }
    if (!ok)
        return std::nullopt;
    return folders;
}

std::optional<Folders> foldersWithoutArguments(const QCommandLineParser& parser,
                                               CommandContext& context, const QString& name) {
    if (!parser.positionalArguments().isEmpty()) {
        context.printError(QStringLiteral("%1 takes no arguments.\nTry '%2 --help'.\n")
                               .arg(name, context.arguments.value(0)));
        return std::nullopt;
    }
    return resolveFolders(parser, context);
}

} // namespace quillory::tool
