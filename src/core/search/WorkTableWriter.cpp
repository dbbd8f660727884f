#include "core/search/WorkTableWriter.h"

#include "core/storage/Connections.h"
#include "core/storage/SqliteHandle.h"

#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

#include <array>
#include <string>

namespace {
const QString InsertWorkRow =
    QStringLiteral("insert into tblExport1(HID,FID,GID,wDate,wTime,Status) values(?,?,?,?,?,?)");
}

class WorkTableWriter::Backend
{
public:
    virtual ~Backend() = default;
    virtual Outcome insert(const PunchRecord& row) = 0;
    virtual Outcome finish() { return Outcome::success(); }
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
    static constexpr int RowsPerStatement = 50;

    explicit SqliteBackend(sqlite3* db) : m_db(db) {}
    ~SqliteBackend() override
    {
        sqlite3_finalize(m_group);
        sqlite3_finalize(m_rest);
    }
    Outcome prepare() { return prepareFor(RowsPerStatement, m_group); }
    Outcome insert(const PunchRecord& row) override
    {
        const QString* values[6] = {&row.hid, &row.fid, &row.gid, &row.wDate, &row.wTime, &row.status};
        for (int i = 0; i < 6; ++i)
            m_held[m_count][i].set(*values[i]);
        if (++m_count < RowsPerStatement)
            return Outcome::success();
        return insertHeld(m_group);
    }
    Outcome finish() override
    {
        if (m_count == 0)
            return Outcome::success();
        if (const Outcome prepared = prepareFor(m_count, m_rest); !prepared)
            return prepared;
        return insertHeld(m_rest);
    }

private:
    // A value as the database keeps it: UTF-8, or NULL.
    struct Text
    {
        std::string utf8;
        bool null = false;
        void set(const QString& v)
        {
            null = v.isNull();
            utf8.resize(static_cast<size_t>(v.size()));
            for (qsizetype i = 0; i < v.size(); ++i) {
                const char16_t c = v[i].unicode();
                if (c >= 0x80) {
                    utf8 = v.toStdString();
                    return;
                }
                utf8[static_cast<size_t>(i)] = static_cast<char>(c);
            }
        }
    };

    Outcome prepareFor(int rows, sqlite3_stmt*& statement)
    {
        QByteArray text = InsertWorkRow.toUtf8();
        for (int i = 1; i < rows; ++i)
            text += ",(?,?,?,?,?,?)";
        if (sqlite3_prepare_v2(m_db, text.constData(), static_cast<int>(text.size()), &statement, nullptr) !=
            SQLITE_OK)
            return failure();
        return Outcome::success();
    }
    Outcome insertHeld(sqlite3_stmt* statement)
    {
        sqlite3_reset(statement);
        for (int r = 0; r < m_count; ++r) {
            for (int i = 0; i < 6; ++i) {
                const Text& v = m_held[r][i];
                const int parameter = r * 6 + i + 1;
                const int rc = v.null ? sqlite3_bind_null(statement, parameter)
                                      : sqlite3_bind_text(statement, parameter, v.utf8.data(),
                                                          static_cast<int>(v.utf8.size()), SQLITE_STATIC);
                if (rc != SQLITE_OK)
                    return failure();
            }
        }
        m_count = 0;
        if (sqlite3_step(statement) != SQLITE_DONE)
            return failure();
        return Outcome::success();
    }
    Outcome failure() const
    {
        return Outcome::failure(
            QStringLiteral("%1\nStatement: %2").arg(QString::fromUtf8(sqlite3_errmsg(m_db)), InsertWorkRow));
    }

    sqlite3* m_db;
    sqlite3_stmt* m_group = nullptr;
    sqlite3_stmt* m_rest = nullptr;
    // The rows not yet inserted; SQLite reads their texts in place when the statement steps.
    std::array<std::array<Text, 6>, RowsPerStatement> m_held;
    int m_count = 0;
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

Outcome WorkTableWriter::finish()
{
    if (!m_backend)
        return Outcome::failure(QStringLiteral("The work table writer was not prepared."));
    return m_backend->finish();
}
