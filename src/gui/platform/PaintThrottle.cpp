#include "gui/platform/PaintThrottle.h"

#include <QWidget>

PaintThrottle::PaintThrottle(QWidget& widget, int intervalMs) : QObject(&widget), m_widget(widget)
{
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &PaintThrottle::paintNow);
}

void PaintThrottle::hold(bool on)
{
    if (on) {
        m_widget.setUpdatesEnabled(false);
        m_timer.start();
    } else {
        m_timer.stop();
        m_widget.setUpdatesEnabled(true);
    }
}

void PaintThrottle::paintNow()
{
    m_widget.setUpdatesEnabled(true);
    m_widget.repaint();
    m_widget.setUpdatesEnabled(false);
}
