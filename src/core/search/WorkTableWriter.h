#pragma once

#include "core/platform/Outcome.h"
#include "core/search/PunchRecord.h"

#include <QSqlDatabase>

#include <memory>

// Inserts rows into the work table tblExport1 with statements prepared once. On the local
// SQLite database the rows go straight to SQLite, several to a statement: Qt's bound execution
// costs about three times SQLite's own work per row, and so does starting a statement for each,
// which a search of a million punches would feel. Rows may be held until finish().
class WorkTableWriter final
{
public:
    explicit WorkTableWriter(QSqlDatabase local);
    ~WorkTableWriter();
    WorkTableWriter(const WorkTableWriter&) = delete;
    WorkTableWriter& operator=(const WorkTableWriter&) = delete;

    Outcome prepare();
    Outcome insert(const PunchRecord& row);
    // Inserts the rows still held.
    Outcome finish();

private:
    class Backend;
    class QtBackend;
    class SqliteBackend;

    QSqlDatabase m_local;
    std::unique_ptr<Backend> m_backend;
};
