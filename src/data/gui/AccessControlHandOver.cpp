#include "data/gui/AccessControlHandOver.h"

#include "app/gui/WindowRegistry.h"

Outcome OpenAccessControlExport(WindowRegistry& registry, bool fileMode)
{
    if (!registry.open(WindowId::Export, fileMode ? 5 : 6))
        return Outcome::failure(
            QStringLiteral("Connected to the access-control server, but the %1 is not available "
                           "in this version yet.")
                .arg(WindowRegistry::describe(WindowId::Export)));
    registry.unload(WindowId::EditExport);
    return Outcome::success();
}
