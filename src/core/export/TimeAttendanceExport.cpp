#include "core/export/TimeAttendanceExport.h"

#include "core/accesscontrol/AccessControlPunchSource.h"
#include "core/export/WorkTableReader.h"
#include "core/search/AttendanceSearch.h"
#include "core/storage/Connections.h"

#include <QSqlDriver>
#include <QSqlError>

Expected<qint64> TimeAttendanceExport::write(TransactionWriter::Mode mode, bool atomic, ExportReport& report)
{
    m_groupingRefused = false;
    WorkTableReader reader(Connections::get(Connections::LocalConnection));
    if (const Outcome opened = reader.open(); !opened)
        return Expected<qint64>::failure(opened.error());
    if (atomic && !m_target.transaction())
        return Expected<qint64>::failure(QStringLiteral("Cannot start a transaction: ") +
                                         m_target.lastError().text());
    TransactionWriter writer(m_target, mode);
    const auto failed = [&](const QString& reason) {
        m_groupingRefused = writer.groupingRefused();
        if (atomic)
            m_target.rollback();
        return Expected<qint64>::failure(reason);
    };
    qint64 written = 0;
    PunchRecord row;
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
        const Outcome added = writer.add(row.fid, row.hid, buddhistStamp(row.wDate, row.wTime),
                                         row.status == u"1" ? QStringLiteral("IN") : QStringLiteral("OUT"));
        if (!added)
            return failed(added.error());
        ++written;
    }
    if (const Outcome flushed = writer.flush(); !flushed)
        return failed(flushed.error());
    if (atomic && !m_target.commit())
        return failed(QStringLiteral("Cannot commit: ") + m_target.lastError().text());
    return written;
}

QString buddhistStamp(const QString& wDate, const QString& wTime)
{
    return QStringLiteral("%1/%2/%3 %4")
        .arg(wDate.left(4).toInt() + 543)
        .arg(wDate.mid(5, 2), wDate.right(2), wTime);
}

TimeAttendanceExport::TimeAttendanceExport(QSqlDatabase timeAttendance, RunProgress& progress)
    : m_target(std::move(timeAttendance)), m_progress(progress)
{}

Expected<ExportReport> TimeAttendanceExport::exportLocal(const ExportFilter& filter)
{
    return run([&] {
        return searchPunches(buildLocalPunchQuery(filter, PunchQueryKind::TimeAttendance),
                             SearchMode::Pairing, m_progress);
    });
}

Expected<ExportReport> TimeAttendanceExport::exportAccessControl(const ExportFilter& filter)
{
    return run([&] {
        return searchAccessControlPunches(
            buildAccessControlPunchQuery(
                filter, PunchQueryKind::TimeAttendance,
                accessControlIdColumnTypes(Connections::get(Connections::AccessControlConnection))),
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

    const bool atomic = m_target.driver()->hasFeature(QSqlDriver::Transactions);
    Expected<qint64> written = write(TransactionWriter::Mode::Grouped, atomic, report);
    if (!written && m_groupingRefused) {
        // The database does not take grouped statements: the same run, one punch at a time.
        report.withoutDirection = 0;
        written = write(TransactionWriter::Mode::PerPunch, atomic, report);
    }
    if (!written)
        return Expected<ExportReport>::failure(
            QStringLiteral("The export to the time-attendance database stopped: %1\n%2")
                .arg(written.error(),
                     atomic ? QStringLiteral("tblTransaction was left as it was.")
                            : QStringLiteral("The punches written before the failure stay in "
                                             "tblTransaction; exporting again completes them.")));
    report.written = *written;
    m_progress.finish();
    report.status = ExportReport::Status::Exported;
    report.message = ExportMessages::completed(report);
    return report;
}
