#pragma once

#include "cli/CliContext.h"

// export: the text export; export-ta: the export into the time-attendance database.
int cliExport(CliContext& ctx, const QStringList& args);
int cliExportTA(CliContext& ctx, const QStringList& args);
