#pragma once

#include "core/export/ExportFilter.h"
#include "core/export/ExportReport.h"
#include "core/layouts/LineBuilder.h"
#include "core/platform/AppPaths.h"
#include "core/platform/Outcome.h"
#include "core/search/AttendanceSearch.h"
#include "core/search/PunchRecord.h"
#include "core/search/RunProgress.h"

#include <functional>

class StagedExportFile;

struct TextExportRequest
{
    ExportFilter filter;
    QString outputFile;
    QString layoutFile{}; // the layout the lines are built by, which the output must not replace
};

// Refuses an output file that the export must not replace: one that is, links followed, one of
// the program's own files (AppPaths::ownFileAt) or the layout file, and one that exists but is
// not a regular file (a folder, a named pipe, a device). Every export checks this first.
Outcome checkExportOutput(const AppPaths& paths, const QString& output, const QString& layoutFile = {});

// Builds the text line of one punch (the current layout's line builder).
using ExportLineBuilder = std::function<QString(const PunchRecord&)>;

// The line builder of a text export by a layout and its field rows. A layout without fields
// would write a file of empty lines and is refused, with the message the operator reads, so
// the caller stops before it asks for or writes any file.
Expected<ExportLineBuilder> layoutLineBuilder(const ExportLayout& layout, const QList<LayoutRow>& fields,
                                              ExportDataType dataType);

// Text export from the local database: searches the punches the filter selects into the work
// table (paired into IN and OUT for filtered data), then writes one line per punch of the work
// table, in order of person, date and time, through the staging file to the chosen file.
// With chosen employees the lines come grouped by the IDs of the employee box, in the box's
// order, each employee's lines in work-table order.
class TextExport final
{
public:
    TextExport(AppPaths paths, RunProgress& progress);
    Expected<ExportReport> exportLocal(const TextExportRequest& request, const ExportLineBuilder& lineFor);
    // The same from the access-control server's log RALog (AccessControlConnection).
    Expected<ExportReport> exportAccessControl(const TextExportRequest& request,
                                               const ExportLineBuilder& lineFor);
    // The second half of Export: writes the work table as it stands to the chosen file. When the
    // work table holds rows but none of a chosen employee, the file holds one blank line.
    Expected<ExportReport> exportWorkTable(const TextExportRequest& request,
                                           const ExportLineBuilder& lineFor);

private:
    using Search = std::function<Expected<SearchResult>(const ExportFilter&, const WorkRowSink&)>;
    // linesAsSearched: the search writes the work rows in the order the work table is read back.
    Expected<ExportReport> run(const TextExportRequest& request, const ExportLineBuilder& lineFor,
                               const Search& search, bool linesAsSearched);
    Expected<ExportReport> writeWorkTable(const TextExportRequest& request, const ExportLineBuilder& lineFor,
                                          StagedExportFile& file, ExportReport report);

    AppPaths m_paths;
    RunProgress& m_progress;
};
