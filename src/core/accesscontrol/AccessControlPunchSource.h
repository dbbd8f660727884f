#pragma once

#include "core/export/ExportFilter.h"
#include "core/search/PunchSource.h"

#include <QSqlDatabase>
#include <QSqlQuery>

// Punches of the access-control server's log RALog: the person is UID, the terminal FID, the
// group GID; date and time are written from the date-time Date as "yyyy/MM/dd" and "HH:mm:ss";
// the direction is the number InOutOption as decimal text.
class AccessControlPunchSource final : public PunchSource
{
public:
    AccessControlPunchSource(QSqlDatabase db, SourceQuery query);
    Outcome open() override;
    Expected<bool> next(SourceRow& row) override;

private:
    QSqlDatabase m_db;
    SourceQuery m_query;
    QSqlQuery m_reader;
    int m_columns[5] = {-1, -1, -1, -1, -1};
};

// Whether RALog keeps UID and FID as numbers on this server; when the columns cannot be read,
// numbers, as the server's own schema has them.
IdColumnTypes accessControlIdColumnTypes(const QSqlDatabase& db);
