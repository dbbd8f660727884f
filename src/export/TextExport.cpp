#include "export/TextExport.h"

#include "data/Connections.h"
#include "export/StagedExportFile.h"
#include "export/WorkTableReader.h"
#include "platform/Cp874.h"
#include "search/AttendanceSearch.h"

#include <QDir>
#include <QHash>

namespace {

Expected<ExportReport> stopped(const QString& reason, const QString& output)
{
    return Expected<ExportReport>::failure(
        QStringLiteral("The export stopped: %1\nThe export file %2 was not changed.")
            .arg(reason, QDir::toNativeSeparators(output)));
}

} // namespace

TextExport::TextExport(AppPaths paths, RunProgress& progress)
    : m_paths(std::move(paths)), m_progress(progress)
{}

Expected<ExportReport> TextExport::Export(const TextExportRequest& request, const ExportLineBuilder& lineFor)
{
    return run(request, lineFor, [this](const ExportFilter& filter) {
        return SearchHuman(
            BuildLocalPunchQuery(filter, filter.filtered ? PunchQueryKind::Filtered : PunchQueryKind::Raw),
            filter.filtered ? SearchMode::Pairing : SearchMode::Copy, m_progress);
    });
}

Expected<ExportReport> TextExport::ExportQORSQL(const TextExportRequest& request,
                                                const ExportLineBuilder& lineFor)
{
    return run(request, lineFor, [this](const ExportFilter& filter) {
        return SearchHumanQORSQL(BuildAccessControlPunchQuery(filter, filter.filtered
                                                                          ? PunchQueryKind::Filtered
                                                                          : PunchQueryKind::Raw),
                                 filter.filtered ? SearchMode::Pairing : SearchMode::Copy, m_progress);
    });
}

Expected<ExportReport> TextExport::run(const TextExportRequest& request, const ExportLineBuilder& lineFor,
                                       const Search& search)
{
    RunProgress::Guard guard(m_progress);
    if (!guard)
        return ExportReport::busy();
    m_progress.reset();

    StagedExportFile file(m_paths.stagingFile(), request.outputFile);
    if (const Outcome begun = file.begin(); !begun)
        return Expected<ExportReport>::failure(begun.error());

    const Expected<SearchResult> found = search(request.filter);
    if (!found)
        return stopped(found.error(), request.outputFile);

    ExportReport report;
    report.incomplete = found->incomplete;
    if (found->written == 0) {
        file.abandon();
        report.status = ExportReport::Status::NoData;
        report.message = ExportMessages::NoData;
        return report;
    }
    return writeWorkTable(request, lineFor, file, report);
}

Expected<ExportReport> TextExport::ExportWorkTable(const TextExportRequest& request,
                                                   const ExportLineBuilder& lineFor)
{
    RunProgress::Guard guard(m_progress);
    if (!guard)
        return ExportReport::busy();
    m_progress.reset();
    StagedExportFile file(m_paths.stagingFile(), request.outputFile);
    if (const Outcome begun = file.begin(); !begun)
        return Expected<ExportReport>::failure(begun.error());
    return writeWorkTable(request, lineFor, file, ExportReport());
}

Expected<ExportReport> TextExport::writeWorkTable(const TextExportRequest& request,
                                                  const ExportLineBuilder& lineFor, StagedExportFile& file,
                                                  ExportReport report)
{
    const ExportFilter& filter = request.filter;
    WorkTableReader reader(Connections::get(Connections::LocalConnection));
    if (const Outcome opened = reader.open(); !opened)
        return stopped(opened.error(), request.outputFile);

    PunchRecord row;
    qint64 rows = 0;
    if (!filter.chosenEmployees) {
        for (;;) {
            m_progress.yield();
            const Expected<bool> more = reader.next(row);
            if (!more)
                return stopped(more.error(), request.outputFile);
            if (!*more)
                break;
            file.writeLine(lineFor(row));
            ++rows;
            ++report.written;
            m_progress.advance();
        }
    } else {
        // One pass over the work table, each line put aside under its employee; the groups
        // are then written in the order of the employee box.
        QHash<QString, qsizetype> groupOf;
        QList<QByteArray> groups;
        for (const QString& id : SplitIdList(filter.employees)) {
            if (!groupOf.contains(id)) {
                groupOf.insert(id, groups.size());
                groups.append(QByteArray());
            }
        }
        for (;;) {
            m_progress.yield();
            const Expected<bool> more = reader.next(row);
            if (!more)
                return stopped(more.error(), request.outputFile);
            if (!*more)
                break;
            ++rows;
            const auto group = groupOf.constFind(row.hid);
            if (group != groupOf.constEnd()) {
                QByteArray& lines = groups[*group];
                lines += Cp874::encode(lineFor(row));
                lines += "\r\n";
                ++report.written;
            }
            m_progress.advance();
        }
        for (QByteArray& lines : groups) {
            file.writeEncodedLine(lines);
            lines.clear();
        }
    }

    if (rows == 0) {
        file.abandon();
        report.status = ExportReport::Status::NoData;
        report.message = ExportMessages::NoData;
        return report;
    }
    if (report.written == 0) {
        // Rows were found, but none of a chosen employee: the file holds one blank line.
        file.writeLine(QStringLiteral(" "));
        if (const Outcome committed = file.commit(); !committed)
            return Expected<ExportReport>::failure(committed.error());
        report.status = ExportReport::Status::NoData;
        report.message = ExportMessages::NoData;
        return report;
    }
    if (const Outcome committed = file.commit(); !committed)
        return Expected<ExportReport>::failure(committed.error());
    m_progress.finish();
    report.status = ExportReport::Status::Exported;
    report.message = ExportMessages::completed(report);
    return report;
}
