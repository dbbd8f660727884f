#pragma once

#include "core/export/ExportFilter.h"
#include "core/export/ExportReport.h"
#include "core/export/TransactionWriter.h"
#include "core/platform/Outcome.h"
#include "core/search/AttendanceSearch.h"
#include "core/search/RunProgress.h"

#include <functional>

#include <QSqlDatabase>

// The stamp written to the time-attendance database: "yyyy/MM/dd HH:mm:ss" with the year of
// the Christian-era wDate plus 543.
QString buddhistStamp(const QString& wDate, const QString& wTime);

// Export into the time-attendance database's tblTransaction: the punches the filter selects,
// always paired into IN and OUT, each written after deleting an identical row, so exporting a
// period twice leaves one row per punch. A punch whose direction is neither IN nor OUT is not
// written and is counted in the report. Where the driver offers transactions the run is one
// transaction, so a failure leaves tblTransaction as it was.
class TimeAttendanceExport final
{
public:
    TimeAttendanceExport(QSqlDatabase timeAttendance, RunProgress& progress);
    // The data-type choice of the filter plays no part: the punches are always paired.
    Expected<ExportReport> exportLocal(const ExportFilter& filter);
    // The same from the access-control server's log RALog (AccessControlConnection).
    Expected<ExportReport> exportAccessControl(const ExportFilter& filter);

private:
    using Search = std::function<Expected<SearchResult>(const WorkRowSink&)>;
    Expected<ExportReport> run(const Search& search);
    // Writes the work table punch by punch; the number of punches written.
    Expected<qint64> writeWorkTable(ExportReport& report);

    QSqlDatabase m_target;
    RunProgress& m_progress;
};
