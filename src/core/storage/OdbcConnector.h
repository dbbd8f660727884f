#pragma once

#include "core/platform/Outcome.h"

#include <QSqlDatabase>
#include <QString>

// Opens ODBC connections through Qt SQL's QODBC driver and the platform's driver manager.
namespace OdbcConnector {

// Seconds a connection attempt may take before the driver gives up.
inline constexpr int DefaultLoginTimeout = 10;

// The connection string as the driver manager takes it: a leading "PROVIDER=MSDASQL;", which
// only names the ODBC bridge of the Windows database components, is dropped.
QString driverConnectionString(const QString& connectionString);

// What to give QODBC as the database name so that it hands the driver manager exactly the
// given string: QODBC passes a string through only when it names a DRIVER= or SERVER=, and
// otherwise puts "DSN=" in front of it.
QString qodbcDatabaseName(const QString& driverString);

// Opens a fresh QODBC connection object on the string, with empty user name and password,
// within the login timeout. Fails with the driver's words.
Outcome open(QSqlDatabase& db, const QString& connectionString,
             int loginTimeoutSeconds = DefaultLoginTimeout);

} // namespace OdbcConnector
