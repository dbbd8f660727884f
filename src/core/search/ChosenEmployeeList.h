#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The employees the employee picker listed, in its list's order, each with the flag that says
// whether the operator chose it. The picker fills it anew each time it loads; it outlives the
// picker until the next load.
class ChosenEmployeeList final
{
public:
    struct Entry
    {
        QString number;
        bool selected = false;
    };

    // Starts over with these numbers, none selected.
    void reset(const QStringList& numbers);
    // Marks entry i as chosen; indexes outside the list are ignored.
    void select(int i);

    const QList<Entry>& entries() const { return m_entries; }
    // The index of the last entry, -1 when the list is empty.
    int lastIndex() const { return static_cast<int>(m_entries.size()) - 1; }
    // The chosen numbers in list order.
    QStringList selectedNumbers() const;

private:
    QList<Entry> m_entries;
};
