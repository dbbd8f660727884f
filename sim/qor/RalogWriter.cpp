#include "RalogWriter.h"

#include "core/storage/Connections.h"

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
    QString failure;
    {
        QSqlDatabase db = Connections::get(m_connectionName);
        if (!db.transaction()) {
            failure = QStringLiteral("cannot start a transaction: ") + db.lastError().text();
        } else {
            PreparedStatement insert(db, InsertLog);
            if (!insert.isValid())
                failure = insert.error();
            for (qsizetype i = 0; failure.isEmpty() && i < logs.size(); ++i) {
                const RawAccessLog& log = logs[i];
                if (!insert.exec({static_cast<int>(log.uid), static_cast<int>(log.fid),
                                  static_cast<int>(log.gid), log.date, static_cast<int>(log.inOutOption)}))
                    failure = insert.error();
            }
            insert.query().finish();
            if (failure.isEmpty() && !db.commit())
                failure = QStringLiteral("cannot commit the logs: ") + db.lastError().text();
            if (!failure.isEmpty())
                db.rollback();
        }
    }
    if (failure.isEmpty())
        return Outcome::success();
    // The connection may be gone with the server: the next pull opens it anew.
    Connections::close(m_connectionName);
    return Outcome::failure(failure);
}
