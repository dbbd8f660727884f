#include "cli/CliCommands.h"
#include "cli/CliContext.h"
#include "cli/CliProgress.h"

#include <QCoreApplication>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

QString moreHelp()
{
    return QStringLiteral("Run \"tqtool-cli --help\" for the commands.\n");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("TQTool"));
    QCoreApplication::setApplicationName(QStringLiteral("tqtool"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                                .arg(TQTOOL_VERSION_MAJOR)
                                                .arg(TQTOOL_VERSION_MINOR)
                                                .arg(TQTOOL_VERSION_PATCH));
    QTextStream out(stdout);
    QTextStream err(stderr);

    // The program's own options stand before the command; everything after it is the command's.
    QCommandLineParser global;
    global.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    global.addOptions({dataDir, help, version});
    if (!global.parse(QCoreApplication::arguments())) {
        err << global.errorText() << '\n' << moreHelp();
        return CliExit::Usage;
    }
    if (global.isSet(help)) {
        out << programHelp();
        return CliExit::Success;
    }
    if (global.isSet(version)) {
        out << "tqtool-cli " << QCoreApplication::applicationVersion() << '\n';
        return CliExit::Success;
    }
    QStringList args = global.positionalArguments();
    if (args.isEmpty()) {
        err << programHelp();
        return CliExit::Usage;
    }
    const QString name = args.takeFirst();
    const auto& commands = cliCommands();
    const auto command = std::find_if(commands.cbegin(), commands.cend(),
                                      [&name](const CliCommand& c) { return c.name == name; });
    if (command == commands.cend()) {
        err << "Unknown command: " << name << '\n' << moreHelp();
        return CliExit::Usage;
    }

    QCommandLineParser parser;
    // A command of plain arguments takes a value such as "-5" as it stands.
    if (command->options.isEmpty() && !command->longWork)
        parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    parser.addOptions(command->options);
    const QCommandLineOption quiet = quietOption();
    if (command->longWork)
        parser.addOption(quiet);
    parser.addOption(help);
    if (!parser.parse(QStringList{QStringLiteral("tqtool-cli")} + args)) {
        err << parser.errorText() << '\n' << commandUsage(*command) << '\n';
        return CliExit::Usage;
    }
    if (parser.isSet(help)) {
        out << commandHelp(*command);
        return CliExit::Success;
    }

    if (global.isSet(dataDir) && global.value(dataDir).isEmpty()) {
        err << "--data-dir needs a directory.\n";
        return CliExit::Usage;
    }
    const Expected<AppPaths> paths =
        AppPaths::fromDirectory(global.isSet(dataDir) ? global.value(dataDir) : AppPaths::defaultDataDir());
    if (!paths) {
        err << paths.error() << '\n';
        return CliExit::Usage;
    }

    const bool silenced = command->longWork && parser.isSet(quiet);
    QString discarded;
    QTextStream sink(&discarded);
    CliProgress progress(err, !silenced && ::isatty(STDERR_FILENO));
    CliContext context{*paths, silenced ? sink : out, err, progress, parser, commandUsage(*command)};
    const int code = command->run(context);
    progress.clear();
    out.flush();
    err.flush();
    return code;
}
