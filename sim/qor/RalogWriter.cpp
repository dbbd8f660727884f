#include "RalogWriter.h"

#include "data/Connections.h"

#include <QSqlDatabase>
#include <QSqlError>

namespace {
const QString InsertLog = QStringLiteral("insert into RALog(UID,FID,GID,Date,InOutOption) values(?,?,?,?,?)");
}

RalogWriter::RalogWriter(QString odbcConnectionString)
    : m_connectionString(std::move(odbcConnectionString)), m_connectionName(QStringLiteral("qor-sim RALog"))
{}

RalogWriter::~RalogWriter()
{
    Connections::close(m_connectionName);
}

Outcome RalogWriter::open()
{
    QSqlDatabase db = Connections::get(m_connectionName);
    if (db.isValid() && db.isOpen())
        return Outcome::success();
    db = Connections::replace(m_connectionName, QStringLiteral("QODBC"));
    db.setDatabaseName(m_connectionString);
    db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=10;SQL_ATTR_CONNECTION_TIMEOUT=10"));
    if (!db.open()) {
        const QString why = db.lastError().text();
        Connections::close(m_connectionName);
        return Outcome::failure(QStringLiteral("cannot open the access-control database: ") + why);
    }
    return Outcome::success();
}

Outcome RalogWriter::write(const QList<RawAccessLog>& logs)
{
    if (const Outcome opened = open(); !opened)
        return opened;
    QSqlDatabase db = Connections::get(m_connectionName);
    if (!db.transaction()) {
        const QString why = db.lastError().text();
        Connections::close(m_connectionName); // the connection may be gone; open anew next time
        return Outcome::failure(QStringLiteral("cannot start a transaction: ") + why);
    }
    {
        PreparedStatement insert(db, InsertLog);
        if (!insert.isValid()) {
            db.rollback();
            return Outcome::failure(insert.error());
        }
        for (const RawAccessLog& log : logs) {
            if (!insert.exec({static_cast<int>(log.uid), static_cast<int>(log.fid), static_cast<int>(log.gid),
                              log.date, static_cast<int>(log.inOutOption)})) {
                const QString why = insert.error();
                db.rollback();
                return Outcome::failure(why);
            }
        }
    }
    if (!db.commit()) {
        const QString why = db.lastError().text();
        db.rollback();
        return Outcome::failure(QStringLiteral("cannot commit the logs: ") + why);
    }
    return Outcome::success();
}
