#pragma once

#include "cli/CliProgress.h"
#include "core/platform/AppPaths.h"

#include <QCommandLineParser>
#include <QTextStream>

// What a command of tqtool-cli works with. Exit codes: 0 success (also when there was nothing
// to do), 1 the work failed (reason on the error stream), 2 bad usage.
struct CliContext
{
    AppPaths paths;
    QTextStream& out; // discards everything under --quiet
    QTextStream& err;
    CliProgress& progress;
    const QCommandLineParser& options;
    QString usage; // the command's usage line

    // Prints why, the usage line and where the options are described; returns the exit code 2.
    int usageError(const QString& why) const;
};

namespace CliExit {
constexpr int Success = 0;
constexpr int Failure = 1;
constexpr int Usage = 2;
} // namespace CliExit
