#include "gui/export/ExportWindow.h"

#include "core/layouts/LayoutFile.h"
#include "core/layouts/LineBuilder.h"
#include "core/storage/Connections.h"
#include "gui/export/ExportFilterPanel.h"
#include "gui/export/LayoutGridView.h"
#include "gui/export/LayoutSampleBox.h"
#include "gui/layouts/FormatEditor.h"
#include "gui/layouts/LayoutFileChoice.h"
#include "gui/platform/AppContext.h"
#include "gui/platform/PaintThrottle.h"
#include "gui/search/EmployeePicker.h"
#include "gui/search/TerminalPicker.h"
#include "gui/shell/WindowRegistry.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

using Export = ExportChoices::Export;

template <typename T> T* named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

// The export buttons in the window's order.
struct ExportCommand
{
    Export kind;
    const char* name;
    const char* caption;
};
constexpr ExportCommand ExportCommands[] = {
    {Export::Text, "cmdExport", "ส่งออกเป็นไฟล์"},
    {Export::AccessControlText, "cmdQROSQLExport", "ส่งออกเป็นไฟล์"},
    {Export::TimeAttendance, "cmdExportTA", "ส่งออกไปยัง Horavant Office"},
    {Export::AccessControlTimeAttendance, "cmdQORSQLtoTA", "ส่งออกไปยัง Horavant Office"},
};

} // namespace

ExportWindow::ExportWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context),
      m_runner(new ExportRunner(context.paths, context.prompter, context.title, this)),
      m_grid(new LayoutGridModel(this))
{
    setObjectName(QStringLiteral("ExportWindow"));
    buildControls();
    connectControls();
    if (m_context.windows && m_context.windows->isRegistered(WindowId::EditExport))
        setFormatEditor([this](editorMode mode, const QString& name) { openFormatEditor(mode, name); });
    syncControls();
}

ExportWindow::~ExportWindow() = default;

void ExportWindow::buildControls()
{
    m_Label4 = named(new QLabel(this), QStringLiteral("Label4"));
    QFont headingFont = m_Label4->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.4);
    m_Label4->setFont(headingFont);

    m_filters = new ExportFilterPanel(m_choices, this);
    auto* body = new QHBoxLayout;
    body->addWidget(m_filters);
    body->addWidget(buildLayoutFrame(), 1);

    auto* commands = new QHBoxLayout;
    m_ProgressBar1 = named(new QProgressBar(this), QStringLiteral("ProgressBar1"));
    m_ProgressBar1->setRange(0, 100);
    m_ProgressBar1->hide();
    commands->addWidget(m_ProgressBar1, 1);
    commands->addStretch();
    for (const ExportCommand& command : ExportCommands) {
        auto* button = named(new QPushButton(QString::fromUtf8(command.caption), this),
                             QString::fromLatin1(command.name));
        button->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
        m_exportCommands[static_cast<int>(command.kind)] = button;
        commands->addWidget(button);
    }
    m_cmdCancel = named(new QPushButton(QStringLiteral("ออก"), this), QStringLiteral("cmdCancel"));
    commands->addWidget(m_cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Label4);
    layout->addLayout(body, 1);
    m_sample = new LayoutSampleBox(this);
    layout->addWidget(m_sample);
    layout->addLayout(commands);
}

QWidget* ExportWindow::buildLayoutFrame()
{
    auto* frame = named(new QGroupBox(QStringLiteral("รูปแบบการส่งออก"), this), QStringLiteral("fraFormat"));
    auto* label = named(new QLabel(QStringLiteral("รูปแบบ"), frame), QStringLiteral("lblFormat"));
    m_cmbFileFormat = named(new QComboBox(frame), QStringLiteral("cmbFileFormat"));
    m_cmbFileFormat->setMinimumContentsLength(16);
    label->setBuddy(m_cmbFileFormat);
    m_cmdNew = named(new QPushButton(frame), QStringLiteral("cmdNew"));
    m_cmdNew->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    m_cmdNew->setToolTip(QStringLiteral("New format export"));
    m_cmdEdit = named(new QPushButton(frame), QStringLiteral("cmdEdit"));
    m_cmdEdit->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    m_cmdEdit->setToolTip(QStringLiteral("Edit format export"));
    m_cmdClear = named(new QPushButton(QStringLiteral("Clear"), frame), QStringLiteral("cmdClear"));

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_cmbFileFormat, 1);
    row->addWidget(m_cmdNew);
    row->addWidget(m_cmdEdit);
    row->addWidget(m_cmdClear);
    auto* column = new QVBoxLayout(frame);
    column->addLayout(row);
    column->addWidget(named(new LayoutGridView(m_grid, frame), QStringLiteral("MSHFlexGrid2")), 1);
    return frame;
}

void ExportWindow::connectControls()
{
    connect(m_filters, &ExportFilterPanel::employeePickerRequested, this, &ExportWindow::chooseEmployees);
    connect(m_filters, &ExportFilterPanel::terminalPickerRequested, this, &ExportWindow::chooseTerminals);
    connect(m_cmbFileFormat, &QComboBox::activated, this, [this](int index) {
        if (index >= 0)
            loadExportLayout(m_cmbFileFormat->itemText(index));
    });
    connect(m_cmdClear, &QPushButton::clicked, m_grid, &LayoutGridModel::clearFields);
    connect(m_cmdNew, &QPushButton::clicked, this, &ExportWindow::newLayout);
    connect(m_cmdEdit, &QPushButton::clicked, this, &ExportWindow::editLayout);
    for (const ExportCommand& command : ExportCommands) {
        connect(m_exportCommands[static_cast<int>(command.kind)], &QPushButton::clicked, this,
                [this, kind = command.kind] { runExport(kind); });
    }
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
            frame->close();
        else
            close();
    });
    connect(m_runner, &ExportRunner::runningChanged, this, &ExportWindow::syncControls);
    connect(m_runner, &ExportRunner::progressVisibleChanged, m_ProgressBar1, &QProgressBar::setVisible);
    connect(m_runner, &ExportRunner::progressChanged, m_ProgressBar1, &QProgressBar::setValue);
    // the bar moves with every row, but is painted only every few milliseconds
    auto* barPaint = new PaintThrottle(*m_ProgressBar1);
    connect(m_runner, &ExportRunner::runningChanged, barPaint, &PaintThrottle::hold);
}

void ExportWindow::syncControls()
{
    m_filters->syncControls();
    m_cmbFileFormat->setEnabled(m_choices.isEnabled(ExportChoices::Control::LayoutList));
    const bool editing = m_choices.isEnabled(ExportChoices::Control::LayoutEditing);
    m_cmdNew->setEnabled(editing);
    m_cmdEdit->setEnabled(editing);
    for (const ExportCommand& command : ExportCommands) {
        QPushButton* button = m_exportCommands[static_cast<int>(command.kind)];
        button->setVisible(m_choices.isCommandVisible(command.kind));
        button->setEnabled(!m_runner->isRunning());
    }
    setWindowTitle(m_choices.windowTitle());
    m_Label4->setText(m_choices.heading());
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
    m_filters->setDates(m_context.today());
    fillLayoutList();
    m_filters->chooseAllEmployees();
    syncControls();
}

void ExportWindow::prepare(ExportChoices::Export kind)
{
    m_choices.prepare(kind);
    ensureLoaded();
    syncControls();
}

void ExportWindow::setAccessControlSource(const AccessControlSource& source)
{
    m_accessControlEmployees = source.employees;
    m_runner->setAccessControlSteps(source);
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
    const std::optional<ExportChoices::LayoutPreselection> chosen =
        m_choices.preselectLayout(listing.names, m_runner->rememberedLayout());
    if (!chosen)
        return; // no layout, or the remembered one is not listed: nothing is loaded or selected
    const QString name = listing.names[chosen->index];
    if (chosen->byName) {
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
    m_cmbFileFormat->setCurrentIndex(chosen->index);
    loadExportLayout(name);
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
        m_sample->setSample(previewLine(layout, m_grid->fieldRows(), layout.delimiter));
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

void ExportWindow::chooseEmployees()
{
    NumberPicker::Lister lister = EmployeePicker::localEmployees();
    if (m_choices.isAccessControlMode()) {
        lister = m_accessControlEmployees;
        if (!lister)
            lister = [] {
                return Expected<QList<PickerEntry>>::failure(
                    QStringLiteral("The persons of the access-control server cannot be listed: the "
                                   "connection to that server is not set up. Connect to it again."));
            };
    }
    if (auto* picker = openPicker<EmployeePicker>(WindowId::Employee, lister, m_filters->employeeBox()))
        m_chosenEmployees = picker->chosenEmployees();
}

void ExportWindow::chooseTerminals()
{
    openPicker<TerminalPicker>(WindowId::TQID, TerminalPicker::localTerminals(), m_filters->terminalBox());
}

void ExportWindow::setFormatEditor(FormatEditorOpener opener)
{
    m_formatEditor = std::move(opener);
    m_choices.setFormatEditorAvailable(static_cast<bool>(m_formatEditor));
    syncControls();
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

void ExportWindow::newLayout()
{
    if (!m_formatEditor)
        return;
    // the editor starts the new layout without IN-only and OUT-only, in its own draft
    m_formatEditor(editorMode::New, QString());
}

void ExportWindow::editLayout()
{
    if (!m_formatEditor)
        return;
    const int index = m_cmbFileFormat->findText(m_cmbFileFormat->currentText(),
                                                Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (index < 0) {
        // nothing in the list to hand to the editor
        m_context.prompter.message(
            Prompter::Icon::Information, m_context.title,
            QStringLiteral("No layout is selected, so there is nothing to edit.\nChoose a "
                           "layout in the list, or create one with New."));
        return;
    }
    m_formatEditor(editorMode::Edit, m_cmbFileFormat->itemText(index));
}

void ExportWindow::runExport(ExportChoices::Export kind)
{
    m_runner->run({kind, m_choices.filter(), m_grid->fieldRows(), m_cmbFileFormat->currentText()});
}

void ExportWindow::closeEvent(QCloseEvent* event)
{
    if (m_runner->isRunning()) {
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
