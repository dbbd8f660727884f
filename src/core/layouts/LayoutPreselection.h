#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The layout the export window selects when it loads, as an index into the listed names:
// "TA_format" when the window exports into the time-attendance database, otherwise the name
// remembered under FormatName; the first entry when that name is empty. Nothing is selected
// when no layout is listed or when the wanted name matches no entry exactly.
std::optional<int> preselectedLayout(const QStringList& names, bool taMode, const QString& formatName);

// The name of the layout the time-attendance export uses.
inline QString timeAttendanceLayoutName()
{
    return QStringLiteral("TA_format");
}
