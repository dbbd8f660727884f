#include "core/enrolment/FingerOperation.h"
#include "core/platform/IniFile.h"
#include "core/terminal/Tq90Client.h"
#include "fixtures/TestPrompter.h"
#include "fixtures/Tq90SimProcess.h"
#include "gui/enrolment/EnrolmentWindow.h"
#include "gui/enrolment/UserDialog.h"
#include "gui/platform/AppContext.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
const QString PlaceFinger = QStringLiteral("วางนิ้วมือลงบน TQ90...");
const QString LiftFinger = QStringLiteral("ยกนิ้วมือขึ้นออกจาก TQ90...");
const QString Canceled = QStringLiteral("Operation canceled by user!");

struct UserAnswer
{
    QString userId;
    QString groupId = QStringLiteral("1");
    int finger = 0;
    QString level = QStringLiteral("2");
    QString vip = QStringLiteral("VIP");
    bool cancel = false;
};

// Answers the user dialog as soon as it is shown modally.
void answerUserDialog(const UserAnswer& answer)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        auto* dialog = qobject_cast<UserDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        if (answer.cancel) {
            dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
            return;
        }
        dialog->findChild<QLineEdit*>(QStringLiteral("txtUID"))->setText(answer.userId);
        dialog->findChild<QLineEdit*>(QStringLiteral("txtGID"))->setText(answer.groupId);
        dialog->findChild<QComboBox*>(QStringLiteral("comboFID"))->setCurrentIndex(answer.finger);
        if (auto* level = dialog->findChild<QComboBox*>(QStringLiteral("comboSL")); level->isVisible())
            level->setCurrentText(answer.level);
        if (auto* vip = dialog->findChild<QComboBox*>(QStringLiteral("comboVO")); vip->isVisible())
            vip->setCurrentText(answer.vip);
        dialog->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
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

class TestEnrolmentWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void opensWithSettingsAndOnlyConnectEnabled();
    void connectChecks_data();
    void connectChecks();
    void connectFailureShowsError();
    void connectEnablesAndStoresSettings();
    void fullEnrolment();
    void secondCaptureRetriedWithoutSkipping();
    void processFailureOnSampleThreeStoresNothing();
    void stopWhileWaitingForLiftAfterSampleFive();
    void cancelledDialogStartsNothing();
    void lostConnectionEndsTheWait();
    void verifyAndIdentifyEnrolledFinger();
    void identifyShowsAtMostTwelveCharacters_data();
    void identifyShowsAtMostTwelveCharacters();
    void captureShowsImage();
    void captureStoppedWhileWaiting();
    void captureFailureShowsError();
    void exchangeKeyAndOpenDoor();
    void closingEndsTheSession();

private:
    template <typename T = QWidget> T* child(const char* name)
    {
        T* c = m_window->findChild<T*>(QLatin1String(name));
        if (!c)
            qFatal("control %s missing", name);
        return c;
    }
    QString message() { return child<QLabel>("lblMsg")->text(); }
    QString progress() { return child<QLabel>("lblProgress")->text(); }
    bool connectToSim();
    // Clicks cmdEnroll and answers the dialog; the window then waits for the first finger.
    void startEnrolment(const UserAnswer& answer);
    // Places the finger, lets the window take samples from..to (1-based), lifting after each
    // but the last; leaves the finger on the sensor after sample `to`.
    void takeSamples(const QString& finger, int from, int to);
    void enrol(const QString& userId, const QString& finger);

    QTemporaryDir m_dir;
    TestPrompter m_prompter;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<Tq90SimProcess> m_sim;
    std::unique_ptr<EnrolmentWindow> m_window;
};

void TestEnrolmentWindow::init()
{
    QVERIFY(m_dir.isValid());
    QFile::remove(m_dir.filePath(QStringLiteral("DefFMT.txt")));
    m_prompter.clear();
    m_context.reset(new AppContext{AppPaths(m_dir.path()), m_prompter});
    m_sim = std::make_unique<Tq90SimProcess>();
    QVERIFY(m_sim->start());
    m_window = std::make_unique<EnrolmentWindow>(*m_context);
    m_window->operation().setPollInterval(5);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestEnrolmentWindow::cleanup()
{
    m_window.reset();
    m_sim.reset();
}

bool TestEnrolmentWindow::connectToSim()
{
    child<QLineEdit>("txtIP")->setText(QStringLiteral("127.0.0.1"));
    child<QLineEdit>("txtPort")->setText(QString::number(m_sim->port()));
    child<QPushButton>("btnconnect")->click();
    return m_window->terminalHandle() != 0;
}

void TestEnrolmentWindow::startEnrolment(const UserAnswer& answer)
{
    answerUserDialog(answer);
    child<QPushButton>("cmdEnroll")->click();
    QTRY_COMPARE(message(), PlaceFinger);
}

void TestEnrolmentWindow::takeSamples(const QString& finger, int from, int to)
{
    for (int s = from; s <= to; ++s) {
        QTRY_COMPARE(message(), PlaceFinger);
        QVERIFY(m_sim->ok(QStringLiteral("place ") + finger));
        QTRY_COMPARE(progress(), QStringLiteral("%1/5").arg(s));
        QCOMPARE(child<QProgressBar>("barEnroll")->value(), s);
        QTRY_COMPARE(message(), LiftFinger);
        if (s < to)
            QVERIFY(m_sim->ok(QStringLiteral("lift")));
    }
}

void TestEnrolmentWindow::enrol(const QString& userId, const QString& finger)
{
    startEnrolment({userId});
    takeSamples(finger, 1, 5);
    QVERIFY(m_sim->ok(QStringLiteral("lift")));
    QTRY_COMPARE(message(), userId + QStringLiteral(" is enrolled successfully!"));
}

void TestEnrolmentWindow::opensWithSettingsAndOnlyConnectEnabled()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("TQ90 Enroll User & Finger"));
    QCOMPARE(child<QLineEdit>("txtIP")->text(), QString());
    QCOMPARE(child<QLineEdit>("txtPort")->text(), QStringLiteral("5001"));
    QVERIFY(child<QPushButton>("btnconnect")->isEnabled());
    for (const char* b :
         {"cmdEnroll", "cmdVerify", "cmdIdentify", "cmdCapture", "cmdOpenDoor", "cmdExchangeKey", "cmdStop"})
        QVERIFY2(!child<QPushButton>(b)->isEnabled(), b);
    QVERIFY(!child("barEnroll")->isVisible());

    m_window.reset();
    QCOMPARE(writeIniValue(QStringLiteral("text"), QStringLiteral("IP"), QStringLiteral("10.1.2.3"),
                           m_context->paths.settingsFile()),
             1);
    QCOMPARE(writeIniValue(QStringLiteral("text"), QStringLiteral("Port"), QStringLiteral("4370"),
                           m_context->paths.settingsFile()),
             1);
    m_window = std::make_unique<EnrolmentWindow>(*m_context);
    QCOMPARE(child<QLineEdit>("txtIP")->text(), QStringLiteral("10.1.2.3"));
    QCOMPARE(child<QLineEdit>("txtPort")->text(), QStringLiteral("4370"));
}

void TestEnrolmentWindow::connectChecks_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("message");
    const QString noIp = QStringLiteral("IP address is required!");
    const QString badPort = QStringLiteral("Port number is invalid! Range:1-65535");
    QTest::newRow("empty IP") << ""
                              << "5001" << noIp;
    QTest::newRow("blank IP") << "   "
                              << "5001" << noIp;
    QTest::newRow("IP before port") << ""
                                    << "x" << noIp;
    QTest::newRow("port 0") << "127.0.0.1"
                            << "0" << badPort;
    QTest::newRow("port 65536") << "127.0.0.1"
                                << "65536" << badPort;
    QTest::newRow("negative port") << "127.0.0.1"
                                   << "-1" << badPort;
    QTest::newRow("port not a number") << "127.0.0.1"
                                       << "50o1" << badPort;
    QTest::newRow("empty port") << "127.0.0.1"
                                << "" << badPort;
    QTest::newRow("huge port") << "127.0.0.1"
                               << "99999999999" << badPort;
}

void TestEnrolmentWindow::connectChecks()
{
    QFETCH(QString, ip);
    QFETCH(QString, port);
    QFETCH(QString, message);
    child<QLineEdit>("txtIP")->setText(ip);
    child<QLineEdit>("txtPort")->setText(port);
    child<QPushButton>("btnconnect")->click();
    QCOMPARE(m_prompter.shown().size(), 1);
    QCOMPARE(m_prompter.last().text, message);
    QCOMPARE(m_prompter.last().icon, Prompter::Icon::Question);
    QCOMPARE(m_window->terminalHandle(), 0);
    QVERIFY(child<QPushButton>("btnconnect")->isEnabled());
    QVERIFY(!QFile::exists(m_context->paths.settingsFile()));
}

void TestEnrolmentWindow::connectFailureShowsError()
{
    // A port nobody listens on: take a free one and close it again.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 closed = probe.serverPort();
    probe.close();
    child<QLineEdit>("txtIP")->setText(QStringLiteral("127.0.0.1"));
    child<QLineEdit>("txtPort")->setText(QString::number(closed));
    child<QPushButton>("btnconnect")->click();
    QCOMPARE(m_prompter.last().text, QStringLiteral("Failed to connect to TQ90!"));
    QCOMPARE(m_prompter.last().icon, Prompter::Icon::Critical);
    QCOMPARE(message(), QStringLiteral("Internal socket error!"));
    QVERIFY(child<QPushButton>("btnconnect")->isEnabled());
    QVERIFY(!child<QPushButton>("cmdEnroll")->isEnabled());
}

void TestEnrolmentWindow::connectEnablesAndStoresSettings()
{
    child<QLabel>("lblMsg")->setText(QStringLiteral("old"));
    child<QLineEdit>("txtIP")->setText(QStringLiteral(" 127.0.0.1 "));
    child<QLineEdit>("txtPort")->setText(QStringLiteral(" %1").arg(m_sim->port()));
    child<QPushButton>("btnconnect")->click();
    QVERIFY2(m_prompter.shown().isEmpty(), qPrintable(m_prompter.texts().join(u'|')));
    QVERIFY(m_window->terminalHandle() != 0);
    QVERIFY(!child<QPushButton>("btnconnect")->isEnabled());
    for (const char* b :
         {"cmdEnroll", "cmdVerify", "cmdIdentify", "cmdCapture", "cmdOpenDoor", "cmdExchangeKey"})
        QVERIFY2(child<QPushButton>(b)->isEnabled(), b);
    QVERIFY(!child<QPushButton>("cmdStop")->isEnabled());
    QCOMPARE(message(), QString());
    const QString settings = m_context->paths.settingsFile();
    // Stored as typed: the reader trims, so look at the raw line.
    QVERIFY(IniDocument::load(settings).toBytes().contains("IP= 127.0.0.1 "));
    QCOMPARE(readIniValue(QStringLiteral("text"), QStringLiteral("Port"), {}, settings),
             QString::number(m_sim->port()));
}

void TestEnrolmentWindow::fullEnrolment()
{
    QVERIFY(connectToSim());
    QSignalSpy samples(&m_window->operation(), &FingerOperation::sampleStored);
    startEnrolment(
        {QStringLiteral("1001"), QStringLiteral("3"), 5, QStringLiteral("3"), QStringLiteral("VIP")});
    QCOMPARE(child<QLabel>("Label2")->text(), QStringLiteral("Right thumb"));
    QVERIFY(child("barEnroll")->isVisible());
    QVERIFY(child("lblProgress")->isVisible());
    QCOMPARE(progress(), QString());
    // Busy: only stop and the key exchange can be pressed.
    QVERIFY(child<QPushButton>("cmdStop")->isEnabled());
    QVERIFY(child<QPushButton>("cmdExchangeKey")->isEnabled());
    for (const char* b : {"cmdEnroll", "cmdVerify", "cmdIdentify", "cmdCapture", "cmdOpenDoor"})
        QVERIFY2(!child<QPushButton>(b)->isEnabled(), b);

    takeSamples(QStringLiteral("1001 5"), 1, 5);
    QCOMPARE(m_sim->command(QStringLiteral("templates")), QStringLiteral("ok templates 0"));
    QVERIFY(m_sim->ok(QStringLiteral("lift")));
    QTRY_COMPARE(message(), QStringLiteral("1001 is enrolled successfully!"));
    QCOMPARE(m_sim->command(QStringLiteral("templates")), QStringLiteral("ok templates 1 1001:3:5:7"));
    QCOMPARE(samples.size(), 5);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(samples.at(i).at(0).toInt(), i + 1);
    QVERIFY(showsFingerprint(child("picImage")));
    QVERIFY(!child("barEnroll")->isVisible());
    QVERIFY(!child("lblProgress")->isVisible());
    QVERIFY(!child<QPushButton>("cmdStop")->isEnabled());
    QVERIFY(child<QPushButton>("cmdCapture")->isEnabled());
    QVERIFY(child<QPushButton>("cmdEnroll")->isEnabled());
}

void TestEnrolmentWindow::secondCaptureRetriedWithoutSkipping()
{
    QVERIFY(connectToSim());
    QSignalSpy samples(&m_window->operation(), &FingerOperation::sampleStored);
    startEnrolment({QStringLiteral("77")});
    takeSamples(QStringLiteral("77 0"), 1, 1);
    QVERIFY(m_sim->ok(QStringLiteral("capture-fail 65 1")));
    QVERIFY(m_sim->ok(QStringLiteral("lift")));
    takeSamples(QStringLiteral("77 0"), 2, 5);
    QVERIFY(m_sim->ok(QStringLiteral("lift")));
    QTRY_COMPARE(message(), QStringLiteral("77 is enrolled successfully!"));
    QCOMPARE(samples.size(), 5);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(samples.at(i).at(0).toInt(), i + 1);
    QCOMPARE(m_sim->command(QStringLiteral("templates")), QStringLiteral("ok templates 1 77:1:0:6"));
}

void TestEnrolmentWindow::processFailureOnSampleThreeStoresNothing()
{
    QVERIFY(connectToSim());
    QSignalSpy finished(&m_window->operation(), &FingerOperation::finished);
    startEnrolment({QStringLiteral("88")});
    takeSamples(QStringLiteral("88 0"), 1, 2);
    QVERIFY(m_sim->ok(QStringLiteral("fail ProcessImage 67")));
    QVERIFY(m_sim->ok(QStringLiteral("lift")));
    QTRY_COMPARE(message(), PlaceFinger);
    QVERIFY(m_sim->ok(QStringLiteral("place 88 0")));
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(message(), QStringLiteral("Captured image is too little points!"));
    QCOMPARE(progress(), QStringLiteral("2/5"));
    QCOMPARE(m_sim->command(QStringLiteral("templates")), QStringLiteral("ok templates 0"));
    QVERIFY(!child("barEnroll")->isVisible());
    QVERIFY(child<QPushButton>("cmdEnroll")->isEnabled());
}

void TestEnrolmentWindow::stopWhileWaitingForLiftAfterSampleFive()
{
    QVERIFY(connectToSim());
    startEnrolment({QStringLiteral("99")});
    takeSamples(QStringLiteral("99 0"), 1, 5);
    QTest::mouseClick(child<QPushButton>("cmdStop"), Qt::LeftButton);
    QTRY_COMPARE(message(), Canceled);
    QCOMPARE(m_sim->command(QStringLiteral("templates")), QStringLiteral("ok templates 0"));
    QVERIFY(!child<QPushButton>("cmdStop")->isEnabled());
    QVERIFY(child<QPushButton>("cmdEnroll")->isEnabled());
    // The finger is still down; nothing runs on after the stop.
    QVERIFY(m_sim->ok(QStringLiteral("lift")));
    QTest::qWait(50);
    QCOMPARE(message(), Canceled);
}

void TestEnrolmentWindow::cancelledDialogStartsNothing()
{
    QVERIFY(connectToSim());
    UserAnswer cancel;
    cancel.cancel = true;
    answerUserDialog(cancel);
    child<QPushButton>("cmdEnroll")->click();
    QVERIFY(!m_window->operation().isRunning());
    QCOMPARE(message(), QString());
    QVERIFY(!child("barEnroll")->isVisible());
    QVERIFY(child<QPushButton>("cmdEnroll")->isEnabled());
}

void TestEnrolmentWindow::lostConnectionEndsTheWait()
{
    QVERIFY(connectToSim());
    QSignalSpy finished(&m_window->operation(), &FingerOperation::finished);
    startEnrolment({QStringLiteral("66")});
    takeSamples(QStringLiteral("66 0"), 1, 1);
    QVERIFY(m_sim->ok(QStringLiteral("misbehave CheckFinger drop")));
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(message(), QStringLiteral("Internal socket error!"));
    QVERIFY(child<QPushButton>("cmdEnroll")->isEnabled());
    QCOMPARE(m_sim->command(QStringLiteral("templates")), QStringLiteral("ok templates 0"));
}

void TestEnrolmentWindow::verifyAndIdentifyEnrolledFinger()
{
    QVERIFY(connectToSim());
    enrol(QStringLiteral("4242"), QStringLiteral("4242 0"));

    UserAnswer who{QStringLiteral("4242")};
    answerUserDialog(who);
    child<QPushButton>("cmdVerify")->click();
    QTRY_COMPARE(message(), PlaceFinger);
    QVERIFY(m_sim->ok(QStringLiteral("place 4242 0")));
    QTRY_COMPARE(message(), QStringLiteral("Verify successfully!"));
    QVERIFY(child<QPushButton>("cmdVerify")->isEnabled());

    // Another finger on the sensor does not verify as this user.
    QVERIFY(m_sim->ok(QStringLiteral("place 5555 3")));
    answerUserDialog(who);
    child<QPushButton>("cmdVerify")->click();
    QTRY_COMPARE(message(), QStringLiteral("Unknown user!"));

    QVERIFY(m_sim->ok(QStringLiteral("place 4242 0")));
    child<QPushButton>("cmdIdentify")->click();
    QTRY_COMPARE(message(), QStringLiteral("รหัส  4242"));
    QVERIFY(showsFingerprint(child("picImage")));

    QVERIFY(m_sim->ok(QStringLiteral("place 5555 3")));
    child<QPushButton>("cmdIdentify")->click();
    QTRY_COMPARE(message(), QStringLiteral("Unknown user!"));
}

void TestEnrolmentWindow::identifyShowsAtMostTwelveCharacters_data()
{
    QTest::addColumn<QString>("userId");
    QTest::addColumn<QString>("shown");
    QTest::newRow("three") << "123"
                           << "123";
    QTest::newRow("twelve") << "123456789012"
                            << "123456789012";
    QTest::newRow("thirteen") << "1234567890123"
                              << "123456789012";
    QTest::newRow("sixteen") << "ABCDEFGHIJKLMNOP"
                             << "ABCDEFGHIJKL";
}

void TestEnrolmentWindow::identifyShowsAtMostTwelveCharacters()
{
    QFETCH(QString, userId);
    QFETCH(QString, shown);
    // The dialog refuses IDs over 12 characters, so the template is stored straight through
    // the terminal functions, as another program may have done.
    {
        Tq90Client client;
        int handle = 0;
        QCOMPARE(client.Tq90Initialize(handle, QStringLiteral("127.0.0.1"), m_sim->port()), 0);
        QVERIFY(m_sim->ok(QStringLiteral("place ") + userId + QStringLiteral(" 2")));
        for (int s = 0; s < 5; ++s) {
            QCOMPARE(client.Tq90CaptureImage(handle), 0);
            QCOMPARE(client.Tq90ProcessImage(handle), 0);
            QCOMPARE(client.Tq90StoreSample(handle, s), 0);
        }
        QCOMPARE(client.Tq90StoreTemplate(handle, userId, 1, 2, 0), 0);
    }
    QVERIFY(connectToSim());
    child<QPushButton>("cmdIdentify")->click();
    QTRY_COMPARE(message(), QStringLiteral("รหัส  ") + shown);
}

void TestEnrolmentWindow::captureShowsImage()
{
    QVERIFY(connectToSim());
    QVERIFY(!showsFingerprint(child("picImage")));
    child<QPushButton>("cmdCapture")->click();
    QCOMPARE(message(), PlaceFinger);
    QVERIFY(child<QPushButton>("cmdStop")->isEnabled());
    QVERIFY(!child<QPushButton>("cmdCapture")->isEnabled());
    QVERIFY(m_sim->ok(QStringLiteral("place 31 1")));
    QTRY_COMPARE(message(), QStringLiteral("Capture successfully!"));
    QVERIFY(showsFingerprint(child("picImage")));
    QVERIFY(child<QPushButton>("cmdCapture")->isEnabled());
    QVERIFY(!child<QPushButton>("cmdStop")->isEnabled());

    // The image stays after the window repaints.
    m_window->hide();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(showsFingerprint(child("picImage")));

    if (qEnvironmentVariableIsSet("TQ_SCREENSHOT"))
        QVERIFY(m_window->grab().save(qEnvironmentVariable("TQ_SCREENSHOT")));
}

void TestEnrolmentWindow::captureStoppedWhileWaiting()
{
    QVERIFY(connectToSim());
    child<QPushButton>("cmdCapture")->click();
    QTRY_COMPARE(message(), PlaceFinger);
    QTest::qWait(50); // several rounds of polling: the window stays responsive
    QTest::mouseClick(child<QPushButton>("cmdStop"), Qt::LeftButton);
    QTRY_COMPARE(message(), Canceled);
    QVERIFY(!m_window->operation().isRunning());
    QVERIFY(child<QPushButton>("cmdCapture")->isEnabled());
}

void TestEnrolmentWindow::captureFailureShowsError()
{
    QVERIFY(connectToSim());
    QVERIFY(m_sim->ok(QStringLiteral("place 31 1")));
    QVERIFY(m_sim->ok(QStringLiteral("capture-fail 66 1")));
    child<QPushButton>("cmdCapture")->click();
    QTRY_COMPARE(message(), QStringLiteral("Captured image bad quality!"));
    QVERIFY(!showsFingerprint(child("picImage")));
    QVERIFY(child<QPushButton>("cmdCapture")->isEnabled());
}

void TestEnrolmentWindow::exchangeKeyAndOpenDoor()
{
    QVERIFY(connectToSim());
    child<QPushButton>("cmdExchangeKey")->click();
    QCOMPARE(message(), QStringLiteral("Exchange Key successfully!"));
    child<QPushButton>("cmdOpenDoor")->click();
    QCOMPARE(message(), QStringLiteral("เปิดประตูเรียบร้อย"));
    QCOMPARE(m_sim->command(QStringLiteral("doors")), QStringLiteral("ok doors 1"));
    QVERIFY(m_sim->ok(QStringLiteral("fail OpenDoor 88")));
    child<QPushButton>("cmdOpenDoor")->click();
    QCOMPARE(message(), QStringLiteral("Hardware error!"));
    QVERIFY(m_sim->ok(QStringLiteral("fail ExchangeKey 90")));
    child<QPushButton>("cmdExchangeKey")->click();
    QCOMPARE(message(), QStringLiteral("Bad flash!"));
}

void TestEnrolmentWindow::closingEndsTheSession()
{
    QVERIFY(connectToSim());
    child<QPushButton>("cmdCapture")->click();
    QTRY_COMPARE(message(), PlaceFinger);
    QVERIFY(m_window->close());
    QCOMPARE(m_window->terminalHandle(), 0);
    QTRY_VERIFY(!m_window->operation().isRunning());
    QCOMPARE(message(), Canceled);
}

QTEST_MAIN(TestEnrolmentWindow)
#include "tst_it_enrolmentwindow.moc"
