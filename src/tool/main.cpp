#include "tool/Command.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

using namespace quillory::tool;

namespace {

void printOverview(QIODevice& to) {
    QString text = QStringLiteral("Usage: quillory-tool <command> [options]\n\n"
                                  "Works on the library's record folders without a display.\n\n"
                                  "Commands:\n");
    for (const Command& c : commands())
        text += QStringLiteral("  %1  %2\n").arg(c.name, -10).arg(c.summary);
    text += QStringLiteral("\n'quillory-tool <command> --help' describes one command.\n");
    to.write(text.toUtf8());
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillory-tool"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quillory"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLORY_VERSION));

    // Straight to the descriptors: through stdio's buffer a failed write (a full disk behind a
    // redirection) would surface only at exit, unseen.
    QFile out, err;
    out.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(fileno(stderr), QIODevice::WriteOnly | QIODevice::Unbuffered);

    const auto finish = [&](int status) {
        if (status == ExitUsage || out.error() == QFileDevice::NoError)
            return status;
        err.write("quillory-tool: the output could not be written: " + out.errorString().toUtf8() +
                  '\n');
        return int(ExitUsage);
    };

    const QStringList args = QCoreApplication::arguments();
    const QString first = args.value(1);
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        printOverview(out);
        return finish(ExitOk);
    }
    if (first == QLatin1String("--version")) {
        out.write("quillory-tool " QUILLORY_VERSION "\n");
        return finish(ExitOk);
    }
    for (const Command& command : commands()) {
        if (command.name != first)
            continue;
        const quillory::QtAppInfo app;
        CommandContext context{
            {}, out, err, app, isatty(fileno(stdout)) != 0, isatty(fileno(stderr)) != 0};
        context.arguments = args.mid(2);
        context.arguments.prepend(QStringLiteral("quillory-tool ") + command.name);
        return finish(command.run(context));
    }
    err.write(first.isEmpty() ? QByteArray("quillory-tool: no command given.\n")
                              : "quillory-tool: unknown command '" + first.toUtf8() + "'.\n");
    printOverview(err);
    return ExitUsage;
}
