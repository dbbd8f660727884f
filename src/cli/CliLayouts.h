#pragma once

#include "cli/CliCommands.h"

CliCommand layoutsCommand();
CliCommand previewCommand();
