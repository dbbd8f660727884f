#pragma once

#include "core/platform/Outcome.h"

#include <QSqlDatabase>

// The local database's two tables: tblexport (every punch downloaded) and tblExport1 (the
// attendance search's work table), six TEXT columns each. SQLite matches table and column
// names without regard to letter case, as the statements expect.
namespace LocalSchema {
// Creates the tables and the punch index when they are missing; leaves existing data alone.
Outcome ensure(QSqlDatabase& db);
} // namespace LocalSchema
