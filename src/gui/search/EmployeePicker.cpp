#include "gui/search/EmployeePicker.h"

#include "core/storage/Connections.h"

#include <QCoreApplication>

EmployeePicker::EmployeePicker(AppContext& context, QWidget* parent)
    : NumberPicker(context, QStringLiteral("ListEmployee"), QStringLiteral("เลือกพนักงาน"), parent),
      m_chosen(std::make_shared<ChosenEmployeeList>())
{
    setObjectName(QStringLiteral("EmployeePicker"));
}

NumberPicker::Lister EmployeePicker::localEmployees()
{
    return [] {
        return listLocalEmployees(Connections::get(Connections::LocalConnection),
                                  [] { QCoreApplication::processEvents(); });
    };
}

void EmployeePicker::listed(const QStringList& numbers)
{
    // a new list, so that one handed out earlier keeps what it held
    m_chosen = std::make_shared<ChosenEmployeeList>();
    m_chosen->reset(numbers);
}

void EmployeePicker::rowsChosen(const QList<int>& rows)
{
    for (int row : rows)
        m_chosen->select(row);
}
