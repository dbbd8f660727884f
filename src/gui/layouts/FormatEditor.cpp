#include "gui/layouts/FormatEditor.h"

#include "core/layouts/DelimiterChoice.h"
#include "core/layouts/LayoutFile.h"
#include "core/layouts/LineBuilder.h"
#include "gui/layouts/FormatEditorHost.h"
#include "gui/layouts/HeaderRowDelegate.h"
#include "gui/layouts/LayoutFileChoice.h"
#include "gui/platform/AppContext.h"
#include "gui/shell/WindowRegistry.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int NameColumnTwips = 2000;
constexpr int WidthColumnTwips = 600;
constexpr int ScrollBarTwips = 250;
constexpr int RulerEnd = 80;

template <typename T> T* named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

int pixels(const QWidget& widget, int twips)
{
    return qRound(twips * widget.logicalDpiX() / 1440.0);
}

// The marks over the preview: 0, 10, 20 ... 80, each number starting at the character position
// it names.
QString rulerText()
{
    QString ruler;
    for (int position = 0; position <= RulerEnd; position += 10) {
        ruler = ruler.leftJustified(position, u' ');
        ruler += QString::number(position);
    }
    return ruler;
}

void setupGrid(QTableView& grid, LayoutGridModel& model, int extraTwips)
{
    grid.setModel(&model);
    grid.setItemDelegate(new HeaderRowDelegate(&grid));
    grid.horizontalHeader()->hide();
    grid.verticalHeader()->hide();
    grid.setSelectionBehavior(QAbstractItemView::SelectRows);
    grid.setSelectionMode(QAbstractItemView::SingleSelection);
    grid.setEditTriggers(QAbstractItemView::NoEditTriggers);
    // rows are chosen with the mouse; the buttons act on the chosen row
    grid.setFocusPolicy(Qt::NoFocus);
    grid.setTextElideMode(Qt::ElideNone);
    grid.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid.setColumnWidth(LayoutGridModel::NameColumn, pixels(grid, NameColumnTwips));
    grid.setColumnWidth(LayoutGridModel::WidthColumn, pixels(grid, WidthColumnTwips));
    grid.setFixedWidth(pixels(grid, NameColumnTwips + WidthColumnTwips + extraTwips) + 2 * grid.frameWidth());
}

void showRow(QTableView& grid, int r)
{
    if (r >= 1) {
        grid.selectRow(r);
        grid.scrollTo(grid.model()->index(r, 0));
    } else {
        grid.clearSelection();
    }
}

} // namespace

FormatEditor::FormatEditor(AppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_fields(m_grid, ExportLayout::current()), m_today(context.today),
      m_MSHFlexGrid1(named(new QTableView(this), "MSHFlexGrid1")),
      m_MSHFlexGrid2(named(new QTableView(this), "MSHFlexGrid2")),
      m_cmdAdd(named(new QPushButton(QStringLiteral("เลือก"), this), "cmdAdd")),
      m_cmdDelete(named(new QPushButton(QStringLiteral("ลบ"), this), "cmdDelete")),
      m_cmdUp(named(new QPushButton(QStringLiteral("ขึ้น"), this), "cmdUp")),
      m_cmdDown(named(new QPushButton(QStringLiteral("ลง"), this), "cmdDown")),
      m_cmdSaveExit(named(new QPushButton(QStringLiteral("บันทึก"), this), "cmdSaveExit")),
      m_cmdCancel(named(new QPushButton(QStringLiteral("ยกเลิก"), this), "cmdCancel")),
      m_txtFileName(named(new QLineEdit(this), "txtFileName")),
      m_txtViewName(named(new QLineEdit(QStringLiteral("ชื่อรูปแบบ"), this), "txtViewName")),
      m_Label1(named(new QLabel(this), "Label1")),
      m_lblWidth(named(new QLabel(QStringLiteral("ความกวาง"), this), "lbl_1")),
      m_lblAlignment(named(new QLabel(QStringLiteral("ตำแหน่ง"), this), "lbl_2")),
      m_lblFormat(named(new QLabel(QStringLiteral("รูปแบบ"), this), "lbl_3")),
      m_lblIn(named(new QLabel(QStringLiteral("เข้า ="), this), "lbl_5")),
      m_lblOut(named(new QLabel(QStringLiteral("ออก ="), this), "lbl_6")),
      m_lblYear(named(new QLabel(QStringLiteral("รูปแบบปี"), this), "lbl_7")),
      m_lblPad(named(new QLabel(QStringLiteral("ตัวแทรก"), this), "lbl_8")),
      m_txtFormatData(named(new QLineEdit(this), "txtFormatData_1")),
      m_cmbAlignmentData(named(new QComboBox(this), "cmbAlignmentData")),
      m_txtStr(named(new QLineEdit(QStringLiteral("0"), this), "txtStr")),
      m_cmbDataFormat(named(new QComboBox(this), "cmbDataFormat")),
      m_combformatTime(named(new QComboBox(this), "combformatTime")),
      m_Option1(named(new QRadioButton(this), "Option1")),
      m_Option2(named(new QRadioButton(this), "Option2")), m_XPFrame1(named(new QFrame(this), "XPFrame1")),
      m_txtIN(named(new QLineEdit(QStringLiteral("1"), this), "txtIN")),
      m_txtOUT(named(new QLineEdit(QStringLiteral("2"), this), "txtOUT")),
      m_optIN(named(new QCheckBox(QStringLiteral("เข้าอย่างเดียว"), this), "optIN")),
      m_optOUT(named(new QCheckBox(QStringLiteral("ออกอย่างเดียว"), this), "optOUT")),
      m_optDelimiter(new QButtonGroup(this)),
      m_txtDelimiter(named(new QLineEdit(QStringLiteral("@@"), this), "txtDelimiter")),
      m_Label2(named(new QLabel(this), "Label2")),
      m_txtSimpleExport(named(new QLineEdit(this), "txtSimpleExport"))
{
    setObjectName(QStringLiteral("FormatEditor"));
    setWindowTitle(QStringLiteral("แก้ไขรูปแบบ"));
    buildWindow();
    connectControls();

    // Opening: grids and field list, era captions, first patterns and "Right", no delimiter.
    m_allFields.setFields(ExportFieldList::availableFields());
    setupGrid(*m_MSHFlexGrid1, m_allFields, 0);
    setupGrid(*m_MSHFlexGrid2, m_grid, ScrollBarTwips);
    captionEras();
    {
        const QSignalBlocker blockDate(m_cmbDataFormat);
        const QSignalBlocker blockTime(m_combformatTime);
        const QSignalBlocker blockAlignment(m_cmbAlignmentData);
        m_cmbDataFormat->setCurrentIndex(0);
        m_combformatTime->setCurrentIndex(0);
        // shown as the choice only: the header row is selected, so no field's alignment changes
        m_cmbAlignmentData->setCurrentIndex(1);
    }
    m_optDelimiter->button(DelimiterChoice::None)->setChecked(true);
    optDelimiter_Click(DelimiterChoice::None);
}

FormatEditor::~FormatEditor() = default;

void FormatEditor::buildWindow()
{
    auto* allFrame = named(new QGroupBox(QStringLiteral("ฟิลด์ทั้งหมด"), this), "fraAllFields");
    auto* allLayout = new QVBoxLayout(allFrame);
    allLayout->addWidget(m_MSHFlexGrid1);

    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {m_cmdAdd, m_cmdDelete, m_cmdUp, m_cmdDown})
        buttons->addWidget(b);
    buttons->addStretch();

    auto* exportFrame = named(new QGroupBox(QStringLiteral("ฟิลด์ส่งออก"), this), "fraExportFields");
    auto* exportLayout = new QVBoxLayout(exportFrame);
    exportLayout->addWidget(m_MSHFlexGrid2);

    auto* fieldPanel = named(new QGroupBox(QStringLiteral("รูปแบบฟิลด์"), this), "fraFieldFormat");
    buildFieldPanel(fieldPanel);

    auto* top = new QHBoxLayout;
    top->addWidget(allFrame);
    top->addLayout(buttons);
    top->addWidget(exportFrame);
    top->addWidget(fieldPanel, 1);

    auto* name = new QHBoxLayout;
    name->addWidget(named(new QLabel(QStringLiteral("ชื่อรูปแบบ"), this), "lblFileName"));
    auto* nameCell = new QGridLayout;
    nameCell->addWidget(m_txtFileName, 0, 0);
    nameCell->addWidget(m_txtViewName, 0, 0); // the hidden view-name box shares the place
    m_txtViewName->hide();
    name->addLayout(nameCell, 1);
    name->addStretch();

    auto* delimiterPanel = named(new QGroupBox(QStringLiteral("ตัวคั้นฟิลด์"), this), "fraDelimiter");
    buildDelimiterPanel(delimiterPanel);

    auto* samplePanel = named(new QGroupBox(QStringLiteral("ตัวอย่าง"), this), "fraSample");
    auto* sampleLayout = new QVBoxLayout(samplePanel);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_Label2->setFont(fixed);
    m_Label2->setText(rulerText());
    m_txtSimpleExport->setFont(fixed);
    m_txtSimpleExport->setReadOnly(true);
    // the box's text starts where the ruler's 0 stands
    m_txtSimpleExport->setFrame(false);
    m_txtSimpleExport->setTextMargins(0, 0, 0, 0);
    m_txtSimpleExport->setStyleSheet(QStringLiteral("QLineEdit { padding: 0px; }"));
    m_Label2->setMargin(0);
    m_Label2->setIndent(0);
    sampleLayout->addWidget(m_Label2);
    sampleLayout->addWidget(m_txtSimpleExport);
    sampleLayout->setSpacing(0);

    auto* actions = new QHBoxLayout;
    actions->addStretch();
    actions->addWidget(m_cmdSaveExit);
    actions->addWidget(m_cmdCancel);

    auto* main = new QVBoxLayout(this);
    main->addLayout(top, 1);
    main->addLayout(name);
    main->addWidget(delimiterPanel);
    main->addWidget(samplePanel);
    main->addLayout(actions);
}

void FormatEditor::buildFieldPanel(QGroupBox* panel)
{
    m_cmbAlignmentData->addItems({QStringLiteral("Left"), QStringLiteral("Right"), QStringLiteral("Center")});
    m_cmbDataFormat->addItems(ExportLayout::datePatterns());
    m_combformatTime->addItems(ExportLayout::timePatterns());
    m_txtFormatData->installEventFilter(this);

    auto* eras = new QButtonGroup(this);
    eras->addButton(m_Option1);
    eras->addButton(m_Option2);
    auto* eraRow = new QHBoxLayout;
    eraRow->addWidget(m_Option1);
    eraRow->addWidget(m_Option2);
    eraRow->addStretch();

    auto* inOut = new QGridLayout(m_XPFrame1);
    m_XPFrame1->setFrameShape(QFrame::StyledPanel);
    inOut->addWidget(m_lblIn, 0, 0);
    inOut->addWidget(m_txtIN, 0, 1);
    inOut->addWidget(m_lblOut, 1, 0);
    inOut->addWidget(m_txtOUT, 1, 1);

    QFont bold = m_Label1->font();
    bold.setBold(true);
    m_Label1->setFont(bold);

    auto* grid = new QGridLayout(panel);
    grid->addWidget(m_Label1, 0, 0, 1, 2);
    grid->addWidget(m_lblWidth, 1, 0);
    grid->addWidget(m_txtFormatData, 1, 1);
    grid->addWidget(m_lblAlignment, 2, 0);
    grid->addWidget(m_cmbAlignmentData, 2, 1);
    grid->addWidget(m_lblPad, 3, 0);
    grid->addWidget(m_txtStr, 3, 1);
    grid->addWidget(m_lblFormat, 4, 0);
    grid->addWidget(m_cmbDataFormat, 4, 1);
    grid->addWidget(m_combformatTime, 4, 1); // shown instead of the date patterns for "Time"
    grid->addWidget(m_lblYear, 5, 0);
    grid->addLayout(eraRow, 5, 1);
    grid->addWidget(m_XPFrame1, 6, 0, 1, 2);
    grid->addWidget(m_optIN, 7, 0, 1, 2);
    grid->addWidget(m_optOUT, 8, 0, 1, 2);
    grid->setRowStretch(9, 1);
    grid->setColumnStretch(1, 1);

    // Until the first refresh: width and alignment with their labels and the two check boxes.
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_lblPad, m_txtStr, m_lblFormat, m_cmbDataFormat, m_combformatTime,
                                         m_lblYear, m_Option1, m_Option2, m_XPFrame1})
        w->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{m_txtFormatData, m_cmbAlignmentData, m_txtStr, m_optIN,
                                                      m_optOUT, m_txtIN, m_txtOUT})
        w->setEnabled(false);
}

void FormatEditor::buildDelimiterPanel(QGroupBox* panel)
{
    auto* row = new QHBoxLayout(panel);
    const QStringList& captions = DelimiterChoice::captions();
    for (int i = 0; i < DelimiterChoice::OptionCount; ++i) {
        auto* option = new QRadioButton(captions[i], panel);
        option->setObjectName(QStringLiteral("optDelimiter_%1").arg(i));
        m_optDelimiter->addButton(option, i);
        row->addWidget(option);
        if (i == DelimiterChoice::Custom)
            row->addWidget(m_txtDelimiter);
    }
    m_txtDelimiter->setMaximumWidth(
        m_txtDelimiter->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMM")));
    row->addStretch();
}

void FormatEditor::connectControls()
{
    connect(m_MSHFlexGrid1, &QTableView::clicked, this,
            [this](const QModelIndex& index) { MSHFlexGrid1_Click(index.row()); });
    connect(m_MSHFlexGrid2, &QTableView::clicked, this,
            [this](const QModelIndex& index) { MSHFlexGrid2_Click(index.row()); });
    connect(m_cmdAdd, &QPushButton::clicked, this, &FormatEditor::cmdAdd_Click);
    connect(m_cmdDelete, &QPushButton::clicked, this, &FormatEditor::cmdDelete_Click);
    connect(m_cmdUp, &QPushButton::clicked, this, &FormatEditor::cmdUp_Click);
    connect(m_cmdDown, &QPushButton::clicked, this, &FormatEditor::cmdDown_Click);
    connect(m_cmdSaveExit, &QPushButton::clicked, this, &FormatEditor::cmdSaveExit_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &FormatEditor::cmdCancel_Click);
    connect(m_optDelimiter, &QButtonGroup::idClicked, this, &FormatEditor::optDelimiter_Click);
    connect(m_txtFormatData, &QLineEdit::textChanged, this, &FormatEditor::txtFormatData_Change);
    connect(m_cmbAlignmentData, &QComboBox::currentIndexChanged, this, &FormatEditor::cmbAlignmentData_Click);
    connect(m_txtStr, &QLineEdit::textChanged, this, &FormatEditor::txtStr_Change);
    connect(m_Option1, &QRadioButton::clicked, this, &FormatEditor::Option1_Click);
    connect(m_Option2, &QRadioButton::clicked, this, &FormatEditor::Option2_Click);
    connect(m_txtIN, &QLineEdit::textChanged, this, &FormatEditor::txtIN_Change);
    connect(m_txtOUT, &QLineEdit::textChanged, this, &FormatEditor::txtOUT_Change);
    connect(m_optIN, &QCheckBox::toggled, this, &FormatEditor::optIN_Click);
    connect(m_optOUT, &QCheckBox::toggled, this, &FormatEditor::optOUT_Click);
}

void FormatEditor::setClock(std::function<QDate()> today)
{
    m_today = std::move(today);
    captionEras();
}

void FormatEditor::captionEras()
{
    const int year = m_today().year();
    m_Option1->setText(QString::number(year));
    m_Option2->setText(QString::number(year + 543));
}

FormatEditorHost* FormatEditor::host() const
{
    if (m_host)
        return m_host;
    if (m_context.windows)
        return dynamic_cast<FormatEditorHost*>(m_context.windows->find(WindowId::Export));
    return nullptr;
}

void FormatEditor::selectRow(int r)
{
    m_row = qBound(0, r, m_grid.fieldCount());
    showRow(*m_MSHFlexGrid2, m_row);
}

void FormatEditor::selectField(int r)
{
    m_fieldRow = qBound(0, r, m_allFields.fieldCount());
    showRow(*m_MSHFlexGrid1, m_fieldRow);
}

bool FormatEditor::loadExportLayout(const QString& fileName)
{
    const QString path = chooseLayoutFile(m_context.paths, fileName, m_context.prompter);
    if (path.isEmpty()) {
        m_context.prompter.message(Prompter::Icon::Information, m_context.title,
                                   QStringLiteral("No layout file was chosen. The format editor keeps the "
                                                  "layout it shows."));
        return false;
    }
    if (!QFileInfo(path).isFile()) {
        m_context.prompter.message(
            Prompter::Icon::Warning, m_context.title,
            QStringLiteral("The layout file %1 does not exist. The format editor keeps "
                           "the layout it shows; choose another layout.")
                .arg(QDir::toNativeSeparators(path)));
        return false;
    }

    EditorLayoutState state;
    state.fileName = m_txtFileName->text();
    state.viewName = m_txtViewName->text();
    state.dateIndex = m_cmbDataFormat->currentIndex();
    state.timeIndex = m_combformatTime->currentIndex();
    const LayoutLoadResult result = loadEditorLayout(path, ExportLayout::current(), m_grid, state);
    m_txtFileName->setText(state.fileName);
    m_txtViewName->setText(state.viewName);
    {
        const QSignalBlocker blockDate(m_cmbDataFormat);
        const QSignalBlocker blockTime(m_combformatTime);
        m_cmbDataFormat->setCurrentIndex(state.dateIndex);
        m_combformatTime->setCurrentIndex(state.timeIndex);
    }
    updateDelimiter();
    selectRow(m_grid.fieldCount() > 0 ? 1 : 0);
    refreshPanel();
    // a hidden editor reads along with the export window, which reports the same values itself
    if (!result.warnings.isEmpty() && isVisible())
        m_context.prompter.message(Prompter::Icon::Warning, m_context.title,
                                   result.refused ? result.warnings.join(u'\n')
                                                  : QStringLiteral("The layout was loaded, but some values "
                                                                   "could not be used as stored:\n") +
                                                        result.warnings.join(u'\n'));
    return true;
}

void FormatEditor::updateDelimiter()
{
    const QString& delimiter = ExportLayout::current().delimiter;
    const int option = DelimiterChoice::optionOf(delimiter);
    if (option == DelimiterChoice::Custom)
        m_txtDelimiter->setText(delimiter);
    m_optDelimiter->button(option)->setChecked(true);
    optDelimiter_Click(option);
}

void FormatEditor::refreshPreview(const QString& Delimiter_msg)
{
    m_txtSimpleExport->setText(::previewLine(ExportLayout::current(), m_grid.fieldRows(), Delimiter_msg,
                                             m_cmbDataFormat->currentText(),
                                             m_combformatTime->currentText()));
}

void FormatEditor::rebuildPreview()
{
    refreshPreview(ExportLayout::current().delimiter);
}

void FormatEditor::exitEditor()
{
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

void FormatEditor::MSHFlexGrid1_Click(int r)
{
    selectField(r);
}

void FormatEditor::MSHFlexGrid2_Click(int r)
{
    selectRow(r);
    refreshPanel();
}

void FormatEditor::cmdAdd_Click()
{
    if (m_fieldRow < 1)
        return;
    const int r = m_fields.add(m_allFields.row(m_fieldRow));
    rebuildPreview();
    selectField(0);
    selectRow(r);
    if (m_grid.fieldCount() >= 1)
        showWidthControls(true);
    refreshPanel();
}

void FormatEditor::cmdDelete_Click()
{
    if (m_row < 1)
        return;
    const int r = m_fields.remove(m_row);
    rebuildPreview();
    selectRow(r);
    if (m_grid.fieldCount() > 0) {
        showWidthControls(true);
    } else {
        showWidthControls(false);
        m_lblFormat->hide();
        m_cmbDataFormat->hide();
    }
    refreshPanel();
}

void FormatEditor::cmdUp_Click()
{
    const int r = m_fields.moveUp(m_row);
    if (r == m_row)
        return;
    selectRow(r);
    rebuildPreview();
}

void FormatEditor::cmdDown_Click()
{
    const int r = m_fields.moveDown(m_row);
    if (r == m_row)
        return;
    selectRow(r);
    rebuildPreview();
}

void FormatEditor::cmdSaveExit_Click()
{
    EditorLayoutState state;
    state.fileName = m_txtFileName->text();
    state.viewName = m_txtViewName->text();
    state.dateIndex = m_cmbDataFormat->currentIndex();
    state.timeIndex = m_combformatTime->currentIndex();
    const LayoutSaveResult result =
        saveExportLayout(m_context.paths, ExportLayout::current(), m_grid.fieldRows(), state);
    switch (result.status) {
    case LayoutSaveResult::Status::EmptyName:
    case LayoutSaveResult::Status::BadName:
    case LayoutSaveResult::Status::Failed:
        m_context.prompter.message(Prompter::Icon::Critical,
                                   result.title.isEmpty() ? m_context.title : result.title, result.message);
        return;
    case LayoutSaveResult::Status::Written:
    case LayoutSaveResult::Status::NoRows:
        break;
    }
    const QString name = state.fileName;
    if (FormatEditorHost* owner = host()) {
        if (m_editorMode == NewLayout)
            owner->addLayoutName(name);
        owner->showLayoutName(name);
        owner->loadLayout(name);
    }
    exitEditor();
}

void FormatEditor::cmdCancel_Click()
{
    exitEditor();
}

void FormatEditor::optDelimiter_Click(int index)
{
    ExportLayout::current().delimiter = DelimiterChoice::delimiterOf(index, m_txtDelimiter->text());
    refreshPreview(ExportLayout::current().delimiter);
}

void FormatEditor::showWidthControls(bool on)
{
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_lblWidth, m_txtFormatData, m_lblAlignment, m_cmbAlignmentData})
        w->setVisible(on);
}

void FormatEditor::refreshPanel()
{
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_lblFormat, m_cmbDataFormat, m_combformatTime, m_lblYear, m_Option1, m_Option2, m_lblIn,
             m_lblOut, m_txtIN, m_txtOUT, m_optIN, m_optOUT, m_XPFrame1, m_lblPad, m_txtStr})
        w->hide();
    m_Label1->clear();

    const bool field = m_row >= 1 && m_row <= m_grid.fieldCount();
    // The header row is no field: while it is selected the panel's controls edit nothing.
    for (QWidget* w : std::initializer_list<QWidget*>{m_txtFormatData, m_cmbAlignmentData, m_txtStr, m_optIN,
                                                      m_optOUT, m_txtIN, m_txtOUT})
        w->setEnabled(field);
    showRow(*m_MSHFlexGrid2, m_row);
    if (m_grid.fieldCount() == 0)
        return;
    if (!field) {
        showWidthControls(false);
        return;
    }

    const ExportLayout& layout = ExportLayout::current();
    {
        const QSignalBlocker blockWidth(m_txtFormatData);
        const QSignalBlocker blockAlignment(m_cmbAlignmentData);
        const QSignalBlocker blockPad(m_txtStr);
        m_txtFormatData->setText(m_grid.row(m_row).width);
        const qint16 alignment = layout.alignmentOf(m_row);
        m_cmbAlignmentData->setCurrentIndex(alignment >= 0 && alignment <= 2 ? alignment : -1);
        m_txtStr->setText(layout.padOf(m_row));
    }
    showWidthControls(true);
    m_lblPad->show();
    m_txtStr->show();
    const QString name = m_grid.row(m_row).field;
    m_Label1->setText(name);

    const auto hideWidthAlignmentPad = [this] {
        showWidthControls(false);
        m_lblPad->hide();
        m_txtStr->hide();
    };
    if (name == QStringLiteral("Date")) {
        m_lblFormat->show();
        m_cmbDataFormat->show();
        hideWidthAlignmentPad();
        m_lblYear->show();
        m_Option1->show();
        m_Option2->show();
        (layout.yearForm == QStringLiteral("TH") ? m_Option2 : m_Option1)->setChecked(true);
    } else if (name == QStringLiteral("Time")) {
        m_lblFormat->show();
        m_combformatTime->show();
        hideWidthAlignmentPad();
    } else if (name == QStringLiteral("Event")) {
        m_lblWidth->hide();
        m_txtFormatData->hide();
        m_lblPad->hide();
        m_txtStr->hide();
        m_lblIn->show();
        m_lblOut->show();
        m_txtIN->show();
        m_txtOUT->show();
        m_optIN->show();
        m_optOUT->show();
        m_XPFrame1->show();
        const QSignalBlocker blockIn(m_txtIN);
        const QSignalBlocker blockOut(m_txtOUT);
        const QSignalBlocker blockInOnly(m_optIN);
        const QSignalBlocker blockOutOnly(m_optOUT);
        m_txtIN->setText(layout.inText);
        m_txtOUT->setText(layout.outText);
        m_optIN->setChecked(layout.inOnly == 1);
        m_optOUT->setChecked(layout.outOnly == 1);
    }
}

bool FormatEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_txtFormatData && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Backspace)
            m_widthEntry.keyPressed(WidthEntry::Backspace);
        else if (!key->text().isEmpty() && key->text().front().isPrint())
            m_widthEntry.keyPressed(key->text().front().unicode());
    }
    return QWidget::eventFilter(watched, event);
}

void FormatEditor::txtFormatData_Change(const QString& text)
{
    if (m_row >= 1 && m_widthEntry.accepts(text)) {
        m_fields.setWidth(m_row, text);
        rebuildPreview();
        return;
    }
    const QSignalBlocker block(m_txtFormatData);
    m_txtFormatData->setText(m_grid.row(m_row).width);
}

void FormatEditor::cmbAlignmentData_Click(int index)
{
    if (index >= 0)
        m_fields.setAlignment(m_row, static_cast<qint16>(index));
}

void FormatEditor::txtStr_Change(const QString& text)
{
    m_fields.setPad(m_row, text);
}

void FormatEditor::Option1_Click()
{
    ExportLayout::current().yearForm = QStringLiteral("EN");
}

void FormatEditor::Option2_Click()
{
    ExportLayout::current().yearForm = QStringLiteral("TH");
}

void FormatEditor::txtIN_Change(const QString& text)
{
    ExportLayout::current().inText = text;
}

void FormatEditor::txtOUT_Change(const QString& text)
{
    ExportLayout::current().outText = text;
}

void FormatEditor::optIN_Click(bool checked)
{
    m_fields.setInOnly(checked);
    if (checked) {
        const QSignalBlocker block(m_optOUT);
        m_optOUT->setChecked(false);
    }
}

void FormatEditor::optOUT_Click(bool checked)
{
    m_fields.setOutOnly(checked);
    if (checked) {
        const QSignalBlocker block(m_optIN);
        m_optIN->setChecked(false);
    }
}
