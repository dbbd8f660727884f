#include "gui/export/ExportWindow.h"

#include "core/layouts/LayoutFile.h"
#include "core/layouts/LayoutPreselection.h"
#include "core/layouts/LineBuilder.h"
#include "core/platform/IniFile.h"
#include "core/storage/Connections.h"
#include "gui/layouts/FormatEditor.h"
#include "gui/layouts/LayoutFileChoice.h"
#include "gui/platform/AppContext.h"
#include "gui/search/EmployeePicker.h"
#include "gui/search/TerminalPicker.h"
#include "gui/shell/WindowRegistry.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString SettingsSection = QStringLiteral("text");
const QString FormatNameKey = QStringLiteral("FormatName");
const QString TextFileFilter =
    QStringLiteral("Text Files (*.Txt)|*.Txt|Excle Files (*.Xls)|*.Xls|All Files (*.*)|*.*");

template <typename T> T* named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

// Draws the grid's row 0 as a fixed header row.
class FixedHeaderRowDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.row() != LayoutGridModel::HeaderRow)
            return;
        option->backgroundBrush = option->palette.button();
        option->palette.setColor(QPalette::Text, option->palette.color(QPalette::ButtonText));
        option->palette.setColor(QPalette::HighlightedText, option->palette.color(QPalette::ButtonText));
        option->palette.setBrush(QPalette::Highlight, option->palette.button());
        option->displayAlignment = Qt::AlignCenter;
        option->font.setBold(true);
    }
};

// The ruler over the sample box: 0, 10, 20 ... 80, one column per character.
QString rulerText()
{
    QString ruler;
    for (int n = 0; n <= 80; n += 10) {
        if (n > 0)
            ruler += u'|';
        ruler += QString::number(n).leftJustified(n == 80 ? 2 : 9, u' ');
    }
    return ruler;
}

int twipsToPixels(int twips, const QWidget& widget)
{
    return qRound(twips * widget.logicalDpiX() / 1440.0);
}

} // namespace

ExportWindow::ExportWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_grid(new LayoutGridModel(this))
{
    setObjectName(QStringLiteral("ExportWindow"));
    setWindowTitle(QStringLiteral("Export Text"));
    buildControls();

    m_progress.setListener([this](int value) { m_ProgressBar1->setValue(value); });
    m_progress.setYielder([] { QCoreApplication::processEvents(); });
    if (m_context.windows && m_context.windows->isRegistered(WindowId::EditExport))
        setFormatEditor([this](editorMode mode, const QString& name) { openFormatEditor(mode, name); });
}

ExportWindow::~ExportWindow() = default;

void ExportWindow::buildControls()
{
    m_Label4 = named(new QLabel(QStringLiteral("Export Text"), this), QStringLiteral("Label4"));
    QFont headingFont = m_Label4->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.4);
    m_Label4->setFont(headingFont);

    // employees
    auto* fraEmployee = named(new QGroupBox(QStringLiteral("พนักงาน"), this), QStringLiteral("fraEmployee"));
    m_OptSearch[0] =
        named(new QRadioButton(QStringLiteral("ทั้งหมด"), fraEmployee), QStringLiteral("OptSearch_0"));
    m_OptSearch[1] =
        named(new QRadioButton(QStringLiteral("เลือกรหัส"), fraEmployee), QStringLiteral("OptSearch_1"));
    m_txtEmployee = named(new QLineEdit(fraEmployee), QStringLiteral("txtEmployee"));
    m_cmdSearch = named(new QPushButton(QStringLiteral("เลือก..."), fraEmployee), QStringLiteral("cmdSearch"));
    auto* employeeGrid = new QGridLayout(fraEmployee);
    employeeGrid->addWidget(m_OptSearch[0], 0, 0);
    employeeGrid->addWidget(m_OptSearch[1], 1, 0);
    employeeGrid->addWidget(m_txtEmployee, 1, 1);
    employeeGrid->addWidget(m_cmdSearch, 1, 2);
    employeeGrid->setColumnStretch(1, 1);

    // data type
    auto* fraDataType = named(new QGroupBox(QStringLiteral("ข้อมูล"), this), QStringLiteral("fraDataType"));
    m_optDataType[0] =
        named(new QRadioButton(QStringLiteral("ข้อมูลดิบ"), fraDataType), QStringLiteral("optDataType_0"));
    m_optDataType[1] =
        named(new QRadioButton(QStringLiteral("ข้อมูลกรอง"), fraDataType), QStringLiteral("optDataType_1"));
    auto* dataTypeBox = new QVBoxLayout(fraDataType);
    dataTypeBox->addWidget(m_optDataType[0]);
    dataTypeBox->addWidget(m_optDataType[1]);

    // dates
    auto* fraDate = named(new QGroupBox(QStringLiteral("วันที่"), this), QStringLiteral("fraDate"));
    m_Option1 = named(new QRadioButton(QStringLiteral("ทุกวัน"), fraDate), QStringLiteral("Option1"));
    m_Option2 = named(new QRadioButton(QStringLiteral("เลือกวัน"), fraDate), QStringLiteral("Option2"));
    auto* dateGrid = new QGridLayout(fraDate);
    dateGrid->addWidget(m_Option1, 0, 0);
    dateGrid->addWidget(m_Option2, 1, 0);
    const QString pickerLabels[2] = {QStringLiteral("เริ่ม"), QStringLiteral("ถึง")};
    for (int i = 0; i < 2; ++i) {
        m_dtpExport[i] = named(new QDateEdit(fraDate), QStringLiteral("dtpExport_%1").arg(i));
        m_dtpExport[i]->setCalendarPopup(true);
        m_dtpExport[i]->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        dateGrid->addWidget(new QLabel(pickerLabels[i], fraDate), i, 1, Qt::AlignRight);
        dateGrid->addWidget(m_dtpExport[i], i, 2);
    }
    dateGrid->setColumnStretch(2, 1);

    // terminals
    auto* fraTerminal =
        named(new QGroupBox(QStringLiteral("เครื่องสแกน"), this), QStringLiteral("fraTerminal"));
    m_Option3 = named(new QRadioButton(QStringLiteral("ทั้งหมด"), fraTerminal), QStringLiteral("Option3"));
    m_Option4 = named(new QRadioButton(QStringLiteral("เลือกเครื่อง"), fraTerminal), QStringLiteral("Option4"));
    m_txtFID = named(new QLineEdit(fraTerminal), QStringLiteral("txtFID"));
    m_XPButton1 = named(new QPushButton(QStringLiteral("เลือก..."), fraTerminal), QStringLiteral("XPButton1"));
    auto* terminalGrid = new QGridLayout(fraTerminal);
    terminalGrid->addWidget(m_Option3, 0, 0);
    terminalGrid->addWidget(m_Option4, 1, 0);
    terminalGrid->addWidget(m_txtFID, 1, 1);
    terminalGrid->addWidget(m_XPButton1, 1, 2);
    terminalGrid->setColumnStretch(1, 1);

    // each pair of options is one group
    const std::pair<QRadioButton*, QRadioButton*> pairs[] = {{m_OptSearch[0], m_OptSearch[1]},
                                                             {m_optDataType[0], m_optDataType[1]},
                                                             {m_Option1, m_Option2},
                                                             {m_Option3, m_Option4}};
    for (const auto& [first, second] : pairs) {
        auto* group = new QButtonGroup(this);
        group->addButton(first);
        group->addButton(second);
        first->setChecked(true);
    }

    // layout
    auto* fraFormat =
        named(new QGroupBox(QStringLiteral("รูปแบบการส่งออก"), this), QStringLiteral("fraFormat"));
    auto* lblFormat = named(new QLabel(QStringLiteral("รูปแบบ"), fraFormat), QStringLiteral("lblFormat"));
    m_cmbFileFormat = named(new QComboBox(fraFormat), QStringLiteral("cmbFileFormat"));
    m_cmbFileFormat->setMinimumContentsLength(16);
    lblFormat->setBuddy(m_cmbFileFormat);
    m_cmdNew = named(new QPushButton(fraFormat), QStringLiteral("cmdNew"));
    m_cmdNew->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    m_cmdNew->setToolTip(QStringLiteral("New format export"));
    m_cmdEdit = named(new QPushButton(fraFormat), QStringLiteral("cmdEdit"));
    m_cmdEdit->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    m_cmdEdit->setToolTip(QStringLiteral("Edit format export"));
    m_cmdClear = named(new QPushButton(QStringLiteral("Clear"), fraFormat), QStringLiteral("cmdClear"));

    m_MSHFlexGrid2 = named(new QTableView(fraFormat), QStringLiteral("MSHFlexGrid2"));
    m_MSHFlexGrid2->setModel(m_grid);
    m_MSHFlexGrid2->setItemDelegate(new FixedHeaderRowDelegate(m_MSHFlexGrid2));
    m_MSHFlexGrid2->horizontalHeader()->hide();
    m_MSHFlexGrid2->verticalHeader()->hide();
    m_MSHFlexGrid2->verticalHeader()->setDefaultSectionSize(m_MSHFlexGrid2->fontMetrics().height() + 6);
    m_MSHFlexGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_MSHFlexGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_MSHFlexGrid2->setSelectionMode(QAbstractItemView::SingleSelection);
    m_MSHFlexGrid2->setColumnWidth(LayoutGridModel::NameColumn, twipsToPixels(3680, *this));
    // 800 twips, or the header's caption when the font needs more, so that it stays readable
    const int captionWidth =
        m_MSHFlexGrid2->fontMetrics().horizontalAdvance(m_grid->row(LayoutGridModel::HeaderRow).width) + 16;
    m_MSHFlexGrid2->setColumnWidth(LayoutGridModel::WidthColumn,
                                   std::max(twipsToPixels(800, *this), captionWidth));
    m_MSHFlexGrid2->setMinimumWidth(twipsToPixels(3680 + 800, *this) + 24);

    auto* formatRow = new QHBoxLayout;
    formatRow->addWidget(lblFormat);
    formatRow->addWidget(m_cmbFileFormat, 1);
    formatRow->addWidget(m_cmdNew);
    formatRow->addWidget(m_cmdEdit);
    formatRow->addWidget(m_cmdClear);
    auto* formatBox = new QVBoxLayout(fraFormat);
    formatBox->addLayout(formatRow);
    formatBox->addWidget(m_MSHFlexGrid2, 1);

    // sample
    auto* fraSample = named(new QGroupBox(QStringLiteral("ตัวอย่าง"), this), QStringLiteral("fraSample"));
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* ruler = named(new QLabel(rulerText(), fraSample), QStringLiteral("lblRuler"));
    ruler->setFont(fixed);
    m_txtSimpleExport = named(new QLineEdit(fraSample), QStringLiteral("txtSimpleExport"));
    m_txtSimpleExport->setFont(fixed);
    m_txtSimpleExport->setReadOnly(true);
    m_txtSimpleExport->setTextMargins(0, 0, 0, 0);
    auto* sampleBox = new QVBoxLayout(fraSample);
    sampleBox->addWidget(ruler);
    sampleBox->addWidget(m_txtSimpleExport);

    // commands
    m_cmdExport = named(new QPushButton(QStringLiteral("ส่งออกเป็นไฟล์"), this), QStringLiteral("cmdExport"));
    m_cmdQROSQLExport =
        named(new QPushButton(QStringLiteral("ส่งออกเป็นไฟล์"), this), QStringLiteral("cmdQROSQLExport"));
    m_cmdExportTA = named(new QPushButton(QStringLiteral("ส่งออกไปยัง Horavant Office"), this),
                          QStringLiteral("cmdExportTA"));
    m_cmdQORSQLtoTA = named(new QPushButton(QStringLiteral("ส่งออกไปยัง Horavant Office"), this),
                            QStringLiteral("cmdQORSQLtoTA"));
    m_cmdCancel = named(new QPushButton(QStringLiteral("ออก"), this), QStringLiteral("cmdCancel"));
    for (QPushButton* button : {m_cmdExport, m_cmdQROSQLExport, m_cmdExportTA, m_cmdQORSQLtoTA}) {
        button->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
        button->hide(); // as designed; the opener shows the one it needs
    }
    m_ProgressBar1 = named(new QProgressBar(this), QStringLiteral("ProgressBar1"));
    m_ProgressBar1->setRange(0, 100);
    m_ProgressBar1->hide();

    auto* commands = new QHBoxLayout;
    commands->addWidget(m_ProgressBar1, 1);
    commands->addStretch();
    for (QPushButton* button : {m_cmdExport, m_cmdQROSQLExport, m_cmdExportTA, m_cmdQORSQLtoTA, m_cmdCancel})
        commands->addWidget(button);

    auto* filters = new QVBoxLayout;
    filters->addWidget(fraEmployee);
    filters->addWidget(fraDataType);
    filters->addWidget(fraDate);
    filters->addWidget(fraTerminal);
    filters->addStretch();
    auto* body = new QHBoxLayout;
    body->addLayout(filters);
    body->addWidget(fraFormat, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Label4);
    layout->addLayout(body, 1);
    layout->addWidget(fraSample);
    layout->addLayout(commands);

    // initial states as designed
    m_txtFID->setEnabled(false);
    m_XPButton1->setEnabled(false);
    m_cmdSearch->setEnabled(false);
    m_cmdNew->setEnabled(false); // until a format editor is attached
    m_cmdEdit->setEnabled(false);

    connect(m_OptSearch[0], &QRadioButton::toggled, this, [this](bool on) {
        m_cmdSearch->setEnabled(!on);
        m_txtEmployee->setEnabled(!on);
    });
    connect(m_Option2, &QRadioButton::toggled, this, [this](bool on) {
        m_dtpExport[0]->setEnabled(on);
        m_dtpExport[1]->setEnabled(on);
    });
    connect(m_Option4, &QRadioButton::toggled, this, [this](bool on) {
        m_txtFID->setEnabled(on);
        m_XPButton1->setEnabled(on);
    });
    connect(m_cmbFileFormat, &QComboBox::activated, this, &ExportWindow::cmbFileFormat_Activated);
    connect(m_cmdClear, &QPushButton::clicked, this, &ExportWindow::cmdClear_Click);
    connect(m_cmdSearch, &QPushButton::clicked, this, &ExportWindow::cmdSearch_Click);
    connect(m_XPButton1, &QPushButton::clicked, this, &ExportWindow::XPButton1_Click);
    connect(m_cmdNew, &QPushButton::clicked, this, &ExportWindow::cmdNew_Click);
    connect(m_cmdEdit, &QPushButton::clicked, this, &ExportWindow::cmdEdit_Click);
    connect(m_cmdExport, &QPushButton::clicked, this, [this] { runExport(Source::Local, Target::TextFile); });
    connect(m_cmdExportTA, &QPushButton::clicked, this,
            [this] { runExport(Source::Local, Target::TimeAttendance); });
    connect(m_cmdQROSQLExport, &QPushButton::clicked, this,
            [this] { runExport(Source::AccessControl, Target::TextFile); });
    connect(m_cmdQORSQLtoTA, &QPushButton::clicked, this,
            [this] { runExport(Source::AccessControl, Target::TimeAttendance); });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
            frame->close();
        else
            close();
    });
}

void ExportWindow::showEvent(QShowEvent* event)
{
    ensureLoaded();
    QWidget::showEvent(event);
}

void ExportWindow::ensureLoaded()
{
    if (m_loaded)
        return;
    m_loaded = true;
    m_cmdSearch->setEnabled(false);
    m_txtEmployee->setEnabled(false);
    const QDate today = m_context.today();
    m_dtpExport[0]->setDate(today);
    m_dtpExport[1]->setDate(today);
    fillLayoutList();
    m_OptSearch[0]->setChecked(true);
}

void ExportWindow::fillLayoutList()
{
    const LayoutListing listing =
        listExportFormats(m_context.paths, [](const QString&) { QCoreApplication::processEvents(); });
    {
        const QSignalBlocker blocker(m_cmbFileFormat);
        m_cmbFileFormat->clear();
        m_cmbFileFormat->addItems(listing.names);
        m_cmbFileFormat->setCurrentIndex(-1);
    }
    if (!listing.error.isEmpty())
        m_context.prompter.message(Prompter::Icon::Warning, m_context.title, listing.error);
    if (!listing.found)
        return;

    const QString formatName = m_timeAttendanceMode
                                   ? QString()
                                   : readIniValue(SettingsSection, FormatNameKey, QStringLiteral("Default"),
                                                  m_context.paths.settingsFile());
    const std::optional<int> chosen = preselectedLayout(listing.names, m_timeAttendanceMode, formatName);
    if (!chosen)
        return; // the remembered layout is not listed: nothing is loaded or selected
    const QString name = listing.names[*chosen];
    if (!formatName.isEmpty() || m_timeAttendanceMode) {
        // the format editor's reader sees the layout first, then this window's own reader
        LayoutGridModel editorGrid;
        EditorLayoutState editorState;
        (void)loadEditorLayout(m_context.paths.layoutFile(name), ExportLayout::current(), editorGrid,
                               editorState);
        // the format editor is loaded with this window, hidden, holding the layout for New
        if (m_formatEditor && m_context.windows) {
            if (auto* editor = m_context.windows->window<FormatEditor>(WindowId::EditExport))
                editor->loadExportLayout(name);
        }
    }
    m_cmbFileFormat->setCurrentIndex(*chosen);
    loadExportLayout(name);
}

void ExportWindow::cmbFileFormat_Activated(int index)
{
    if (index >= 0)
        loadExportLayout(m_cmbFileFormat->itemText(index));
}

void ExportWindow::loadExportLayout(const QString& name)
{
    const QString path = chooseLayoutFile(m_context.paths, name, m_context.prompter);
    ExportLayout& layout = ExportLayout::current();
    const LayoutLoadResult loaded = ::loadExportLayout(path, layout, *m_grid);
    if (!loaded.loaded)
        return;
    if (!loaded.warnings.isEmpty())
        m_context.prompter.message(Prompter::Icon::Warning, m_context.title, loaded.warnings.join(u'\n'));
    if (loaded.rows > 0)
        m_txtSimpleExport->setText(previewLine(layout, m_grid->fieldRows(), layout.delimiter));
}

void ExportWindow::cmdClear_Click()
{
    m_grid->clearFields();
}

template <class Picker>
Picker* ExportWindow::openPicker(WindowId id, const NumberPicker::Lister& lister, QLineEdit* box)
{
    WindowRegistry* windows = m_context.windows;
    if (windows && windows->find(id)) {
        // already open: brought to the front as it is
        return static_cast<Picker*>(windows->open(id));
    }
    Picker* picker = nullptr;
    if (windows) {
        picker = windows->window<Picker>(id);
    } else {
        picker = new Picker(m_context, this);
        picker->setWindowFlag(Qt::Window);
        picker->setAttribute(Qt::WA_DeleteOnClose);
        m_ownPickers.append(picker);
    }
    if (!picker)
        return nullptr;
    connect(picker, &NumberPicker::numbersChosen, box, &QLineEdit::setText);
    if (!picker->load(lister)) {
        if (windows)
            windows->unload(id);
        else
            picker->close();
        return nullptr;
    }
    if (windows)
        windows->open(id);
    else
        picker->show();
    return picker;
}

void ExportWindow::cmdSearch_Click()
{
    NumberPicker::Lister lister = EmployeePicker::localEmployees();
    if (inAccessControlMode()) {
        lister = m_accessControl.employees;
        if (!lister)
            lister = [] {
                return Expected<QList<PickerEntry>>::failure(
                    QStringLiteral("The persons of the access-control server cannot be listed: the "
                                   "connection to that server is not set up. Connect to it again."));
            };
    }
    if (auto* picker = openPicker<EmployeePicker>(WindowId::Employee, lister, m_txtEmployee))
        m_chosenEmployees = picker->chosenEmployees();
}

void ExportWindow::XPButton1_Click()
{
    openPicker<TerminalPicker>(WindowId::TQID, TerminalPicker::localTerminals(), m_txtFID);
}

void ExportWindow::setFormatEditor(FormatEditorOpener opener)
{
    m_formatEditor = std::move(opener);
    setLayoutControlsEnabled(m_layoutControlsEnabled);
}

void ExportWindow::openFormatEditor(editorMode mode, const QString& layoutName)
{
    WindowRegistry* windows = m_context.windows;
    auto* editor = windows ? windows->window<FormatEditor>(WindowId::EditExport) : nullptr;
    if (!editor)
        return;
    if (mode == editorMode::New) {
        editor->setEditorMode(FormatEditor::NewLayout);
        windows->open(WindowId::EditExport);
        return;
    }
    windows->open(WindowId::EditExport);
    editor->setEditorMode(FormatEditor::EditLayout);
    editor->loadExportLayout(layoutName);
}

void ExportWindow::addLayoutName(const QString& name)
{
    // a new layout saved under a listed name is the listed layout
    if (m_cmbFileFormat->findText(name, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
        m_cmbFileFormat->addItem(name);
}

void ExportWindow::showLayoutName(const QString& name)
{
    const QSignalBlocker blocker(m_cmbFileFormat);
    m_cmbFileFormat->setCurrentIndex(
        m_cmbFileFormat->findText(name, Qt::MatchFixedString | Qt::MatchCaseSensitive));
}

void ExportWindow::cmdNew_Click()
{
    if (!m_formatEditor)
        return;
    // the editor starts the new layout without IN-only and OUT-only, in its own draft
    m_formatEditor(editorMode::New, QString());
}

void ExportWindow::cmdEdit_Click()
{
    if (!m_formatEditor)
        return;
    const int index = m_cmbFileFormat->findText(m_cmbFileFormat->currentText(),
                                                Qt::MatchFixedString | Qt::MatchCaseSensitive);
    m_formatEditor(editorMode::Edit, index >= 0 ? m_cmbFileFormat->itemText(index) : QString());
}

void ExportWindow::setLayoutControlsEnabled(bool enabled)
{
    m_layoutControlsEnabled = enabled;
    m_cmbFileFormat->setEnabled(enabled);
    const bool editor = static_cast<bool>(m_formatEditor);
    m_cmdNew->setEnabled(enabled && editor);
    m_cmdEdit->setEnabled(enabled && editor);
}

void ExportWindow::prepareTextExport()
{
    m_timeAttendanceMode = false;
    ensureLoaded();
    m_cmdExportTA->hide();
    m_cmdExport->show();
    m_optDataType[0]->setEnabled(true);
    m_optDataType[1]->setEnabled(true);
    setLayoutControlsEnabled(true);
    setWindowTitle(QStringLiteral("Export to text"));
    m_Label4->setText(QStringLiteral("Export to text"));
}

void ExportWindow::prepareTimeAttendanceExport()
{
    m_timeAttendanceMode = true;
    ensureLoaded();
    m_cmdExportTA->show();
    m_cmdExport->hide();
    m_optDataType[0]->setEnabled(false);
    m_optDataType[1]->setEnabled(false);
    setLayoutControlsEnabled(false);
    setWindowTitle(QStringLiteral("Export to TA"));
    m_Label4->setText(QStringLiteral("Export to TA"));
}

void ExportWindow::prepareAccessControlTextExport()
{
    m_timeAttendanceMode = false;
    ensureLoaded();
    setWindowTitle(QStringLiteral("Export QOR to text file"));
    m_cmdQROSQLExport->show();
}

void ExportWindow::prepareAccessControlTimeAttendanceExport()
{
    m_timeAttendanceMode = true;
    ensureLoaded();
    m_optDataType[0]->setEnabled(false);
    m_optDataType[1]->setEnabled(false);
    setLayoutControlsEnabled(false);
    setWindowTitle(QStringLiteral("Export QOR to TA"));
    m_cmdQORSQLtoTA->show();
}

bool ExportWindow::inAccessControlMode() const
{
    return !m_cmdQORSQLtoTA->isHidden() || !m_cmdQROSQLExport->isHidden();
}

ExportFilter ExportWindow::currentFilter() const
{
    ExportFilter filter;
    filter.chosenEmployees = m_OptSearch[1]->isChecked();
    filter.employees = m_txtEmployee->text();
    filter.filtered = m_optDataType[1]->isChecked();
    filter.dateRange = m_Option2->isChecked();
    filter.from = christianDateText(m_dtpExport[0]->date().toString(QStringLiteral("yyyy/MM/dd")));
    filter.to = christianDateText(m_dtpExport[1]->date().toString(QStringLiteral("yyyy/MM/dd")));
    filter.chosenTerminals = m_Option4->isChecked();
    filter.terminals = m_txtFID->text();
    return filter;
}

void ExportWindow::setExportCommandsEnabled(bool enabled)
{
    for (QPushButton* button : {m_cmdExport, m_cmdQROSQLExport, m_cmdExportTA, m_cmdQORSQLtoTA})
        button->setEnabled(enabled);
}

void ExportWindow::showProgress()
{
    m_ProgressBar1->setValue(0);
    m_ProgressBar1->show();
}

void ExportWindow::hideProgress()
{
    m_ProgressBar1->hide();
    m_txtSimpleExport->show();
}

void ExportWindow::runExport(Source source, Target target)
{
    // The run handles the window's events between rows: a second press must not start another.
    if (m_exporting)
        return;
    m_exporting = true;
    setExportCommandsEnabled(false);
    const auto done = qScopeGuard([this] {
        m_exporting = false;
        setExportCommandsEnabled(true);
    });

    if (source == Source::AccessControl) {
        if (!m_accessControl.pullLogs || (target == Target::TextFile && !m_accessControl.exportText) ||
            (target == Target::TimeAttendance && !m_accessControl.exportTimeAttendance)) {
            m_context.prompter.message(Prompter::Icon::Critical, m_context.title,
                                       QStringLiteral("The export from the access-control server is not set "
                                                      "up in this window. Connect to the server again."));
            return;
        }
        if (!m_accessControl.pullLogs())
            return;
    }

    const ExportFilter filter = currentFilter();
    bool cancelled = false;
    const Expected<ExportReport> report = target == Target::TextFile ? exportText(source, filter, cancelled)
                                                                     : exportTimeAttendance(source, filter);
    if (!report) {
        hideProgress();
        m_context.prompter.message(Prompter::Icon::Critical, m_context.title, report.error());
        return;
    }
    if (report->status == ExportReport::Status::Busy)
        return;
    if (!cancelled)
        m_context.prompter.message(Prompter::Icon::None, m_context.title, report->message);
    hideProgress();
    writeIniValue(SettingsSection, FormatNameKey, m_cmbFileFormat->currentText(),
                  m_context.paths.settingsFile());
}

Expected<ExportReport> ExportWindow::exportText(Source source, const ExportFilter& filter, bool& cancelled)
{
    const QString output = m_context.prompter.askFileName(Prompter::FileDialog::Save, TextFileFilter);
    showProgress();
    if (output.isEmpty()) {
        cancelled = true;
        return ExportReport();
    }
    const ExportLayout& layout = ExportLayout::current();
    const LineBuilder builder(layout, m_grid->fieldRows(), layout.delimiter,
                              filter.filtered ? ExportDataType::Filtered : ExportDataType::Raw);
    const ExportLineBuilder lineFor = [&builder](const PunchRecord& punch) {
        return builder.build(punch);
    };
    TextExport exporter(m_context.paths, m_progress);
    const TextExportRequest request{filter, output};
    if (source == Source::Local)
        return exporter.exportLocal(request, lineFor);
    return m_accessControl.exportText(exporter, request, lineFor);
}

Expected<ExportReport> ExportWindow::exportTimeAttendance(Source source, const ExportFilter& filter)
{
    showProgress();
    TimeAttendanceExport exporter(Connections::get(Connections::TimeAttendanceConnection), m_progress);
    if (source == Source::Local)
        return exporter.exportLocal(filter);
    return m_accessControl.exportTimeAttendance(exporter, filter);
}

void ExportWindow::closeEvent(QCloseEvent* event)
{
    if (m_exporting) {
        // the run still uses the window; it stays until the run has ended
        event->ignore();
        m_context.prompter.message(Prompter::Icon::Information, m_context.title,
                                   QStringLiteral("An export is still running. Close the window when it "
                                                  "has finished."));
        return;
    }
    QWidget::closeEvent(event);
    Connections::close(Connections::LocalConnection);
    if (WindowRegistry* windows = m_context.windows) {
        windows->unload(WindowId::Employee);
        windows->unload(WindowId::TQID);
        windows->unload(WindowId::EditExport);
    }
    for (const QPointer<QWidget>& picker : std::as_const(m_ownPickers)) {
        if (picker)
            picker->close();
    }
}
