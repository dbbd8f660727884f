#include "gui/search/NumberPicker.h"

#include "gui/platform/AppContext.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

NumberPicker::NumberPicker(AppContext& context, const QString& listName, const QString& title,
                           QWidget* parent)
    : QWidget(parent), m_context(context), m_list(new QListWidget(this)),
      m_cmdOK(new QPushButton(QStringLiteral("ตกลง"), this)),
      m_cmdCancel(new QPushButton(QStringLiteral("ยกเลิก"), this))
{
    setWindowTitle(title);
    m_list->setObjectName(listName);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    resize(260, 340);

    connect(m_cmdOK, &QPushButton::clicked, this, &NumberPicker::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &NumberPicker::closeWindow);
}

bool NumberPicker::load(const Lister& lister)
{
    m_list->clear();
    m_numbers.clear();
    const Expected<QList<PickerEntry>> entries = lister();
    if (!entries) {
        listed(m_numbers);
        m_context.prompter.message(Prompter::Icon::Critical, windowTitle(),
                                   QStringLiteral("The list could not be read.\n%1\nCheck the database "
                                                  "connection and open the list again.")
                                       .arg(entries.error()));
        return false;
    }
    for (const PickerEntry& entry : *entries) {
        m_numbers.append(entry.number);
        m_list->addItem(entry.item);
    }
    listed(m_numbers);
    return true;
}

void NumberPicker::cmdOK_Click()
{
    QList<int> rows;
    for (int i = 0; i < m_list->count(); ++i) {
        if (m_list->item(i)->isSelected())
            rows.append(i);
    }
    rowsChosen(rows);
    const QString joined = joinSelectedNumbers(m_numbers, rows);
    if (!joined.isEmpty())
        Q_EMIT numbersChosen(joined);
    closeWindow();
}

void NumberPicker::rowsChosen(const QList<int>&) {}

void NumberPicker::listed(const QStringList&) {}

void NumberPicker::closeWindow()
{
    // Inside the main window the frame closes, which discards the picker.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}
