#include "gui/enrolment/EnrolmentWindow.h"

#include "core/platform/IniFile.h"
#include "core/terminal/Tq90Result.h"
#include "gui/enrolment/FingerImageBox.h"
#include "gui/enrolment/UserDialog.h"
#include "gui/platform/AppContext.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int ImageWidth = 320;
constexpr int ImageHeight = 480;
const QString SettingsSection = QStringLiteral("text");

template <typename T> T* named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}
} // namespace

EnrolmentWindow::EnrolmentWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_operation(m_client),
      m_txtIP(named(new QLineEdit(this), "txtIP")), m_txtPort(named(new QLineEdit(this), "txtPort")),
      m_btnconnect(named(new QPushButton(QStringLiteral("Connect"), this), "btnconnect")),
      m_cmdEnroll(named(new QPushButton(QStringLiteral("เพิ่มลายนิ้วมือ"), this), "cmdEnroll")),
      m_cmdVerify(named(new QPushButton(QStringLiteral("ตรวจสอบ"), this), "cmdVerify")),
      m_cmdIdentify(named(new QPushButton(QStringLiteral("ค้นหา"), this), "cmdIdentify")),
      m_cmdCapture(named(new QPushButton(QStringLiteral("ดูภาพลายนิ้วมือ"), this), "cmdCapture")),
      m_cmdOpenDoor(named(new QPushButton(QStringLiteral("เปิดประตู"), this), "cmdOpenDoor")),
      m_cmdExchangeKey(named(new QPushButton(QStringLiteral("Exchange &Key"), this), "cmdExchangeKey")),
      m_cmdStop(named(new QPushButton(QStringLiteral("หยุด"), this), "cmdStop")),
      m_lblMsg(named(new QLabel(this), "lblMsg")), m_Label2(named(new QLabel(this), "Label2")),
      m_barEnroll(named(new QProgressBar(this), "barEnroll")),
      m_lblProgress(named(new QLabel(this), "lblProgress")),
      m_picImage(named(new FingerImageBox(m_view, this), "picImage"))
{
    setObjectName(QStringLiteral("EnrolmentWindow"));
    setWindowTitle(QStringLiteral("TQ90 Enroll User & Finger"));

    auto* heading = named(new QLabel(QStringLiteral("Add User & Enroll finger"), this), "lblHeading");
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.4);
    heading->setFont(headingFont);

    auto* connection = new QHBoxLayout;
    connection->addWidget(new QLabel(QStringLiteral("IP Address :"), this));
    connection->addWidget(m_txtIP, 3);
    connection->addWidget(new QLabel(QStringLiteral("Port :"), this));
    connection->addWidget(m_txtPort, 1);
    connection->addWidget(m_btnconnect);

    auto* operations = new QGridLayout;
    operations->addWidget(m_cmdEnroll, 0, 0);
    operations->addWidget(m_cmdVerify, 0, 1);
    operations->addWidget(m_cmdIdentify, 1, 0);
    operations->addWidget(m_cmdCapture, 1, 1);
    operations->addWidget(m_cmdOpenDoor, 2, 0);
    operations->addWidget(m_cmdExchangeKey, 2, 1);
    operations->addWidget(m_cmdStop, 3, 0, 1, 2);

    m_barEnroll->setRange(0, FingerOperation::SampleCount);
    m_barEnroll->setTextVisible(false);
    // The bar comes and goes with each enrolment; its room stays so nothing else moves.
    for (QWidget* w : {static_cast<QWidget*>(m_barEnroll), static_cast<QWidget*>(m_lblProgress)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
        w->hide();
    }
    auto* progress = new QHBoxLayout;
    progress->addWidget(m_barEnroll, 1);
    progress->addWidget(m_lblProgress);

    m_lblMsg->setWordWrap(true);
    m_lblMsg->setMinimumHeight(m_lblMsg->fontMetrics().height() * 2);
    m_lblMsg->setFrameShape(QFrame::StyledPanel);

    auto* left = new QVBoxLayout;
    left->addLayout(operations);
    left->addWidget(m_Label2);
    left->addLayout(progress);
    left->addWidget(m_lblMsg);
    left->addStretch();

    m_picImage->setFixedSize(ImageWidth * 5 / 8, ImageHeight * 5 / 8);
    auto* body = new QHBoxLayout;
    body->addLayout(left, 1);
    body->addWidget(m_picImage, 0, Qt::AlignTop);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(connection);
    layout->addLayout(body);

    for (QPushButton* b :
         {m_cmdEnroll, m_cmdVerify, m_cmdIdentify, m_cmdCapture, m_cmdOpenDoor, m_cmdExchangeKey, m_cmdStop})
        b->setEnabled(false);

    connect(m_btnconnect, &QPushButton::clicked, this, &EnrolmentWindow::btnconnect_Click);
    connect(m_cmdEnroll, &QPushButton::clicked, this, &EnrolmentWindow::cmdEnroll_Click);
    connect(m_cmdVerify, &QPushButton::clicked, this, &EnrolmentWindow::cmdVerify_Click);
    connect(m_cmdIdentify, &QPushButton::clicked, this, &EnrolmentWindow::cmdIdentify_Click);
    connect(m_cmdCapture, &QPushButton::clicked, this, &EnrolmentWindow::cmdCapture_Click);
    connect(m_cmdStop, &QPushButton::clicked, this, &EnrolmentWindow::cmdStop_Click);
    connect(m_cmdExchangeKey, &QPushButton::clicked, this, &EnrolmentWindow::cmdExchangeKey_Click);
    connect(m_cmdOpenDoor, &QPushButton::clicked, this, &EnrolmentWindow::cmdOpenDoor_Click);
    connect(&m_operation, &FingerOperation::message, m_lblMsg, &QLabel::setText);
    connect(&m_operation, &FingerOperation::imageDownloaded, this, &EnrolmentWindow::showImage);
    connect(&m_operation, &FingerOperation::sampleStored, this, &EnrolmentWindow::showProgress);
    connect(&m_operation, &FingerOperation::finished, this, &EnrolmentWindow::operationFinished);

    if (!m_view.prepare(ImageWidth, ImageHeight, 8)) {
        m_context.prompter.message(Prompter::Icon::Critical, m_context.title,
                                   QStringLiteral("PrepareView Failed!"));
        return;
    }
    const QString settings = m_context.paths.settingsFile();
    m_txtIP->setText(readIniValue(SettingsSection, QStringLiteral("IP"), {}, settings));
    m_txtPort->setText(
        readIniValue(SettingsSection, QStringLiteral("Port"), QStringLiteral("5001"), settings));
}

EnrolmentWindow::~EnrolmentWindow()
{
    releaseTerminal();
}

void EnrolmentWindow::closeEvent(QCloseEvent* event)
{
    // A wait still running ends at its next round without touching the terminal again.
    m_operation.requestStop();
    releaseTerminal();
    QWidget::closeEvent(event);
}

void EnrolmentWindow::releaseTerminal()
{
    if (hTerminal != 0) {
        m_client.Tq90Terminate(hTerminal);
        hTerminal = 0;
    }
}

void EnrolmentWindow::btnconnect_Click()
{
    const QString ip = m_txtIP->text().trimmed();
    if (ip.isEmpty()) {
        m_context.prompter.message(Prompter::Icon::Question, m_context.title,
                                   QStringLiteral("IP address is required!"));
        return;
    }
    bool isNumber = false;
    const int port = m_txtPort->text().trimmed().toInt(&isNumber);
    if (!isNumber || port < 1 || port > 65535) {
        m_context.prompter.message(Prompter::Icon::Question, m_context.title,
                                   QStringLiteral("Port number is invalid! Range:1-65535"));
        return;
    }
    int handle = 0;
    const int result = m_client.Tq90Initialize(handle, ip, port);
    if (result != Tq90Result::Ok) {
        m_context.prompter.message(Prompter::Icon::Critical, m_context.title,
                                   QStringLiteral("Failed to connect to TQ90!"));
        m_lblMsg->setText(Tq90ErrorText(result));
        return;
    }
    hTerminal = handle;
    m_btnconnect->setEnabled(false);
    for (QPushButton* b :
         {m_cmdEnroll, m_cmdIdentify, m_cmdOpenDoor, m_cmdVerify, m_cmdCapture, m_cmdExchangeKey})
        b->setEnabled(true);
    m_lblMsg->clear();
    const QString settings = m_context.paths.settingsFile();
    writeIniValue(SettingsSection, QStringLiteral("IP"), m_txtIP->text(), settings);
    writeIniValue(SettingsSection, QStringLiteral("Port"), m_txtPort->text(), settings);
}

void EnrolmentWindow::setIdle(bool idle)
{
    m_cmdStop->setEnabled(!idle);
    for (QPushButton* b : {m_cmdCapture, m_cmdVerify, m_cmdEnroll, m_cmdIdentify, m_cmdOpenDoor})
        b->setEnabled(idle);
    (idle ? m_cmdCapture : m_cmdStop)->setFocus();
}

bool EnrolmentWindow::askUser(bool enrolMode)
{
    m_user.EnrolMode = enrolMode;
    UserDialog dialog(m_context, m_user, this);
    dialog.exec();
    return m_user.DialogAccepted;
}

void EnrolmentWindow::startOperation(FingerOperation::Kind kind)
{
    setIdle(false);
    m_operation.start(kind, hTerminal, m_user);
}

void EnrolmentWindow::cmdEnroll_Click()
{
    m_user.FingerName.clear();
    if (!askUser(true))
        return;
    m_Label2->setText(m_user.FingerName);
    m_barEnroll->setValue(0);
    m_lblProgress->clear();
    m_barEnroll->show();
    m_lblProgress->show();
    startOperation(FingerOperation::Kind::Enrol);
}

void EnrolmentWindow::cmdVerify_Click()
{
    if (!askUser(false))
        return;
    startOperation(FingerOperation::Kind::Verify);
}

void EnrolmentWindow::cmdIdentify_Click()
{
    startOperation(FingerOperation::Kind::Identify);
}

void EnrolmentWindow::cmdCapture_Click()
{
    startOperation(FingerOperation::Kind::Capture);
}

void EnrolmentWindow::cmdStop_Click()
{
    m_operation.requestStop();
}

void EnrolmentWindow::cmdExchangeKey_Click()
{
    const int result = m_client.Tq90ExchangeKey(hTerminal);
    m_lblMsg->setText(result == Tq90Result::Ok ? QStringLiteral("Exchange Key successfully!")
                                               : Tq90ErrorText(result));
}

void EnrolmentWindow::cmdOpenDoor_Click()
{
    const int result = m_client.Tq90OpenDoor(hTerminal);
    m_lblMsg->setText(result == Tq90Result::Ok ? QStringLiteral("เปิดประตูเรียบร้อย") : Tq90ErrorText(result));
}

void EnrolmentWindow::showImage(const QByteArray& image)
{
    if (m_view.showImage(image))
        m_picImage->update();
}

void EnrolmentWindow::showProgress(int count)
{
    m_barEnroll->setValue(count);
    m_lblProgress->setText(QString::number(count) + QStringLiteral("/5"));
}

void EnrolmentWindow::operationFinished()
{
    setIdle(true);
    // The bar comes and goes with each enrolment; its room stays so nothing else moves.
    for (QWidget* w : {static_cast<QWidget*>(m_barEnroll), static_cast<QWidget*>(m_lblProgress)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
        w->hide();
    }
}
