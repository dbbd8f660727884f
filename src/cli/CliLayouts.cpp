#include "cli/CliLayouts.h"

#include "core/layouts/LayoutFile.h"
#include "core/layouts/LineBuilder.h"

#include <QFileInfo>

// layouts: the names of the layouts in the ExportFormat folder, one a line.
int cliLayouts(CliContext& ctx, const QStringList& args)
{
    if (!args.isEmpty()) {
        ctx.err << "usage: tqtool-cli layouts\n";
        return CliExit::Usage;
    }
    const LayoutListing listing =
        listExportFormats(ctx.paths, [&ctx](const QString& name) { ctx.out << name << '\n'; });
    if (!listing.error.isEmpty()) {
        ctx.err << listing.error << '\n';
        return CliExit::Failure;
    }
    return CliExit::Success;
}

// preview --layout NAME: the layout's preview line, as the export window shows it.
int cliPreview(CliContext& ctx, const QStringList& args)
{
    CliOptions options(args);
    bool missingValue = false;
    const std::optional<QString> name = options.take(QStringLiteral("--layout"), &missingValue);
    if (!name || name->isEmpty() || missingValue || !options.rest().isEmpty()) {
        ctx.err << "usage: tqtool-cli preview --layout NAME\n";
        return CliExit::Usage;
    }
    const Outcome ready = ensureExportFormatDir(ctx.paths);
    if (!ready) {
        ctx.err << ready.error() << '\n';
        return CliExit::Failure;
    }
    const Expected<QString> named = layoutFileNamed(ctx.paths, *name);
    if (!named) {
        ctx.err << named.error() << '\n';
        return CliExit::Failure;
    }
    const QString& path = *named;
    if (!QFileInfo(path).isFile()) {
        ctx.err << "There is no layout named " << *name << " (" << path
                << "). Run \"tqtool-cli layouts\" to see the layouts there are.\n";
        return CliExit::Failure;
    }
    ExportLayout& layout = ExportLayout::current();
    LayoutGridModel grid;
    const LayoutLoadResult loaded = loadExportLayout(path, layout, grid);
    for (const QString& warning : loaded.warnings)
        ctx.err << warning << '\n';
    if (loaded.refused)
        return CliExit::Failure;
    ctx.out << previewLine(layout, grid.fieldRows(), layout.delimiter) << '\n';
    return CliExit::Success;
}
