#include "gui/shell/CenterChildWindow.h"

#include "gui/shell/ChildPlacement.h"

#include <QMdiSubWindow>
#include <QWidget>

void centerChildWindow(QWidget& main, QWidget& child)
{
    QWidget* placed = &child;
    if (auto* frame = qobject_cast<QMdiSubWindow*>(child.parentWidget()))
        placed = frame;
    const bool normal =
        !(main.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    const double twipsX = 1440.0 / main.logicalDpiX();
    const double twipsY = 1440.0 / main.logicalDpiY();
    const QSize mainSize = main.frameGeometry().size();
    const QSize childSize = placed->frameGeometry().size();
    const std::optional<QPoint> twips =
        ChildPlacement::centredPosition(normal, mainSize.width() * twipsX, mainSize.height() * twipsY,
                                        childSize.width() * twipsX, childSize.height() * twipsY);
    if (!twips)
        return;
    placed->move(qRound(twips->x() / twipsX), qRound(twips->y() / twipsY));
}
