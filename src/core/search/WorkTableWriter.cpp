#include "core/search/WorkTableWriter.h"

#include "core/storage/Connections.h"
#include "core/storage/SqliteHandle.h"

#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

namespace {
const QString InsertWorkRow =
    QStringLiteral("insert into tblExport1(HID,FID,GID,wDate,wTime,Status) values(?,?,?,?,?,?)");
}

class WorkTableWriter::Backend
{
public:
    virtual ~Backend() = default;
    virtual Outcome insert(const PunchRecord& row) = 0;
};

class WorkTableWriter::QtBackend final : public Backend
{
public:
    explicit QtBackend(const QSqlDatabase& db) : m_statement(db, InsertWorkRow), m_values(6) {}
    Outcome prepared() const
    {
        return m_statement.isValid() ? Outcome::success() : Outcome::failure(m_statement.error());
    }
    Outcome insert(const PunchRecord& row) override
    {
        m_values[0] = row.hid;
        m_values[1] = row.fid;
        m_values[2] = row.gid;
        m_values[3] = row.wDate;
        m_values[4] = row.wTime;
        m_values[5] = row.status;
        return m_statement.exec(m_values) ? Outcome::success() : Outcome::failure(m_statement.error());
    }

private:
    PreparedStatement m_statement;
    QVariantList m_values;
};

class WorkTableWriter::SqliteBackend final : public Backend
{
public:
    explicit SqliteBackend(sqlite3* db) : m_db(db) {}
    ~SqliteBackend() override { sqlite3_finalize(m_statement); }
    Outcome prepare()
    {
        const QByteArray text = InsertWorkRow.toUtf8();
        if (sqlite3_prepare_v2(m_db, text.constData(), static_cast<int>(text.size()), &m_statement,
                               nullptr) != SQLITE_OK)
            return failure();
        return Outcome::success();
    }
    Outcome insert(const PunchRecord& row) override
    {
        sqlite3_reset(m_statement);
        const QString* values[6] = {&row.hid, &row.fid, &row.gid, &row.wDate, &row.wTime, &row.status};
        for (int i = 0; i < 6; ++i) {
            const QString& v = *values[i];
            const int rc = v.isNull() ? sqlite3_bind_null(m_statement, i + 1)
                                      : sqlite3_bind_text16(m_statement, i + 1, v.utf16(),
                                                            static_cast<int>(v.size() * 2), SQLITE_STATIC);
            if (rc != SQLITE_OK)
                return failure();
        }
        if (sqlite3_step(m_statement) != SQLITE_DONE)
            return failure();
        return Outcome::success();
    }

private:
    Outcome failure() const
    {
        return Outcome::failure(
            QStringLiteral("%1\nStatement: %2").arg(QString::fromUtf8(sqlite3_errmsg(m_db)), InsertWorkRow));
    }

    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
};

WorkTableWriter::WorkTableWriter(QSqlDatabase local) : m_local(std::move(local)) {}

WorkTableWriter::~WorkTableWriter() = default;

Outcome WorkTableWriter::prepare()
{
    if (!m_local.isValid() || !m_local.isOpen())
        return Outcome::failure(QStringLiteral("The local database is not open."));
    if (sqlite3* db = SqliteHandle(m_local)) {
        auto backend = std::make_unique<SqliteBackend>(db);
        if (const Outcome ready = backend->prepare(); !ready)
            return ready;
        m_backend = std::move(backend);
        return Outcome::success();
    }
    auto backend = std::make_unique<QtBackend>(m_local);
    if (const Outcome ready = backend->prepared(); !ready)
        return ready;
    m_backend = std::move(backend);
    return Outcome::success();
}

Outcome WorkTableWriter::insert(const PunchRecord& row)
{
    if (!m_backend)
        return Outcome::failure(QStringLiteral("The work table writer was not prepared."));
    return m_backend->insert(row);
}
