#pragma once

#include <QGroupBox>

class QButtonGroup;
class QLineEdit;

// The format editor's delimiter panel ("ตัวคั้นฟิลด์"): one option per DelimiterChoice option,
// with the custom box after "Custom..". It shows a choice and reports the operator's clicks and
// typing.
class DelimiterPanel final : public QGroupBox
{
    Q_OBJECT

public:
    explicit DelimiterPanel(QWidget* parent = nullptr);

    void showChoice(int option, const QString& customText);

Q_SIGNALS:
    void optionClicked(int option);
    void customTextEdited(const QString& text);

private:
    QButtonGroup* m_options;
    QLineEdit* m_custom;
};
