#pragma once

#include "core/platform/Outcome.h"

#include <QString>

// The connection to the time-attendance program's database. That program's configuration tool
// keeps the seven connection values in the native settings store; they are read on every open
// and never written.
namespace TimeAttendanceSettings {
// Registry-style key under which the values stand; a value's path is this, '\' and its name.
inline const QString KeyPath = QStringLiteral("HKCU\\SOFTWARE\\ZUN Vantorel\\Configuration Connection Tools");
// Where an operator finds the values: the registry key on Windows, the settings file elsewhere.
QString location();
} // namespace TimeAttendanceSettings

// The clear password of the stored PWD text: the last character is the key k, and every
// character before it is lowered by k in the code page, wrapping by 255 below zero. A stored
// text of one character or none gives the empty password.
QString decodeStoredPassword(const QString& stored);

// The ODBC connection string built from the stored values (DSN, UID, PWD, Database, Driver,
// Server, Port), each inserted as read; missing values are empty.
QString buildTimeAttendanceConnectionString();

// Replaces TimeAttendanceConnection with a new connection on the string above and opens it;
// gives up after about ten seconds. On failure the driver's reason is in the Outcome.
Outcome openTimeAttendanceDatabase();
// The same with another login timeout, for callers that cannot wait that long.
Outcome openTimeAttendanceDatabase(int loginTimeoutSeconds);
