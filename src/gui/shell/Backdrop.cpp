#include "gui/shell/Backdrop.h"

#include <QEvent>
#include <QMdiArea>

Backdrop::Backdrop(QMdiArea& area, const QPixmap& original)
    : QObject(&area), m_area(area), m_viewport(area.viewport()), m_picOriginal(original)
{
    m_viewport->installEventFilter(this);
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
    // only the pointer is compared: while the area is being destroyed its viewport still gets events
    if (event->type() == QEvent::Resize && watched == m_viewport)
        redraw();
    return QObject::eventFilter(watched, event);
}
