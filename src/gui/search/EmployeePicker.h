#pragma once

#include "core/search/ChosenEmployeeList.h"
#include "gui/search/NumberPicker.h"

#include <memory>

// The employee picker, titled "เลือกพนักงาน": lists the employees (the local tblexport's
// numbers, or the access-control server's persons when the export window exports those) and
// writes the chosen numbers into the export window's employee box. It keeps the chosen-employee
// list, created anew at every load.
class EmployeePicker final : public NumberPicker
{
    Q_OBJECT

public:
    explicit EmployeePicker(AppContext& context, QWidget* parent = nullptr);

    // The employees of the local table tblexport (LocalConnection).
    static Lister localEmployees();

    // The list filled at the last load, with the flags set by "ตกลง"; the export window keeps it
    // after the picker has closed.
    std::shared_ptr<const ChosenEmployeeList> chosenEmployees() const { return m_chosen; }

private:
    void listed(const QStringList& numbers) override;
    void rowsChosen(const QList<int>& rows) override;

    std::shared_ptr<ChosenEmployeeList> m_chosen;
};
