#include "cli/CliTerminal.h"

#include "core/storage/Connections.h"
#include "core/terminal/LogConversion.h"
#include "core/terminal/LogDownload.h"
#include "core/terminal/Tq90Client.h"
#include "core/terminal/Tq90Result.h"

namespace {

// Converts the file into the local database and prints how many punches were read and new.
int convert(CliContext& ctx, const QString& file)
{
    if (const Outcome opened = openLocalDatabase(ctx.paths); !opened) {
        ctx.err << opened.error() << '\n';
        return CliExit::Failure;
    }
    const auto result = convertLogToDatabase(file, Connections::get(Connections::LocalConnection));
    Connections::close(Connections::LocalConnection);
    if (!result) {
        ctx.err << result.error() << '\n';
        return CliExit::Failure;
    }
    ctx.out << conversionSummary(*result) << '\n';
    return CliExit::Success;
}

} // namespace

int cliImport(CliContext& ctx, const QStringList& args)
{
    if (args.size() > 1 || (args.size() == 1 && args[0].startsWith(QStringLiteral("--"))))
        return CliExit::Usage;
    return convert(ctx, args.isEmpty() ? ctx.paths.logFile() : args[0]);
}

int cliDownload(CliContext& ctx, const QStringList& args)
{
    CliOptions options(args);
    bool missing = false;
    const auto ip = options.take(QStringLiteral("--ip"), &missing);
    const auto portText = options.take(QStringLiteral("--port"), &missing);
    const bool erase = options.takeFlag(QStringLiteral("--erase"));
    if (missing || !options.rest().isEmpty())
        return CliExit::Usage;
    if (!ip || ip->trimmed().isEmpty()) {
        ctx.out << "IP address is required!\n";
        return CliExit::Usage;
    }
    bool numeric = false;
    const int port = portText ? portText->trimmed().toInt(&numeric) : 5001;
    if ((portText && !numeric) || port < 1 || port > 65535) {
        ctx.out << "Port number is invalid! Range:1-65535\n";
        return CliExit::Usage;
    }

    Tq90Client client;
    int handle = 0;
    if (const int code = client.Tq90Initialize(handle, ip->trimmed(), port); code != Tq90Result::Ok) {
        ctx.out << "Failed to connect to TQ90!\n";
        ctx.err << Tq90ErrorText(code) << '\n';
        return CliExit::Failure;
    }
    const LogDownload download = LogDownload::run(client, handle, ctx.paths.logFile());
    switch (download.status) {
    case LogDownload::Status::Empty:
        ctx.out << download.message << '\n';
        return CliExit::Success;
    case LogDownload::Status::TerminalError:
    case LogDownload::Status::WriteError:
        ctx.err << download.message << '\n';
        return CliExit::Failure;
    case LogDownload::Status::Done:
        break;
    }
    if (const int converted = convert(ctx, ctx.paths.logFile()); converted != CliExit::Success) {
        ctx.err << "The log on the terminal was not erased.\n";
        return converted;
    }
    if (!erase)
        return CliExit::Success;
    const int code = client.Tq90EraseLogDataIfSize(handle, download.size);
    if (code == Tq90Result::BadArgument) {
        ctx.err << "The terminal's log changed during the download, so it was not erased: the new punches "
                   "would be lost. Download again to take them.\n";
        return CliExit::Failure;
    }
    if (code != Tq90Result::Ok) {
        ctx.err << Tq90ErrorText(code) << '\n';
        return CliExit::Failure;
    }
    ctx.out << "Log data is deleted!\n";
    return CliExit::Success;
}
