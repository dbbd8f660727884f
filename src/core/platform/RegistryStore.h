#pragma once

#include <QString>

// Read-only access to values that another program keeps in the native settings store, named by
// a registry-style path: "HKCU\SOFTWARE\<organisation>\<application>\<value>". On Windows that
// is the registry; elsewhere it is the file Qt keeps for that organisation and application under
// the user's configuration directory, "~/.config/<organisation>/<application>.conf", with the
// values in its [General] section. Tests move the store with
// QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir).

// The value as text; the empty text when the path has another shape, or the key or value is
// missing or cannot be read.
QString readRegistryValue(const QString& fullPath);
