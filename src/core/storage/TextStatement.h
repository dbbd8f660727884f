#pragma once

#include "core/storage/Connections.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <memory>

// A statement prepared once and run many times with a text for every '?' (a null text binds
// NULL). On a QODBC connection it runs on the connection's own ODBC handle, in the connection's
// transaction, and hands the driver the texts where they lie: Qt turns every bound value into a
// variant and copies it again for the driver, which for a statement of a thousand values costs
// more than the driver's own work. Other connections go through PreparedStatement.
class TextStatement final
{
public:
    TextStatement(const QSqlDatabase& db, const QString& statement);
    ~TextStatement();
    TextStatement(const TextStatement&) = delete;
    TextStatement& operator=(const TextStatement&) = delete;

    bool isValid() const { return m_prepared; }
    // Why preparing or the last run failed: the driver's words, then the statement.
    const QString& error() const { return m_error; }
    // Runs with these values, as many as the statement has '?'s.
    bool exec(const QList<QString>& values);

private:
    class Odbc;

    QString m_statement;
    QString m_error;
    bool m_prepared = false;
    std::unique_ptr<Odbc> m_odbc;
    std::unique_ptr<PreparedStatement> m_qt;
    QVariantList m_variants;
};
