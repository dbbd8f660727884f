#include "core/storage/TimeAttendanceConnection.h"

#include "core/platform/Cp874.h"
#include "core/platform/RegistryStore.h"
#include "core/storage/Connections.h"
#include "core/storage/OdbcConnector.h"

#include <QSettings>

namespace {

QString readValue(const QString& name)
{
    return readRegistryValue(TimeAttendanceSettings::KeyPath + u'\\' + name);
}

// Code of a character in the code page; characters it lacks count as '?', as the Windows
// conversion to the ANSI code page makes them.
int ansiCode(QChar c)
{
    const int code = Cp874::codeOf(c);
    return code < 0 ? int('?') : code;
}

} // namespace

QString decodeStoredPassword(const QString& stored)
{
    if (stored.size() <= 1)
        return {};
    const int key = ansiCode(stored.back());
    QString clear;
    clear.reserve(stored.size() - 1);
    for (qsizetype i = 0; i + 1 < stored.size(); ++i) {
        int code = ansiCode(stored[i]) - key;
        if (code < 0)
            code += 255;
        clear += Cp874::charOf(static_cast<unsigned char>(code));
    }
    return clear;
}

QString buildTimeAttendanceConnectionString()
{
    const QString dsn = readValue(QStringLiteral("DSN"));
    const QString uid = readValue(QStringLiteral("UID"));
    const QString pwd = decodeStoredPassword(readValue(QStringLiteral("PWD")));
    const QString database = readValue(QStringLiteral("Database"));
    const QString driver = readValue(QStringLiteral("Driver"));
    const QString server = readValue(QStringLiteral("Server"));
    const QString port = readValue(QStringLiteral("Port"));

    const QString credentials = QStringLiteral(";UID=") + uid + QStringLiteral(";PWD=") + pwd +
                                QStringLiteral(";Database=") + database;
    if (dsn.trimmed() == QStringLiteral("(None)"))
        return QStringLiteral("PROVIDER=MSDASQL;Driver=") + driver + QStringLiteral(";Server=") + server +
               credentials;
    if (driver == QStringLiteral("SQL Server"))
        return QStringLiteral("Driver=SQL Server;DSN=") + dsn + QStringLiteral(";server=") + server + u',' +
               port + credentials;
    return QStringLiteral("PROVIDER=MSDASQL;DSN=") + dsn + credentials;
}

Outcome openTimeAttendanceDatabase()
{
    return openTimeAttendanceDatabase(OdbcConnector::DefaultLoginTimeout);
}

Outcome openTimeAttendanceDatabase(int loginTimeoutSeconds)
{
    const QString connectionString = buildTimeAttendanceConnectionString();
    QSqlDatabase db = Connections::replace(Connections::TimeAttendanceConnection, QStringLiteral("QODBC"));
    const Outcome opened = OdbcConnector::open(db, connectionString, loginTimeoutSeconds);
    if (!opened)
        return Outcome::failure(
            QStringLiteral(
                "Cannot connect to the time-attendance database. %1\nThe connection values are read "
                "from the settings of the time-attendance program's configuration tool.")
                .arg(opened.error()));
    return Outcome::success();
}

QString TimeAttendanceSettings::location()
{
#ifdef Q_OS_WIN
    return KeyPath;
#else
    const QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("ZUN Vantorel"),
                          QStringLiteral("Configuration Connection Tools"));
    return store.fileName();
#endif
}
