#pragma once

#include <QWidget>

class FingerImageView;

// The picture box of the enrolment window: paints the view's kept image stretched over the
// whole box, so the image survives every repaint. The box tells the view its size.
class FingerImageBox final : public QWidget
{
    Q_OBJECT

public:
    explicit FingerImageBox(FingerImageView& view, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    FingerImageView& m_view;
};
