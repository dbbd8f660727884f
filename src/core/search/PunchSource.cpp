#include "core/search/PunchSource.h"

#include "core/storage/Connections.h"
#include "core/storage/SqliteHandle.h"

#include <QSqlError>
#include <QSqlRecord>

#include <sqlite3.h>

#include <algorithm>

namespace {
const char* const ColumnNames[6] = {"HID", "FID", "GID", "wDate", "wTime", "Status"};
}

// Reads through Qt: any driver.
class LocalPunchSource::QtReader final : public Reader
{
public:
    QtReader(const QSqlDatabase& db, const SourceQuery& query) : m_db(db), m_query(query) {}

    Outcome open() override
    {
        Expected<QSqlQuery> reader = executeStatement(m_db, m_query.statement, m_query.values);
        if (!reader)
            return reader.outcome();
        m_reader = std::move(*reader);
        const QSqlRecord record = m_reader.record();
        for (int i = 0; i < 6; ++i) {
            m_columns[i] = record.indexOf(QLatin1String(ColumnNames[i]));
            if (m_columns[i] < 0)
                return missingColumn(i, m_query.statement);
        }
        return Outcome::success();
    }

    Expected<bool> next(SourceRow& row) override
    {
        if (!m_reader.next()) {
            if (m_reader.lastError().isValid())
                return Expected<bool>::failure(describeSqlError(m_reader, m_query.statement));
            return false;
        }
        const QVariant person = m_reader.value(m_columns[0]);
        const QVariant date = m_reader.value(m_columns[3]);
        const QVariant code = m_reader.value(m_columns[5]);
        row.incomplete = person.isNull() || date.isNull() || code.isNull();
        row.punch.hid = person.toString();
        row.punch.fid = m_reader.value(m_columns[1]).toString();
        row.punch.gid = m_reader.value(m_columns[2]).toString();
        row.punch.wDate = date.toString();
        row.punch.wTime = m_reader.value(m_columns[4]).toString();
        row.code = code.toString();
        return true;
    }

private:
    QSqlDatabase m_db;
    SourceQuery m_query;
    QSqlQuery m_reader;
    int m_columns[6] = {-1, -1, -1, -1, -1, -1};
};

// Reads straight from SQLite: Qt caches every value of a row as a variant before handing it
// over, which costs more than SQLite's own stepping on a search of a million punches.
class LocalPunchSource::SqliteReader final : public Reader
{
public:
    SqliteReader(sqlite3* db, const SourceQuery& query) : m_db(db), m_query(query) {}
    ~SqliteReader() override { sqlite3_finalize(m_statement); }

    Outcome open() override
    {
        const QByteArray text = m_query.statement.toUtf8();
        if (sqlite3_prepare_v2(m_db, text.constData(), static_cast<int>(text.size()), &m_statement,
                               nullptr) != SQLITE_OK)
            return failure();
        if (sqlite3_bind_parameter_count(m_statement) != m_query.values.size())
            return Outcome::failure(QStringLiteral("The query takes %1 values, %2 were given.\nStatement: %3")
                                        .arg(sqlite3_bind_parameter_count(m_statement))
                                        .arg(m_query.values.size())
                                        .arg(m_query.statement));
        for (qsizetype i = 0; i < m_query.values.size(); ++i) {
            const QVariant& v = m_query.values[i];
            m_bound.append(v.toString());
            const QString& text = m_bound.last();
            const int rc = v.isNull()
                               ? sqlite3_bind_null(m_statement, static_cast<int>(i + 1))
                               : sqlite3_bind_text16(m_statement, static_cast<int>(i + 1), text.utf16(),
                                                     static_cast<int>(text.size() * 2), SQLITE_TRANSIENT);
            if (rc != SQLITE_OK)
                return failure();
        }
        const int count = sqlite3_column_count(m_statement);
        for (int i = 0; i < 6; ++i) {
            for (int c = 0; c < count && m_columns[i] < 0; ++c) {
                if (qstricmp(sqlite3_column_name(m_statement, c), ColumnNames[i]) == 0)
                    m_columns[i] = c;
            }
            if (m_columns[i] < 0)
                return missingColumn(i, m_query.statement);
        }
        return Outcome::success();
    }

    Expected<bool> next(SourceRow& row) override
    {
        const int rc = sqlite3_step(m_statement);
        if (rc == SQLITE_DONE)
            return false;
        if (rc != SQLITE_ROW)
            return Expected<bool>::failure(failure().error());
        row.incomplete = isNull(0) || isNull(3) || isNull(5);
        QString* targets[6] = {&row.punch.hid,   &row.punch.fid,   &row.punch.gid,
                               &row.punch.wDate, &row.punch.wTime, &row.code};
        for (int i = 0; i < 6; ++i) {
            const int c = m_columns[i];
            assignText(*targets[i], reinterpret_cast<const char*>(sqlite3_column_text(m_statement, c)),
                       sqlite3_column_bytes(m_statement, c));
        }
        return true;
    }

private:
    bool isNull(int column) const
    {
        return sqlite3_column_type(m_statement, m_columns[column]) == SQLITE_NULL;
    }
    // Sets target to the UTF-8 text (null for NULL). A target that holds the text already, as
    // person, date and code mostly do in a sorted source, is left alone; one that holds another
    // text gets the new one in its own room.
    static void assignText(QString& target, const char* data, int size)
    {
        if (!data) {
            if (!target.isNull())
                target = QString();
            return;
        }
        const auto* bytes = reinterpret_cast<const unsigned char*>(data);
        if (std::any_of(bytes, bytes + size, [](unsigned char b) { return b >= 0x80; })) {
            QString text = QString::fromUtf8(data, size);
            if (target.isNull() || target != text)
                target = std::move(text);
            return;
        }
        if (!target.isNull() && target.size() == size &&
            std::equal(bytes, bytes + size, target.utf16(),
                       [](unsigned char b, char16_t c) { return b == c; }))
            return;
        if (size == 0) {
            target = QStringLiteral("");
            return;
        }
        target.resize(size);
        std::copy(bytes, bytes + size, reinterpret_cast<char16_t*>(target.data()));
    }
    Outcome failure() const
    {
        return Outcome::failure(QStringLiteral("%1\nStatement: %2")
                                    .arg(QString::fromUtf8(sqlite3_errmsg(m_db)), m_query.statement));
    }

    sqlite3* m_db;
    SourceQuery m_query;
    sqlite3_stmt* m_statement = nullptr;
    QStringList m_bound;
    int m_columns[6] = {-1, -1, -1, -1, -1, -1};
};

Outcome LocalPunchSource::missingColumn(int column, const QString& statement)
{
    return Outcome::failure(QStringLiteral("The punch query has no column %1.\nStatement: %2")
                                .arg(QLatin1String(ColumnNames[column]), statement));
}

LocalPunchSource::LocalPunchSource(QSqlDatabase db, SourceQuery query)
    : m_db(std::move(db)), m_query(std::move(query))
{}

LocalPunchSource::~LocalPunchSource() = default;

Outcome LocalPunchSource::open()
{
    if (!m_db.isValid() || !m_db.isOpen())
        return Outcome::failure(
            QStringLiteral("The database connection is not open.\nStatement: %1").arg(m_query.statement));
    if (sqlite3* handle = SqliteHandle(m_db))
        m_reader = std::make_unique<SqliteReader>(handle, m_query);
    else
        m_reader = std::make_unique<QtReader>(m_db, m_query);
    return m_reader->open();
}

Expected<bool> LocalPunchSource::next(SourceRow& row)
{
    if (!m_reader)
        return Expected<bool>::failure(QStringLiteral("The punch query was not run."));
    return m_reader->next(row);
}
