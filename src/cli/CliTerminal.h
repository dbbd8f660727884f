#pragma once

#include "cli/CliContext.h"

// import [FILE]: converts a log file (default the data directory's TQ90_log.bin).
int cliImport(CliContext& ctx, const QStringList& args);
// download --ip IP [--port N] [--erase]: downloads, converts, and erases only after the
// conversion committed and only when the terminal's log is still the one downloaded.
int cliDownload(CliContext& ctx, const QStringList& args);
