#include "core/search/ChosenEmployeeList.h"

void ChosenEmployeeList::reset(const QStringList& numbers)
{
    m_entries.clear();
    m_entries.reserve(numbers.size());
    for (const QString& number : numbers)
        m_entries.append({number, false});
}

void ChosenEmployeeList::select(int i)
{
    if (i >= 0 && i < m_entries.size())
        m_entries[i].selected = true;
}

QStringList ChosenEmployeeList::selectedNumbers() const
{
    QStringList numbers;
    for (const Entry& entry : m_entries) {
        if (entry.selected)
            numbers.append(entry.number);
    }
    return numbers;
}
