#pragma once

#include "core/enrolment/EnrolUser.h"
#include "core/enrolment/FingerImageView.h"
#include "core/enrolment/FingerOperation.h"
#include "core/terminal/Tq90Client.h"

#include <QWidget>

struct AppContext;
class FingerImageBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// The enrolment window: connects to one terminal and runs the finger operations on it
// (enrol, verify, identify, capture), exchanges the key and opens the door. Results go to the
// status label; only connecting uses message boxes.
class EnrolmentWindow final : public QWidget
{
    Q_OBJECT

public:
    explicit EnrolmentWindow(AppContext& context, QWidget* parent = nullptr);
    ~EnrolmentWindow() override;

    int terminalHandle() const { return hTerminal; }
    FingerOperation& operation() { return m_operation; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void btnconnect_Click();
    void cmdEnroll_Click();
    void cmdVerify_Click();
    void cmdIdentify_Click();
    void cmdCapture_Click();
    void cmdStop_Click();
    void cmdExchangeKey_Click();
    void cmdOpenDoor_Click();

    // false: an operation runs, only stop (and the key exchange) can be pressed; true: idle.
    void setIdle(bool idle);
    // Shows the user dialog for the record's mode; true when the operator pressed OK.
    bool askUser(bool enrolMode);
    void startOperation(FingerOperation::Kind kind);
    void showImage(const QByteArray& image);
    void showProgress(int count);
    void operationFinished();
    void releaseTerminal();

    AppContext& m_context;
    Tq90Client m_client;
    int hTerminal = 0;
    FingerImageView m_view;
    EnrolUser m_user;
    FingerOperation m_operation;

    QLineEdit* m_txtIP;
    QLineEdit* m_txtPort;
    QPushButton* m_btnconnect;
    QPushButton* m_cmdEnroll;
    QPushButton* m_cmdVerify;
    QPushButton* m_cmdIdentify;
    QPushButton* m_cmdCapture;
    QPushButton* m_cmdOpenDoor;
    QPushButton* m_cmdExchangeKey;
    QPushButton* m_cmdStop;
    QLabel* m_lblMsg;
    QLabel* m_Label2;
    QProgressBar* m_barEnroll;
    QLabel* m_lblProgress;
    FingerImageBox* m_picImage;
};
