#pragma once

#include "core/export/ExportFilter.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

// What the export window shows and allows, without its widgets: the export its opener prepared
// it for, the operator's filter choices, which controls are usable and which layout is chosen
// when the window loads. The window hands every change of a control to this class and sets its
// controls from it.
class ExportChoices final
{
public:
    // The four exports. An opener prepares the window for one of them; the window opened at
    // start-up is prepared for none.
    enum class Export { Text, TimeAttendance, AccessControlText, AccessControlTimeAttendance };

    // The controls whose enabled state follows from the choices.
    enum class Control {
        EmployeeIds,   // the employee box and its picker button
        DataType,      // raw or filtered data
        DateRange,     // the two date pickers
        TerminalIds,   // the terminal box and its picker button
        LayoutList,    // the layout list
        LayoutEditing, // the New and Edit buttons
    };

    // The entry of the layout list selected when the window loads. byName: the entry was
    // looked up by name (the format editor reads it first), not taken as the list's first.
    struct LayoutPreselection
    {
        int index = -1;
        bool byName = false;
    };

    static bool readsAccessControl(Export kind)
    {
        return kind == Export::AccessControlText || kind == Export::AccessControlTimeAttendance;
    }
    static bool writesTextFile(Export kind)
    {
        return kind == Export::Text || kind == Export::AccessControlText;
    }

    // The opener's steps: the mode, the export command shown, the data-type choice and the
    // layout controls. A command once shown stays shown while the window lives; the
    // access-control text export keeps the data-type and layout controls as they were.
    void prepare(Export kind);
    bool isCommandVisible(Export kind) const { return m_visibleCommands & bit(kind); }
    // Whether an access-control export has been prepared: the employee picker then lists the
    // server's persons.
    bool isAccessControlMode() const;

    // true: the window exports into the time-attendance database. Decides the preselected
    // layout, so it is set before the window loads.
    bool isTimeAttendanceMode() const { return m_timeAttendanceMode; }
    void setTimeAttendanceMode(bool on) { m_timeAttendanceMode = on; }

    QString windowTitle() const { return m_windowTitle; }
    QString heading() const { return m_heading; }

    void setChosenEmployees(bool on) { m_chosenEmployees = on; }
    void setFilteredData(bool on) { m_filtered = on; }
    void setDateRange(bool on) { m_dateRange = on; }
    void setChosenTerminals(bool on) { m_chosenTerminals = on; }
    void setEmployeeIds(const QString& ids) { m_employeeIds = ids; }
    void setTerminalIds(const QString& ids) { m_terminalIds = ids; }
    void setFrom(QDate date) { m_from = date; }
    void setTo(QDate date) { m_to = date; }
    bool chosenEmployees() const { return m_chosenEmployees; }
    bool filteredData() const { return m_filtered; }
    bool dateRange() const { return m_dateRange; }
    bool chosenTerminals() const { return m_chosenTerminals; }

    // Whether the window has a format editor to open for New and Edit.
    void setFormatEditorAvailable(bool available) { m_formatEditorAvailable = available; }

    bool isEnabled(Control control) const;

    // The filter of an export. Both dates are passed whatever the date choice is; a picker's
    // Buddhist-era year is brought to the Christian era.
    ExportFilter filter() const;

    // The layout selected when the window loads, from the listed layout names: "TA_format" in
    // time-attendance mode, otherwise the remembered name, and the first entry when that is
    // empty. Nothing when no layout is listed or the wanted name matches no entry exactly.
    std::optional<LayoutPreselection> preselectLayout(const QStringList& names,
                                                      const QString& rememberedName) const;

private:
    static unsigned bit(Export kind) { return 1u << static_cast<unsigned>(kind); }

    bool m_timeAttendanceMode = false;
    unsigned m_visibleCommands = 0;
    bool m_dataTypeEnabled = true;
    bool m_layoutControlsEnabled = true;
    bool m_formatEditorAvailable = false;
    QString m_windowTitle = QStringLiteral("Export Text");
    QString m_heading = QStringLiteral("Export Text");

    bool m_chosenEmployees = false;
    bool m_filtered = false;
    bool m_dateRange = false;
    bool m_chosenTerminals = false;
    QString m_employeeIds;
    QString m_terminalIds;
    QDate m_from;
    QDate m_to;
};
