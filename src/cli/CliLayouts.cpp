#include "cli/CliLayouts.h"

#include "core/layouts/LayoutFile.h"
#include "core/layouts/LineBuilder.h"

#include <QFileInfo>

namespace {

const QCommandLineOption LayoutOption(QStringLiteral("layout"),
                                      QStringLiteral("The layout's name: ExportFormat/NAME.ini (required)."),
                                      QStringLiteral("NAME"));

// layouts: the names of the layouts in the ExportFormat folder, one a line.
int runLayouts(CliContext& ctx)
{
    if (!ctx.options.positionalArguments().isEmpty())
        return ctx.usageError(QStringLiteral("Unexpected argument: ") + ctx.options.positionalArguments()[0]);
    const LayoutListing listing =
        listExportFormats(ctx.paths, [&ctx](const QString& name) { ctx.out << name << '\n'; });
    if (!listing.error.isEmpty()) {
        ctx.err << listing.error << '\n';
        return CliExit::Failure;
    }
    return CliExit::Success;
}

// preview --layout NAME: the layout's preview line, as the export window shows it.
int runPreview(CliContext& ctx)
{
    if (!ctx.options.positionalArguments().isEmpty())
        return ctx.usageError(QStringLiteral("Unexpected argument: ") + ctx.options.positionalArguments()[0]);
    const QString name = ctx.options.value(LayoutOption);
    if (name.isEmpty())
        return ctx.usageError(QStringLiteral("--layout is missing."));
    const Outcome ready = ensureExportFormatDir(ctx.paths);
    if (!ready) {
        ctx.err << ready.error() << '\n';
        return CliExit::Failure;
    }
    const Expected<QString> named = layoutFileNamed(ctx.paths, name);
    if (!named) {
        ctx.err << named.error() << '\n';
        return CliExit::Failure;
    }
    const QString& path = *named;
    if (!QFileInfo(path).isFile()) {
        ctx.err << "There is no layout named " << name << " (" << path
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

} // namespace

CliCommand layoutsCommand()
{
    return {QStringLiteral("layouts"),
            QStringLiteral("List the export layouts."),
            QString(),
            QStringLiteral("Prints the names of the export layouts in the data directory's ExportFormat "
                           "folder, one a line; the folder is made with the shipped layouts when it is "
                           "missing."),
            {},
            {},
            false,
            runLayouts};
}

CliCommand previewCommand()
{
    return {QStringLiteral("preview"),
            QStringLiteral("Print a layout's preview line."),
            QStringLiteral("--layout NAME"),
            QStringLiteral("Prints the line the layout makes from the sample values, as the export window's "
                           "preview shows it; values of the file that do not load are reported."),
            {LayoutOption},
            {},
            false,
            runPreview};
}
