#pragma once

#include "cli/CliCommands.h"

// import [FILE]: converts a log file (default the data directory's TQ90_log.bin).
CliCommand importCommand();
// download --ip IP [--port N] [--erase]: downloads and converts; erases only when the database
// was shown to hold every punch of the log and the terminal's log is still the one downloaded.
CliCommand downloadCommand();
