#include "search/PunchSource.h"

#include "data/Connections.h"

#include <QSqlError>
#include <QSqlRecord>

LocalPunchSource::LocalPunchSource(QSqlDatabase db, SourceQuery query)
    : m_db(std::move(db)), m_query(std::move(query))
{}

Outcome LocalPunchSource::open()
{
    Expected<QSqlQuery> reader = ExecuteStatement(m_db, m_query.statement, m_query.values);
    if (!reader)
        return reader.outcome();
    m_reader = std::move(*reader);
    const QSqlRecord record = m_reader.record();
    const char* names[6] = {"HID", "FID", "GID", "wDate", "wTime", "Status"};
    for (int i = 0; i < 6; ++i) {
        m_columns[i] = record.indexOf(QLatin1String(names[i]));
        if (m_columns[i] < 0)
            return Outcome::failure(QStringLiteral("The punch query has no column %1.\nStatement: %2")
                                        .arg(QLatin1String(names[i]), m_query.statement));
    }
    return Outcome::success();
}

Expected<bool> LocalPunchSource::next(SourceRow& row)
{
    if (!m_reader.next()) {
        if (m_reader.lastError().isValid())
            return Expected<bool>::failure(describeSqlError(m_reader, m_query.statement));
        return false;
    }
    const QVariant person = m_reader.value(m_columns[0]);
    const QVariant date = m_reader.value(m_columns[3]);
    const QVariant code = m_reader.value(m_columns[5]);
    row.incomplete = person.isNull() || date.isNull() || code.isNull();
    row.person = person.toString();
    row.terminal = m_reader.value(m_columns[1]).toString();
    row.group = m_reader.value(m_columns[2]).toString();
    row.date = date.toString();
    row.time = m_reader.value(m_columns[4]).toString();
    row.code = code.toString();
    return true;
}
