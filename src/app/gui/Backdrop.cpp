#include "app/gui/Backdrop.h"

#include <QEvent>
#include <QMdiArea>

Backdrop::Backdrop(QMdiArea& area, const QPixmap& original)
    : QObject(&area), m_area(area), m_picOriginal(original)
{
    m_area.viewport()->installEventFilter(this);
    redraw();
}

void Backdrop::redraw()
{
    const QSize size = m_area.viewport()->size();
    if (m_picOriginal.isNull() || size.isEmpty())
        return;
    m_picStretched = m_picOriginal.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_area.setBackground(QBrush(m_picStretched));
    m_area.viewport()->update();
}

bool Backdrop::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_area.viewport() && event->type() == QEvent::Resize)
        redraw();
    return QObject::eventFilter(watched, event);
}
