#include "enrol/gui/FingerImageBox.h"

#include "enrol/ViewWnd.h"

#include <QPainter>
#include <QResizeEvent>

FingerImageBox::FingerImageBox(ViewWnd& view, QWidget* parent) : QWidget(parent), m_view(view)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_view.setDisplaySize(size());
}

void FingerImageBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Mid));
    m_view.DrawView(painter);
}

void FingerImageBox::resizeEvent(QResizeEvent* event)
{
    m_view.setDisplaySize(event->size());
    QWidget::resizeEvent(event);
}
