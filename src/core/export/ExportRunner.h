#pragma once

#include "core/export/ExportChoices.h"
#include "core/export/ExportFilter.h"
#include "core/export/ExportReport.h"
#include "core/export/TextExport.h"
#include "core/export/TimeAttendanceExport.h"
#include "core/layouts/ExportLayout.h"
#include "core/platform/AppPaths.h"
#include "core/platform/Prompter.h"
#include "core/search/RunProgress.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

// What an export command of the export window runs, without widgets. A text export first
// builds its lines by the layout (refusing a layout without fields); an access-control export
// then has the server's logs pulled; a text export asks for its file. Then the export runs, the
// operator is told how it ended, and the layout's name is remembered under FormatName. One run
// at a time: the run handles events between rows, and a command pressed meanwhile does nothing.
class ExportRunner final : public QObject
{
    Q_OBJECT

public:
    // How the access-control exports reach the server's punches, set by whoever connected to
    // that server.
    struct AccessControlSteps
    {
        // Runs before the export: asks whether the scanners' data is deleted after the import and
        // brings the server's logs into RALog. False stops the export (the operator has been told
        // why).
        std::function<bool()> pullLogs;
        std::function<Expected<ExportReport>(TextExport&, const TextExportRequest&, const ExportLineBuilder&)>
            exportText;
        std::function<Expected<ExportReport>(TimeAttendanceExport&, const ExportFilter&)>
            exportTimeAttendance;
    };

    // What an export runs with, taken from the window when its command is pressed.
    struct Request
    {
        ExportChoices::Export kind = ExportChoices::Export::Text;
        ExportFilter filter;
        QList<LayoutRow> fields; // the layout's field rows, as the window's grid shows them
        QString layoutName;      // the layout list's text
    };

    ExportRunner(AppPaths paths, Prompter& prompter, QString title, QObject* parent = nullptr);

    void setAccessControlSteps(AccessControlSteps steps) { m_accessControl = std::move(steps); }
    bool isRunning() const { return m_running; }
    void run(const Request& request);

    // The layout the last export remembered; "Default" when none did.
    QString rememberedLayout() const;

Q_SIGNALS:
    void runningChanged(bool running);
    // The progress bar is shown while the export runs.
    void progressVisibleChanged(bool visible);
    void progressChanged(int value);

private:
    void execute(const Request& request);
    // cancelled: the operator closed the file dialog without a file.
    Expected<ExportReport> exportText(const Request& request, const ExportLineBuilder& lineFor,
                                      bool& cancelled);
    Expected<ExportReport> exportTimeAttendance(const Request& request);
    void setProgressVisible(bool visible);

    AppPaths m_paths;
    Prompter& m_prompter;
    QString m_title;
    RunProgress m_progress;
    AccessControlSteps m_accessControl;
    bool m_running = false;
};
