#include "app/gui/WindowCatalog.h"

#include "app/gui/WindowRegistry.h"

// One line per window kind, e.g.
//     registry.add<frmEnroll>(WindowId::Enroll);
// A kind missing here is reported to the operator as not available when the side bar asks for it.
void registerWindows([[maybe_unused]] WindowRegistry& registry) {}
