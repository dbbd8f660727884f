#pragma once

#include <QWidget>

class ExportChoices;
class QDate;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The export window's filter controls: employees (all, or the IDs of a box), raw or filtered
// data, every day or a date range, all terminals or the IDs of a box. Every change is handed
// to the window's ExportChoices, and the controls are enabled as the choices say.
//
// Object names of indexed controls carry the index: OptSearch_0/_1, optDataType_0/_1,
// dtpExport_0/_1.
class ExportFilterPanel final : public QWidget
{
    Q_OBJECT

public:
    explicit ExportFilterPanel(ExportChoices& choices, QWidget* parent = nullptr);

    // Enables each control as the choices say.
    void syncControls();
    void setDates(QDate date);
    void chooseAllEmployees();
    // The boxes the pickers write their choices into.
    QLineEdit* employeeBox() const { return m_txtEmployee; }
    QLineEdit* terminalBox() const { return m_txtFID; }

Q_SIGNALS:
    void employeePickerRequested();
    void terminalPickerRequested();

private:
    void buildEmployees();
    void buildDataType();
    void buildDates();
    void buildTerminals();
    void connectChoices();

    ExportChoices& m_choices;
    QRadioButton* m_OptSearch[2];
    QLineEdit* m_txtEmployee;
    QPushButton* m_cmdSearch;
    QRadioButton* m_optDataType[2];
    QRadioButton* m_Option1;
    QRadioButton* m_Option2;
    QDateEdit* m_dtpExport[2];
    QRadioButton* m_Option3;
    QRadioButton* m_Option4;
    QLineEdit* m_txtFID;
    QPushButton* m_XPButton1;
};
