#include "gui/accesscontrol/AccessControlHandOver.h"

#include "gui/accesscontrol/AccessControlExportSource.h"
#include "gui/export/ExportWindow.h"
#include "gui/shell/WindowRegistry.h"

Outcome openAccessControlExport(WindowRegistry& registry, bool fileMode)
{
    QWidget* window = registry.open(WindowId::Export, fileMode ? 5 : 6);
    if (!window)
        return Outcome::failure(
            QStringLiteral("Connected to the access-control server, but the %1 is not available "
                           "in this version yet.")
                .arg(WindowRegistry::describe(WindowId::Export)));
    if (auto* exportWindow = dynamic_cast<ExportWindow*>(window))
        exportWindow->setAccessControlSource(AccessControlExportSource(exportWindow->context()));
    registry.unload(WindowId::EditExport);
    return Outcome::success();
}
