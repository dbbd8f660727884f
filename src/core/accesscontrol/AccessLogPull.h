#pragma once

#include "core/accesscontrol/QorClient.h"
#include "core/platform/AppPaths.h"
#include "core/platform/Outcome.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// What a pull of the access-control logs did.
struct AccessLogPullReport
{
    // The service accepted the initialisation; when it did not, nothing was pulled and the
    // export reads whatever RALog already holds.
    bool initialised = false;
    QString initError;
    QList<quint8> pulled;          // facilities asked for, in FacDefinition's order
    QStringList skippedFacilities; // FacID values that are no number from 0 to 255
    QStringList facilityErrors;    // what the service said about facilities it could not bring in

    // Text for the operator about facilities that were skipped or failed; empty when there is
    // nothing to say.
    QString warnings() const;
};

// Before an export from the access-control server, asks the access-control service to bring
// every facility's raw access logs into RALog: initialises the service with the server's host,
// then asks for each FacID of FacDefinition in turn, with the delete flag (1 = the facility's
// logs are deleted after the import, 0 = they stay).
class AccessLogPull final
{
public:
    static constexpr int ServicePort = 4900;
    static QString servicePassword() { return QStringLiteral("tarnish"); }

    AccessLogPull(QSqlDatabase accessControl, QorClient& client);
    // A database error stops the pull: the caller must not run its export then.
    Expected<AccessLogPullReport> run(const QString& host, int port, qint16 deleteFlag);

private:
    QSqlDatabase m_db;
    QorClient& m_client;
};

// The pull as the export commands run it: the host is the settings value IPSQL, the service
// port 4900 (another only for tests), the database AccessControlConnection.
Expected<AccessLogPullReport> pullAccessLogs(qint16 deleteFlag, const AppPaths& paths, QorClient& client,
                                             int servicePort = AccessLogPull::ServicePort);
