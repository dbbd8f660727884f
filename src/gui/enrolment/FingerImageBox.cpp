#include "gui/enrolment/FingerImageBox.h"

#include "core/enrolment/FingerImageView.h"

#include <QPainter>
#include <QResizeEvent>

FingerImageBox::FingerImageBox(FingerImageView& view, QWidget* parent) : QWidget(parent), m_view(view)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_view.setDisplaySize(size());
}

void FingerImageBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Mid));
    m_view.draw(painter);
}

void FingerImageBox::resizeEvent(QResizeEvent* event)
{
    m_view.setDisplaySize(event->size());
    QWidget::resizeEvent(event);
}
