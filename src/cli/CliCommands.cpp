#include "cli/CliCommands.h"

#include "cli/CliLayouts.h"
#include "cli/CliTerminal.h"
#include "platform/IniFile.h"

namespace {

// settings-get KEY [DEFAULT] / settings-set KEY VALUE: the settings file from scripts.
int settingsGet(CliContext& ctx, const QStringList& args)
{
    if (args.isEmpty() || args.size() > 2)
        return CliExit::Usage;
    ctx.out << ReadIniValue(QStringLiteral("text"), args[0], args.value(1), ctx.paths.settingsFile()) << '\n';
    return CliExit::Success;
}

int settingsSet(CliContext& ctx, const QStringList& args)
{
    if (args.size() != 2)
        return CliExit::Usage;
    if (!WriteIniValue(QStringLiteral("text"), args[0], args[1], ctx.paths.settingsFile())) {
        ctx.err << "Cannot write " << ctx.paths.settingsFile() << '\n';
        return CliExit::Failure;
    }
    return CliExit::Success;
}

} // namespace

const QList<CliCommand>& cliCommands()
{
    static const QList<CliCommand> commands = {
        {QStringLiteral("settings-get"), QStringLiteral("KEY [DEFAULT]"), settingsGet},
        {QStringLiteral("settings-set"), QStringLiteral("KEY VALUE"), settingsSet},
        {QStringLiteral("import"), QStringLiteral("[FILE]"), cliImport},
        {QStringLiteral("download"), QStringLiteral("--ip IP [--port N] [--erase]"), cliDownload},
        {QStringLiteral("layouts"), QString(), cliLayouts},
        {QStringLiteral("preview"), QStringLiteral("--layout NAME"), cliPreview},
    };
    return commands;
}
