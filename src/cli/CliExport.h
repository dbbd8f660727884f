#pragma once

#include "cli/CliCommands.h"
#include "core/export/ExportFilter.h"

struct CliAccessControlSource;

// export: the text export; export-ta: the export into the time-attendance database.
CliCommand exportCommand();
CliCommand exportTACommand();

// The options of the day range, and how they are read into the filter: false, with the
// reason on the error stream, when they are given wrong.
QList<QCommandLineOption> dateRangeOptions();
bool takeDateRange(CliContext& ctx, ExportFilter& filter);
// --ta-connection.
QCommandLineOption taConnectionOption();

// Exports the filter's punches into the time-attendance database: the one the ODBC connection
// string names, or, when it is empty, the one of the stored connection settings. The punches
// come from the access-control server when source is given, else from the local database.
int exportToTimeAttendance(CliContext& ctx, const ExportFilter& filter, const QString& connection,
                           const CliAccessControlSource* source);
