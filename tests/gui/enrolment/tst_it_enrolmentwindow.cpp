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
#include <QTest>
#include <QTimer>

namespace {

const QString PlaceFinger = QStringLiteral("วางนิ้วมือลงบน TQ90...");
const QString LiftFinger = QStringLiteral("ยกนิ้วมือขึ้นออกจาก TQ90...");
const QString Canceled = QStringLiteral("Operation canceled by user!");
const char* const Commands[] = {"cmdEnroll",   "cmdVerify",      "cmdIdentify", "cmdCapture",
                                "cmdOpenDoor", "cmdExchangeKey", "cmdStop"};

// Answers the user dialog as soon as it is shown modally: "cancel", or "user group" and
// optionally "finger level VIP", then OK. A dialog still open refused it, and tells its title and
// the finger, level and VIP choices it offered ("-" for those hidden).
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

// Whether the picture box shows an image with both ridges and valleys.
bool showsFingerprint(QWidget* box)
{
    const QImage shot = box->grab().toImage();
    int dark = 0;
    int light = 0;
    for (int y = 0; y < shot.height(); y += 2) {
        for (int x = 0; x < shot.width(); x += 2) {
            const int g = qGray(shot.pixel(x, y));
            dark += g < 80;
            light += g > 180;
        }
    }
    const int total = (shot.width() / 2) * (shot.height() / 2);
    return dark > total / 10 && light > total / 10;
}

} // namespace

// The enrolment window of side-bar item 4 inside the real main window, against tq90-sim.
class TestEnrolmentWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void connectChecks_data();
    void connectChecks();
    void enrolment_data();
    void enrolment();
    void userDialogRefusals();
    void verifyIdentifyCaptureAndDoor();

private:
    QString message() { return Gui::child<QLabel>(m_window, "lblMsg")->text(); }
    void open();
    void connectTo(const QString& ip, const QString& port);
    void enabled(const QString& buttons); // exactly these of the commands are enabled
    // Places the finger, lets the window take samples from..to, lifting after each but the last.
    void takeSamples(int from, int to);

    std::unique_ptr<MainWindowSession> m_session;
    std::unique_ptr<Tq90SimProcess> m_sim;
    QPointer<EnrolmentWindow> m_window;
};

void TestEnrolmentWindow::init()
{
    m_sim = std::make_unique<Tq90SimProcess>();
    QVERIFY(m_sim->start());
    m_session = std::make_unique<MainWindowSession>();
    open();
}

void TestEnrolmentWindow::cleanup()
{
    m_session.reset();
    m_sim.reset();
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
    Gui::type(m_window, "txtPort", port);
    Gui::click(m_window, "btnconnect");
}

void TestEnrolmentWindow::enabled(const QString& buttons)
{
    for (const char* name : Commands)
        QVERIFY2(Gui::child(m_window, name)->isEnabled() == buttons.split(u' ').contains(QLatin1String(name)),
                 name);
}

void TestEnrolmentWindow::takeSamples(int from, int to)
{
    for (int s = from; s <= to; ++s) {
        QTRY_COMPARE(message(), PlaceFinger);
        QVERIFY(m_sim->ok(QStringLiteral("place 1001 5")));
        QTRY_COMPARE(Gui::child<QLabel>(m_window, "lblProgress")->text(), QStringLiteral("%1/5").arg(s));
        QTRY_COMPARE(message(), LiftFinger);
        if (s < to)
            QVERIFY(m_sim->ok(QStringLiteral("lift")));
    }
}

void TestEnrolmentWindow::connectChecks_data()
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

void TestEnrolmentWindow::connectChecks()
{
    QFETCH(QString, ip);
    QFETCH(QString, port);
    QFETCH(QString, message);
    if (port == u"closed") {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        port = QString::number(probe.serverPort());
    }
    connectTo(ip, port);
    QCOMPARE(m_session->prompter().texts(), QStringList{message});
    const bool refused = !message.startsWith(u"Failed");
    QCOMPARE(m_session->prompter().last().icon,
             refused ? Prompter::Icon::Question : Prompter::Icon::Critical);
    QCOMPARE(this->message(), refused ? QString() : QStringLiteral("Internal socket error!"));
    QCOMPARE(m_window->terminalHandle(), 0);
    QVERIFY(Gui::child(m_window, "btnconnect")->isEnabled());
    enabled({});
    QVERIFY(!QFile::exists(m_session->paths().settingsFile()));
}

void TestEnrolmentWindow::enrolment_data()
{
    // samples "from-to", terminal commands ("_" for blanks), "stop", "wait" for the finger; the
    // message at the end; the templates stored; the samples taken
    addColumns<QString, QString, QString, int>({"steps", "message", "templates", "samples"});
    const QString enrolled = u"1001 is enrolled successfully!"_qs;
    addRow("five samples", u"1-5 lift"_qs, enrolled, u"1 1001:3:5:7"_qs, 5);
    addRow("a failed capture is taken again", u"1-1 capture-fail_65_1 lift 2-5 lift"_qs, enrolled,
           u"1 1001:3:5:7"_qs, 5);
    addRow("process failure on sample three stores nothing",
           u"1-2 fail_ProcessImage_67 lift wait place_1001_5"_qs, u"Captured image is too little points!"_qs,
           u"0"_qs, 2);
    addRow("stop after sample five stores nothing", u"1-5 stop lift"_qs, Canceled, u"0"_qs, 5);
    addRow("lost connection ends the wait", u"1-1 misbehave_CheckFinger_drop"_qs,
           u"Internal socket error!"_qs, u"0"_qs, 1);
}

void TestEnrolmentWindow::enrolment()
{
    QFETCH(QString, steps);
    QFETCH(QString, message);
    QFETCH(QString, templates);
    QFETCH(int, samples);
    connectTo(u"127.0.0.1"_qs, QString::number(m_sim->port()));
    QSignalSpy stored(&m_window->operation(), &FingerOperation::sampleStored);
    QSignalSpy finished(&m_window->operation(), &FingerOperation::finished);
    answerUserDialog(u"1001 3 5 3 VIP"_qs);
    Gui::click(m_window, "cmdEnroll");
    QTRY_COMPARE(this->message(), PlaceFinger);
    QCOMPARE(Gui::child<QLabel>(m_window, "Label2")->text(), QStringLiteral("Right thumb"));
    QVERIFY(Gui::child(m_window, "barEnroll")->isVisible());
    enabled(u"cmdStop cmdExchangeKey"_qs); // busy
    for (const QString& step : steps.split(u' ')) {
        if (step.front().isDigit())
            takeSamples(step.section(u'-', 0, 0).toInt(), step.section(u'-', 1).toInt());
        else if (step == u"stop")
            Gui::click(m_window, "cmdStop");
        else if (step == u"wait")
            QTRY_COMPARE(this->message(), PlaceFinger);
        else
            QVERIFY(m_sim->ok(QString(step).replace(u'_', u' ')));
    }
    QTRY_COMPARE(finished.size(), 1);
    QTest::qWait(30); // nothing runs on after the end
    QCOMPARE(this->message(), message);
    QCOMPARE(m_sim->command(u"templates"_qs), u"ok templates "_qs + templates);
    QCOMPARE(stored.size(), samples);
    for (int i = 0; i < stored.size(); ++i)
        QCOMPARE(stored.at(i).at(0).toInt(), i + 1);
    QVERIFY(!Gui::child(m_window, "barEnroll")->isVisible());
    enabled(u"cmdEnroll cmdVerify cmdIdentify cmdCapture cmdOpenDoor cmdExchangeKey"_qs);
}

void TestEnrolmentWindow::userDialogRefusals()
{
    connectTo(u"127.0.0.1"_qs, QString::number(m_sim->port()));
    QString refusal;
    // no finger is chosen for a verification: OK is refused
    answerUserDialog(u"15 1"_qs, &refusal);
    Gui::click(m_window, "cmdVerify");
    QCOMPARE(refusal, QStringLiteral("Verify Finger||-|-"));
    QCOMPARE(m_session->prompter().texts(), QStringList{u"Finger ID could not be empty!"_qs});
    answerUserDialog(u"0 1"_qs, &refusal);
    Gui::click(m_window, "cmdEnroll");
    QCOMPARE(refusal, QStringLiteral("Enroll Finger|0 - Left thumb|2|VIP"));
    QCOMPARE(m_session->prompter().last().text, QStringLiteral("User ID could not be 0!"));
    // cancelled: nothing starts
    answerUserDialog(u"cancel"_qs);
    Gui::click(m_window, "cmdEnroll");
    QVERIFY(!m_window->operation().isRunning());
    QCOMPARE(message(), QString());
    QVERIFY(!Gui::child(m_window, "barEnroll")->isVisible());
}

void TestEnrolmentWindow::verifyIdentifyCaptureAndDoor()
{
    QCOMPARE(Gui::child<QLineEdit>(m_window, "txtPort")->text(), u"5001"_qs);
    connectTo(u" 127.0.0.1 "_qs, QStringLiteral(" %1").arg(m_sim->port()));
    QVERIFY2(m_session->prompter().shown().isEmpty(), qPrintable(m_session->prompter().texts().join(u'|')));
    QVERIFY(!Gui::child(m_window, "btnconnect")->isEnabled());
    enabled(u"cmdEnroll cmdVerify cmdIdentify cmdCapture cmdOpenDoor cmdExchangeKey"_qs);
    // stored as typed: the reader trims, so look at the raw line
    QVERIFY(TestFiles::read(m_session->paths().settingsFile()).contains("IP= 127.0.0.1 \r\n"));
    QVERIFY(!showsFingerprint(Gui::child(m_window, "picImage")));
    answerUserDialog(u"1001 3 5 3 VIP"_qs);
    Gui::click(m_window, "cmdEnroll");
    takeSamples(1, 5);
    QVERIFY(m_sim->ok(u"lift"_qs));
    QTRY_COMPARE(message(), QStringLiteral("1001 is enrolled successfully!"));
    QVERIFY(showsFingerprint(Gui::child(m_window, "picImage")));
    // the enrolled finger verifies and is identified; another is not
    const std::pair<const char*, const char*> checks[] = {{"place 1001 5", "Verify successfully!"},
                                                          {"place 5555 3", "Unknown user!"}};
    for (const auto& [place, result] : checks) {
        QVERIFY(m_sim->ok(QLatin1String(place)));
        answerUserDialog(u"1001 3 5 3 VIP"_qs);
        Gui::click(m_window, "cmdVerify");
        QTRY_COMPARE(message(), QString::fromUtf8(result));
        Gui::click(m_window, "cmdIdentify");
        QTRY_COMPARE(message(), result[0] == 'V' ? u"รหัส  1001"_qs : u"Unknown user!"_qs);
    }
    // a capture waits for the finger until stopped, then shows its image or its failure
    QVERIFY(m_sim->ok(u"lift"_qs));
    Gui::click(m_window, "cmdCapture");
    QTRY_COMPARE(message(), PlaceFinger);
    enabled(u"cmdStop cmdExchangeKey"_qs);
    QTest::qWait(30);
    Gui::click(m_window, "cmdStop");
    QTRY_COMPARE(message(), Canceled);
    QVERIFY(m_sim->ok(u"place 31 1"_qs));
    QVERIFY(m_sim->ok(u"capture-fail 66 1"_qs));
    Gui::click(m_window, "cmdCapture");
    QTRY_COMPARE(message(), QStringLiteral("Captured image bad quality!"));
    Gui::click(m_window, "cmdCapture");
    QTRY_COMPARE(message(), QStringLiteral("Capture successfully!"));
    // the door and the key answer at once
    Gui::click(m_window, "cmdOpenDoor");
    QCOMPARE(message(), QStringLiteral("เปิดประตูเรียบร้อย"));
    QCOMPARE(m_sim->command(u"doors"_qs), QStringLiteral("ok doors 1"));
    Gui::click(m_window, "cmdExchangeKey");
    QCOMPARE(message(), QStringLiteral("Exchange Key successfully!"));
    QVERIFY(m_sim->ok(u"fail OpenDoor 88"_qs));
    Gui::click(m_window, "cmdOpenDoor");
    QCOMPARE(message(), QStringLiteral("Hardware error!"));
    QVERIFY(m_sim->ok(u"fail ExchangeKey 90"_qs));
    Gui::click(m_window, "cmdExchangeKey");
    QCOMPARE(message(), QStringLiteral("Bad flash!"));
    // the close box and the main window closing during a capture end the wait and the session
    for (const bool viaMain : {false, true}) {
        QVERIFY(m_sim->ok(u"lift"_qs));
        Gui::click(m_window, "cmdCapture");
        QTRY_COMPARE(message(), PlaceFinger);
        QTRY_VERIFY(m_sim->command(u"status"_qs).contains(u"clients 1"_qs));
        QVERIFY(viaMain ? m_session->main().close()
                        : qobject_cast<QMdiSubWindow*>(m_window->parentWidget())->close());
        QTRY_VERIFY(m_window.isNull());
        QTRY_VERIFY(m_sim->command(u"status"_qs).contains(u"clients 0"_qs));
        QVERIFY(m_session->prompter().shown().isEmpty());
        if (!viaMain) {
            open();
            QCOMPARE(Gui::child<QLineEdit>(m_window, "txtIP")->text(), u"127.0.0.1"_qs);
            connectTo(u"127.0.0.1"_qs, QString::number(m_sim->port()));
        }
    }
}

QTEST_MAIN(TestEnrolmentWindow)
#include "tst_it_enrolmentwindow.moc"
