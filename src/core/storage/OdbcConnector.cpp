#include "core/storage/OdbcConnector.h"

#include <QSqlError>

namespace OdbcConnector {

QString driverConnectionString(const QString& connectionString)
{
    static const QString prefix = QStringLiteral("PROVIDER=MSDASQL;");
    if (connectionString.startsWith(prefix, Qt::CaseInsensitive))
        return connectionString.mid(prefix.size());
    return connectionString;
}

QString qodbcDatabaseName(const QString& driverString)
{
    const bool passedThrough = driverString.contains(QStringLiteral("DRIVER="), Qt::CaseInsensitive) ||
                               driverString.contains(QStringLiteral("SERVER="), Qt::CaseInsensitive);
    static const QString dsn = QStringLiteral("DSN=");
    if (!passedThrough && driverString.startsWith(dsn, Qt::CaseInsensitive))
        return driverString.mid(dsn.size());
    return driverString;
}

Outcome open(QSqlDatabase& db, const QString& connectionString, int loginTimeoutSeconds)
{
    if (!db.isValid())
        return Outcome::failure(QStringLiteral("The ODBC database driver of Qt SQL is not installed "
                                               "(package libqt6sql6-odbc)."));
    db.setDatabaseName(qodbcDatabaseName(driverConnectionString(connectionString)));
    db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(loginTimeoutSeconds));
    if (!db.open(QString(), QString())) {
        QString reason = db.lastError().text().trimmed();
        if (reason.isEmpty())
            reason = QStringLiteral("the ODBC driver manager gave no reason");
        return Outcome::failure(QStringLiteral("Cannot connect through ODBC: %1").arg(reason));
    }
    return Outcome::success();
}

} // namespace OdbcConnector
