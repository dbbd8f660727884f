#include "gui/shell/WindowCatalog.h"

#include "gui/accesscontrol/AccessControlExportSource.h"
#include "gui/accesscontrol/AccessControlHandOver.h"
#include "gui/accesscontrol/AccessControlLoginWindow.h"
#include "gui/enrolment/EnrolmentWindow.h"
#include "gui/export/ExportWindow.h"
#include "gui/layouts/FormatEditor.h"
#include "gui/search/EmployeePicker.h"
#include "gui/search/TerminalPicker.h"
#include "gui/shell/AboutDialog.h"
#include "gui/shell/WindowRegistry.h"
#include "gui/terminal/TerminalWindow.h"

#include <QPushButton>

// One entry per window kind (see WindowRegistry.h). A kind missing here is reported to the
// operator as not available when the side bar asks for it. A preparation called with item 0
// comes from another window than the side bar and leaves the window's mode as it is.
void registerWindows(WindowRegistry& registry)
{
    registry.add<TerminalWindow>(WindowId::Connect, [&registry](TerminalWindow& w, int item) {
        if (item == 1) {
            if (auto* connect = w.findChild<QPushButton*>(QStringLiteral("btnconnect")))
                connect->setVisible(true);
        }
        w.setShowAbout([&w] {
            AboutDialog about(&w);
            about.exec();
        });
        if (registry.isRegistered(WindowId::Export))
            w.setShowExport([&registry] { registry.open(WindowId::Export); });
        w.setCloseFormatEditor([&registry] { registry.unload(WindowId::EditExport); });
    });
    registry.add<EnrolmentWindow>(WindowId::Enroll);
    registry.add<FormatEditor>(WindowId::EditExport);
    // Items 2 and 3: local punches to a text file or into the time-attendance database; 5 and 6:
    // the same for access-control punches, after the SQL Server connection window connected.
    // Other openers (start-up, the connection window's menu) leave its mode as it is.
    registry.add<ExportWindow>(WindowId::Export, [](ExportWindow& w, int item) {
        if (item == 5 || item == 6)
            w.setAccessControlSource(AccessControlExportSource(w.context()));
        switch (item) {
        case 2:
            w.prepareTextExport();
            break;
        case 3:
            w.prepareTimeAttendanceExport();
            break;
        case 5:
            w.prepareAccessControlTextExport();
            break;
        case 6:
            w.prepareAccessControlTimeAttendanceExport();
            break;
        default:
            break;
        }
    });
    registry.add<EmployeePicker>(WindowId::Employee);
    registry.add<TerminalPicker>(WindowId::TQID);
    // Side-bar items 5 and 6: the access-control export to a text file or into the TA database.
    registry.add<AccessControlLoginWindow>(WindowId::ConnectSql, [&registry](AccessControlLoginWindow& w,
                                                                             int item) {
        w.setFileMode(item == 5);
        w.setAfterConnect([&registry](bool fileMode) { return openAccessControlExport(registry, fileMode); });
    });
}
