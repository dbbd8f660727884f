#pragma once

#include <QSqlDatabase>

struct sqlite3;

// SQLite's own handle behind an open Qt connection of the QSQLITE driver, or nullptr for any
// other connection. For the few row loops where Qt's per-row cost would dominate SQLite's work.
sqlite3* SqliteHandle(const QSqlDatabase& db);
