#include "core/storage/SqliteHandle.h"

#include <QSqlDriver>
#include <QVariant>

sqlite3* SqliteHandle(const QSqlDatabase& db)
{
    if (!db.isValid() || !db.isOpen() || db.driverName() != u"QSQLITE")
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}
