#include "gui/layouts/DelimiterPanel.h"

#include "core/layouts/DelimiterChoice.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>

DelimiterPanel::DelimiterPanel(QWidget* parent)
    : QGroupBox(QStringLiteral("ตัวคั้นฟิลด์"), parent), m_options(new QButtonGroup(this)),
      m_custom(new QLineEdit(QStringLiteral("@@"), this))
{
    setObjectName(QStringLiteral("fraDelimiter"));
    m_custom->setObjectName(QStringLiteral("txtDelimiter"));
    m_custom->setMaximumWidth(m_custom->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMM")));
    auto* row = new QHBoxLayout(this);
    const QStringList& captions = DelimiterChoice::captions();
    for (int i = 0; i < DelimiterChoice::OptionCount; ++i) {
        auto* option = new QRadioButton(captions[i], this);
        option->setObjectName(QStringLiteral("optDelimiter_%1").arg(i));
        m_options->addButton(option, i);
        row->addWidget(option);
        if (i == DelimiterChoice::Custom)
            row->addWidget(m_custom);
    }
    row->addStretch();
    connect(m_options, &QButtonGroup::idClicked, this, &DelimiterPanel::optionClicked);
    connect(m_custom, &QLineEdit::textChanged, this, &DelimiterPanel::customTextEdited);
}

void DelimiterPanel::showChoice(int option, const QString& customText)
{
    if (QAbstractButton* button = m_options->button(option))
        button->setChecked(true);
    if (m_custom->text() != customText) {
        const QSignalBlocker block(m_custom);
        m_custom->setText(customText);
    }
}
