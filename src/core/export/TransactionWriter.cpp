#include "core/export/TransactionWriter.h"

#include "core/storage/TextStatement.h"

#include <algorithm>

namespace {

const QString DeleteOne =
    QStringLiteral("Delete from tblTransaction where TerminalID = ? and HumanID = ? and "
                   "StampDateTime = ? and StampStat = ?");
const QString InsertOne =
    QStringLiteral("insert into tblTransaction(TerminalID,HumanID,StampDateTime,StampStat,"
                   "Process,Upload) values(?,?,?,?,'0','1')");

// Two '?'s for the range of persons, then four for each of GroupSize punches.
QString groupDelete()
{
    QString sql = QStringLiteral("Delete from tblTransaction where HumanID between ? and ? and exists "
                                 "(select 1 from (values (?,?,?,?)");
    for (int i = 1; i < TransactionWriter::GroupSize; ++i)
        sql += QStringLiteral(",(?,?,?,?)");
    sql += QStringLiteral(") as v(terminal, person, stamp, stat) where tblTransaction.TerminalID = "
                          "v.terminal and tblTransaction.HumanID = v.person and "
                          "tblTransaction.StampDateTime = v.stamp and tblTransaction.StampStat = v.stat)");
    return sql;
}

QString groupInsert(qsizetype punches)
{
    QString sql = InsertOne;
    for (qsizetype i = 1; i < punches; ++i)
        sql += QStringLiteral(",(?,?,?,?,'0','1')");
    return sql;
}

bool isDigits(const QString& id)
{
    return !id.isEmpty() &&
           std::all_of(id.cbegin(), id.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// The statement in slot, prepared on first use.
template <typename MakeSql>
TextStatement& prepared(std::unique_ptr<TextStatement>& slot, const QSqlDatabase& db, MakeSql makeSql)
{
    if (!slot)
        slot = std::make_unique<TextStatement>(db, makeSql());
    return *slot;
}

Outcome run(TextStatement& statement, const QList<QString>& values)
{
    if (!statement.isValid() || !statement.exec(values))
        return Outcome::failure(statement.error());
    return Outcome::success();
}

// Whether person may share a range of persons that starts with first.
bool sameRange(const QString& first, const QString& person)
{
    return person == first || (isDigits(first) && person.size() == first.size() && isDigits(person));
}

} // namespace

TransactionWriter::TransactionWriter(QSqlDatabase target, Mode mode)
    : m_target(std::move(target)), m_mode(mode)
{}

TransactionWriter::~TransactionWriter() = default;

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
    const qsizetype punches = m_values.size() / 4;
    if (punches == 0)
        return Outcome::success();
    const Outcome outcome = m_mode == Mode::Grouped ? flushGrouped(punches) : flushPerPunch();
    if (!outcome)
        return outcome;
    m_values.clear();
    m_held.clear();
    return Outcome::success();
}

Outcome TransactionWriter::flushGrouped(qsizetype punches)
{
    const auto person = [this](qsizetype punch) -> const QString& {
        return m_values[punch * 4 + 1];
    };
    Outcome outcome = Outcome::success();
    for (qsizetype first = 0; first < punches && outcome;) {
        qsizetype end = first + 1;
        QString low = person(first);
        QString high = low;
        while (end < punches && sameRange(person(first), person(end))) {
            low = std::min(low, person(end));
            high = std::max(high, person(end));
            ++end;
        }
        m_bound.clear();
        m_bound << low << high;
        m_bound.append(m_values.sliced(first * 4, (end - first) * 4));
        // The rest of the statement's rows repeat the last punch, which deletes nothing more.
        for (qsizetype pad = end - first; pad < GroupSize; ++pad)
            m_bound.append(m_values.sliced((end - 1) * 4, 4));
        outcome = run(prepared(m_delete, m_target, groupDelete), m_bound);
        first = end;
    }
    if (outcome) {
        const auto makeInsert = [punches] {
            return groupInsert(punches);
        };
        if (punches == GroupSize) {
            outcome = run(prepared(m_insert, m_target, makeInsert), m_values);
        } else {
            // the last group of a run
            if (m_lastInsertSize != punches)
                m_lastInsert.reset();
            m_lastInsertSize = punches;
            outcome = run(prepared(m_lastInsert, m_target, makeInsert), m_values);
        }
    }
    if (!outcome) {
        if (!m_wroteGroup)
            m_groupingRefused = true;
        return outcome;
    }
    m_wroteGroup = true;
    return Outcome::success();
}

Outcome TransactionWriter::flushPerPunch()
{
    if (const Outcome deleted = run(prepared(m_delete, m_target, [] { return DeleteOne; }), m_values);
        !deleted)
        return deleted;
    return run(prepared(m_insert, m_target, [] { return InsertOne; }), m_values);
}
