#include "cli/CliTerminal.h"

#include "core/storage/Connections.h"
#include "core/terminal/LogConversion.h"
#include "core/terminal/TerminalSync.h"
#include "core/terminal/Tq90Client.h"
#include "core/terminal/Tq90Result.h"

#include <QFileInfo>

namespace {

const QCommandLineOption IpOption(QStringLiteral("ip"),
                                  QStringLiteral("The terminal's IP address (required)."),
                                  QStringLiteral("IP"));
const QCommandLineOption PortOption(QStringLiteral("port"),
                                    QStringLiteral("The terminal's TCP port (default: 5001)."),
                                    QStringLiteral("N"));
const QCommandLineOption EraseOption(
    QStringLiteral("erase"),
    QStringLiteral("Erase the terminal's log afterwards, but only when the local database was shown to hold "
                   "every punch of it and the terminal took no punch during the download."));

int runImport(CliContext& ctx)
{
    const QStringList args = ctx.options.positionalArguments();
    if (args.size() > 1)
        return ctx.usageError(QStringLiteral("Unexpected argument: ") + args[1]);
    const QString file = args.isEmpty() ? ctx.paths.logFile() : args[0];
    if (const Outcome opened = openLocalDatabase(ctx.paths); !opened) {
        ctx.err << opened.error() << '\n';
        return CliExit::Failure;
    }
    const QString label = QStringLiteral("Importing ") + QFileInfo(file).fileName();
    const auto result = convertLogToDatabase(
        file, Connections::get(Connections::LocalConnection), [&ctx, &label](qint64 done, qint64 total) {
            ctx.progress.update(label, done, total, QStringLiteral("punches"));
        });
    Connections::close(Connections::LocalConnection);
    ctx.progress.clear();
    if (!result) {
        ctx.err << result.error() << '\n';
        return CliExit::Failure;
    }
    ctx.out << conversionSummary(*result) << '\n';
    if (const QString partial = partialRecordText(*result); !partial.isEmpty()) {
        ctx.out.flush();
        ctx.err << partial << '\n';
    }
    return CliExit::Success;
}

int runDownload(CliContext& ctx)
{
    if (!ctx.options.positionalArguments().isEmpty())
        return ctx.usageError(QStringLiteral("Unexpected argument: ") + ctx.options.positionalArguments()[0]);
    const QString ip = ctx.options.value(IpOption).trimmed();
    if (ip.isEmpty()) {
        ctx.out << "IP address is required!\n";
        return CliExit::Usage;
    }
    bool numeric = true;
    const int port =
        ctx.options.isSet(PortOption) ? ctx.options.value(PortOption).trimmed().toInt(&numeric) : 5001;
    if (!numeric || port < 1 || port > 65535) {
        ctx.out << "Port number is invalid! Range:1-65535\n";
        return CliExit::Usage;
    }

    Tq90Client client;
    int handle = 0;
    if (const int code = client.Tq90Initialize(handle, ip, port); code != Tq90Result::Ok) {
        ctx.out << "Failed to connect to TQ90!\n";
        ctx.err << Tq90ErrorText(code) << '\n';
        return CliExit::Failure;
    }
    TerminalSync sync(ctx.paths);
    sync.setDownloadProgress([&ctx](qint64 received, qint64 total) {
        ctx.progress.update(QStringLiteral("Downloading"), received, total, QStringLiteral("bytes"));
    });
    sync.setConversionProgress([&ctx](qint64 done, qint64 total) {
        ctx.progress.update(QStringLiteral("Storing"), done, total, QStringLiteral("punches"));
    });
    const bool erase = ctx.options.isSet(EraseOption);
    const TerminalSyncResult result =
        sync.run(client, handle, erase ? TerminalSync::Afterwards::Erase : TerminalSync::Afterwards::Keep);
    client.Tq90Terminate(handle);
    Connections::close(Connections::LocalConnection);
    ctx.progress.clear();

    using Status = TerminalSyncResult::Status;
    switch (result.status) {
    case Status::Empty:
        ctx.out << result.message << '\n';
        return CliExit::Success;
    case Status::ConnectError:
    case Status::TerminalError:
    case Status::WriteError:
        ctx.err << result.message << '\n';
        return CliExit::Failure;
    case Status::StoreError:
        ctx.err << result.message << "\nThe log on the terminal was not erased.\n";
        return CliExit::Failure;
    case Status::Stored:
        break;
    }
    ctx.out << conversionSummary(result.stored) << '\n';
    ctx.out.flush();
    if (!result.notErased.isEmpty()) {
        ctx.err << result.notErased << '\n';
        return CliExit::Failure;
    }
    if (!result.incomplete.isEmpty())
        ctx.err << result.incomplete << '\n';
    if (result.erased)
        ctx.out << "Log data is deleted!\n";
    return CliExit::Success;
}

} // namespace

CliCommand importCommand()
{
    return {QStringLiteral("import"),
            QStringLiteral("Convert a downloaded log file into the local database."),
            QStringLiteral("[FILE] [--quiet]"),
            QStringLiteral("Stores the punches of a log file in the local database, each punch once however "
                           "often the same log is imported, and prints how many were read and how many were "
                           "new. An incomplete record at the end is reported and not read."),
            {},
            {{QStringLiteral("FILE"),
              QStringLiteral("The log file (default: TQ90_log.bin in the data directory).")}},
            true,
            runImport};
}

CliCommand downloadCommand()
{
    return {
        QStringLiteral("download"),
        QStringLiteral("Download a terminal's log, store it, and optionally erase it."),
        QStringLiteral("--ip IP [--port N] [--erase] [--quiet]"),
        QStringLiteral("Downloads the attendance log of one terminal into TQ90_log.bin, stores its punches "
                       "in the local database and prints how many were read and how many were new."),
        {IpOption, PortOption, EraseOption},
        {},
        true,
        runDownload};
}
