#include "gui/layouts/FieldFormatPanel.h"

#include "core/layouts/ExportLayout.h"
#include "core/layouts/FieldPanel.h"
#include "core/layouts/WidthEntry.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace {

template <typename T> T* named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

void showText(QLineEdit& box, const QString& text)
{
    if (box.text() == text)
        return;
    const QSignalBlocker block(&box);
    box.setText(text);
}

void showChecked(QCheckBox& box, bool on)
{
    const QSignalBlocker block(&box);
    box.setChecked(on);
}

} // namespace

// The object names are those the editor's controls have always had; the tests find them by them.
FieldFormatPanel::FieldFormatPanel(QWidget* parent)
    : QGroupBox(QStringLiteral("รูปแบบฟิลด์"), parent), m_fieldName(named(new QLabel(this), "Label1")),
      m_widthLabel(named(new QLabel(QStringLiteral("ความกวาง"), this), "lbl_1")),
      m_alignmentLabel(named(new QLabel(QStringLiteral("ตำแหน่ง"), this), "lbl_2")),
      m_patternLabel(named(new QLabel(QStringLiteral("รูปแบบ"), this), "lbl_3")),
      m_inLabel(named(new QLabel(QStringLiteral("เข้า ="), this), "lbl_5")),
      m_outLabel(named(new QLabel(QStringLiteral("ออก ="), this), "lbl_6")),
      m_yearLabel(named(new QLabel(QStringLiteral("รูปแบบปี"), this), "lbl_7")),
      m_padLabel(named(new QLabel(QStringLiteral("ตัวแทรก"), this), "lbl_8")),
      m_width(named(new QLineEdit(this), "txtFormatData_1")),
      m_alignment(named(new QComboBox(this), "cmbAlignmentData")),
      m_pad(named(new QLineEdit(QStringLiteral("0"), this), "txtStr")),
      m_datePattern(named(new QComboBox(this), "cmbDataFormat")),
      m_timePattern(named(new QComboBox(this), "combformatTime")),
      m_christianEra(named(new QRadioButton(this), "Option1")),
      m_buddhistEra(named(new QRadioButton(this), "Option2")),
      m_inOutFrame(named(new QFrame(this), "XPFrame1")),
      m_inText(named(new QLineEdit(QStringLiteral("1"), this), "txtIN")),
      m_outText(named(new QLineEdit(QStringLiteral("2"), this), "txtOUT")),
      m_inOnly(named(new QCheckBox(QStringLiteral("เข้าอย่างเดียว"), this), "optIN")),
      m_outOnly(named(new QCheckBox(QStringLiteral("ออกอย่างเดียว"), this), "optOUT"))
{
    setObjectName(QStringLiteral("fraFieldFormat"));
    m_alignment->addItems({QStringLiteral("Left"), QStringLiteral("Right"), QStringLiteral("Center")});
    m_datePattern->addItems(ExportLayout::datePatterns());
    m_timePattern->addItems(ExportLayout::timePatterns());
    m_width->installEventFilter(this);
    buildLayout();
    connectControls();
    showPanel(FieldPanel());
}

void FieldFormatPanel::buildLayout()
{
    auto* eras = new QButtonGroup(this);
    eras->addButton(m_christianEra);
    eras->addButton(m_buddhistEra);
    auto* eraRow = new QHBoxLayout;
    eraRow->addWidget(m_christianEra);
    eraRow->addWidget(m_buddhistEra);
    eraRow->addStretch();

    auto* inOut = new QGridLayout(m_inOutFrame);
    m_inOutFrame->setFrameShape(QFrame::StyledPanel);
    inOut->addWidget(m_inLabel, 0, 0);
    inOut->addWidget(m_inText, 0, 1);
    inOut->addWidget(m_outLabel, 1, 0);
    inOut->addWidget(m_outText, 1, 1);

    QFont bold = m_fieldName->font();
    bold.setBold(true);
    m_fieldName->setFont(bold);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_fieldName, 0, 0, 1, 2);
    grid->addWidget(m_widthLabel, 1, 0);
    grid->addWidget(m_width, 1, 1);
    grid->addWidget(m_alignmentLabel, 2, 0);
    grid->addWidget(m_alignment, 2, 1);
    grid->addWidget(m_padLabel, 3, 0);
    grid->addWidget(m_pad, 3, 1);
    grid->addWidget(m_patternLabel, 4, 0);
    grid->addWidget(m_datePattern, 4, 1);
    grid->addWidget(m_timePattern, 4, 1); // shown instead of the date patterns for "Time"
    grid->addWidget(m_yearLabel, 5, 0);
    grid->addLayout(eraRow, 5, 1);
    grid->addWidget(m_inOutFrame, 6, 0, 1, 2);
    grid->addWidget(m_inOnly, 7, 0, 1, 2);
    grid->addWidget(m_outOnly, 8, 0, 1, 2);
    grid->setRowStretch(9, 1);
    grid->setColumnStretch(1, 1);
}

void FieldFormatPanel::connectControls()
{
    connect(m_width, &QLineEdit::textChanged, this, &FieldFormatPanel::widthEdited);
    connect(m_alignment, &QComboBox::currentIndexChanged, this, &FieldFormatPanel::alignmentChosen);
    connect(m_pad, &QLineEdit::textChanged, this, &FieldFormatPanel::padEdited);
    connect(m_datePattern, &QComboBox::currentIndexChanged, this, &FieldFormatPanel::datePatternChosen);
    connect(m_timePattern, &QComboBox::currentIndexChanged, this, &FieldFormatPanel::timePatternChosen);
    connect(m_christianEra, &QRadioButton::clicked, this,
            [this] { Q_EMIT yearFormChosen(QStringLiteral("EN")); });
    connect(m_buddhistEra, &QRadioButton::clicked, this,
            [this] { Q_EMIT yearFormChosen(QStringLiteral("TH")); });
    connect(m_inText, &QLineEdit::textChanged, this, &FieldFormatPanel::inTextEdited);
    connect(m_outText, &QLineEdit::textChanged, this, &FieldFormatPanel::outTextEdited);
    connect(m_inOnly, &QCheckBox::toggled, this, &FieldFormatPanel::inOnlyToggled);
    connect(m_outOnly, &QCheckBox::toggled, this, &FieldFormatPanel::outOnlyToggled);
}

void FieldFormatPanel::showPanel(const FieldPanel& panel)
{
    m_fieldName->setText(panel.fieldName);
    m_widthLabel->setVisible(panel.widthShown);
    m_width->setVisible(panel.widthShown);
    m_alignmentLabel->setVisible(panel.alignmentShown);
    m_alignment->setVisible(panel.alignmentShown);
    m_padLabel->setVisible(panel.padShown);
    m_pad->setVisible(panel.padShown);
    m_patternLabel->setVisible(panel.datePatternShown || panel.timePatternShown);
    m_datePattern->setVisible(panel.datePatternShown);
    m_timePattern->setVisible(panel.timePatternShown);
    m_yearLabel->setVisible(panel.eraShown);
    m_christianEra->setVisible(panel.eraShown);
    m_buddhistEra->setVisible(panel.eraShown);
    m_inOutFrame->setVisible(panel.inOutShown);
    m_inOnly->setVisible(panel.onlyBoxesShown);
    m_outOnly->setVisible(panel.onlyBoxesShown);
    // the header row is no field: while it is selected the controls edit nothing
    for (QWidget* w : std::initializer_list<QWidget*>{m_width, m_alignment, m_pad, m_inOnly, m_outOnly,
                                                      m_inText, m_outText})
        w->setEnabled(panel.editable);

    showText(*m_width, panel.width);
    showText(*m_pad, panel.pad);
    showText(*m_inText, panel.inText);
    showText(*m_outText, panel.outText);
    {
        const QSignalBlocker block(m_alignment);
        m_alignment->setCurrentIndex(panel.alignment);
    }
    (panel.buddhistEra ? m_buddhistEra : m_christianEra)->setChecked(true);
    showChecked(*m_inOnly, panel.inOnly);
    showChecked(*m_outOnly, panel.outOnly);
}

void FieldFormatPanel::captionEras(int year)
{
    m_christianEra->setText(QString::number(year));
    m_buddhistEra->setText(QString::number(year + 543));
}

void FieldFormatPanel::showPatterns(int dateIndex, int timeIndex)
{
    const QSignalBlocker blockDate(m_datePattern);
    const QSignalBlocker blockTime(m_timePattern);
    m_datePattern->setCurrentIndex(dateIndex);
    m_timePattern->setCurrentIndex(timeIndex);
}

bool FieldFormatPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_width && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Backspace)
            Q_EMIT widthKeyPressed(WidthEntry::Backspace);
        else if (!key->text().isEmpty() && key->text().front().isPrint())
            Q_EMIT widthKeyPressed(key->text().front().unicode());
    }
    return QGroupBox::eventFilter(watched, event);
}
