#include "core/export/TextExport.h"

#include "core/accesscontrol/AccessControlPunchSource.h"
#include "core/export/StagedExportFile.h"
#include "core/export/WorkTableReader.h"
#include "core/platform/CheckedFileWriter.h"
#include "core/platform/Cp874.h"
#include "core/platform/RunAside.h"
#include "core/search/AttendanceSearch.h"
#include "core/storage/Connections.h"

#include <QDir>
#include <QHash>

#include <atomic>

#include <memory>

namespace {

Expected<ExportReport> stopped(const QString& reason, const QString& output)
{
    return Expected<ExportReport>::failure(
        QStringLiteral("The export stopped: %1\nThe export file %2 was not changed.")
            .arg(reason, QDir::toNativeSeparators(output)));
}

// Takes the punches in work-table order and writes their lines: all employees straight to the
// file, chosen employees put aside by employee and written in the order of the employee box.
class LineWriter final
{
public:
    LineWriter(const ExportFilter& filter, const ExportLineBuilder& lineFor, StagedExportFile& file,
               RunProgress& progress)
        : m_lineFor(lineFor), m_file(file), m_progress(progress), m_grouped(filter.chosenEmployees)
    {
        if (!m_grouped)
            return;
        for (const QString& id : splitIdList(filter.employees)) {
            const QString key = personKey(id);
            if (!m_groupOf.contains(key)) {
                m_groupOf.insert(key, m_groups.size());
                m_groups.append(QByteArray());
            }
        }
    }

    void add(const PunchRecord& punch)
    {
        ++m_rows;
        m_progress.advance();
        if (!m_grouped) {
            m_file.writeLine(m_lineFor(punch));
            ++m_lines;
            return;
        }
        const auto group = m_groupOf.constFind(personKey(punch.hid));
        if (group == m_groupOf.constEnd())
            return;
        QByteArray& lines = m_groups[*group];
        Cp874::append(lines, m_lineFor(punch));
        lines += "\r\n";
        ++m_lines;
    }

    void finish()
    {
        for (QByteArray& lines : m_groups) {
            m_file.writeEncodedLine(lines);
            lines.clear();
        }
    }

    qint64 rows() const { return m_rows; }
    qint64 lines() const { return m_lines; }

private:
    const ExportLineBuilder& m_lineFor;
    StagedExportFile& m_file;
    RunProgress& m_progress;
    bool m_grouped;
    QHash<QString, qsizetype> m_groupOf;
    QList<QByteArray> m_groups;
    qint64 m_rows = 0;
    qint64 m_lines = 0;
};

// Copies the staging file to the chosen file aside, handling the window's events meanwhile:
// copying a large export and flushing it to disk would hold the window still. Every piece
// copied is a step of the progress.
Outcome commitAside(StagedExportFile& file, RunProgress& progress)
{
    std::atomic<int> pieces = 0;
    int shown = 0;
    const auto showPieces = [&] {
        for (const int copied = pieces; shown < copied; ++shown)
            progress.advance();
    };
    const Outcome committed = runAside([&file, &pieces] { return file.commit([&pieces] { ++pieces; }); },
                                       [&] {
                                           showPieces();
                                           progress.yield();
                                       });
    showPieces();
    return committed;
}

// Ends a run whose lines are all in the staging file.
Expected<ExportReport> complete(const LineWriter& lines, StagedExportFile& file, RunProgress& progress,
                                ExportReport report)
{
    report.written = lines.lines();
    if (lines.rows() == 0) {
        file.abandon();
        report.status = ExportReport::Status::NoData;
        report.message = ExportMessages::NoData;
        return report;
    }
    if (lines.lines() == 0) {
        // Rows were found, but none of a chosen employee: the file holds one blank line.
        file.writeLine(QStringLiteral(" "));
        if (const Outcome committed = commitAside(file, progress); !committed)
            return Expected<ExportReport>::failure(committed.error());
        report.status = ExportReport::Status::NoData;
        report.message = ExportMessages::NoData;
        return report;
    }
    if (const Outcome committed = commitAside(file, progress); !committed)
        return Expected<ExportReport>::failure(committed.error());
    progress.finish();
    report.status = ExportReport::Status::Exported;
    report.message = ExportMessages::completed(report);
    return report;
}

} // namespace

Outcome checkExportOutput(const AppPaths& paths, const QString& output, const QString& layoutFile)
{
    const QString shown = QDir::toNativeSeparators(output);
    QString own = paths.ownFileAt(output);
    if (own.isEmpty() && !layoutFile.isEmpty() && isSameFile(output, layoutFile))
        own = QStringLiteral("the layout file of this export");
    if (!own.isEmpty())
        return Outcome::failure(QStringLiteral("Cannot write the export file %1: it is %2 (%3), which the "
                                               "export would destroy. Choose another file; nothing was "
                                               "written.")
                                    .arg(shown, own, QDir::toNativeSeparators(resolvedFilePath(output))));
    if (const QString kind = notRegularFileReason(output); !kind.isEmpty())
        return Outcome::failure(
            QStringLiteral("Cannot write the export file %1: it is %2, not a regular file. "
                           "Choose a file name; nothing was written.")
                .arg(shown, kind));
    return Outcome::success();
}

Expected<ExportLineBuilder> layoutLineBuilder(const ExportLayout& layout, const QList<LayoutRow>& fields,
                                              ExportDataType dataType)
{
    if (fields.isEmpty())
        return Expected<ExportLineBuilder>::failure(
            QStringLiteral("The export layout has no fields, so every line would be empty. Nothing was "
                           "exported.\nChoose a layout that has fields, or add fields to it in the format "
                           "editor."));
    auto builder = std::make_shared<const LineBuilder>(layout, fields, layout.delimiter, dataType);
    return ExportLineBuilder([builder](const PunchRecord& punch) { return builder->build(punch); });
}

TextExport::TextExport(AppPaths paths, RunProgress& progress)
    : m_paths(std::move(paths)), m_progress(progress)
{}

Expected<ExportReport> TextExport::exportLocal(const TextExportRequest& request,
                                               const ExportLineBuilder& lineFor)
{
    // Filtered data is searched in order of person, date and time, as the work table is read.
    return run(
        request, lineFor,
        [this](const ExportFilter& filter, const WorkRowSink& sink) {
            return searchPunches(buildLocalPunchQuery(filter, filter.filtered ? PunchQueryKind::Filtered
                                                                              : PunchQueryKind::Raw),
                                 filter.filtered ? SearchMode::Pairing : SearchMode::Copy, m_progress, sink);
        },
        request.filter.filtered);
}

Expected<ExportReport> TextExport::exportAccessControl(const TextExportRequest& request,
                                                       const ExportLineBuilder& lineFor)
{
    // The server orders persons by its own type of UID, not as the work table's text: the work
    // table is read back.
    return run(
        request, lineFor,
        [this](const ExportFilter& filter, const WorkRowSink&) {
            return searchAccessControlPunches(
                buildAccessControlPunchQuery(
                    filter, filter.filtered ? PunchQueryKind::Filtered : PunchQueryKind::Raw,
                    accessControlIdColumnTypes(Connections::get(Connections::AccessControlConnection))),
                filter.filtered ? SearchMode::Pairing : SearchMode::Copy, m_progress);
        },
        false);
}

Expected<ExportReport> TextExport::run(const TextExportRequest& request, const ExportLineBuilder& lineFor,
                                       const Search& search, bool linesAsSearched)
{
    RunProgress::Guard guard(m_progress);
    if (!guard)
        return ExportReport::busy();
    m_progress.reset();
    if (const Outcome usable = checkExportOutput(m_paths, request.outputFile, request.layoutFile); !usable)
        return Expected<ExportReport>::failure(usable.error());

    StagedExportFile file(m_paths.stagingFile(), request.outputFile);
    if (const Outcome begun = file.begin(); !begun)
        return Expected<ExportReport>::failure(begun.error());

    const ExportFilter& filter = request.filter;
    LineWriter lines(filter, lineFor, file, m_progress);
    // A search in the order the work table is read back in hands over its lines as it writes
    // the work rows, so the table is not read and sorted again.
    WorkRowSink sink;
    if (linesAsSearched)
        sink = [&lines](const PunchRecord& punch) {
            lines.add(punch);
        };
    const Expected<SearchResult> found = search(filter, sink);
    if (!found)
        return stopped(found.error(), request.outputFile);
    m_progress.yield();

    ExportReport report;
    report.incomplete = found->incomplete;
    if (!linesAsSearched)
        return writeWorkTable(request, lineFor, file, report);
    lines.finish();
    return complete(lines, file, m_progress, report);
}

Expected<ExportReport> TextExport::exportWorkTable(const TextExportRequest& request,
                                                   const ExportLineBuilder& lineFor)
{
    RunProgress::Guard guard(m_progress);
    if (!guard)
        return ExportReport::busy();
    m_progress.reset();
    if (const Outcome usable = checkExportOutput(m_paths, request.outputFile, request.layoutFile); !usable)
        return Expected<ExportReport>::failure(usable.error());
    StagedExportFile file(m_paths.stagingFile(), request.outputFile);
    if (const Outcome begun = file.begin(); !begun)
        return Expected<ExportReport>::failure(begun.error());
    return writeWorkTable(request, lineFor, file, ExportReport());
}

Expected<ExportReport> TextExport::writeWorkTable(const TextExportRequest& request,
                                                  const ExportLineBuilder& lineFor, StagedExportFile& file,
                                                  ExportReport report)
{
    WorkTableReader reader(Connections::get(Connections::LocalConnection));
    if (const Outcome opened = reader.open(); !opened)
        return stopped(opened.error(), request.outputFile);
    LineWriter lines(request.filter, lineFor, file, m_progress);
    PunchRecord row;
    for (;;) {
        m_progress.yield();
        const Expected<bool> more = reader.next(row);
        if (!more)
            return stopped(more.error(), request.outputFile);
        if (!*more)
            break;
        lines.add(row);
    }
    lines.finish();
    return complete(lines, file, m_progress, report);
}
