#include "core/storage/TextStatement.h"

#include <QSqlDriver>
#include <QVariant>

#include <sql.h>
#include <sqlext.h>

#include <vector>

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "texts are bound as UTF-16");

namespace {

SQLHDBC odbcHandle(const QSqlDatabase& db)
{
    if (!db.isValid() || !db.isOpen() || db.driverName() != u"QODBC")
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "SQLHANDLE") != 0 && qstrcmp(handle.typeName(), "void*") != 0))
        return nullptr;
    return *static_cast<SQLHANDLE const*>(handle.constData());
}

} // namespace

class TextStatement::Odbc final
{
public:
    explicit Odbc(SQLHDBC connection) : m_connection(connection) {}
    ~Odbc()
    {
        if (m_statement)
            SQLFreeHandle(SQL_HANDLE_STMT, m_statement);
    }
    Odbc(const Odbc&) = delete;
    Odbc& operator=(const Odbc&) = delete;

    // Empty on success, else the driver's words.
    QString prepare(const QString& statement)
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, m_connection, &m_statement))) {
            m_statement = nullptr;
            return diagnostics(SQL_HANDLE_DBC, m_connection);
        }
        QString text = statement;
        if (!SQL_SUCCEEDED(SQLPrepareW(m_statement, reinterpret_cast<SQLWCHAR*>(text.data()),
                                       static_cast<SQLINTEGER>(text.size()))))
            return diagnostics(SQL_HANDLE_STMT, m_statement);
        return {};
    }

    QString exec(const QList<QString>& values)
    {
        if (m_parameters.size() != static_cast<size_t>(values.size())) {
            // new buffers, all bound afresh below
            m_parameters.clear();
            m_parameters.resize(static_cast<size_t>(values.size()));
        }
        for (qsizetype i = 0; i < values.size(); ++i) {
            const QString& v = values[i];
            Parameter& p = m_parameters[static_cast<size_t>(i)];
            if (p.text.size() < static_cast<size_t>(v.size()) || p.text.empty()) {
                // Bound once to a buffer of its own and rebound only when a longer text comes.
                p.text.resize(static_cast<size_t>(qMax<qsizetype>(v.size(), 32)));
                const SQLRETURN bound = SQLBindParameter(
                    m_statement, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                    static_cast<SQLULEN>(p.text.size()), 0, p.text.data(),
                    static_cast<SQLLEN>(p.text.size() * sizeof(SQLWCHAR)), &p.length);
                if (!SQL_SUCCEEDED(bound))
                    return diagnostics(SQL_HANDLE_STMT, m_statement);
            }
            // constData(), not utf16(): that one turns a null text, the caller's too, into an empty one
            std::copy_n(reinterpret_cast<const char16_t*>(v.constData()), v.size(), p.text.begin());
            p.length = v.isNull() ? SQL_NULL_DATA : static_cast<SQLLEN>(v.size() * sizeof(SQLWCHAR));
        }
        const SQLRETURN ran = SQLExecute(m_statement);
        const QString why =
            SQL_SUCCEEDED(ran) || ran == SQL_NO_DATA ? QString() : diagnostics(SQL_HANDLE_STMT, m_statement);
        SQLFreeStmt(m_statement, SQL_CLOSE);
        return why;
    }

private:
    static QString diagnostics(SQLSMALLINT type, SQLHANDLE handle)
    {
        QStringList lines;
        SQLWCHAR state[6];
        SQLWCHAR message[1024];
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        for (SQLSMALLINT record = 1;
             SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, record, state, &native, message,
                                          static_cast<SQLSMALLINT>(std::size(message)), &length));
             ++record) {
            lines << QString::fromUtf16(reinterpret_cast<const char16_t*>(message),
                                        qMin<qsizetype>(length, std::size(message) - 1));
        }
        return lines.isEmpty() ? QStringLiteral("unknown database error") : lines.join(u' ');
    }

    struct Parameter
    {
        std::vector<SQLWCHAR> text;
        SQLLEN length = 0;
    };

    SQLHDBC m_connection;
    SQLHSTMT m_statement = nullptr;
    // Bound by address: replaced as a whole, never resized in place.
    std::vector<Parameter> m_parameters;
};

TextStatement::TextStatement(const QSqlDatabase& db, const QString& statement) : m_statement(statement)
{
    if (SQLHDBC handle = odbcHandle(db)) {
        m_odbc = std::make_unique<Odbc>(handle);
        const QString why = m_odbc->prepare(statement);
        m_prepared = why.isEmpty();
        if (!m_prepared)
            m_error = QStringLiteral("%1\nStatement: %2").arg(why, statement);
        return;
    }
    m_qt = std::make_unique<PreparedStatement>(db, statement);
    m_prepared = m_qt->isValid();
    m_error = m_qt->error();
}

TextStatement::~TextStatement() = default;

bool TextStatement::exec(const QList<QString>& values)
{
    if (!m_prepared)
        return false;
    if (m_odbc) {
        const QString why = m_odbc->exec(values);
        m_error = why.isEmpty() ? QString() : QStringLiteral("%1\nStatement: %2").arg(why, m_statement);
        return why.isEmpty();
    }
    m_variants.resize(values.size());
    for (qsizetype i = 0; i < values.size(); ++i)
        m_variants[i] = values[i];
    const bool ran = m_qt->exec(m_variants);
    m_error = m_qt->error();
    return ran;
}
