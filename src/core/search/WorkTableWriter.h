#pragma once

#include "core/platform/Outcome.h"
#include "core/search/PunchRecord.h"

#include <QSqlDatabase>

#include <memory>

// Inserts rows into the work table tblExport1 with one statement prepared once. On the local
// SQLite database the rows go straight to SQLite: Qt's bound execution costs about three times
// SQLite's own work per row, which a search of a million punches would feel.
class WorkTableWriter final
{
public:
    explicit WorkTableWriter(QSqlDatabase local);
    ~WorkTableWriter();
    WorkTableWriter(const WorkTableWriter&) = delete;
    WorkTableWriter& operator=(const WorkTableWriter&) = delete;

    Outcome prepare();
    Outcome insert(const PunchRecord& row);

private:
    class Backend;
    class QtBackend;
    class SqliteBackend;

    QSqlDatabase m_local;
    std::unique_ptr<Backend> m_backend;
};
