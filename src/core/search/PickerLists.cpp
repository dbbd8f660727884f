#include "core/search/PickerLists.h"

#include "core/storage/Connections.h"

#include <algorithm>

namespace {

Expected<QList<PickerEntry>> listNumbers(const QSqlDatabase& local, const QString& statement,
                                         const std::function<void()>& yield)
{
    Expected<QSqlQuery> query = executeStatement(local, statement);
    if (!query)
        return Expected<QList<PickerEntry>>::failure(query.error());
    QList<PickerEntry> entries;
    while (query->next()) {
        if (yield)
            yield();
        const QString number = query->value(0).toString();
        entries.append({number, number + u'\t'});
    }
    return entries;
}

} // namespace

Expected<QList<PickerEntry>> listLocalEmployees(const QSqlDatabase& local, const std::function<void()>& yield)
{
    return listNumbers(local, QStringLiteral("Select HID from tblexport Group by HID"), yield);
}

Expected<QList<PickerEntry>> listLocalTerminals(const QSqlDatabase& local, const std::function<void()>& yield)
{
    return listNumbers(local, QStringLiteral("Select FID from tblexport Group by FID"), yield);
}

QString joinSelectedNumbers(const QStringList& numbers, QList<int> selectedRows)
{
    std::sort(selectedRows.begin(), selectedRows.end());
    selectedRows.erase(std::unique(selectedRows.begin(), selectedRows.end()), selectedRows.end());
    QStringList chosen;
    for (int row : selectedRows) {
        if (row >= 0 && row < numbers.size())
            chosen.append(numbers[row]);
    }
    return chosen.join(u',');
}
