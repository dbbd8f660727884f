#include "data/gui/AccessControlHandOver.h"

#include "app/gui/WindowRegistry.h"
#include "export/frmExport.h"
#include "export/gui/AccessControlExportSource.h"

Outcome OpenAccessControlExport(WindowRegistry& registry, bool fileMode)
{
    QWidget* window = registry.open(WindowId::Export, fileMode ? 5 : 6);
    if (!window)
        return Outcome::failure(
            QStringLiteral("Connected to the access-control server, but the %1 is not available "
                           "in this version yet.")
                .arg(WindowRegistry::describe(WindowId::Export)));
    if (auto* exportWindow = dynamic_cast<frmExport*>(window))
        exportWindow->setAccessControlSource(AccessControlExportSource(exportWindow->context()));
    registry.unload(WindowId::EditExport);
    return Outcome::success();
}
