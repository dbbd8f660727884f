#include "core/export/TimeAttendanceExport.h"

#include "core/accesscontrol/AccessControlPunchSource.h"
#include "core/export/WorkTableReader.h"
#include "core/search/AttendanceSearch.h"
#include "core/storage/Connections.h"

#include <QSqlDriver>
#include <QSqlError>

namespace {

// Hands the work rows to a TransactionWriter as "IN" and "OUT" punches, counting them and
// moving the progress; after the first failure it takes no more rows.
class PunchWriter final
{
public:
    PunchWriter(const QSqlDatabase& target, TransactionWriter::Mode mode, ExportReport& report,
                RunProgress& progress)
        : m_writer(target, mode), m_report(report), m_progress(progress)
    {}

    void add(const PunchRecord& row)
    {
        if (failed())
            return;
        m_progress.advance();
        if (row.status != u"1" && row.status != u"2") {
            ++m_report.withoutDirection;
            return;
        }
        const Outcome added = m_writer.add(row.fid, row.hid, buddhistStamp(row.wDate, row.wTime),
                                           row.status == u"1" ? In : Out);
        if (!added)
            m_error = added.error();
        else
            ++m_written;
    }
    bool failed() const { return !m_error.isNull(); }
    // Writes what is still held; the number of punches written.
    Expected<qint64> finish()
    {
        if (!failed()) {
            if (const Outcome flushed = m_writer.flush(); !flushed)
                m_error = flushed.error();
        }
        if (failed())
            return Expected<qint64>::failure(m_error);
        return m_written;
    }
    bool groupingRefused() const { return m_writer.groupingRefused(); }

private:
    const QString In = QStringLiteral("IN");
    const QString Out = QStringLiteral("OUT");
    TransactionWriter m_writer;
    ExportReport& m_report;
    RunProgress& m_progress;
    QString m_error;
    qint64 m_written = 0;
};

} // namespace

QString buddhistStamp(const QString& wDate, const QString& wTime)
{
    // the first four characters as a year, the two from the sixth, the last two
    const QStringView date(wDate);
    const auto part = [date](qsizetype from, qsizetype count) {
        from = qBound<qsizetype>(0, from, date.size());
        return date.sliced(from, qMin(count, date.size() - from));
    };
    QString stamp;
    stamp.reserve(20);
    stamp += QString::number(part(0, 4).toInt() + 543);
    stamp += u'/';
    stamp += part(5, 2);
    stamp += u'/';
    stamp += part(date.size() - 2, 2);
    stamp += u' ';
    stamp += wTime;
    return stamp;
}

TimeAttendanceExport::TimeAttendanceExport(QSqlDatabase timeAttendance, RunProgress& progress)
    : m_target(std::move(timeAttendance)), m_progress(progress)
{}

Expected<ExportReport> TimeAttendanceExport::exportLocal(const ExportFilter& filter)
{
    return run([&](const WorkRowSink& sink) {
        return searchPunches(buildLocalPunchQuery(filter, PunchQueryKind::TimeAttendance),
                             SearchMode::Pairing, m_progress, sink);
    });
}

Expected<ExportReport> TimeAttendanceExport::exportAccessControl(const ExportFilter& filter)
{
    return run([&](const WorkRowSink& sink) {
        return searchAccessControlPunches(
            buildAccessControlPunchQuery(
                filter, PunchQueryKind::TimeAttendance,
                accessControlIdColumnTypes(Connections::get(Connections::AccessControlConnection))),
            SearchMode::Pairing, m_progress, sink);
    });
}

Expected<qint64> TimeAttendanceExport::writeWorkTable(ExportReport& report)
{
    WorkTableReader reader(Connections::get(Connections::LocalConnection));
    if (const Outcome opened = reader.open(); !opened)
        return Expected<qint64>::failure(opened.error());
    PunchWriter writer(m_target, TransactionWriter::Mode::PerPunch, report, m_progress);
    PunchRecord row;
    while (!writer.failed()) {
        m_progress.yield();
        const Expected<bool> more = reader.next(row);
        if (!more)
            return Expected<qint64>::failure(more.error());
        if (!*more)
            break;
        writer.add(row);
    }
    return writer.finish();
}

Expected<ExportReport> TimeAttendanceExport::run(const Search& search)
{
    RunProgress::Guard guard(m_progress);
    if (!guard)
        return ExportReport::busy();
    m_progress.reset();
    if (!m_target.isValid() || !m_target.isOpen())
        return Expected<ExportReport>::failure(QStringLiteral(
            "The time-attendance database is not connected. Check its connection settings and try again."));

    const bool atomic = m_target.driver()->hasFeature(QSqlDriver::Transactions);
    const auto begin = [&]() -> Outcome {
        if (atomic && !m_target.transaction())
            return Outcome::failure(QStringLiteral("Cannot start a transaction: ") +
                                    m_target.lastError().text());
        return Outcome::success();
    };
    const auto rollback = [&] {
        if (atomic)
            m_target.rollback();
    };
    const auto stopped = [atomic](const QString& reason) {
        return Expected<ExportReport>::failure(
            QStringLiteral("The export to the time-attendance database stopped: %1\n%2")
                .arg(reason, atomic ? QStringLiteral("tblTransaction was left as it was.")
                                    : QStringLiteral("The punches written before the failure stay in "
                                                     "tblTransaction; exporting again completes them.")));
    };

    if (const Outcome begun = begin(); !begun)
        return stopped(begun.error());
    // The punches are written as the search pairs them, so the work table is not read back.
    ExportReport report;
    PunchWriter grouped(m_target, TransactionWriter::Mode::Grouped, report, m_progress);
    const Expected<SearchResult> found = search([&grouped](const PunchRecord& row) { grouped.add(row); });
    if (!found) {
        rollback();
        return Expected<ExportReport>::failure(QStringLiteral("The export stopped: ") + found.error());
    }
    report.incomplete = found->incomplete;
    if (found->written == 0) {
        rollback();
        report.status = ExportReport::Status::NoData;
        report.message = ExportMessages::NoData;
        return report;
    }

    m_progress.yield();
    Expected<qint64> written = grouped.finish();
    if (!written && grouped.groupingRefused()) {
        // The database does not take grouped statements: the same punches from the work table,
        // one at a time.
        rollback();
        report.withoutDirection = 0;
        if (const Outcome begun = begin(); !begun)
            return stopped(begun.error());
        written = writeWorkTable(report);
    }
    if (!written) {
        rollback();
        return stopped(written.error());
    }
    m_progress.yield();
    if (atomic && !m_target.commit()) {
        const QString reason = QStringLiteral("Cannot commit: ") + m_target.lastError().text();
        rollback();
        return stopped(reason);
    }
    report.written = *written;
    m_progress.finish();
    report.status = ExportReport::Status::Exported;
    report.message = ExportMessages::completed(report);
    return report;
}
