#include "gui/terminal/ConversionProgressWindow.h"

#include "core/terminal/LogConversion.h"
#include "gui/shell/CenterChildWindow.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>

ConversionProgressWindow::ConversionProgressWindow(QWidget* mainWindow, QWidget* clientArea)
    : QWidget(clientArea ? clientArea : mainWindow, Qt::FramelessWindowHint), m_mainWindow(mainWindow),
      m_label1(new QLabel(QStringLiteral("Loading "), this)), m_label2(new QLabel(this))
{
    setObjectName(QStringLiteral("ConversionProgressWindow"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral(" 100.000000000000 %")));
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    auto* inner = new QHBoxLayout(frame);
    inner->setContentsMargins(24, 16, 24, 16);
    inner->addWidget(m_label1);
    inner->addWidget(m_label2);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    hide();
}

void ConversionProgressWindow::showCentered()
{
    adjustSize();
    if (m_mainWindow)
        centerChildWindow(*m_mainWindow, *this);
    show();
    raise();
    setFocus();
    repaint();
}

void ConversionProgressWindow::setProgress(qint64 done, qint64 total)
{
    m_label2->setText(conversionProgressText(done, total));
    m_label2->repaint();
}

void ConversionProgressWindow::keyPressEvent(QKeyEvent* event)
{
    Q_UNUSED(event);
    close();
}
