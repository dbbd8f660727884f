#include "data/gui/AccessControlHandOver.h"

#include "app/AppContext.h"
#include "app/gui/WindowRegistry.h"
#include "data/Connections.h"
#include "export/frmExport.h"
#include "export/gui/AccessLogPullStep.h"
#include "platform/QorClient.h"
#include "search/AccessControlEmployees.h"

namespace {

// What the export window runs for access-control punches: the pull first, then the export from
// RALog; the employee picker lists the server's persons.
frmExport::AccessControlSource accessControlSource(AppContext& context)
{
    frmExport::AccessControlSource source;
    source.pullLogs = [&context] {
        QorClient client;
        return AskAndPullAccessLogs(context, client);
    };
    source.exportText = [](TextExport& exporter, const TextExportRequest& request,
                           const ExportLineBuilder& lineFor) {
        return exporter.ExportQORSQL(request, lineFor);
    };
    source.exportTimeAttendance = [](TimeAttendanceExport& exporter, const ExportFilter& filter) {
        return exporter.ExportTAQORSQL(filter);
    };
    source.employees = []() -> Expected<QList<PickerEntry>> {
        const Expected<QList<AccessControlPerson>> persons =
            ListAccessControlPersons(Connections::get(Connections::AccessControlConnection));
        if (!persons)
            return Expected<QList<PickerEntry>>::failure(persons.error());
        QList<PickerEntry> entries;
        for (const AccessControlPerson& person : *persons)
            entries.append({person.uid, person.item()});
        return entries;
    };
    return source;
}

} // namespace

Outcome OpenAccessControlExport(WindowRegistry& registry, AppContext& context, bool fileMode)
{
    QWidget* window = registry.open(WindowId::Export, fileMode ? 5 : 6);
    if (!window)
        return Outcome::failure(
            QStringLiteral("Connected to the access-control server, but the %1 is not available "
                           "in this version yet.")
                .arg(WindowRegistry::describe(WindowId::Export)));
    if (auto* exportWindow = dynamic_cast<frmExport*>(window))
        exportWindow->setAccessControlSource(accessControlSource(context));
    registry.unload(WindowId::EditExport);
    return Outcome::success();
}
