#pragma once

#include "platform/AppInfo.h"
#include "records/Paths.h"

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class QCommandLineParser;

namespace quillory::tool {

// Exit statuses shared by every subcommand.
enum ExitStatus : int { ExitOk = 0, ExitFindings = 1, ExitUsage = 2 };

// What a subcommand gets: its own arguments (argv[0] is "quillory-tool <name>") and the two
// output streams. Tests hand in buffers; the program hands in stdout and stderr.
struct CommandContext {
    QStringList arguments;
    QIODevice& out;
    QIODevice& err;
    const AppInfo& app;         // today's date and the region, as the program has them
    bool outIsTerminal = false; // colour only then
    bool errIsTerminal = false; // progress lines only then

    void print(const QString& text) const;      // UTF-8 to out
    void printError(const QString& text) const; // UTF-8 to err
    // The text in an ANSI colour (31 red, 32 green, 33 yellow) when out is a terminal and
    // NO_COLOR is not set; plain otherwise.
    QString coloured(int colour, const QString& text) const;
    // A "what done/total" line on err, rewritten in place, on a terminal only; empty otherwise.
    std::function<void(qsizetype, qsizetype)> progress(const QString& what) const;
    // Clears the progress line, if one was drawn.
    void endProgress() const;
};

struct Command {
    QString name;
    QString summary; // one line for "quillory-tool --help"
    std::function<int(CommandContext&)> run;
};

// Every registered subcommand, sorted by name.
const std::vector<Command>& commands();

// A subcommand registers itself from its own source file:
//     static const quillory::tool::Registration reg{{"name", "summary", &runName}};
// and its file is added to src/tool/sources.cmake; nothing else needs to change.
struct Registration {
    explicit Registration(Command command);
};

// Parses the subcommand's arguments. "--help" prints the subcommand's help on out and yields
// ExitOk; a usage error is printed on err with the help hint and yields ExitUsage. Empty when
// the command should go on.
std::optional<int> parseArguments(QCommandLineParser& parser, CommandContext& context);

// The folder options every subcommand that reads the library shares: --stats, --profiles,
// --loaned name a folder each, --settings an INI file written by the program; a folder not named
// comes from the program's own settings store, and where that is empty, from the default
// folders beside the installed program.
void addFolderOptions(QCommandLineParser& parser);
// The three folders, each ending in the separator; a folder that does not exist is reported on
// err and yields empty.
std::optional<Folders> resolveFolders(const QCommandLineParser& parser, CommandContext& context);
// For a subcommand that takes options only: refuses arguments ("NAME takes no arguments.") as a
// usage error, then resolves the folders. Empty when the command must stop with ExitUsage.
std::optional<Folders> foldersWithoutArguments(const QCommandLineParser& parser,
                                               CommandContext& context, const QString& name);

} // namespace quillory::tool
