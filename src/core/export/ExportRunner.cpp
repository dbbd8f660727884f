#include "core/export/ExportRunner.h"

#include "core/platform/IniFile.h"
#include "core/storage/Connections.h"

#include <QCoreApplication>
#include <QScopeGuard>

namespace {

const QString SettingsSection = QStringLiteral("text");
const QString FormatNameKey = QStringLiteral("FormatName");
const QString TextFileFilter =
    QStringLiteral("Text Files (*.Txt)|*.Txt|Excle Files (*.Xls)|*.Xls|All Files (*.*)|*.*");

} // namespace

ExportRunner::ExportRunner(AppPaths paths, Prompter& prompter, QString title, QObject* parent)
    : QObject(parent), m_paths(std::move(paths)), m_prompter(prompter), m_title(std::move(title))
{
    m_progress.setListener([this](int value) { Q_EMIT progressChanged(value); });
    m_progress.setYielder([] { QCoreApplication::processEvents(); });
}

QString ExportRunner::rememberedLayout() const
{
    return readIniValue(SettingsSection, FormatNameKey, QStringLiteral("Default"), m_paths.settingsFile());
}

void ExportRunner::run(const Request& request)
{
    if (m_running)
        return;
    m_running = true;
    Q_EMIT runningChanged(true);
    const auto done = qScopeGuard([this] {
        m_running = false;
        Q_EMIT runningChanged(false);
    });
    execute(request);
}

void ExportRunner::execute(const Request& request)
{
    const bool fromServer = ExportChoices::readsAccessControl(request.kind);
    const bool toTextFile = ExportChoices::writesTextFile(request.kind);
    if (fromServer && (!m_accessControl.pullLogs || (toTextFile && !m_accessControl.exportText) ||
                       (!toTextFile && !m_accessControl.exportTimeAttendance))) {
        m_prompter.message(Prompter::Icon::Critical, m_title,
                           QStringLiteral("The export from the access-control server is not set up in this "
                                          "window. Connect to the server again."));
        return;
    }
    ExportLineBuilder lineFor;
    if (toTextFile) {
        const ExportLayout& layout = ExportLayout::current();
        Expected<ExportLineBuilder> lines = layoutLineBuilder(
            layout, request.fields, request.filter.filtered ? ExportDataType::Filtered : ExportDataType::Raw);
        if (!lines) {
            m_prompter.message(Prompter::Icon::Critical, m_title, lines.error());
            return;
        }
        lineFor = std::move(*lines);
    }
    if (fromServer && !m_accessControl.pullLogs())
        return;

    bool cancelled = false;
    const Expected<ExportReport> report =
        toTextFile ? exportText(request, lineFor, cancelled) : exportTimeAttendance(request);
    if (!report) {
        setProgressVisible(false);
        m_prompter.message(Prompter::Icon::Critical, m_title, report.error());
        return;
    }
    if (report->status == ExportReport::Status::Busy)
        return;
    if (!cancelled)
        m_prompter.message(Prompter::Icon::None, m_title, report->message);
    setProgressVisible(false);
    writeIniValue(SettingsSection, FormatNameKey, request.layoutName, m_paths.settingsFile());
}

Expected<ExportReport> ExportRunner::exportText(const Request& request, const ExportLineBuilder& lineFor,
                                                bool& cancelled)
{
    const QString output = m_prompter.askFileName(Prompter::FileDialog::Save, TextFileFilter);
    setProgressVisible(true);
    if (output.isEmpty()) {
        cancelled = true;
        return ExportReport();
    }
    TextExport exporter(m_paths, m_progress);
    const TextExportRequest textRequest{request.filter, output, ExportLayout::current().path};
    if (ExportChoices::readsAccessControl(request.kind))
        return m_accessControl.exportText(exporter, textRequest, lineFor);
    return exporter.exportLocal(textRequest, lineFor);
}

Expected<ExportReport> ExportRunner::exportTimeAttendance(const Request& request)
{
    setProgressVisible(true);
    TimeAttendanceExport exporter(Connections::get(Connections::TimeAttendanceConnection), m_progress);
    if (ExportChoices::readsAccessControl(request.kind))
        return m_accessControl.exportTimeAttendance(exporter, request.filter);
    return exporter.exportLocal(request.filter);
}

void ExportRunner::setProgressVisible(bool visible)
{
    if (visible)
        Q_EMIT progressChanged(0);
    Q_EMIT progressVisibleChanged(visible);
}
