#include "gui/accesscontrol/AccessControlExportSource.h"

#include "core/accesscontrol/AccessControlEmployees.h"
#include "core/accesscontrol/QorClient.h"
#include "core/storage/Connections.h"
#include "gui/accesscontrol/AccessLogPullStep.h"

ExportWindow::AccessControlSource AccessControlExportSource(AppContext& context, int servicePort)
{
    ExportWindow::AccessControlSource source;
    source.pullLogs = [&context, servicePort] {
        QorClient client;
        return askAndPullAccessLogs(context, client, servicePort);
    };
    source.exportText = [](TextExport& exporter, const TextExportRequest& request,
                           const ExportLineBuilder& lineFor) {
        return exporter.exportAccessControl(request, lineFor);
    };
    source.exportTimeAttendance = [](TimeAttendanceExport& exporter, const ExportFilter& filter) {
        return exporter.exportAccessControl(filter);
    };
    source.employees = [] {
        const Expected<QList<AccessControlPerson>> persons =
            listAccessControlPersons(Connections::get(Connections::AccessControlConnection));
        if (!persons)
            return Expected<QList<PickerEntry>>::failure(persons.error());
        QList<PickerEntry> entries;
        for (const AccessControlPerson& person : *persons)
            entries.append({person.uid, person.item()});
        return Expected<QList<PickerEntry>>(entries);
    };
    return source;
}
