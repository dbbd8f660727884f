#pragma once

#include "core/platform/Outcome.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>

// One entry of a picker's list: the number written back into the export window's box, and the
// text the list shows for it.
struct PickerEntry
{
    QString number;
    QString item;

    friend bool operator==(const PickerEntry&, const PickerEntry&) = default;
};

// Lists the employee numbers of the local table tblexport, each once, as the employee picker
// shows them: the number followed by a tab. yield is called once per row so that a window
// stays responsive while a long list fills.
Expected<QList<PickerEntry>> listLocalEmployees(const QSqlDatabase& local,
                                                const std::function<void()>& yield = {});
// The same for the terminal numbers of tblexport.
Expected<QList<PickerEntry>> listLocalTerminals(const QSqlDatabase& local,
                                                const std::function<void()>& yield = {});

// The numbers of the selected rows, in list order, joined by ","; rows outside the list are
// ignored. Empty when nothing is selected.
QString joinSelectedNumbers(const QStringList& numbers, QList<int> selectedRows);
