// The layout loaders and the line builder: any file loads, or is refused, without a crash, and
// a loaded layout builds lines no longer than the layout limits allow.
#include "FuzzCheck.h"
#include "core/layouts/LayoutFile.h"
#include "core/layouts/LineBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdint>

namespace {

const QString& layoutPath()
{
    static const QString path =
        QDir::temp().filePath(QStringLiteral("fuzz-layout-%1.ini").arg(QCoreApplication::applicationPid()));
    return path;
}

void checkLines(const ExportLayout& layout, const LayoutGridModel& grid)
{
    using namespace LayoutLimits;
    // a field is at most its width of pad texts and its centring pad, then a delimiter
    constexpr qsizetype MaxLine = MaxRows * ((MaxWidth + 1) * MaxPadLength + 255);
    const QList<LayoutRow> rows = grid.fieldRows();
    FUZZ_REQUIRE(rows.size() <= MaxRows);
    const PunchRecord punch{QStringLiteral("123456789012"), QStringLiteral("255"),      QStringLiteral("7"),
                            QStringLiteral("2567/02/29"),   QStringLiteral("23:59:59"), QStringLiteral("1")};
    for (const ExportDataType type : {ExportDataType::Raw, ExportDataType::Filtered})
        FUZZ_REQUIRE(LineBuilder(layout, rows, layout.delimiter, type).build(punch).size() <= MaxLine);
    FUZZ_REQUIRE(previewLine(layout, rows, layout.delimiter).size() <= MaxLine);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QFile file(layoutPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
            static_cast<qint64>(size))
        std::abort();
    file.close();

    ExportLayout layout;
    LayoutGridModel grid;
    const LayoutLoadResult loaded = loadExportLayout(layoutPath(), layout, grid);
    FUZZ_REQUIRE(loaded.loaded && loaded.fileFound);
    FUZZ_REQUIRE(!loaded.refused || (grid.fieldCount() == 0 && loaded.warnings.size() == 1));
    checkLines(layout, grid);

    ExportLayout editorLayout;
    LayoutGridModel editorGrid;
    EditorLayoutState editor;
    const LayoutLoadResult edited = loadEditorLayout(layoutPath(), editorLayout, editorGrid, editor);
    FUZZ_REQUIRE(edited.refused == loaded.refused && editorGrid.fieldCount() == grid.fieldCount());
    checkLines(editorLayout, editorGrid);
    return 0;
}
