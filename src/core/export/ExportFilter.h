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

// The person an ID stands for, as the searches match it: an ID of digits is a number, so "007"
// and "7" are the same person; any other ID is its text.
QString personKey(const QString& id);

// The query over tblexport for the filter choices. Each listed ID and each date is a bound value.
// Raw data orders by person only; filtered data and the time-attendance export order by person,
// date and time, as pairing needs.
enum class PunchQueryKind { Raw, Filtered, TimeAttendance };
SourceQuery buildLocalPunchQuery(const ExportFilter& filter, PunchQueryKind kind);

// The query over the access-control server's RALog for the filter choices. The range bounds
// are the date-times from-day 00:00:00 and to-day 23:59:59, bound as date-time values so that
// no server's date order setting can misread them. Raw data orders by person only; filtered
// data and the time-attendance export order by person and date-time.
// An ID of digits is bound as a number against a number column; against a text column it is
// bound as text, since a server would convert the whole column to a number and fail on any
// value that is none.
struct IdColumnTypes
{
    bool numericPerson = true;   // RALog.UID
    bool numericTerminal = true; // RALog.FID
};
SourceQuery buildAccessControlPunchQuery(const ExportFilter& filter, PunchQueryKind kind,
                                         IdColumnTypes columns = {});
