#pragma once

#include "core/platform/Outcome.h"
#include "core/search/PunchRecord.h"

#include <QSqlDatabase>
#include <QSqlQuery>

// Reads the work table tblExport1 back in order of person, date and time.
class WorkTableReader final
{
public:
    explicit WorkTableReader(QSqlDatabase local);
    Outcome open();
    // Fills row with the next punch; Expected false at the end.
    Expected<bool> next(PunchRecord& row);

private:
    QSqlDatabase m_local;
    QSqlQuery m_query;
    int m_columns[6] = {-1, -1, -1, -1, -1, -1};
};
