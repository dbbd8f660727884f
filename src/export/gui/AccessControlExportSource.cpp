#include "export/gui/AccessControlExportSource.h"

#include "data/Connections.h"
#include "export/gui/AccessLogPullStep.h"
#include "platform/QorClient.h"
#include "search/AccessControlEmployees.h"

frmExport::AccessControlSource AccessControlExportSource(AppContext& context, int servicePort)
{
    frmExport::AccessControlSource source;
    source.pullLogs = [&context, servicePort] {
        QorClient client;
        return AskAndPullAccessLogs(context, client, servicePort);
    };
    source.exportText = [](TextExport& exporter, const TextExportRequest& request,
                           const ExportLineBuilder& lineFor) {
        return exporter.ExportQORSQL(request, lineFor);
    };
    source.exportTimeAttendance = [](TimeAttendanceExport& exporter, const ExportFilter& filter) {
        return exporter.ExportTAQORSQL(filter);
    };
    source.employees = [] {
        const Expected<QList<AccessControlPerson>> persons =
            ListAccessControlPersons(Connections::get(Connections::AccessControlConnection));
        if (!persons)
            return Expected<QList<PickerEntry>>::failure(persons.error());
        QList<PickerEntry> entries;
        for (const AccessControlPerson& person : *persons)
            entries.append({person.uid, person.item()});
        return Expected<QList<PickerEntry>>(entries);
    };
    return source;
}
