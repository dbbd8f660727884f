#pragma once

#include "core/platform/AppPaths.h"
#include "core/platform/Outcome.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

// The three process-wide connections, kept by Qt SQL under these names. Opening one again
// replaces it with a new connection object.
namespace Connections {
inline const QString LocalConnection = QStringLiteral("LocalConnection");
inline const QString AccessControlConnection = QStringLiteral("AccessControlConnection");
inline const QString TimeAttendanceConnection = QStringLiteral("TimeAttendanceConnection");

// The named connection, or an invalid one when it was never opened.
QSqlDatabase get(const QString& name);
// Closes and forgets the named connection; nothing happens when it is not open.
void close(const QString& name);
// Drops any earlier connection of that name and adds a fresh one for the driver.
QSqlDatabase replace(const QString& name, const QString& driver);
} // namespace Connections

// Opens LocalConnection on the data directory's dataexport.db, creating the file with its two
// tables when it is missing. Fails, naming the path, when the file cannot be opened or created.
Outcome openLocalDatabase(const AppPaths& paths);

// The one way statements are run: the statement's text with a '?' for every value, and the
// values bound in order. A SELECT's query is returned positioned before its first row.
Expected<QSqlQuery> executeStatement(const QSqlDatabase& db, const QString& statement,
                                     const QVariantList& values = {});

// A statement prepared once and run many times (the row loops of imports and exports).
class PreparedStatement final
{
public:
    PreparedStatement(const QSqlDatabase& db, const QString& statement);
    bool isValid() const { return m_prepared; }
    const QString& error() const { return m_error; }
    // Runs with these values; on failure error() says why.
    bool exec(const QVariantList& values);
    QSqlQuery& query() { return m_query; }

private:
    QSqlQuery m_query;
    QString m_statement;
    QString m_error;
    bool m_prepared = false;
};

// Text of a failed query: the driver's words, then the statement.
QString describeSqlError(const QSqlQuery& query, const QString& statement);
