#pragma once

#include <QGroupBox>

struct FieldPanel;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;

// The format editor's field-format panel ("รูปแบบฟิลด์"): width, alignment and pad of the
// selected field, the date and time patterns, the era of years, and the entry and exit texts
// with the IN-only and OUT-only boxes. It shows a FieldPanel and reports what the operator
// changes; the editor decides what becomes of it.
class FieldFormatPanel final : public QGroupBox
{
    Q_OBJECT

public:
    explicit FieldFormatPanel(QWidget* parent = nullptr);

    // Shows the panel's controls and values; a box whose text is already right keeps its cursor.
    void showPanel(const FieldPanel& panel);
    // The era options' captions: the year and the year plus 543.
    void captionEras(int year);
    void showPatterns(int dateIndex, int timeIndex);

Q_SIGNALS:
    // A key pressed in the width box, with its character code (8 for backspace, 0 for none).
    void widthKeyPressed(int characterCode);
    void widthEdited(const QString& text);
    void alignmentChosen(int index);
    void padEdited(const QString& pad);
    void datePatternChosen(int index);
    void timePatternChosen(int index);
    void yearFormChosen(const QString& form);
    void inTextEdited(const QString& text);
    void outTextEdited(const QString& text);
    void inOnlyToggled(bool on);
    void outOnlyToggled(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void connectControls();

    QLabel* m_fieldName;
    QLabel* m_widthLabel;
    QLabel* m_alignmentLabel;
    QLabel* m_patternLabel;
    QLabel* m_inLabel;
    QLabel* m_outLabel;
    QLabel* m_yearLabel;
    QLabel* m_padLabel;
    QLineEdit* m_width;
    QComboBox* m_alignment;
    QLineEdit* m_pad;
    QComboBox* m_datePattern;
    QComboBox* m_timePattern;
    QRadioButton* m_christianEra;
    QRadioButton* m_buddhistEra;
    QFrame* m_inOutFrame;
    QLineEdit* m_inText;
    QLineEdit* m_outText;
    QCheckBox* m_inOnly;
    QCheckBox* m_outOnly;
};
