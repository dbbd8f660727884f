#include "core/export/WorkTableReader.h"

#include "core/storage/Connections.h"

#include <QSqlError>
#include <QSqlRecord>

namespace {
const QString ReadWorkTable = QStringLiteral("select * from tblExport1 order by HID,wdate asc,wtime asc");
}

WorkTableReader::WorkTableReader(QSqlDatabase local) : m_local(std::move(local)) {}

Outcome WorkTableReader::open()
{
    Expected<QSqlQuery> query = executeStatement(m_local, ReadWorkTable);
    if (!query)
        return query.outcome();
    m_query = std::move(*query);
    const QSqlRecord record = m_query.record();
    const char* names[6] = {"HID", "FID", "GID", "wDate", "wTime", "Status"};
    for (int i = 0; i < 6; ++i)
        m_columns[i] = record.indexOf(QLatin1String(names[i]));
    return Outcome::success();
}

Expected<bool> WorkTableReader::next(PunchRecord& row)
{
    if (!m_query.next()) {
        if (m_query.lastError().isValid())
            return Expected<bool>::failure(describeSqlError(m_query, ReadWorkTable));
        return false;
    }
    row.hid = m_query.value(m_columns[0]).toString();
    row.fid = m_query.value(m_columns[1]).toString();
    row.gid = m_query.value(m_columns[2]).toString();
    row.wDate = m_query.value(m_columns[3]).toString();
    row.wTime = m_query.value(m_columns[4]).toString();
    row.status = m_query.value(m_columns[5]).toString();
    return true;
}
