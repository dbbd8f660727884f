#include "core/accesscontrol/AccessControlEmployees.h"

#include "core/storage/Connections.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>

QString accessControlPersonQuery(const QSqlDatabase& db)
{
    const QString table = QStringLiteral("User");
    const QString quoted = db.driver() ? db.driver()->escapeIdentifier(table, QSqlDriver::TableName) : table;
    return QStringLiteral("Select * from ") + quoted;
}

Expected<QList<AccessControlPerson>> listAccessControlPersons(const QSqlDatabase& db)
{
    if (!db.isValid() || !db.isOpen())
        return Expected<QList<AccessControlPerson>>::failure(
            QStringLiteral("The access-control server is not connected. Connect to it in the SQL Server "
                           "connection window first."));
    const QString statement = accessControlPersonQuery(db);
    Expected<QSqlQuery> query = executeStatement(db, statement);
    if (!query)
        return Expected<QList<AccessControlPerson>>::failure(query.error());
    const QSqlRecord record = query->record();
    const int uid = record.indexOf(QStringLiteral("UID"));
    const int name = record.indexOf(QStringLiteral("Name"));
    if (uid < 0 || name < 0)
        return Expected<QList<AccessControlPerson>>::failure(
            QStringLiteral(
                "The access-control server's person table has no UID or Name column.\nStatement: ") +
            statement);
    QList<AccessControlPerson> persons;
    while (query->next())
        persons.append({query->value(uid).toString().trimmed(), query->value(name).toString()});
    if (query->lastError().isValid())
        return Expected<QList<AccessControlPerson>>::failure(describeSqlError(*query, statement));
    return persons;
}
