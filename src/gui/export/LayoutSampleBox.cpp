#include "gui/export/LayoutSampleBox.h"

#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

// 0, 10, 20 ... 80, one column per character.
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

} // namespace

LayoutSampleBox::LayoutSampleBox(QWidget* parent) : QGroupBox(QStringLiteral("ตัวอย่าง"), parent)
{
    setObjectName(QStringLiteral("fraSample"));
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* ruler = new QLabel(rulerText(), this);
    ruler->setObjectName(QStringLiteral("lblRuler"));
    ruler->setFont(fixed);
    m_txtSimpleExport = new QLineEdit(this);
    m_txtSimpleExport->setObjectName(QStringLiteral("txtSimpleExport"));
    m_txtSimpleExport->setFont(fixed);
    m_txtSimpleExport->setReadOnly(true);
    m_txtSimpleExport->setTextMargins(0, 0, 0, 0);
    auto* column = new QVBoxLayout(this);
    column->addWidget(ruler);
    column->addWidget(m_txtSimpleExport);
}

void LayoutSampleBox::setSample(const QString& line)
{
    m_txtSimpleExport->setText(line);
}
