#include "search/frmEmployee.h"

#include "data/Connections.h"

#include <QCoreApplication>

frmEmployee::frmEmployee(AppContext& context, QWidget* parent)
    : NumberPicker(context, QStringLiteral("ListEmployee"), QStringLiteral("เลือกพนักงาน"), parent),
      m_chosen(std::make_shared<ChosenEmployeeList>())
{
    setObjectName(QStringLiteral("frmEmployee"));
}

NumberPicker::Lister frmEmployee::localEmployees()
{
    return [] {
        return ListLocalEmployees(Connections::get(Connections::LocalConnection),
                                  [] { QCoreApplication::processEvents(); });
    };
}

void frmEmployee::listed(const QStringList& numbers)
{
    // a new list, so that one handed out earlier keeps what it held
    m_chosen = std::make_shared<ChosenEmployeeList>();
    m_chosen->reset(numbers);
}

void frmEmployee::rowsChosen(const QList<int>& rows)
{
    for (int row : rows)
        m_chosen->select(row);
}
