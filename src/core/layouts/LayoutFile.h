#pragma once

#include "core/layouts/ExportLayout.h"
#include "core/layouts/LayoutGridModel.h"
#include "core/platform/AppPaths.h"
#include "core/platform/Outcome.h"

#include <QString>
#include <QStringList>

#include <functional>

// Layout files: one INI file per layout in the ExportFormat folder, section "ZUNDataView" with
// Rows, Delimiter and ViewName, and one section "ZUNData\ROW\i" per field row.

// What a layout may hold. A line has seven kinds of field, each a few characters wide and
// normally filled with one pad character, so these stand far above any real layout; they keep
// a damaged or hand-made file from describing lines of megabytes or taking minutes to read.
// A layout beyond them is refused as a whole, before any export starts.
namespace LayoutLimits {
constexpr qint64 MaxFileBytes = 1024 * 1024; // a saved layout of MaxRows rows takes about 40 KB
constexpr int MaxRows = 100;
constexpr int MaxWidth = 255; // characters of one field
constexpr int MaxPadLength = 10;
} // namespace LayoutLimits

struct LayoutLoadResult
{
    bool loaded = false;    // false when the path was empty: nothing was changed
    bool fileFound = false; // a missing file loads as a layout of no rows
    // The file exceeds LayoutLimits: it loads as a layout of no rows, and warnings holds only
    // the reason, naming the file and the limit.
    bool refused = false;
    int rows = 0;
    // Hand-made values that could not be used as they stand, each naming the file, the section
    // and the key, and what was done instead.
    QStringList warnings;
};

// A layout's name is the name of its file in the ExportFormat folder less ".ini", never a path:
// refuses an empty name, "." and "..", and names holding "/", "\", ":" or control characters.
Outcome checkLayoutName(const QString& name);
// The file of the layout called name, or why there can be none.
Expected<QString> layoutFileNamed(const AppPaths& paths, const QString& name);

// What the format editor shows of a layout besides the grid: the name box, the hidden
// view-name box and the selections of its date-pattern and time-pattern lists.
struct EditorLayoutState
{
    QString fileName;                             // txtFileName
    QString viewName = QStringLiteral("ชื่อรูปแบบ"); // txtViewName
    int dateIndex = 0;                            // cmbDataFormat
    int timeIndex = 0;                            // combformatTime
};

// The export window's reader: replaces the grid's rows and, piecewise, the layout. A layout of
// no rows keeps the patterns, year form, IN/OUT texts and flags of the layout before it; the
// year form and the IN/OUT texts are only replaced by values that are not empty.
LayoutLoadResult loadExportLayout(const QString& path, ExportLayout& layout, LayoutGridModel& grid);

// The format editor's reader: as loadExportLayout, but it also fills the editor's state, takes
// the patterns from its list selections and takes the year form and the IN/OUT texts and flags
// as they are stored, even when empty.
LayoutLoadResult loadEditorLayout(const QString& path, ExportLayout& layout, LayoutGridModel& grid,
                                  EditorLayoutState& editor);

struct LayoutSaveResult
{
    enum class Status {
        Written,   // the file holds the layout
        NoRows,    // the grid has no field rows: nothing was written
        EmptyName, // refused: show `message` with the critical icon and `title`
        BadName,   // refused: the name would leave the ExportFormat folder
        Failed,    // the layout exceeds LayoutLimits or the file could not be written; the
                   // file is as it was before
    };
    Status status = Status::Failed;
    QString title;
    QString message;

    bool refused() const { return status == Status::EmptyName || status == Status::BadName; }
};

// The editor's save, under the name of editor.fileName used as typed. Keys already in the file
// are replaced in place and higher rows of an earlier, longer save stay (Rows bounds every load).
// Sets layout.path unless the name is refused.
LayoutSaveResult saveExportLayout(const AppPaths& paths, ExportLayout& layout, const QList<LayoutRow>& rows,
                                  const EditorLayoutState& editor);

struct LayoutListing
{
    QStringList names;
    bool found = false; // at least one layout
    QString error;      // the folder could not be created, or the shipped layouts not installed
};

// Makes sure the ExportFormat folder exists; when it has to be created, the shipped layouts
// "Default" and "TA_format" are installed into it.
Outcome ensureExportFormatDir(const AppPaths& paths);

// Lists the layouts of the ExportFormat folder (creating it as ensureExportFormatDir does), in
// name order, calling onEntry for each name as it is found.
LayoutListing listExportFormats(const AppPaths& paths,
                                const std::function<void(const QString&)>& onEntry = {});

// Writes the shipped layouts into dir, leaving files that already exist alone.
Outcome installShippedLayouts(const QString& dir);
// The names and contents of the shipped layouts.
QStringList shippedLayoutNames();
QByteArray shippedLayout(const QString& name);
