#pragma once

struct AppContext;
class QorClient;

// The first step of the export window's two access-control export commands: asks whether the
// facilities' data is deleted after the import (Yes/No), then pulls every facility's logs into
// RALog with that answer. Facilities that were skipped or failed are named in an information
// box. Returns false when the pull stopped on a database error (shown to the operator): the
// command must not run its export then.
bool askAndPullAccessLogs(AppContext& context, QorClient& client, int servicePort = 4900);
