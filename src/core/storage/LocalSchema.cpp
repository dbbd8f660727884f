#include "core/storage/LocalSchema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace LocalSchema {

Outcome ensure(QSqlDatabase& db)
{
    // The index covers all six columns: the duplicate removal before every insert looks a punch
    // up by all of them, which stays a single index probe at millions of rows.
    const QStringList statements = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS tblexport (HID TEXT, FID TEXT, GID TEXT, wDate TEXT, "
                       "wTime TEXT, Status TEXT)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS tblExport1 (HID TEXT, FID TEXT, GID TEXT, wDate TEXT, "
                       "wTime TEXT, Status TEXT)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ix_tblexport_punch ON tblexport (HID, FID, GID, wDate, "
                       "wTime, Status)"),
    };
    QSqlQuery query(db);
    for (const QString& sql : statements) {
        if (!query.exec(sql))
            return Outcome::failure(query.lastError().text());
    }
    return Outcome::success();
}

} // namespace LocalSchema
