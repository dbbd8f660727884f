#pragma once

#include "core/platform/AppPaths.h"
#include "core/platform/Outcome.h"

#include <QString>

// The four entries with which the operator reaches the access-control server's database.
struct AccessControlLogin
{
    QString host;
    QString port;
    QString user;
    QString password;
};

// Where the access-control connection is remembered: section "text" of the settings file.
namespace AccessControlSettings {
inline const QString Section = QStringLiteral("text");
inline const QString Host = QStringLiteral("IPSQL");
inline const QString Port = QStringLiteral("PORTSQL");
inline const QString User = QStringLiteral("USERSQL");
inline const QString Password = QStringLiteral("PASSSQL");
// The ODBC driver that reaches the server, as odbcinst.ini names it.
inline const QString Driver = QStringLiteral("DRIVERSQL");
inline const QString DefaultDriver = QStringLiteral("FreeTDS");
// The access-control server's database.
inline const QString Catalog = QStringLiteral("QORSQL");
constexpr int LoginTimeoutSeconds = 10;
} // namespace AccessControlSettings

// The server's own form of the connection: "Provider=SQLOLEDB.1;Password=...;Persist Security
// Info=True;User ID=...;Initial Catalog=QORSQL;Data Source=host,port", entries as typed.
QString buildAccessControlConnectionString(const AccessControlLogin& login);

// The same connection for ODBC, through the named driver: "Driver={driver};Server=host;
// Port=port;Database=QORSQL;UID=user;PWD=password;". Both the SQL Server driver and the
// PostgreSQL driver read host and port from Server and Port; an empty port is left out, so the
// driver's default port is used. A value holding ';', '{', '}' or blanks at either end is
// written in braces, so that no entry can add keys of its own to the string.
QString buildAccessControlOdbcString(const AccessControlLogin& login, const QString& driver);

// Opens AccessControlConnection anew with the login through the driver, giving up after the
// login timeout. On failure the connection is dropped and the driver's message returned.
Outcome openAccessControlDatabase(const AccessControlLogin& login, const QString& driver,
                                  int loginTimeoutSeconds = AccessControlSettings::LoginTimeoutSeconds);

// The login remembered in the settings file, the password unshifted; empty entries when none.
AccessControlLogin readAccessControlLogin(const AppPaths& paths);
QString readAccessControlDriver(const AppPaths& paths);

// Host and port cannot both be empty: the message says they are required.
Outcome checkAccessControlLogin(const AccessControlLogin& login);

// The connect step of the connection window: refuses a password that could not be remembered,
// opens AccessControlConnection through the driver named in the settings and, once it is open,
// remembers the login. Nothing is stored when the connection fails.
Outcome connectAccessControl(const AccessControlLogin& login, const AppPaths& paths);

// Remembers the login in the order host, port, user, password (shifted). A password that
// cannot be stored in shifted form is refused before anything is written.
Outcome storeAccessControlLogin(const AccessControlLogin& login, const AppPaths& paths);
