#include "core/layouts/LayoutPreselection.h"

std::optional<int> preselectedLayout(const QStringList& names, bool taMode, const QString& formatName)
{
    if (names.isEmpty())
        return std::nullopt;
    const QString wanted = taMode ? timeAttendanceLayoutName() : formatName;
    if (wanted.isEmpty())
        return 0;
    const qsizetype index = names.indexOf(wanted);
    if (index < 0)
        return std::nullopt;
    return static_cast<int>(index);
}
