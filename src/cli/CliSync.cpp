#include "cli/CliSync.h"

#include "cli/CliExport.h"
#include "core/storage/Connections.h"
#include "core/terminal/TerminalSync.h"
#include "core/terminal/Tq90Client.h"

#include <QDate>
#include <QDir>
#include <QLockFile>

namespace {

const QCommandLineOption TerminalsOption(
    QStringLiteral("terminals"),
    QStringLiteral("The terminals file (required): one section per terminal with IP, Port (default 5001) "
                   "and Erase = yes or no (default no)."),
    QStringLiteral("FILE"));
const QCommandLineOption ExportOption(
    QStringLiteral("export-ta"),
    QStringLiteral("Afterwards export the punches of the day range into the time-attendance database, as "
                   "export-ta does (default: every day)."));
const QCommandLineOption
    DaysOption(QStringLiteral("days"),
               QStringLiteral("With --export-ta: the day range from N days before today "
                              "through today (0: today only), instead of --from and --to."),
               QStringLiteral("N"));

// Takes the lock, or says who holds it.
Outcome lockDataDirectory(QLockFile& lock, const AppPaths& paths)
{
    // A lock is stale only when its process is gone: a sync of millions of punches may run long.
    lock.setStaleLockTime(0);
    if (lock.tryLock(0))
        return Outcome::success();
    const QString file = QDir::toNativeSeparators(paths.syncLockFile());
    if (lock.error() != QLockFile::LockFailedError)
        return Outcome::failure(
            QStringLiteral("Cannot create the lock file %1; check the data directory's permissions.")
                .arg(file));
    qint64 pid = 0;
    QString host;
    QString application;
    if (!lock.getLockInfo(&pid, &host, &application))
        return Outcome::failure(
            QStringLiteral("Another sync is running on this data directory (lock file %1). "
                           "Try again when it has finished.")
                .arg(file));
    return Outcome::failure(
        QStringLiteral("Another sync is running on this data directory: process %1 (%2) on "
                       "host %3 holds the lock file %4. Try again when it has finished.")
            .arg(pid)
            .arg(application, host, file));
}

int runSync(CliContext& ctx)
{
    const QCommandLineParser& options = ctx.options;
    if (!options.positionalArguments().isEmpty())
        return ctx.usageError(QStringLiteral("Unexpected argument: ") +
                              options.positionalArguments().constFirst());
    const QString terminalsFile = options.value(TerminalsOption);
    if (terminalsFile.isEmpty())
        return ctx.usageError(QStringLiteral("--terminals is missing."));
    const bool exportAfter = options.isSet(ExportOption);
    const bool days = options.isSet(DaysOption);
    const bool range = options.isSet(QStringLiteral("from")) || options.isSet(QStringLiteral("to"));
    if (!exportAfter && (days || range || options.isSet(taConnectionOption())))
        return ctx.usageError(
            QStringLiteral("--from, --to, --days and --ta-connection go with --export-ta."));
    if (days && range)
        return ctx.usageError(QStringLiteral("Give either --days or --from and --to."));
    ExportFilter filter;
    filter.filtered = true;
    if (!takeDateRange(ctx, filter))
        return ctx.usageError({});
    if (days) {
        bool ok = false;
        const int n = options.value(DaysOption).toInt(&ok);
        if (!ok || n < 0 || n > 36500)
            return ctx.usageError(QStringLiteral("--days takes a number of days from 0 to 36500."));
        const QDate today = QDate::currentDate();
        filter.dateRange = true;
        filter.from = today.addDays(-n).toString(QStringLiteral("yyyy/MM/dd"));
        filter.to = today.toString(QStringLiteral("yyyy/MM/dd"));
    }
    const QString connection = options.value(taConnectionOption());
    if (options.isSet(taConnectionOption()) && connection.isEmpty())
        return ctx.usageError(QStringLiteral("--ta-connection needs a connection string."));

    const Expected<QList<TerminalEntry>> terminals = readTerminalsFile(terminalsFile);
    if (!terminals) {
        ctx.err << terminals.error() << '\n';
        return CliExit::Failure;
    }
    QLockFile lock(ctx.paths.syncLockFile());
    if (const Outcome locked = lockDataDirectory(lock, ctx.paths); !locked) {
        ctx.err << locked.error() << '\n';
        return CliExit::Failure;
    }

    QList<TerminalSyncResult> results;
    for (const TerminalEntry& terminal : *terminals) {
        TerminalSync sync(ctx.paths);
        sync.setDownloadProgress([&ctx, &terminal](qint64 received, qint64 total) {
            ctx.progress.update(terminal.name + QStringLiteral(": downloading"), received, total,
                                QStringLiteral("bytes"));
        });
        sync.setConversionProgress([&ctx, &terminal](qint64 done, qint64 total) {
            ctx.progress.update(terminal.name + QStringLiteral(": storing"), done, total,
                                QStringLiteral("punches"));
        });
        results.append(sync.run(terminal, Tq90Client::DefaultTimeoutMs));
    }
    Connections::close(Connections::LocalConnection);
    ctx.progress.clear();

    int code = CliExit::Success;
    for (qsizetype i = 0; i < results.size(); ++i) {
        const TerminalEntry& terminal = terminals->at(i);
        const QString line = QStringLiteral("%1 (%2:%3): %4")
                                 .arg(terminal.name, terminal.ip)
                                 .arg(terminal.port)
                                 .arg(results[i].summary());
        if (results[i].failed()) {
            code = CliExit::Failure;
            ctx.out.flush();
            ctx.err << line << '\n';
            ctx.err.flush();
        } else {
            ctx.out << line << '\n';
        }
    }
    ctx.out.flush();
    if (exportAfter && exportToTimeAttendance(ctx, filter, connection, nullptr) != CliExit::Success)
        code = CliExit::Failure;
    return code;
}

} // namespace

CliCommand syncCommand()
{
    QList<QCommandLineOption> options = {TerminalsOption, ExportOption};
    options += dateRangeOptions();
    options += DaysOption;
    options += taConnectionOption();
    return {
        QStringLiteral("sync"),
        QStringLiteral("Download and store the logs of several terminals, unattended."),
        QStringLiteral("--terminals FILE [--export-ta [--from DATE --to DATE | --days N]] [--quiet]"),
        QStringLiteral("For each terminal of the terminals file: downloads its log, stores the punches in "
                       "the local database and, where the file says Erase=yes, erases the terminal's log, "
                       "but only after the database was shown to hold every punch of it. A terminal that "
                       "fails does not stop the others. Ends with one line per terminal, and exits with 1 "
                       "when any failed or was not erased as asked. Only one sync runs on a data "
                       "directory at a time."),
        options,
        {},
        true,
        runSync};
}
