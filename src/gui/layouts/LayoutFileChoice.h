#pragma once

#include "core/platform/AppPaths.h"
#include "core/platform/Prompter.h"

#include <QString>

// The file a layout loader reads: the named layout in the ExportFormat folder, or, when the
// name is empty, the file the operator picks in the open dialog ("ini Files (*.ini)|*.ini").
// A cancelled dialog, and a name that is a path rather than a name, give the empty path, which
// the loaders take as "change nothing".
QString chooseLayoutFile(const AppPaths& paths, const QString& name, Prompter& prompter);
