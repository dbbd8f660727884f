#include "cli/CliExport.h"

#include "cli/CliAccessControl.h"

#include "core/export/TextExport.h"
#include "core/export/TimeAttendanceExport.h"
#include "core/layouts/LayoutFile.h"
#include "core/layouts/LineBuilder.h"
#include "core/storage/Connections.h"
#include "core/storage/TimeAttendanceConnection.h"

#include <QFileInfo>
#include <QSqlError>

namespace {

const QCommandLineOption OutputOption(
    QStringLiteral("output"),
    QStringLiteral("The text file to write (required); it is replaced only when the whole export succeeded."),
    QStringLiteral("FILE"));
const QCommandLineOption LayoutOption(QStringLiteral("layout"),
                                      QStringLiteral("The layout by name: ExportFormat/NAME.ini in the data "
                                                     "directory. Give this or --layout-file."),
                                      QStringLiteral("NAME"));
const QCommandLineOption LayoutFileOption(QStringLiteral("layout-file"),
                                          QStringLiteral("The layout from a file anywhere."),
                                          QStringLiteral("PATH"));
const QCommandLineOption
    DataOption(QStringLiteral("data"),
               QStringLiteral("raw: every punch with its own direction code; filtered: each "
                              "person's day paired into IN and OUT (default: raw)."),
               QStringLiteral("raw|filtered"));
const QCommandLineOption
    EmployeesOption(QStringLiteral("employees"),
                    QStringLiteral("Only these employees: IDs separated by commas, in the "
                                   "order their lines are wanted (default: all)."),
                    QStringLiteral("LIST"));
const QCommandLineOption TerminalsOption(
    QStringLiteral("terminals"),
    QStringLiteral("Only the punches of these terminals: numbers separated by commas (default: all)."),
    QStringLiteral("LIST"));
const QCommandLineOption
    FromOption(QStringLiteral("from"),
               QStringLiteral("The first day, yyyy/MM/dd, Christian or Buddhist era; goes "
                              "with --to (default: every day)."),
               QStringLiteral("DATE"));
const QCommandLineOption ToOption(QStringLiteral("to"), QStringLiteral("The last day, as --from."),
                                  QStringLiteral("DATE"));
const QCommandLineOption TaConnectionOption(
    QStringLiteral("ta-connection"),
    QStringLiteral("The time-attendance database's ODBC connection string (default: the connection settings "
                   "of the time-attendance program)."),
    QStringLiteral("ODBC"));

bool noArguments(CliContext& ctx)
{
    if (ctx.options.positionalArguments().isEmpty())
        return true;
    ctx.err << "Unexpected argument: " << ctx.options.positionalArguments().constFirst() << '\n';
    return false;
}

void takeLists(const CliContext& ctx, ExportFilter& filter)
{
    if (ctx.options.isSet(EmployeesOption)) {
        filter.chosenEmployees = true;
        filter.employees = ctx.options.value(EmployeesOption);
    }
    if (ctx.options.isSet(TerminalsOption)) {
        filter.chosenTerminals = true;
        filter.terminals = ctx.options.value(TerminalsOption);
    }
}

// Reports rows done while an export runs.
void showProgress(CliContext& ctx, RunProgress& progress)
{
    progress.setListener([&ctx, &progress](int) {
        ctx.progress.update(QStringLiteral("Exporting"), progress.steps(), -1, QStringLiteral("rows"));
    });
}

int finish(CliContext& ctx, const Expected<ExportReport>& report)
{
    ctx.progress.clear();
    if (!report) {
        ctx.err << report.error() << '\n';
        return CliExit::Failure;
    }
    ctx.out << report->message << '\n';
    return CliExit::Success;
}

int runExport(CliContext& ctx)
{
    ExportFilter filter;
    bool qor = false;
    CliAccessControlSource source;
    if (!noArguments(ctx) || !takeDateRange(ctx, filter) || !takeAccessControlSource(ctx, qor, source))
        return ctx.usageError({});
    const QString data = ctx.options.value(DataOption);
    if (ctx.options.isSet(DataOption) && data != u"raw" && data != u"filtered")
        return ctx.usageError(QStringLiteral("--data is raw or filtered."));
    filter.filtered = data == u"filtered";
    takeLists(ctx, filter);
    const QString output = ctx.options.value(OutputOption);
    if (output.isEmpty())
        return ctx.usageError(QStringLiteral("--output is missing."));
    const bool byName = ctx.options.isSet(LayoutOption);
    if (byName == ctx.options.isSet(LayoutFileOption))
        return ctx.usageError(QStringLiteral("Give either --layout or --layout-file."));

    QString path;
    if (byName) {
        if (const Outcome ready = ensureExportFormatDir(ctx.paths); !ready) {
            ctx.err << ready.error() << '\n';
            return CliExit::Failure;
        }
        const Expected<QString> named = layoutFileNamed(ctx.paths, ctx.options.value(LayoutOption));
        if (!named) {
            ctx.err << named.error() << '\n';
            return CliExit::Failure;
        }
        path = *named;
    } else {
        path = ctx.options.value(LayoutFileOption);
    }
    if (!QFileInfo(path).isFile()) {
        ctx.err << "There is no layout file " << path
                << (byName ? ". Run \"tqtool-cli layouts\" to see the layouts there are.\n" : ".\n");
        return CliExit::Failure;
    }
    ExportLayout& layout = ExportLayout::current();
    LayoutGridModel grid;
    const LayoutLoadResult loaded = loadExportLayout(path, layout, grid);
    for (const QString& warning : loaded.warnings)
        ctx.err << warning << '\n';
    if (loaded.refused)
        return CliExit::Failure;
    const Expected<ExportLineBuilder> lineFor = layoutLineBuilder(
        layout, grid.fieldRows(), filter.filtered ? ExportDataType::Filtered : ExportDataType::Raw);
    if (!lineFor) {
        ctx.err << lineFor.error() << '\n';
        return CliExit::Failure;
    }
    // A refused output stops the run before anything is pulled from the access-control server.
    if (const Outcome usable = checkExportOutput(ctx.paths, output, path); !usable) {
        ctx.err << usable.error() << '\n';
        return CliExit::Failure;
    }

    if (const Outcome opened = openLocalDatabase(ctx.paths); !opened) {
        ctx.err << opened.error() << '\n';
        return CliExit::Failure;
    }
    if (qor && !prepareAccessControlSource(ctx, source)) {
        Connections::close(Connections::LocalConnection);
        Connections::close(Connections::AccessControlConnection);
        return CliExit::Failure;
    }
    RunProgress progress;
    showProgress(ctx, progress);
    TextExport exporter(ctx.paths, progress);
    const int code = finish(ctx, qor ? exporter.exportAccessControl({filter, output, path}, *lineFor)
                                     : exporter.exportLocal({filter, output, path}, *lineFor));
    Connections::close(Connections::LocalConnection);
    Connections::close(Connections::AccessControlConnection);
    return code;
}

int runExportTA(CliContext& ctx)
{
    ExportFilter filter;
    bool qor = false;
    CliAccessControlSource source;
    if (!noArguments(ctx) || !takeDateRange(ctx, filter) || !takeAccessControlSource(ctx, qor, source))
        return ctx.usageError({});
    takeLists(ctx, filter);
    const QString connection = ctx.options.value(TaConnectionOption);
    if (ctx.options.isSet(TaConnectionOption) && connection.isEmpty())
        return ctx.usageError(QStringLiteral("--ta-connection needs a connection string."));
    return exportToTimeAttendance(ctx, filter, connection, qor ? &source : nullptr);
}

} // namespace

QList<QCommandLineOption> dateRangeOptions()
{
    return {FromOption, ToOption};
}

QCommandLineOption taConnectionOption()
{
    return TaConnectionOption;
}

bool takeDateRange(CliContext& ctx, ExportFilter& filter)
{
    const bool from = ctx.options.isSet(FromOption);
    if (from != ctx.options.isSet(ToOption)) {
        ctx.err << "--from and --to go together.\n";
        return false;
    }
    if (!from)
        return true;
    // As the export window does with its two date pickers.
    filter.dateRange = true;
    filter.from = christianDateText(ctx.options.value(FromOption));
    filter.to = christianDateText(ctx.options.value(ToOption));
    if (filter.from.isEmpty() || filter.to.isEmpty()) {
        ctx.err << "--from and --to take dates written yyyy/MM/dd.\n";
        return false;
    }
    return true;
}

int exportToTimeAttendance(CliContext& ctx, const ExportFilter& filter, const QString& connection,
                           const CliAccessControlSource* source)
{
    if (!connection.isEmpty()) {
        QSqlDatabase db =
            Connections::replace(Connections::TimeAttendanceConnection, QStringLiteral("QODBC"));
        db.setDatabaseName(connection);
        if (!db.open()) {
            ctx.err << "Cannot connect to the time-attendance database: " << db.lastError().text()
                    << "\nCheck the connection string and that the database server is running.\n";
            return CliExit::Failure;
        }
    } else if (const Outcome opened = openTimeAttendanceDatabase(); !opened) {
        ctx.err << opened.error() << '\n';
        return CliExit::Failure;
    }
    QSqlDatabase target = Connections::get(Connections::TimeAttendanceConnection);
    if (const Outcome opened = openLocalDatabase(ctx.paths); !opened) {
        ctx.err << opened.error() << '\n';
        return CliExit::Failure;
    }
    int code = CliExit::Failure;
    if (!source || prepareAccessControlSource(ctx, *source)) {
        RunProgress progress;
        showProgress(ctx, progress);
        TimeAttendanceExport exporter(target, progress);
        code = finish(ctx, source ? exporter.exportAccessControl(filter) : exporter.exportLocal(filter));
    }
    target = QSqlDatabase();
    Connections::close(Connections::LocalConnection);
    Connections::close(Connections::TimeAttendanceConnection);
    Connections::close(Connections::AccessControlConnection);
    return code;
}

CliCommand exportCommand()
{
    QList<QCommandLineOption> options = {OutputOption, LayoutOption,    LayoutFileOption,
                                         DataOption,   EmployeesOption, TerminalsOption};
    options += dateRangeOptions();
    options += accessControlOptions();
    return {QStringLiteral("export"),
            QStringLiteral("Export punches to a text file by a layout."),
            QStringLiteral("--output FILE (--layout NAME | --layout-file PATH) [options]"),
            QStringLiteral("Selects punches by employees, terminals and days, and writes one line per punch "
                           "by the layout, in code page 874 with CR LF. Prints \"Export successfully\", or "
                           "\"No data for export !!!\" when nothing was selected."),
            options,
            {},
            true,
            runExport};
}

CliCommand exportTACommand()
{
    QList<QCommandLineOption> options = {EmployeesOption, TerminalsOption};
    options += dateRangeOptions();
    options += TaConnectionOption;
    options += accessControlOptions();
    return {
        QStringLiteral("export-ta"),
        QStringLiteral("Export punches into the time-attendance database."),
        QStringLiteral("[options]"),
        QStringLiteral("Selects punches by employees, terminals and days, pairs each person's day into IN "
                       "and OUT, and writes them into tblTransaction of the time-attendance database in "
                       "one transaction; exporting a period twice leaves one row per punch."),
        options,
        {},
        true,
        runExportTA};
}
