#include "core/search/AttendanceSearch.h"

#include "core/accesscontrol/AccessControlPunchSource.h"
#include "core/search/WorkTableWriter.h"
#include "core/storage/Connections.h"

#include <QSqlDriver>
#include <QSqlError>

namespace {

// The alternation state of one search.
class Pairing final
{
public:
    // The status to write for this row, or a null text when the row writes nothing.
    QString statusFor(const SourceRow& row)
    {
        const bool sameDay = m_started && row.punch.hid == m_lastPerson && row.punch.wDate == m_lastDay;
        m_started = true;
        if (!sameDay) {
            m_lastPerson = row.punch.hid;
            m_lastDay = row.punch.wDate;
        }
        return sameDay ? withinDay(row.code) : firstPunch(row.code);
    }

private:
    QString firstPunch(const QString& code)
    {
        if (code == u"0" || code == u"1")
            m_lastDirection = QStringLiteral("1");
        else if (code == u"2")
            m_lastDirection = QStringLiteral("2");
        else
            return {};
        return m_lastDirection;
    }

    QString withinDay(const QString& code)
    {
        if (code != u"0")
            return code;
        if (m_lastDirection.isEmpty())
            return {};
        m_lastDirection = m_lastDirection == u"1" ? QStringLiteral("2") : QStringLiteral("1");
        return m_lastDirection;
    }

    bool m_started = false;
    QString m_lastPerson;
    QString m_lastDay;
    QString m_lastDirection;
};

} // namespace

AttendanceSearch::AttendanceSearch(QSqlDatabase local, RunProgress& progress)
    : m_local(std::move(local)), m_progress(progress)
{}

Expected<SearchResult> AttendanceSearch::run(PunchSource& source, SearchMode mode, const WorkRowSink& sink)
{
    if (!m_local.isValid() || !m_local.isOpen())
        return Expected<SearchResult>::failure(QStringLiteral("The local database is not open."));
    if (!m_local.transaction())
        return Expected<SearchResult>::failure(
            QStringLiteral("Cannot start a transaction on the local database: ") +
            m_local.lastError().text());
    const auto failed = [this](const QString& message) {
        m_local.rollback();
        return Expected<SearchResult>::failure(message);
    };

    if (Expected<QSqlQuery> emptied = executeStatement(m_local, QStringLiteral("Delete From tblExport1"));
        !emptied)
        return failed(emptied.error());
    m_progress.yield();
    if (const Outcome opened = source.open(); !opened)
        return failed(opened.error());
    WorkTableWriter writer(m_local);
    if (const Outcome prepared = writer.prepare(); !prepared)
        return failed(prepared.error());

    SearchResult result;
    Pairing pairing;
    SourceRow row;
    for (;;) {
        m_progress.yield();
        Expected<bool> more = source.next(row);
        if (!more)
            return failed(more.error());
        if (!*more)
            break;
        if (row.incomplete) {
            ++result.incomplete;
            continue;
        }
        PunchRecord& work = row.punch;
        if (mode == SearchMode::Copy) {
            work.status = row.code;
            m_progress.advance();
        } else {
            work.status = pairing.statusFor(row);
            if (work.status.isNull())
                continue;
        }
        if (const Outcome inserted = writer.insert(work); !inserted)
            return failed(inserted.error());
        ++result.written;
        if (sink)
            sink(work);
    }
    if (const Outcome finished = writer.finish(); !finished)
        return failed(finished.error());
    m_progress.yield();
    if (!m_local.commit())
        return failed(QStringLiteral("Cannot commit the work table: ") + m_local.lastError().text());
    return result;
}

Expected<SearchResult> searchPunches(const SourceQuery& query, SearchMode mode, RunProgress& progress,
                                     const WorkRowSink& sink)
{
    const QSqlDatabase local = Connections::get(Connections::LocalConnection);
    LocalPunchSource source(local, query);
    return AttendanceSearch(local, progress).run(source, mode, sink);
}

Expected<SearchResult> searchAccessControlPunches(const SourceQuery& query, SearchMode mode,
                                                  RunProgress& progress, const WorkRowSink& sink)
{
    AccessControlPunchSource source(Connections::get(Connections::AccessControlConnection), query);
    return AttendanceSearch(Connections::get(Connections::LocalConnection), progress).run(source, mode, sink);
}
