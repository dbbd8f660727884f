#include "export/TimeAttendanceExport.h"

#include "data/Connections.h"
#include "export/WorkTableReader.h"
#include "search/AttendanceSearch.h"

#include <QSqlDriver>
#include <QSqlError>

namespace {

const QString DeleteTransaction =
    QStringLiteral("Delete from tblTransaction where TerminalID = ? and HumanID = ? "
                   "and StampDateTime = ? and StampStat = ?");
const QString InsertTransaction =
    QStringLiteral("insert into tblTransaction(TerminalID,HumanID,StampDateTime,StampStat,Process,Upload) "
                   "values(?,?,?,?,'0','1')");

} // namespace

QString BuddhistStamp(const QString& wDate, const QString& wTime)
{
    return QStringLiteral("%1/%2/%3 %4")
        .arg(wDate.left(4).toInt() + 543)
        .arg(wDate.mid(5, 2), wDate.right(2), wTime);
}

TimeAttendanceExport::TimeAttendanceExport(QSqlDatabase timeAttendance, RunProgress& progress)
    : m_target(std::move(timeAttendance)), m_progress(progress)
{}

Expected<ExportReport> TimeAttendanceExport::ExportTA(const ExportFilter& filter)
{
    return run([&] {
        return SearchHuman(BuildLocalPunchQuery(filter, PunchQueryKind::TimeAttendance), SearchMode::Pairing,
                           m_progress);
    });
}

Expected<ExportReport> TimeAttendanceExport::ExportTAQORSQL(const ExportFilter& filter)
{
    return run([&] {
        return SearchHumanQORSQL(BuildAccessControlPunchQuery(filter, PunchQueryKind::TimeAttendance),
                                 SearchMode::Pairing, m_progress);
    });
}

Expected<ExportReport> TimeAttendanceExport::run(const std::function<Expected<SearchResult>()>& search)
{
    RunProgress::Guard guard(m_progress);
    if (!guard)
        return ExportReport::busy();
    m_progress.reset();
    if (!m_target.isValid() || !m_target.isOpen())
        return Expected<ExportReport>::failure(QStringLiteral(
            "The time-attendance database is not connected. Check its connection settings and try again."));

    const Expected<SearchResult> found = search();
    if (!found)
        return Expected<ExportReport>::failure(QStringLiteral("The export stopped: ") + found.error());
    ExportReport report;
    report.incomplete = found->incomplete;
    if (found->written == 0) {
        report.status = ExportReport::Status::NoData;
        report.message = ExportMessages::NoData;
        return report;
    }

    WorkTableReader reader(Connections::get(Connections::LocalConnection));
    if (const Outcome opened = reader.open(); !opened)
        return Expected<ExportReport>::failure(QStringLiteral("The export stopped: ") + opened.error());

    const bool atomic = m_target.driver()->hasFeature(QSqlDriver::Transactions);
    if (atomic && !m_target.transaction())
        return Expected<ExportReport>::failure(
            QStringLiteral("Cannot start a transaction on the time-attendance database: ") +
            m_target.lastError().text());
    const auto failed = [this, atomic](const QString& reason) {
        if (atomic)
            m_target.rollback();
        return Expected<ExportReport>::failure(
            QStringLiteral("The export to the time-attendance database stopped: %1\n%2")
                .arg(reason, atomic ? QStringLiteral("tblTransaction was left as it was.")
                                    : QStringLiteral("The punches written before the failure stay in "
                                                     "tblTransaction; exporting again completes them.")));
    };

    PreparedStatement remove(m_target, DeleteTransaction);
    if (!remove.isValid())
        return failed(remove.error());
    PreparedStatement insert(m_target, InsertTransaction);
    if (!insert.isValid())
        return failed(insert.error());

    PunchRecord row;
    QVariantList values(4);
    for (;;) {
        m_progress.yield();
        const Expected<bool> more = reader.next(row);
        if (!more)
            return failed(more.error());
        if (!*more)
            break;
        m_progress.advance();
        if (row.status != u"1" && row.status != u"2") {
            ++report.withoutDirection;
            continue;
        }
        values[0] = row.fid;
        values[1] = row.hid;
        values[2] = BuddhistStamp(row.wDate, row.wTime);
        values[3] = row.status == u"1" ? QStringLiteral("IN") : QStringLiteral("OUT");
        if (!remove.exec(values))
            return failed(remove.error());
        if (!insert.exec(values))
            return failed(insert.error());
        ++report.written;
    }
    if (atomic && !m_target.commit())
        return failed(QStringLiteral("Cannot commit: ") + m_target.lastError().text());
    m_progress.finish();
    report.status = ExportReport::Status::Exported;
    report.message = ExportMessages::completed(report);
    return report;
}
