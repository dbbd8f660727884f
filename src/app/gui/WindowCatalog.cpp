#include "app/gui/WindowCatalog.h"

#include "app/gui/WindowRegistry.h"
#include "enrol/frmEnroll.h"
#include "export/frmExport.h"
#include "search/frmEmployee.h"
#include "search/frmTQID.h"

// One line per window kind (see WindowRegistry.h). A kind missing here is reported to the
// operator as not available when the side bar asks for it.
void registerWindows(WindowRegistry& registry)
{
    registry.add<frmEnroll>(WindowId::Enroll);
    // item 2: text export, item 3: export into the time-attendance database; other openers
    // (start-up, other windows) prepare it themselves
    registry.add<frmExport>(WindowId::Export, [](frmExport& w, int item) {
        if (item == 2)
            w.prepareTextExport();
        else if (item == 3)
            w.prepareTimeAttendanceExport();
    });
    registry.add<frmEmployee>(WindowId::Employee);
    registry.add<frmTQID>(WindowId::TQID);
}
