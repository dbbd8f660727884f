#pragma once

#include "cli/CliContext.h"
#include "core/accesscontrol/AccessControlLogin.h"

#include <QCommandLineOption>

#include <optional>

// The access-control source of the export commands: the connection comes from the stored
// settings of the connection window, each entry overridable on the command line, and the
// facilities' logs are pulled into RALog before the export as the export window does.
struct CliAccessControlSource
{
    AccessControlLogin login;
    QString driver;
    int servicePort = 4900;
    // The delete flag of the pull (keep = 0, delete = 1); none: no pull.
    std::optional<qint16> pullFlag = 0;
};

// --source, --pull, --qor-host, --qor-port, --qor-user, --qor-password, --qor-driver and
// --service-port.
QList<QCommandLineOption> accessControlOptions();

// Reads the access-control options over the stored settings into source, and fromAccessControl
// (--source qor). False, with the reason on the error stream, on bad usage: the options other
// than --source are refused without --source qor.
bool takeAccessControlSource(CliContext& ctx, bool& fromAccessControl, CliAccessControlSource& source);

// Opens AccessControlConnection and runs the pull. False, with the reason on the error stream,
// when the connection failed or the pull stopped on a database error: no export may follow.
bool prepareAccessControlSource(CliContext& ctx, const CliAccessControlSource& source);
