#include "core/export/TransactionWriter.h"

#include "core/storage/Connections.h"

namespace {

const QString DeleteOne =
    QStringLiteral("Delete from tblTransaction where TerminalID = ? and HumanID = ? and "
                   "StampDateTime = ? and StampStat = ?");
const QString InsertOne =
    QStringLiteral("insert into tblTransaction(TerminalID,HumanID,StampDateTime,StampStat,"
                   "Process,Upload) values(?,?,?,?,'0','1')");

QString deleteFor(int punches)
{
    if (punches == 1)
        return DeleteOne;
    QString sql = QStringLiteral("Delete from tblTransaction where ");
    for (int i = 0; i < punches; ++i) {
        if (i > 0)
            sql += QStringLiteral(" or ");
        sql += QStringLiteral("(TerminalID = ? and HumanID = ? and StampDateTime = ? and StampStat = ?)");
    }
    return sql;
}

QString insertFor(int punches)
{
    QString sql = InsertOne;
    for (int i = 1; i < punches; ++i)
        sql += QStringLiteral(",(?,?,?,?,'0','1')");
    return sql;
}

} // namespace

class TransactionWriter::Statements final
{
public:
    Statements(const QSqlDatabase& db, int punches)
        : m_punches(punches), m_delete(db, deleteFor(punches)), m_insert(db, insertFor(punches))
    {}
    int punches() const { return m_punches; }
    Outcome prepared() const
    {
        if (!m_delete.isValid())
            return Outcome::failure(m_delete.error());
        if (!m_insert.isValid())
            return Outcome::failure(m_insert.error());
        return Outcome::success();
    }
    Outcome run(const QVariantList& values)
    {
        if (!m_delete.exec(values))
            return Outcome::failure(m_delete.error());
        if (!m_insert.exec(values))
            return Outcome::failure(m_insert.error());
        return Outcome::success();
    }

private:
    int m_punches;
    PreparedStatement m_delete;
    PreparedStatement m_insert;
};

TransactionWriter::TransactionWriter(QSqlDatabase target, Mode mode)
    : m_target(std::move(target)), m_mode(mode)
{}

TransactionWriter::~TransactionWriter() = default;

TransactionWriter::Statements* TransactionWriter::statementsFor(int punches)
{
    std::unique_ptr<Statements>& slot =
        punches == (m_mode == Mode::Grouped ? GroupSize : 1) ? m_full : m_partial;
    if (!slot || slot->punches() != punches)
        slot = std::make_unique<Statements>(m_target, punches);
    return slot.get();
}

Outcome TransactionWriter::add(const QString& terminal, const QString& person, const QString& stamp,
                               const QString& status)
{
    if (m_mode == Mode::Grouped) {
        const QString key = terminal + u'\x1f' + person + u'\x1f' + stamp + u'\x1f' + status;
        if (m_held.contains(key))
            return Outcome::success();
        m_held.insert(key);
    }
    m_values << terminal << person << stamp << status;
    if (m_values.size() / 4 >= (m_mode == Mode::Grouped ? GroupSize : 1))
        return flush();
    return Outcome::success();
}

Outcome TransactionWriter::flush()
{
    const int punches = static_cast<int>(m_values.size() / 4);
    if (punches == 0)
        return Outcome::success();
    Statements* statements = statementsFor(punches);
    Outcome outcome = statements->prepared();
    if (outcome) {
        QVariantList values;
        values.reserve(m_values.size());
        for (const QString& v : std::as_const(m_values))
            values.append(v);
        outcome = statements->run(values);
    }
    if (!outcome) {
        if (m_mode == Mode::Grouped && punches > 1 && !m_wroteGroup)
            m_groupingRefused = true;
        return outcome;
    }
    if (punches > 1)
        m_wroteGroup = true;
    m_values.clear();
    m_held.clear();
    return Outcome::success();
}
