#pragma once

#include "core/platform/Outcome.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

// A person of the access-control server, as the employee picker lists it.
struct AccessControlPerson
{
    QString uid;
    QString name;
    // The picker's line: the number, five blanks and the name.
    QString item() const { return uid + QStringLiteral("     ") + name; }
};

// The statement that lists the server's persons: "Select * from " and the table User quoted by
// the connection's own driver, since only some servers accept brackets around a name.
QString accessControlPersonQuery(const QSqlDatabase& db);

// The persons of the table User, in the server's order.
Expected<QList<AccessControlPerson>> listAccessControlPersons(const QSqlDatabase& db);
