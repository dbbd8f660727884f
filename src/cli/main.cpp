#include "cli/CliCommands.h"
#include "cli/CliContext.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

void usage(QTextStream& err)
{
    err << "usage: tqtool-cli [--data-dir DIR] COMMAND [options]\ncommands:\n";
    for (const CliCommand& c : cliCommands())
        err << "  " << c.name << ' ' << c.synopsis << '\n';
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("TQTool"));
    QCoreApplication::setApplicationName(QStringLiteral("tqtool"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QStringList args = QCoreApplication::arguments();
    Expected<AppPaths> paths = AppPaths::fromArguments(args);
    if (!paths) {
        err << paths.error() << '\n';
        return CliExit::Usage;
    }
    args.removeFirst();
    if (args.isEmpty()) {
        usage(err);
        return CliExit::Usage;
    }
    const QString name = args.takeFirst();
    for (const CliCommand& c : cliCommands()) {
        if (name == c.name) {
            CliContext context{*paths, out, err};
            const int code = c.run(context, args);
            out.flush();
            err.flush();
            return code;
        }
    }
    err << "unknown command: " << name << '\n';
    usage(err);
    return CliExit::Usage;
}
