#include "core/accesscontrol/AccessControlPunchSource.h"

#include "core/storage/Connections.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>

namespace {

// Date as the driver hands it over: a date-time, or text where the driver gives one.
QDateTime dateTimeOf(const QVariant& value)
{
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().startOfDay();
    const QString text = value.toString().trimmed();
    for (const QString& format :
         {QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"), QStringLiteral("yyyy-MM-dd HH:mm:ss"),
          QStringLiteral("yyyy/MM/dd HH:mm:ss"), QStringLiteral("yyyy-MM-ddTHH:mm:ss")}) {
        const QDateTime parsed = QDateTime::fromString(text.left(format.size()), format);
        if (parsed.isValid())
            return parsed;
    }
    return {};
}

bool isNumberType(const QMetaType& type)
{
    switch (type.id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

} // namespace

IdColumnTypes accessControlIdColumnTypes(const QSqlDatabase& db)
{
    IdColumnTypes types;
    // The column types as the driver reports them for a query that reads no row.
    Expected<QSqlQuery> probe = executeStatement(db, QStringLiteral("select UID, FID from RALog where 1=0"));
    if (!probe)
        return types;
    const QSqlRecord record = probe->record();
    if (record.count() == 2) {
        types.numericPerson = isNumberType(record.field(0).metaType());
        types.numericTerminal = isNumberType(record.field(1).metaType());
    }
    return types;
}

AccessControlPunchSource::AccessControlPunchSource(QSqlDatabase db, SourceQuery query)
    : m_db(std::move(db)), m_query(std::move(query))
{}

Outcome AccessControlPunchSource::open()
{
    if (!m_db.isValid() || !m_db.isOpen())
        return Outcome::failure(
            QStringLiteral("The access-control server is not connected. Connect to it in the SQL "
                           "Server connection window first."));
    Expected<QSqlQuery> reader = executeStatement(m_db, m_query.statement, m_query.values);
    if (!reader)
        return reader.outcome();
    m_reader = std::move(*reader);
    const QSqlRecord record = m_reader.record();
    const char* names[5] = {"UID", "FID", "GID", "Date", "InOutOption"};
    for (int i = 0; i < 5; ++i) {
        m_columns[i] = record.indexOf(QLatin1String(names[i]));
        if (m_columns[i] < 0)
            return Outcome::failure(QStringLiteral("The access-control log has no column %1.\nStatement: %2")
                                        .arg(QLatin1String(names[i]), m_query.statement));
    }
    return Outcome::success();
}

Expected<bool> AccessControlPunchSource::next(SourceRow& row)
{
    if (!m_reader.next()) {
        if (m_reader.lastError().isValid())
            return Expected<bool>::failure(describeSqlError(m_reader, m_query.statement));
        return false;
    }
    const QVariant person = m_reader.value(m_columns[0]);
    const QVariant code = m_reader.value(m_columns[4]);
    const QDateTime date = dateTimeOf(m_reader.value(m_columns[3]));
    bool numeric = false;
    const qlonglong direction = code.toLongLong(&numeric);
    row.incomplete = person.isNull() || code.isNull() || !numeric || !date.isValid();
    row.punch.hid = person.toString().trimmed();
    row.punch.fid = m_reader.value(m_columns[1]).toString().trimmed();
    row.punch.gid = m_reader.value(m_columns[2]).toString().trimmed();
    row.punch.wDate = date.toString(QStringLiteral("yyyy/MM/dd"));
    row.punch.wTime = date.toString(QStringLiteral("HH:mm:ss"));
    row.code = QString::number(direction);
    return true;
}
