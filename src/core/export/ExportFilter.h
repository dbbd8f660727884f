#pragma once

#include "core/search/PunchSource.h"

#include <QString>
#include <QStringList>

// The filter choices of the export window, as a request: which employees, raw or filtered
// data, which dates and which terminals.
struct ExportFilter
{
    bool chosenEmployees = false;
    QString employees;     // the employee box: IDs separated by commas
    bool filtered = false; // IN/OUT pairing instead of raw punches
    bool dateRange = false;
    QString from; // "yyyy/MM/dd", Christian era
    QString to;
    bool chosenTerminals = false;
    QString terminals; // the terminal box: IDs separated by commas
};

// The IDs of a box, in the box's order, each trimmed of blanks; an empty box gives one empty ID.
QStringList splitIdList(const QString& box);

// The query over tblexport for the filter choices. Each listed ID and each date is a bound value.
// Raw data orders by person only; filtered data and the time-attendance export order by person,
// date and time, as pairing needs.
enum class PunchQueryKind { Raw, Filtered, TimeAttendance };
SourceQuery buildLocalPunchQuery(const ExportFilter& filter, PunchQueryKind kind);

// The query over the access-control server's RALog for the filter choices. The range bounds
// are the date-times from-day 00:00:00 and to-day 23:59:59, bound as date-time values so that
// no server's date order setting can misread them. Raw data orders by person only; filtered
// data and the time-attendance export order by person and date-time.
SourceQuery buildAccessControlPunchQuery(const ExportFilter& filter, PunchQueryKind kind);
