#include "gui/export/ExportFilterPanel.h"

#include "core/export/ExportChoices.h"

#include <QButtonGroup>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

template <typename T> T* named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

// Two options on two rows; with a box and a picker button beside the second when given.
QGroupBox* optionPair(const QString& caption, const QString& name, QRadioButton* first, QRadioButton* second,
                      QLineEdit* box = nullptr, QPushButton* picker = nullptr)
{
    auto* frame = named(new QGroupBox(caption), name);
    auto* grid = new QGridLayout(frame);
    grid->addWidget(first, 0, 0);
    grid->addWidget(second, 1, 0);
    if (box) {
        grid->addWidget(box, 1, 1);
        grid->addWidget(picker, 1, 2);
        grid->setColumnStretch(1, 1);
    }
    // one group per pair, the first choice on
    auto* group = new QButtonGroup(frame);
    group->addButton(first);
    group->addButton(second);
    first->setChecked(true);
    return frame;
}

} // namespace

ExportFilterPanel::ExportFilterPanel(ExportChoices& choices, QWidget* parent)
    : QWidget(parent), m_choices(choices)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    buildEmployees();
    buildDataType();
    buildDates();
    buildTerminals();
    column->addStretch();
    m_choices.setFrom(m_dtpExport[0]->date());
    m_choices.setTo(m_dtpExport[1]->date());
    connectChoices();
    syncControls();
}

void ExportFilterPanel::buildEmployees()
{
    m_OptSearch[0] = named(new QRadioButton(QStringLiteral("ทั้งหมด")), QStringLiteral("OptSearch_0"));
    m_OptSearch[1] = named(new QRadioButton(QStringLiteral("เลือกรหัส")), QStringLiteral("OptSearch_1"));
    m_txtEmployee = named(new QLineEdit, QStringLiteral("txtEmployee"));
    m_cmdSearch = named(new QPushButton(QStringLiteral("เลือก...")), QStringLiteral("cmdSearch"));
    layout()->addWidget(optionPair(QStringLiteral("พนักงาน"), QStringLiteral("fraEmployee"), m_OptSearch[0],
                                   m_OptSearch[1], m_txtEmployee, m_cmdSearch));
}

void ExportFilterPanel::buildDataType()
{
    m_optDataType[0] = named(new QRadioButton(QStringLiteral("ข้อมูลดิบ")), QStringLiteral("optDataType_0"));
    m_optDataType[1] = named(new QRadioButton(QStringLiteral("ข้อมูลกรอง")), QStringLiteral("optDataType_1"));
    layout()->addWidget(optionPair(QStringLiteral("ข้อมูล"), QStringLiteral("fraDataType"), m_optDataType[0],
                                   m_optDataType[1]));
}

void ExportFilterPanel::buildDates()
{
    m_Option1 = named(new QRadioButton(QStringLiteral("ทุกวัน")), QStringLiteral("Option1"));
    m_Option2 = named(new QRadioButton(QStringLiteral("เลือกวัน")), QStringLiteral("Option2"));
    QGroupBox* frame = optionPair(QStringLiteral("วันที่"), QStringLiteral("fraDate"), m_Option1, m_Option2);
    auto* grid = static_cast<QGridLayout*>(frame->layout());
    const QString pickerLabels[2] = {QStringLiteral("เริ่ม"), QStringLiteral("ถึง")};
    for (int i = 0; i < 2; ++i) {
        m_dtpExport[i] = named(new QDateEdit(frame), QStringLiteral("dtpExport_%1").arg(i));
        m_dtpExport[i]->setCalendarPopup(true);
        m_dtpExport[i]->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        grid->addWidget(new QLabel(pickerLabels[i], frame), i, 1, Qt::AlignRight);
        grid->addWidget(m_dtpExport[i], i, 2);
    }
    grid->setColumnStretch(2, 1);
    layout()->addWidget(frame);
}

void ExportFilterPanel::buildTerminals()
{
    m_Option3 = named(new QRadioButton(QStringLiteral("ทั้งหมด")), QStringLiteral("Option3"));
    m_Option4 = named(new QRadioButton(QStringLiteral("เลือกเครื่อง")), QStringLiteral("Option4"));
    m_txtFID = named(new QLineEdit, QStringLiteral("txtFID"));
    m_XPButton1 = named(new QPushButton(QStringLiteral("เลือก...")), QStringLiteral("XPButton1"));
    layout()->addWidget(optionPair(QStringLiteral("เครื่องสแกน"), QStringLiteral("fraTerminal"), m_Option3,
                                   m_Option4, m_txtFID, m_XPButton1));
}

void ExportFilterPanel::connectChoices()
{
    const auto option = [this](QRadioButton* second, void (ExportChoices::*set)(bool)) {
        connect(second, &QRadioButton::toggled, this, [this, set](bool on) {
            (m_choices.*set)(on);
            syncControls();
        });
    };
    option(m_OptSearch[1], &ExportChoices::setChosenEmployees);
    option(m_optDataType[1], &ExportChoices::setFilteredData);
    option(m_Option2, &ExportChoices::setDateRange);
    option(m_Option4, &ExportChoices::setChosenTerminals);
    connect(m_txtEmployee, &QLineEdit::textChanged, this,
            [this](const QString& ids) { m_choices.setEmployeeIds(ids); });
    connect(m_txtFID, &QLineEdit::textChanged, this,
            [this](const QString& ids) { m_choices.setTerminalIds(ids); });
    connect(m_dtpExport[0], &QDateEdit::dateChanged, this, [this](QDate date) { m_choices.setFrom(date); });
    connect(m_dtpExport[1], &QDateEdit::dateChanged, this, [this](QDate date) { m_choices.setTo(date); });
    connect(m_cmdSearch, &QPushButton::clicked, this, &ExportFilterPanel::employeePickerRequested);
    connect(m_XPButton1, &QPushButton::clicked, this, &ExportFilterPanel::terminalPickerRequested);
}

void ExportFilterPanel::syncControls()
{
    using Control = ExportChoices::Control;
    const bool employees = m_choices.isEnabled(Control::EmployeeIds);
    m_txtEmployee->setEnabled(employees);
    m_cmdSearch->setEnabled(employees);
    for (QRadioButton* option : m_optDataType)
        option->setEnabled(m_choices.isEnabled(Control::DataType));
    for (QDateEdit* picker : m_dtpExport)
        picker->setEnabled(m_choices.isEnabled(Control::DateRange));
    const bool terminals = m_choices.isEnabled(Control::TerminalIds);
    m_txtFID->setEnabled(terminals);
    m_XPButton1->setEnabled(terminals);
}

void ExportFilterPanel::setDates(QDate date)
{
    for (QDateEdit* picker : m_dtpExport)
        picker->setDate(date);
    // a picker already at the date sends no change
    m_choices.setFrom(date);
    m_choices.setTo(date);
}

void ExportFilterPanel::chooseAllEmployees()
{
    m_OptSearch[0]->setChecked(true);
}
