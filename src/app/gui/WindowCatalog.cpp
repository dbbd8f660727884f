#include "app/gui/WindowCatalog.h"

#include "app/gui/WindowRegistry.h"
#include "enrol/frmEnroll.h"

// One line per window kind (see WindowRegistry.h). A kind missing here is reported to the
// operator as not available when the side bar asks for it.
void registerWindows(WindowRegistry& registry)
{
    registry.add<frmEnroll>(WindowId::Enroll);
}
