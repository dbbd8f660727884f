#pragma once

#include <QWidget>

class QLabel;

// The conversion's progress window: a small captionless child of the main window reading
// "Loading " and the percentage done. Any key pressed while it has the focus closes it.
class ConversionProgressWindow final : public QWidget
{
    Q_OBJECT

public:
    // clientArea is where the main window shows its child windows (the MDI area's viewport); the
    // window lives there, so it is placed in the same coordinates as every other child window.
    // Without one it lives directly in mainWindow.
    explicit ConversionProgressWindow(QWidget* mainWindow, QWidget* clientArea = nullptr);
    // Places the window as every child window is placed, shows and paints it.
    void showCentered();
    // Shows done of total as " 42 %"; paints at once, as the conversion holds the window's thread.
    void setProgress(qint64 done, qint64 total);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* m_mainWindow;
    QLabel* m_label1;
    QLabel* m_label2;
};
