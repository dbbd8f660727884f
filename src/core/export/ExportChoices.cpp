#include "core/export/ExportChoices.h"

#include "core/layouts/LineBuilder.h"

void ExportChoices::prepare(Export kind)
{
    m_visibleCommands |= bit(kind);
    switch (kind) {
    case Export::Text:
        m_visibleCommands &= ~bit(Export::TimeAttendance);
        m_timeAttendanceMode = false;
        m_dataTypeEnabled = true;
        m_layoutControlsEnabled = true;
        m_windowTitle = m_heading = QStringLiteral("Export to text");
        break;
    case Export::TimeAttendance:
        m_visibleCommands &= ~bit(Export::Text);
        m_timeAttendanceMode = true;
        m_dataTypeEnabled = false;
        m_layoutControlsEnabled = false;
        m_windowTitle = m_heading = QStringLiteral("Export to TA");
        break;
    case Export::AccessControlText:
        m_timeAttendanceMode = false;
        m_windowTitle = QStringLiteral("Export QOR to text file");
        break;
    case Export::AccessControlTimeAttendance:
        m_timeAttendanceMode = true;
        m_dataTypeEnabled = false;
        m_layoutControlsEnabled = false;
        m_windowTitle = QStringLiteral("Export QOR to TA");
        break;
    }
}

bool ExportChoices::isAccessControlMode() const
{
    return isCommandVisible(Export::AccessControlText) ||
           isCommandVisible(Export::AccessControlTimeAttendance);
}

bool ExportChoices::isEnabled(Control control) const
{
    switch (control) {
    case Control::EmployeeIds:
        return m_chosenEmployees;
    case Control::DataType:
        return m_dataTypeEnabled;
    case Control::DateRange:
        return m_dateRange;
    case Control::TerminalIds:
        return m_chosenTerminals;
    case Control::LayoutList:
        return m_layoutControlsEnabled;
    case Control::LayoutEditing:
        return m_layoutControlsEnabled && m_formatEditorAvailable;
    }
    return false;
}

ExportFilter ExportChoices::filter() const
{
    const auto dateText = [](QDate date) {
        return christianDateText(date.toString(QStringLiteral("yyyy/MM/dd")));
    };
    ExportFilter filter;
    filter.chosenEmployees = m_chosenEmployees;
    filter.employees = m_employeeIds;
    filter.filtered = m_filtered;
    filter.dateRange = m_dateRange;
    filter.from = dateText(m_from);
    filter.to = dateText(m_to);
    filter.chosenTerminals = m_chosenTerminals;
    filter.terminals = m_terminalIds;
    return filter;
}

std::optional<ExportChoices::LayoutPreselection>
ExportChoices::preselectLayout(const QStringList& names, const QString& rememberedName) const
{
    if (names.isEmpty())
        return std::nullopt;
    const QString wanted = m_timeAttendanceMode ? QStringLiteral("TA_format") : rememberedName;
    if (wanted.isEmpty())
        return LayoutPreselection{0, false};
    const qsizetype index = names.indexOf(wanted);
    if (index < 0)
        return std::nullopt;
    return LayoutPreselection{static_cast<int>(index), true};
}
