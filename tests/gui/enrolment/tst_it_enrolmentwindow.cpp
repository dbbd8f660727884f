#include "core/enrolment/FingerOperation.h"
#include "fixtures/MainWindowSession.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"
#include "fixtures/Tq90SimProcess.h"
#include "gui/enrolment/EnrolmentWindow.h"
#include "gui/enrolment/UserDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTimer>

namespace {

const QString PlaceFinger = QStringLiteral("วางนิ้วมือลงบน TQ90...");
const QString Canceled = QStringLiteral("Operation canceled by user!");
const QString Idle = QStringLiteral("cmdEnroll cmdVerify cmdIdentify cmdCapture cmdOpenDoor cmdExchangeKey");

// Answers the user dialog once it is shown modally: "cancel", or "user group" and optionally
// "finger level VIP", then OK. A dialog that refused OK tells its title and the finger, level and
// VIP choices it offered ("-" for those hidden), and is cancelled.
void answerUserDialog(const QString& answer, QString* refusal = nullptr)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer, refusal] {
        auto* dialog = qobject_cast<UserDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->deleteLater();
        const QStringList v = answer.split(u' ');
        if (v.size() >= 2) {
            Gui::type(dialog, "txtUID", v[0]);
            Gui::type(dialog, "txtGID", v[1]);
        }
        if (v.size() == 5) {
            Gui::child<QComboBox>(dialog, "comboFID")->setCurrentIndex(v[2].toInt());
            Gui::child<QComboBox>(dialog, "comboSL")->setCurrentText(v[3]);
            Gui::child<QComboBox>(dialog, "comboVO")->setCurrentText(v[4]);
        }
        QStringList offered{dialog->windowTitle()};
        for (const char* name : {"comboFID", "comboSL", "comboVO"}) {
            auto* list = Gui::child<QComboBox>(dialog, name);
            offered << (list->isVisible() ? list->currentText() : u"-"_qs);
        }
        if (v[0] != u"cancel")
            Gui::click(dialog, "cmdOK");
        if (refusal)
            *refusal = dialog->isVisible() ? offered.join(u'|') : QString();
        if (dialog->isVisible())
            Gui::click(dialog, "cmdCancel");
    });
    timer->start();
}

} // namespace

// The enrolment window of side-bar item 4 inside the real main window, against tq90-sim.
class TestEnrolmentWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup()
    {
        m_session.reset();
        m_sim.stop();
    }
    void refusedConnects_data();
    void refusedConnects();
    void enrolment_data();
    void enrolment();
    void operationsAndClosing();

private:
    QString message() { return Gui::child<QLabel>(m_window, "lblMsg")->text(); }
    void open();
    void connectTo(const QString& ip, const QString& port);
    void enabled(const QString& buttons) // exactly these of the commands are enabled
    {
        for (const char* name : {"cmdEnroll", "cmdVerify", "cmdIdentify", "cmdCapture", "cmdOpenDoor",
                                 "cmdExchangeKey", "cmdStop"})
            QVERIFY2(Gui::child(m_window, name)->isEnabled() ==
                         buttons.split(u' ').contains(QLatin1String(name)),
                     name);
    }

    Tq90SimProcess m_sim;
    std::unique_ptr<MainWindowSession> m_session;
    QPointer<EnrolmentWindow> m_window;
};

void TestEnrolmentWindow::init()
{
    QVERIFY(m_sim.start());
    m_session = std::make_unique<MainWindowSession>();
    open();
}

void TestEnrolmentWindow::open()
{
    m_session->clickItem(4);
    m_window = m_session->window<EnrolmentWindow>(WindowId::Enroll);
    QVERIFY(m_window && m_window->isVisible());
    m_window->operation().setPollInterval(5);
}

void TestEnrolmentWindow::connectTo(const QString& ip, const QString& port)
{
    Gui::type(m_window, "txtIP", ip);
    Gui::type(m_window, "txtPort", port == u"sim" ? QString::number(m_sim.port()) : port);
    Gui::click(m_window, "btnconnect");
}

void TestEnrolmentWindow::refusedConnects_data()
{
    addColumns<QString, QString, QString>({"ip", "port", "message"}); // "closed": a port nobody listens on
    const QString badPort = u"Port number is invalid! Range:1-65535"_qs;
    addRow("blank IP, before the port", u"  "_qs, u"x"_qs, u"IP address is required!"_qs);
    addRow("port 0", u"127.0.0.1"_qs, u"0"_qs, badPort);
    addRow("port 65536", u"127.0.0.1"_qs, u"65536"_qs, badPort);
    addRow("port 1 is tried", u"127.0.0.1"_qs, u"1"_qs, u"Failed to connect to TQ90!"_qs);
    addRow("port 65535 is tried", u"127.0.0.1"_qs, u"65535"_qs, u"Failed to connect to TQ90!"_qs);
    addRow("port not a number", u"127.0.0.1"_qs, u"50o1"_qs, badPort);
    addRow("nobody listens", u"127.0.0.1"_qs, u"closed"_qs, u"Failed to connect to TQ90!"_qs);
}

void TestEnrolmentWindow::refusedConnects()
{
    QFETCH(QString, ip);
    QFETCH(QString, port);
    QFETCH(QString, message);
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const QString closed = QString::number(probe.serverPort());
    probe.close();
    connectTo(ip, port == u"closed" ? closed : port);
    QCOMPARE(m_session->prompter().texts(), QStringList{message});
    const bool refused = !message.startsWith(u"Failed");
    QCOMPARE(m_session->prompter().last().icon,
             refused ? Prompter::Icon::Question : Prompter::Icon::Critical);
    QCOMPARE(this->message(), refused ? QString() : u"Internal socket error!"_qs);
    QVERIFY(Gui::child(m_window, "btnconnect")->isEnabled());
    enabled({});
    QVERIFY(!QFile::exists(m_session->paths().settingsFile()));
}

void TestEnrolmentWindow::enrolment_data()
{
    // samples "from-to" (placed, taken, lifted but the last), terminal commands ("_" for blanks),
    // "stop", "wait" for the finger; the message at the end; the templates stored
    addColumns<QString, QString, QString>({"steps", "message", "templates"});
    const QString enrolled = u"1001 is enrolled successfully!"_qs;
    addRow("five samples", u"1-5 lift"_qs, enrolled, u"1 1001:3:5:7"_qs);
    addRow("a failed capture is taken again", u"1-1 capture-fail_65_1 lift 2-5 lift"_qs, enrolled,
           u"1 1001:3:5:7"_qs);
    addRow("process failure on sample three", u"1-2 fail_ProcessImage_67 lift wait place_1001_5"_qs,
           u"Captured image is too little points!"_qs, u"0"_qs);
    addRow("stop after sample five stores nothing", u"1-5 stop lift"_qs, Canceled, u"0"_qs);
    addRow("lost connection ends the wait", u"1-1 misbehave_CheckFinger_drop"_qs,
           u"Internal socket error!"_qs, u"0"_qs);
}

void TestEnrolmentWindow::enrolment()
{
    QFETCH(QString, steps);
    QFETCH(QString, message);
    QFETCH(QString, templates);
    connectTo(u"127.0.0.1"_qs, u"sim"_qs);
    QSignalSpy finished(&m_window->operation(), &FingerOperation::finished);
    answerUserDialog(u"1001 3 5 3 VIP"_qs);
    Gui::click(m_window, "cmdEnroll");
    QTRY_COMPARE(this->message(), PlaceFinger);
    QCOMPARE(Gui::child<QLabel>(m_window, "Label2")->text(), u"Right thumb"_qs);
    QVERIFY(Gui::child(m_window, "barEnroll")->isVisible());
    enabled(u"cmdStop cmdExchangeKey"_qs);
    for (const QString& step : steps.split(u' ')) {
        const int to = step.section(u'-', 1).toInt();
        for (int s = step.section(u'-', 0, 0).toInt(); s > 0 && s <= to; ++s) {
            QTRY_COMPARE(this->message(), PlaceFinger);
            QVERIFY(m_sim.ok(u"place 1001 5"_qs));
            QTRY_COMPARE(Gui::child<QLabel>(m_window, "lblProgress")->text(), QStringLiteral("%1/5").arg(s));
            QTRY_COMPARE(this->message(), u"ยกนิ้วมือขึ้นออกจาก TQ90..."_qs);
            QVERIFY(s == to || m_sim.ok(u"lift"_qs));
        }
        if (step == u"stop")
            Gui::click(m_window, "cmdStop");
        else if (step == u"wait")
            QTRY_COMPARE(this->message(), PlaceFinger);
        else if (!step.front().isDigit())
            QVERIFY(m_sim.ok(QString(step).replace(u'_', u' ')));
    }
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(this->message(), message);
    QCOMPARE(m_sim.command(u"templates"_qs), u"ok templates "_qs + templates);
    QVERIFY(!Gui::child(m_window, "barEnroll")->isVisible());
    enabled(Idle);
    if (templates == u"0")
        return;
    // the enrolled finger is identified and verified
    QVERIFY(m_sim.ok(u"place 1001 5"_qs));
    Gui::click(m_window, "cmdIdentify");
    QTRY_COMPARE(this->message(), u"รหัส  1001"_qs);
    answerUserDialog(u"1001 3 5 3 VIP"_qs);
    Gui::click(m_window, "cmdVerify");
    QTRY_COMPARE(this->message(), u"Verify successfully!"_qs);
}

void TestEnrolmentWindow::operationsAndClosing()
{
    QCOMPARE(Gui::child<QLineEdit>(m_window, "txtPort")->text(), u"5001"_qs);
    connectTo(u" 127.0.0.1 "_qs, QString::number(m_sim.port()).prepend(u' '));
    QVERIFY2(m_session->prompter().shown().isEmpty(), qPrintable(m_session->prompter().texts().join(u'|')));
    QVERIFY(!Gui::child(m_window, "btnconnect")->isEnabled());
    enabled(Idle);
    QVERIFY(TestFiles::read(m_session->paths().settingsFile()).contains("IP= 127.0.0.1 \r\n"));
    // the user dialog refuses a verification without a finger and user 0; Cancel starts nothing
    QString refusal;
    answerUserDialog(u"15 1"_qs, &refusal);
    Gui::click(m_window, "cmdVerify");
    QCOMPARE(refusal, u"Verify Finger||-|-"_qs);
    answerUserDialog(u"0 1"_qs, &refusal);
    Gui::click(m_window, "cmdEnroll");
    QCOMPARE(refusal, u"Enroll Finger|0 - Left thumb|2|VIP"_qs);
    QCOMPARE(m_session->prompter().texts(),
             (QStringList{u"Finger ID could not be empty!"_qs, u"User ID could not be 0!"_qs}));
    answerUserDialog(u"cancel"_qs);
    Gui::click(m_window, "cmdEnroll");
    QVERIFY(!m_window->operation().isRunning() && message().isEmpty());
    QVERIFY(!Gui::child(m_window, "barEnroll")->isVisible());
    // a capture waits for the finger until stopped, then shows the image
    QWidget* picture = Gui::child(m_window, "picImage");
    const QImage blank = picture->grab().toImage();
    Gui::click(m_window, "cmdCapture");
    QTRY_COMPARE(message(), PlaceFinger);
    enabled(u"cmdStop cmdExchangeKey"_qs);
    Gui::click(m_window, "cmdStop");
    QTRY_COMPARE(message(), Canceled);
    enabled(Idle);
    QVERIFY(m_sim.ok(u"place 1001 5"_qs));
    Gui::click(m_window, "cmdCapture");
    QTRY_COMPARE(message(), u"Capture successfully!"_qs);
    QVERIFY(picture->grab().toImage() != blank);
    Gui::click(m_window, "cmdIdentify");
    QTRY_COMPARE(message(), u"User database is empty!"_qs);
    // the door and the key answer at once
    Gui::click(m_window, "cmdOpenDoor");
    QCOMPARE(message(), u"เปิดประตูเรียบร้อย"_qs);
    QCOMPARE(m_sim.command(u"doors"_qs), u"ok doors 1"_qs);
    Gui::click(m_window, "cmdExchangeKey");
    QCOMPARE(message(), u"Exchange Key successfully!"_qs);
    for (const char* command : {"OpenDoor", "ExchangeKey"}) {
        QVERIFY(m_sim.ok(u"fail %1 88"_qs.arg(QLatin1String(command))));
        Gui::click(m_window, qPrintable(u"cmd"_qs + QLatin1String(command)));
        QCOMPARE(message(), u"Hardware error!"_qs);
    }
    // the close box and the main window closing during a capture end the wait and the session
    for (const bool viaMain : {false, true}) {
        QVERIFY(m_sim.ok(u"lift"_qs));
        Gui::click(m_window, "cmdCapture");
        QTRY_COMPARE(message(), PlaceFinger);
        QTRY_VERIFY(m_sim.command(u"status"_qs).contains(u"clients 1"_qs));
        QVERIFY(viaMain ? m_session->main().close()
                        : qobject_cast<QMdiSubWindow*>(m_window->parentWidget())->close());
        QTRY_VERIFY(m_window.isNull());
        QTRY_VERIFY(m_sim.command(u"status"_qs).contains(u"clients 0"_qs));
        if (!viaMain) {
            open();
            QCOMPARE(Gui::child<QLineEdit>(m_window, "txtIP")->text(), u"127.0.0.1"_qs);
            connectTo(u"127.0.0.1"_qs, u"sim"_qs);
        }
    }
    QCOMPARE(m_session->prompter().shown().size(), 2);
}

QTEST_MAIN(TestEnrolmentWindow)
#include "tst_it_enrolmentwindow.moc"
