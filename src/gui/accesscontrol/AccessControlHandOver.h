#pragma once

#include "core/platform/Outcome.h"

class WindowRegistry;

// What follows a successful connect in the SQL Server connection window: the export window
// opens for access-control punches and the format editor is unloaded. The export window's
// preparation receives the side-bar item of the road taken: 5 for the export to a text file
// (fileMode true), 6 for the export into the time-attendance database. The export window then
// pulls the access-control logs and exports from RALog, and its employee picker lists the
// server's persons.
Outcome openAccessControlExport(WindowRegistry& registry, bool fileMode);
