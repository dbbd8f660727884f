#pragma once

#include "FacilityStore.h"
#include "core/platform/Outcome.h"

#include <QString>

// Writes raw access logs into RALog of the access-control database, through ODBC. The
// connection is opened when first needed and opened again after it failed, so a database that
// comes up after the service still gets its logs.
class RalogWriter final
{
public:
    explicit RalogWriter(QString odbcConnectionString);
    ~RalogWriter();
    RalogWriter(const RalogWriter&) = delete;
    RalogWriter& operator=(const RalogWriter&) = delete;

    // All logs or none: they are written in one transaction.
    Outcome write(const QList<RawAccessLog>& logs);

private:
    Outcome open();

    QString m_connectionString;
    QString m_connectionName;
};
