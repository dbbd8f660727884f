#include "core/accesscontrol/AccessLogPull.h"

#include "core/platform/IniFile.h"
#include "core/storage/Connections.h"

#include <QSqlError>
#include <QSqlRecord>

namespace {
const QString FacilityQuery = QStringLiteral("SELECT FacID FROM FacDefinition ");
}

QString AccessLogPullReport::warnings() const
{
    QStringList lines;
    for (const QString& fac : skippedFacilities)
        lines << QStringLiteral("Facility %1 was skipped: a facility number must be from 0 to 255.").arg(fac);
    lines << facilityErrors;
    return lines.join(u'\n');
}

AccessLogPull::AccessLogPull(QSqlDatabase accessControl, QorClient& client)
    : m_db(std::move(accessControl)), m_client(client)
{}

Expected<AccessLogPullReport> AccessLogPull::run(const QString& host, int port, qint16 deleteFlag)
{
    AccessLogPullReport report;
    if (m_client.QorInitializeWithPassword(host, port, servicePassword()) != QorClient::Ready) {
        report.initError = m_client.lastError();
        return report;
    }
    report.initialised = true;

    const auto failed = [this](const QString& why) {
        m_client.disconnect();
        return Expected<AccessLogPullReport>::failure(
            QStringLiteral(
                "Cannot read the facilities of the access-control server, so no logs were pulled and "
                "nothing was exported. Check the connection to the server and try again.\n") +
            why);
    };
    Expected<QSqlQuery> facilities = executeStatement(m_db, FacilityQuery);
    if (!facilities)
        return failed(facilities.error());
    const int column = facilities->record().indexOf(QStringLiteral("FacID"));
    if (column < 0)
        return failed(QStringLiteral("The facility query has no column FacID.\nStatement: ") + FacilityQuery);

    // Read the facilities before asking the service: it writes into the same database, and a
    // result set still being fetched must not hold it up.
    QList<QVariant> ids;
    while (facilities->next())
        ids << facilities->value(column);
    if (facilities->lastError().isValid())
        return failed(describeSqlError(*facilities, FacilityQuery));
    facilities->finish();

    const quint8 flag = static_cast<quint8>(deleteFlag);
    for (const QVariant& id : ids) {
        bool ok = false;
        const qlonglong fac = id.toLongLong(&ok);
        if (id.isNull() || !ok || fac < 0 || fac > 255) {
            report.skippedFacilities << (id.isNull() ? QStringLiteral("(empty)") : id.toString());
            continue;
        }
        const quint8 facility = static_cast<quint8>(fac);
        report.pulled << facility;
        if (m_client.QorGetFacRALToQor(facility, flag) != QorClient::Pulled)
            report.facilityErrors << m_client.lastError();
    }
    m_client.disconnect();
    return report;
}

Expected<AccessLogPullReport> pullAccessLogs(qint16 deleteFlag, const AppPaths& paths, QorClient& client,
                                             int servicePort)
{
    const QString host =
        readIniValue(QStringLiteral("text"), QStringLiteral("IPSQL"), QString(), paths.settingsFile());
    return AccessLogPull(Connections::get(Connections::AccessControlConnection), client)
        .run(host, servicePort, deleteFlag);
}
