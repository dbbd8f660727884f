#include "cli/CliCommands.h"

#include "cli/CliExport.h"
#include "cli/CliLayouts.h"
#include "cli/CliTerminal.h"
#include "core/platform/IniFile.h"

namespace {

// settings-get KEY [DEFAULT] / settings-set KEY VALUE: the settings file from scripts.
int settingsGet(CliContext& ctx, const QStringList& args)
{
    if (args.isEmpty() || args.size() > 2)
        return CliExit::Usage;
    ctx.out << readIniValue(QStringLiteral("text"), args[0], args.value(1), ctx.paths.settingsFile()) << '\n';
    return CliExit::Success;
}

int settingsSet(CliContext& ctx, const QStringList& args)
{
    if (args.size() != 2)
        return CliExit::Usage;
    if (const Outcome stored =
            storeIniValue(QStringLiteral("text"), args[0], args[1], ctx.paths.settingsFile());
        !stored) {
        ctx.err << stored.error() << '\n';
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
        {QStringLiteral("export"),
         QStringLiteral(
             "--output FILE (--layout NAME | --layout-file PATH) [--data raw|filtered] [--employees LIST] "
             "[--terminals LIST] [--from yyyy/MM/dd --to yyyy/MM/dd] [--source local]"),
         cliExport},
        {QStringLiteral("export-ta"),
         QStringLiteral(
             "[--employees LIST] [--terminals LIST] [--from yyyy/MM/dd --to yyyy/MM/dd] [--source local] "
             "[--ta-connection ODBC]"),
         cliExportTA},
    };
    return commands;
}
