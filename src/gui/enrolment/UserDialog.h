#pragma once

#include <QDialog>

struct AppContext;
struct EnrolUser;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The modal dialog that names the user and finger to enrol or verify. It fills the record it
// is given; the record's EnrolMode decides which of the two forms it shows.
class UserDialog final : public QDialog
{
    Q_OBJECT

public:
    UserDialog(AppContext& context, EnrolUser& record, QWidget* parent = nullptr);

private:
    void cmdOK_Click();

    AppContext& m_context;
    EnrolUser& m_record;
    QLineEdit* m_txtUID;
    QLineEdit* m_txtGID;
    QComboBox* m_comboFID;
    QComboBox* m_comboSL;
    QComboBox* m_comboVO;
    QLabel* m_lblSL;
    QLabel* m_lblVO;
};
