#include "gui/layouts/FormatEditor.h"

#include "gui/layouts/DelimiterPanel.h"
#include "gui/layouts/FieldFormatPanel.h"
#include "gui/layouts/FormatEditorHost.h"
#include "gui/layouts/HeaderRowDelegate.h"
#include "gui/layouts/LayoutFileChoice.h"
#include "gui/platform/AppContext.h"
#include "gui/shell/WindowRegistry.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
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

// Highlights row r, or nothing for the header row.
void showRow(QTableView& grid, int r)
{
    if (r >= 1) {
        grid.selectRow(r);
        grid.scrollTo(grid.model()->index(r, 0));
    } else {
        grid.clearSelection();
    }
}

void showText(QLineEdit& box, const QString& text)
{
    if (box.text() == text)
        return;
    const QSignalBlocker block(&box);
    box.setText(text);
}

} // namespace

FormatEditor::FormatEditor(AppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_draft(ExportLayout::current()), m_today(context.today),
      m_fieldList(named(new QTableView(this), "MSHFlexGrid1")),
      m_exportFields(named(new QTableView(this), "MSHFlexGrid2")),
      m_add(named(new QPushButton(QStringLiteral("เลือก"), this), "cmdAdd")),
      m_remove(named(new QPushButton(QStringLiteral("ลบ"), this), "cmdDelete")),
      m_up(named(new QPushButton(QStringLiteral("ขึ้น"), this), "cmdUp")),
      m_down(named(new QPushButton(QStringLiteral("ลง"), this), "cmdDown")),
      m_saveExit(named(new QPushButton(QStringLiteral("บันทึก"), this), "cmdSaveExit")),
      m_cancel(named(new QPushButton(QStringLiteral("ยกเลิก"), this), "cmdCancel")),
      m_fileName(named(new QLineEdit(this), "txtFileName")),
      m_viewName(named(new QLineEdit(this), "txtViewName")), m_fieldPanel(new FieldFormatPanel(this)),
      m_delimiterPanel(new DelimiterPanel(this)), m_ruler(named(new QLabel(this), "Label2")),
      m_preview(named(new QLineEdit(this), "txtSimpleExport"))
{
    setObjectName(QStringLiteral("FormatEditor"));
    setWindowTitle(QStringLiteral("แก้ไขรูปแบบ"));
    setupGrid(*m_fieldList, m_draft.fieldList(), 0);
    setupGrid(*m_exportFields, m_draft.rows(), ScrollBarTwips);
    buildWindow();
    connectControls();
    m_fieldPanel->captionEras(m_today().year());
    showDraft();
}

FormatEditor::~FormatEditor() = default;

void FormatEditor::buildWindow()
{
    auto* allFrame = named(new QGroupBox(QStringLiteral("ฟิลด์ทั้งหมด"), this), "fraAllFields");
    auto* allLayout = new QVBoxLayout(allFrame);
    allLayout->addWidget(m_fieldList);

    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {m_add, m_remove, m_up, m_down})
        buttons->addWidget(b);
    buttons->addStretch();

    auto* exportFrame = named(new QGroupBox(QStringLiteral("ฟิลด์ส่งออก"), this), "fraExportFields");
    auto* exportLayout = new QVBoxLayout(exportFrame);
    exportLayout->addWidget(m_exportFields);

    auto* top = new QHBoxLayout;
    top->addWidget(allFrame);
    top->addLayout(buttons);
    top->addWidget(exportFrame);
    top->addWidget(m_fieldPanel, 1);

    auto* name = new QHBoxLayout;
    name->addWidget(named(new QLabel(QStringLiteral("ชื่อรูปแบบ"), this), "lblFileName"));
    auto* nameCell = new QGridLayout;
    nameCell->addWidget(m_fileName, 0, 0);
    nameCell->addWidget(m_viewName, 0, 0); // the hidden view-name box shares the place
    m_viewName->hide();
    name->addLayout(nameCell, 1);
    name->addStretch();

    auto* actions = new QHBoxLayout;
    actions->addStretch();
    actions->addWidget(m_saveExit);
    actions->addWidget(m_cancel);

    auto* main = new QVBoxLayout(this);
    main->addLayout(top, 1);
    main->addLayout(name);
    main->addWidget(m_delimiterPanel);
    main->addWidget(buildSamplePanel());
    main->addLayout(actions);
}

QWidget* FormatEditor::buildSamplePanel()
{
    auto* panel = named(new QGroupBox(QStringLiteral("ตัวอย่าง"), this), "fraSample");
    auto* layout = new QVBoxLayout(panel);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_ruler->setFont(fixed);
    m_ruler->setText(rulerText());
    m_ruler->setMargin(0);
    m_ruler->setIndent(0);
    m_preview->setFont(fixed);
    m_preview->setReadOnly(true);
    // the box's text starts where the ruler's 0 stands
    m_preview->setFrame(false);
    m_preview->setTextMargins(0, 0, 0, 0);
    m_preview->setStyleSheet(QStringLiteral("QLineEdit { padding: 0px; }"));
    layout->addWidget(m_ruler);
    layout->addWidget(m_preview);
    layout->setSpacing(0);
    return panel;
}

void FormatEditor::connectControls()
{
    // Every control hands its change to the draft; the window then shows the draft again.
    LayoutDraft& d = m_draft;
    connect(m_fieldList, &QTableView::clicked, this, [this, &d](const QModelIndex& index) {
        d.selectField(index.row());
        showDraft();
    });
    connect(m_exportFields, &QTableView::clicked, this, [this, &d](const QModelIndex& index) {
        d.selectRow(index.row());
        showDraft();
    });
    connect(m_add, &QPushButton::clicked, this, [this, &d] {
        d.addSelectedField();
        showDraft();
    });
    connect(m_remove, &QPushButton::clicked, this, [this, &d] {
        d.removeSelectedRow();
        showDraft();
    });
    connect(m_up, &QPushButton::clicked, this, [this, &d] {
        d.moveSelectedUp();
        showDraft();
    });
    connect(m_down, &QPushButton::clicked, this, [this, &d] {
        d.moveSelectedDown();
        showDraft();
    });
    connect(m_saveExit, &QPushButton::clicked, this, &FormatEditor::saveAndExit);
    connect(m_cancel, &QPushButton::clicked, this, &FormatEditor::exitEditor);
    connect(m_fileName, &QLineEdit::textChanged, this, [&d](const QString& name) { d.setFileName(name); });

    FieldFormatPanel* panel = m_fieldPanel;
    connect(panel, &FieldFormatPanel::widthKeyPressed, this, [&d](int code) { d.widthKeyPressed(code); });
    connect(panel, &FieldFormatPanel::widthEdited, this, [this, &d](const QString& text) {
        d.editWidth(text); // a refused text goes back to the width the row has
        showDraft();
    });
    connect(panel, &FieldFormatPanel::alignmentChosen, this, [this, &d](int index) {
        d.setAlignment(index);
        showDraft();
    });
    connect(panel, &FieldFormatPanel::padEdited, this, [this, &d](const QString& pad) {
        d.setPad(pad);
        showDraft();
    });
    connect(panel, &FieldFormatPanel::datePatternChosen, this, [&d](int index) { d.setDateIndex(index); });
    connect(panel, &FieldFormatPanel::timePatternChosen, this, [&d](int index) { d.setTimeIndex(index); });
    connect(panel, &FieldFormatPanel::yearFormChosen, this,
            [&d](const QString& form) { d.setYearForm(form); });
    connect(panel, &FieldFormatPanel::inTextEdited, this, [&d](const QString& text) { d.setInText(text); });
    connect(panel, &FieldFormatPanel::outTextEdited, this, [&d](const QString& text) { d.setOutText(text); });
    connect(panel, &FieldFormatPanel::inOnlyToggled, this, [this, &d](bool on) {
        d.setInOnly(on);
        showDraft();
    });
    connect(panel, &FieldFormatPanel::outOnlyToggled, this, [this, &d](bool on) {
        d.setOutOnly(on);
        showDraft();
    });

    connect(m_delimiterPanel, &DelimiterPanel::optionClicked, this, [this, &d](int option) {
        d.chooseDelimiter(option);
        showDraft();
    });
    connect(m_delimiterPanel, &DelimiterPanel::customTextEdited, this,
            [&d](const QString& text) { d.setCustomDelimiter(text); });
}

void FormatEditor::showDraft()
{
    showRow(*m_fieldList, m_draft.selectedField());
    showRow(*m_exportFields, m_draft.selectedRow());
    m_fieldPanel->showPanel(m_draft.panel());
    m_fieldPanel->showPatterns(m_draft.dateIndex(), m_draft.timeIndex());
    m_delimiterPanel->showChoice(m_draft.delimiterOption(), m_draft.customDelimiter());
    showText(*m_fileName, m_draft.fileName());
    showText(*m_viewName, m_draft.viewName());
    m_preview->setText(m_draft.preview());
}

void FormatEditor::setEditorMode(int mode)
{
    m_draft.setMode(mode == NewLayout ? LayoutDraft::Mode::New : LayoutDraft::Mode::Edit);
    showDraft();
}

void FormatEditor::setClock(std::function<QDate()> today)
{
    m_today = std::move(today);
    m_fieldPanel->captionEras(m_today().year());
}

FormatEditorHost* FormatEditor::host() const
{
    if (m_host)
        return m_host;
    if (m_context.windows)
        return dynamic_cast<FormatEditorHost*>(m_context.windows->find(WindowId::Export));
    return nullptr;
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
    const LayoutLoadResult result = m_draft.read(path);
    showDraft();
    // a hidden editor reads along with the export window, which reports the same values itself
    if (!result.warnings.isEmpty() && isVisible())
        m_context.prompter.message(Prompter::Icon::Warning, m_context.title,
                                   result.refused ? result.warnings.join(u'\n')
                                                  : QStringLiteral("The layout was loaded, but some values "
                                                                   "could not be used as stored:\n") +
                                                        result.warnings.join(u'\n'));
    return true;
}

void FormatEditor::exitEditor()
{
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

void FormatEditor::saveAndExit()
{
    const LayoutSaveResult result = m_draft.save(m_context.paths, ExportLayout::current());
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
    // In either mode the saved name is listed (the list takes no duplicate), chosen and loaded.
    const QString name = m_draft.fileName();
    if (FormatEditorHost* owner = host()) {
        owner->addLayoutName(name);
        owner->showLayoutName(name);
        owner->loadLayout(name);
    }
    exitEditor();
}
