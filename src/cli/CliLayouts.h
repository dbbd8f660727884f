#pragma once

#include "cli/CliContext.h"

int cliLayouts(CliContext& ctx, const QStringList& args);
int cliPreview(CliContext& ctx, const QStringList& args);
