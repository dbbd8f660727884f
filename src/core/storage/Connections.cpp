#include "core/storage/Connections.h"

#include "core/storage/LocalSchema.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace Connections {

QSqlDatabase get(const QString& name)
{
    if (!QSqlDatabase::contains(name))
        return {};
    return QSqlDatabase::database(name, false);
}

void close(const QString& name)
{
    if (!QSqlDatabase::contains(name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

QSqlDatabase replace(const QString& name, const QString& driver)
{
    close(name);
    return QSqlDatabase::addDatabase(driver, name);
}

} // namespace Connections

QString describeSqlError(const QSqlQuery& query, const QString& statement)
{
    QString text = query.lastError().text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("unknown database error");
    return QStringLiteral("%1\nStatement: %2").arg(text, statement);
}

Outcome openLocalDatabase(const AppPaths& paths)
{
    const QString path = paths.localDatabase();
    const bool existed = QFileInfo::exists(path);
    if (!existed) {
        const QFileInfo dir(QFileInfo(path).absolutePath());
        if (!dir.isDir() || !dir.isWritable())
            return Outcome::failure(
                QStringLiteral("Cannot create the local database %1: the folder %2 is "
                               "missing or not writable. Check the folder's permissions.")
                    .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(dir.absoluteFilePath())));
    }
    QSqlDatabase db = Connections::replace(Connections::LocalConnection, QStringLiteral("QSQLITE"));
    db.setDatabaseName(path);
    if (!db.open())
        return Outcome::failure(QStringLiteral("Cannot open the local database %1: %2")
                                    .arg(QDir::toNativeSeparators(path), db.lastError().text()));
    // Pages a delete frees go to the free list as they are instead of being overwritten first,
    // as some SQLite builds do by default: emptying the work table of a large search would
    // otherwise rewrite and journal every page it held, holding up the run for it.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA secure_delete = FAST"));
    if (const Outcome schema = LocalSchema::ensure(db); !schema)
        return Outcome::failure(QStringLiteral("Cannot use the local database %1: %2")
                                    .arg(QDir::toNativeSeparators(path), schema.error()));
    return Outcome::success();
}

Expected<QSqlQuery> executeStatement(const QSqlDatabase& db, const QString& statement,
                                     const QVariantList& values)
{
    if (!db.isValid() || !db.isOpen())
        return Expected<QSqlQuery>::failure(
            QStringLiteral("The database connection is not open.\nStatement: %1").arg(statement));
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        return Expected<QSqlQuery>::failure(describeSqlError(query, statement));
    for (const QVariant& v : values)
        query.addBindValue(v);
    if (!query.exec())
        return Expected<QSqlQuery>::failure(describeSqlError(query, statement));
    return query;
}

PreparedStatement::PreparedStatement(const QSqlDatabase& db, const QString& statement)
    : m_query(db), m_statement(statement)
{
    m_query.setForwardOnly(true);
    if (!db.isValid() || !db.isOpen())
        m_error = QStringLiteral("The database connection is not open.\nStatement: %1").arg(statement);
    else if (!m_query.prepare(statement))
        m_error = describeSqlError(m_query, statement);
    else
        m_prepared = true;
}

bool PreparedStatement::exec(const QVariantList& values)
{
    if (!m_prepared)
        return false;
    for (qsizetype i = 0; i < values.size(); ++i)
        m_query.bindValue(static_cast<int>(i), values[i]);
    if (!m_query.exec()) {
        m_error = describeSqlError(m_query, m_statement);
        return false;
    }
    m_error.clear();
    return true;
}
