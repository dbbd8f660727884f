#include "cli/CliExport.h"

#include "cli/CliAccessControl.h"

#include "core/export/ExportFilter.h"
#include "core/export/TextExport.h"
#include "core/export/TimeAttendanceExport.h"
#include "core/layouts/LayoutFile.h"
#include "core/storage/Connections.h"
#include "core/storage/TimeAttendanceConnection.h"

#include <QFileInfo>
#include <QSqlError>

namespace {

const QString FilterUsage =
    QStringLiteral("[--employees LIST] [--terminals LIST] [--from yyyy/MM/dd --to yyyy/MM/dd] ") +
    accessControlUsage();

// Reads the filter options shared by both commands; false (with the reason on err) on bad usage.
bool takeFilter(CliOptions& options, ExportFilter& filter, QTextStream& err, bool& fromAccessControl)
{
    bool missing = false;
    const auto take = [&](const char* name) {
        bool absent = false;
        std::optional<QString> value = options.take(QString::fromLatin1(name), &absent);
        if (absent) {
            err << name << " needs a value.\n";
            missing = true;
        }
        return value;
    };
    const std::optional<QString> employees = take("--employees");
    const std::optional<QString> terminals = take("--terminals");
    const std::optional<QString> from = take("--from");
    const std::optional<QString> to = take("--to");
    const std::optional<QString> data = take("--data");
    const std::optional<QString> source = take("--source");
    if (missing)
        return false;
    if (employees) {
        filter.chosenEmployees = true;
        filter.employees = *employees;
    }
    if (terminals) {
        filter.chosenTerminals = true;
        filter.terminals = *terminals;
    }
    if (from.has_value() != to.has_value()) {
        err << "--from and --to go together.\n";
        return false;
    }
    if (from) {
        // As the export window does with its two date pickers.
        filter.dateRange = true;
        filter.from = christianDateText(*from);
        filter.to = christianDateText(*to);
        if (filter.from.isEmpty() || filter.to.isEmpty()) {
            err << "--from and --to take dates written yyyy/MM/dd.\n";
            return false;
        }
    }
    if (data && *data != u"raw" && *data != u"filtered") {
        err << "--data is raw or filtered.\n";
        return false;
    }
    filter.filtered = data && *data == u"filtered";
    if (source && *source != u"local" && *source != u"qor") {
        err << "--source is local or qor.\n";
        return false;
    }
    fromAccessControl = source && *source == u"qor";
    return true;
}

bool noneLeft(const CliOptions& options, QTextStream& err)
{
    if (options.rest().isEmpty())
        return true;
    err << "unexpected arguments: " << options.rest().join(u' ') << '\n';
    return false;
}

int finish(CliContext& ctx, const Expected<ExportReport>& report)
{
    if (!report) {
        ctx.err << report.error() << '\n';
        return CliExit::Failure;
    }
    ctx.out << report->message << '\n';
    return CliExit::Success;
}

} // namespace

// export --output FILE (--layout NAME | --layout-file PATH) [--data raw|filtered] [filters]
int cliExport(CliContext& ctx, const QStringList& args)
{
    const QString usage =
        QStringLiteral("usage: tqtool-cli export --output FILE (--layout NAME | --layout-file "
                       "PATH) [--data raw|filtered] ") +
        FilterUsage + u'\n';
    CliOptions options(args);
    bool missing = false;
    const std::optional<QString> output = options.take(QStringLiteral("--output"), &missing);
    const std::optional<QString> name = options.take(QStringLiteral("--layout"), &missing);
    const std::optional<QString> layoutFile = options.take(QStringLiteral("--layout-file"), &missing);
    ExportFilter filter;
    bool qor = false;
    CliAccessControlSource source;
    if (missing || !takeFilter(options, filter, ctx.err, qor) ||
        !takeAccessControlSource(ctx, options, qor, source) || !noneLeft(options, ctx.err) || !output ||
        output->isEmpty() || name.has_value() == layoutFile.has_value()) {
        ctx.err << usage;
        return CliExit::Usage;
    }

    QString path;
    if (name) {
        if (const Outcome ready = ensureExportFormatDir(ctx.paths); !ready) {
            ctx.err << ready.error() << '\n';
            return CliExit::Failure;
        }
        path = ctx.paths.layoutFile(*name);
    } else {
        path = *layoutFile;
    }
    if (!QFileInfo(path).isFile()) {
        ctx.err << "There is no layout file " << path
                << (name ? ". Run \"tqtool-cli layouts\" to see the layouts there are.\n" : ".\n");
        return CliExit::Failure;
    }
    ExportLayout& layout = ExportLayout::current();
    LayoutGridModel grid;
    const LayoutLoadResult loaded = loadExportLayout(path, layout, grid);
    for (const QString& warning : loaded.warnings)
        ctx.err << warning << '\n';
    const Expected<ExportLineBuilder> lineFor = layoutLineBuilder(
        layout, grid.fieldRows(), filter.filtered ? ExportDataType::Filtered : ExportDataType::Raw);
    if (!lineFor) {
        ctx.err << lineFor.error() << '\n';
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
    TextExport exporter(ctx.paths, progress);
    const int code = finish(ctx, qor ? exporter.exportAccessControl({filter, *output}, *lineFor)
                                     : exporter.exportLocal({filter, *output}, *lineFor));
    Connections::close(Connections::LocalConnection);
    Connections::close(Connections::AccessControlConnection);
    return code;
}

// export-ta [filters] [--ta-connection ODBC-STRING]: the time-attendance database of the stored
// connection settings, or the one the connection string names.
int cliExportTA(CliContext& ctx, const QStringList& args)
{
    const QString usage = QStringLiteral("usage: tqtool-cli export-ta ") + FilterUsage +
                          QStringLiteral(" [--ta-connection ODBC]\n");
    CliOptions options(args);
    bool missing = false;
    const std::optional<QString> connection = options.take(QStringLiteral("--ta-connection"), &missing);
    ExportFilter filter;
    bool qor = false;
    CliAccessControlSource source;
    if (missing || !takeFilter(options, filter, ctx.err, qor) ||
        !takeAccessControlSource(ctx, options, qor, source) || !noneLeft(options, ctx.err) ||
        (connection && connection->isEmpty())) {
        ctx.err << usage;
        return CliExit::Usage;
    }

    if (connection) {
        QSqlDatabase db =
            Connections::replace(Connections::TimeAttendanceConnection, QStringLiteral("QODBC"));
        db.setDatabaseName(*connection);
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
    if (!qor || prepareAccessControlSource(ctx, source)) {
        RunProgress progress;
        TimeAttendanceExport exporter(target, progress);
        code = finish(ctx, qor ? exporter.exportAccessControl(filter) : exporter.exportLocal(filter));
    }
    target = QSqlDatabase();
    Connections::close(Connections::LocalConnection);
    Connections::close(Connections::TimeAttendanceConnection);
    Connections::close(Connections::AccessControlConnection);
    return code;
}
