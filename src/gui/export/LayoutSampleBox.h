#pragma once

#include <QGroupBox>

class QLineEdit;

// The export window's sample frame: the preview line of the layout under a ruler that marks
// the character positions 0, 10, 20 ... 80, both in a fixed-pitch font.
class LayoutSampleBox final : public QGroupBox
{
    Q_OBJECT

public:
    explicit LayoutSampleBox(QWidget* parent = nullptr);

    void setSample(const QString& line);

private:
    QLineEdit* m_txtSimpleExport;
};
