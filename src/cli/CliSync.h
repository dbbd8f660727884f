#pragma once

#include "cli/CliCommands.h"

// sync --terminals FILE [--export-ta [day range] [--ta-connection ODBC]]: every terminal of
// the file downloaded, stored and, where the file says so, erased after the store was shown
// complete; then the punches exported into the time-attendance database. One sync at a time
// per data directory.
CliCommand syncCommand();
