#include "app/gui/WindowCatalog.h"

#include "app/gui/WindowRegistry.h"
#include "data/frmconnectsql.h"
#include "data/gui/AccessControlHandOver.h"
#include "enrol/frmEnroll.h"

// One line per window kind (see WindowRegistry.h). A kind missing here is reported to the
// operator as not available when the side bar asks for it.
void registerWindows(WindowRegistry& registry)
{
    registry.add<frmEnroll>(WindowId::Enroll);
    // Side-bar items 5 and 6: the access-control export to a text file or into the TA database.
    registry.add<frmconnectsql>(WindowId::ConnectSql, [&registry](frmconnectsql& w, int item) {
        w.setFileMode(item == 5);
        w.setAfterConnect([&registry](bool fileMode) { return OpenAccessControlExport(registry, fileMode); });
    });
}
