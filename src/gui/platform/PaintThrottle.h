#pragma once

#include <QObject>
#include <QTimer>

class QWidget;

// Keeps a widget that a long run changes row by row (a progress bar) from painting itself at
// every change: while held, the widget's own updates are off and it is painted every few
// milliseconds instead, whenever the run lets the event loop turn. A progress bar repaints at
// once on every new value, which for a million rows takes far longer than the rows themselves.
class PaintThrottle final : public QObject
{
public:
    explicit PaintThrottle(QWidget& widget, int intervalMs = 50);
    void hold(bool on);

private:
    void paintNow();

    QWidget& m_widget; // also the throttle's parent
    QTimer m_timer;
};
