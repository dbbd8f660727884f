#pragma once

#include "gui/export/ExportWindow.h"

struct AppContext;

// The export window's road to the access-control server's punches, on AccessControlConnection:
// the log pull (with its question) before each export, RALog as the exports' source and the
// server's persons for the employee picker. servicePort is the access-control service's port.
ExportWindow::AccessControlSource AccessControlExportSource(AppContext& context, int servicePort = 4900);
