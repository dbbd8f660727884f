#pragma once

#include <QDialog>

class QLabel;

// The about box: product title, version and a one-line description. Modal, closed by its
// close box; it has no buttons.
class AboutDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);

    // "Version " and the program's major.minor.patch.
    static QString versionText();

private:
    QLabel* m_lblTitle = nullptr;
    QLabel* m_lblVersion = nullptr;
    QLabel* m_lblDescription = nullptr;
};
