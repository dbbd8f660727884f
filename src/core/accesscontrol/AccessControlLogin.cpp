#include "core/accesscontrol/AccessControlLogin.h"

#include "core/platform/IniFile.h"
#include "core/storage/Connections.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>

namespace {

QString odbcValue(const QString& value)
{
    const bool plain =
        !value.contains(u';') && !value.contains(u'{') && !value.contains(u'}') && value == value.trimmed();
    if (plain)
        return value;
    QString braced = value;
    braced.replace(QStringLiteral("}"), QStringLiteral("}}"));
    return u'{' + braced + u'}';
}

} // namespace

QString buildAccessControlConnectionString(const AccessControlLogin& login)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Password=") + login.password +
           QStringLiteral(";Persist Security Info=True;User ID=") + login.user +
           QStringLiteral(";Initial Catalog=QORSQL;Data Source=") + login.host + u',' + login.port;
}

QString buildAccessControlOdbcString(const AccessControlLogin& login, const QString& driver)
{
    QString text = QStringLiteral("Driver={") +
                   QString(driver).replace(QStringLiteral("}"), QStringLiteral("}}")) +
                   QStringLiteral("};Server=") + odbcValue(login.host) + u';';
    if (!login.port.isEmpty())
        text += QStringLiteral("Port=") + odbcValue(login.port) + u';';
    text += QStringLiteral("Database=") + AccessControlSettings::Catalog + QStringLiteral(";UID=") +
            odbcValue(login.user) + QStringLiteral(";PWD=") + odbcValue(login.password) + u';';
    return text;
}

Outcome openAccessControlDatabase(const AccessControlLogin& login, const QString& driver,
                                  int loginTimeoutSeconds)
{
    QSqlDatabase db = Connections::replace(Connections::AccessControlConnection, QStringLiteral("QODBC"));
    if (!db.isValid())
        return Outcome::failure(
            QStringLiteral("The ODBC database driver of Qt is not installed, so the access-control "
                           "server cannot be reached. Install the Qt ODBC plugin."));
    db.setDatabaseName(buildAccessControlOdbcString(login, driver));
    db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(loginTimeoutSeconds));
    if (db.open())
        return Outcome::success();
    QString why = db.lastError().text().trimmed();
    if (why.isEmpty())
        why = QStringLiteral("the driver gave no reason");
    db = QSqlDatabase();
    Connections::close(Connections::AccessControlConnection);
    return Outcome::failure(
        QStringLiteral("Cannot connect to the database %1 on %2 through the ODBC driver \"%3\":\n%4")
            .arg(AccessControlSettings::Catalog,
                 login.port.isEmpty() ? login.host : login.host + u',' + login.port, driver, why));
}

AccessControlLogin readAccessControlLogin(const AppPaths& paths)
{
    using namespace AccessControlSettings;
    const QString file = paths.settingsFile();
    AccessControlLogin login;
    login.host = readIniValue(Section, Host, QString(), file);
    login.port = readIniValue(Section, Port, QString(), file);
    login.user = readIniValue(Section, User, QString(), file);
    login.password = unshiftPassword(readIniValue(Section, Password, QString(), file));
    return login;
}

QString readAccessControlDriver(const AppPaths& paths)
{
    using namespace AccessControlSettings;
    return readIniValue(Section, Driver, DefaultDriver, paths.settingsFile());
}

Outcome storeAccessControlLogin(const AccessControlLogin& login, const AppPaths& paths)
{
    using namespace AccessControlSettings;
    const Expected<QString> shifted = shiftPassword(login.password);
    if (!shifted)
        return shifted.outcome();
    const QString file = paths.settingsFile();
    const bool stored =
        writeIniValue(Section, Host, login.host, file) && writeIniValue(Section, Port, login.port, file) &&
        writeIniValue(Section, User, login.user, file) && writeIniValue(Section, Password, *shifted, file);
    if (!stored)
        return Outcome::failure(
            QStringLiteral("Connected, but the connection could not be remembered in %1. Check that "
                           "the file and its folder are writable.")
                .arg(QDir::toNativeSeparators(file)));
    return Outcome::success();
}

Outcome checkAccessControlLogin(const AccessControlLogin& login)
{
    if (login.host.isEmpty() && login.port.isEmpty())
        return Outcome::failure(
            QStringLiteral("Enter the server's host (QOR ServerIP) and port: they are required to connect."));
    return Outcome::success();
}

Outcome connectAccessControl(const AccessControlLogin& login, const AppPaths& paths)
{
    if (const Outcome complete = checkAccessControlLogin(login); !complete)
        return complete;
    if (const Expected<QString> shifted = shiftPassword(login.password); !shifted)
        return shifted.outcome();
    if (const Outcome opened = openAccessControlDatabase(login, readAccessControlDriver(paths)); !opened)
        return opened;
    return storeAccessControlLogin(login, paths);
}
