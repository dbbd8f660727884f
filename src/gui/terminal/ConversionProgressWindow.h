#pragma once

#include <QWidget>

class QLabel;

// The conversion's progress window: a small captionless child of the main window reading
// "Loading " and the percentage done. Any key pressed while it has the focus closes it.
class ConversionProgressWindow final : public QWidget
{
    Q_OBJECT

public:
    explicit ConversionProgressWindow(QWidget* mainWindow);
    // Places the window in the main window as every child window is placed, shows and paints it.
    void showCentered();
    // Shows done of total as " 42 %"; paints at once, as the conversion holds the window's thread.
    void setProgress(qint64 done, qint64 total);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* m_label1;
    QLabel* m_label2;
};
