#pragma once

#include <QObject>
#include <QPixmap>

class QMdiArea;

// The picture behind the child windows: the designed image (picOriginal) stretched to the
// frame's client area (picStretched), aspect ratio not kept, and set as the area's background.
// Redrawn whenever the client area changes size; the main window also calls redraw() when it
// is activated.
class Backdrop final : public QObject
{
    Q_OBJECT

public:
    Backdrop(QMdiArea& area, const QPixmap& original);

    void redraw();
    const QPixmap& original() const { return m_picOriginal; }
    const QPixmap& stretched() const { return m_picStretched; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMdiArea& m_area;
    QWidget* m_viewport;
    QPixmap m_picOriginal;
    QPixmap m_picStretched;
};
