#include "core/enrolment/FingerOperation.h"
#include "core/storage/Connections.h"
#include "fixtures/MainWindowSession.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"
#include "fixtures/Tq90SimProcess.h"
#include "gui/enrolment/EnrolmentWindow.h"
#include "gui/enrolment/UserDialog.h"
#include "gui/terminal/ConversionProgressWindow.h"
#include "gui/terminal/TerminalWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTimer>

namespace {

const QString Downloaded = u"ดึงข้อมูลเรียบร้อย"_qs;
const QString EraseQuestion = u"You do want delete log?"_qs;
const QString NoAnswer = u"Failed to connect to TQ90!"_qs;
const QString PlaceFinger = u"วางนิ้วมือลงบน TQ90..."_qs;
const QString Idle = u"cmdEnroll cmdVerify cmdIdentify cmdCapture cmdOpenDoor cmdExchangeKey"_qs;

QString closedPort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? QString::number(probe.serverPort()) : QString();
}

// Answers the user dialog when it shows with "user group finger" and OK, then Cancel if it is
// still open; "cancel" answers Cancel at once.
void answerUserDialog(const QString& answer)
{
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<UserDialog*>(QApplication::activeModalWidget());
        const QStringList v = answer.split(u' ');
        if (dialog && v.size() == 3) {
            Gui::type(dialog, "txtUID", v[0]);
            Gui::type(dialog, "txtGID", v[1]);
            Gui::child<QComboBox>(dialog, "comboFID")->setCurrentIndex(v[2].toInt());
            Gui::click(dialog, "cmdOK");
        }
        if (dialog && dialog->isVisible())
            Gui::click(dialog, "cmdCancel");
    });
}

// Counts the conversion progress windows shown anywhere in the application.
class SplashShows final : public QObject
{
public:
    int count = 0;
    bool eventFilter(QObject* object, QEvent* event) override
    {
        count += event->type() == QEvent::Show && qobject_cast<ConversionProgressWindow*>(object);
        return false;
    }
};

} // namespace

// The windows that talk to a terminal, inside the real main window against tq90-sim: the
// connection window of side-bar item 1 and the enrolment window of item 4.
class TestItTerminalWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void refusedConnects_data();
    void refusedConnects();
    void downloadEraseAndClose();
    void failedDownloads_data();
    void failedDownloads();
    void enrolment();

private:
    void open(int item = 1);
    void connectTo(const QString& ip, const QString& port, bool menu = false);
    QWidget* w(const char* name) const { return Gui::child(m_window, name); }
    QString lblMsg() const { return Gui::child<QLabel>(m_window, "lblMsg")->text(); }
    // The terminal window's work frame shows, its connect frame and button do not.
    bool connected() const
    {
        return w("XPFrame2")->isVisible() && !w("XPFrame1")->isVisible() && !w("btnconnect")->isEnabled();
    }
    void enabled(const QString& buttons)
    {
        for (const char* name : {"cmdEnroll", "cmdVerify", "cmdIdentify", "cmdCapture", "cmdOpenDoor",
                                 "cmdExchangeKey", "cmdStop"})
            QVERIFY2(w(name)->isEnabled() == buttons.split(u' ').contains(QLatin1String(name)), name);
    }
    QString simStatus() { return m_sim.command(u"status"_qs); }
    TestPrompter& prompter() { return m_session->prompter(); }
    EnrolmentWindow* enrolmentWindow() const { return qobject_cast<EnrolmentWindow*>(m_window.data()); }

    Tq90SimProcess m_sim;
    std::unique_ptr<MainWindowSession> m_session;
    QPointer<QWidget> m_window;
};

void TestItTerminalWindows::init()
{
    QVERIFY(m_sim.start({u"--generate"_qs, u"30"_qs}));
    m_session = std::make_unique<MainWindowSession>();
}

void TestItTerminalWindows::cleanup()
{
    m_session.reset();
    m_sim.stop();
}

void TestItTerminalWindows::open(int item)
{
    m_session->clickItem(item);
    m_window = m_session->window(item == 1 ? WindowId::Connect : WindowId::Enroll);
    QVERIFY(m_window && m_window->isVisible());
    if (auto* terminal = qobject_cast<TerminalWindow*>(m_window.data()))
        terminal->client().setTimeout(2000);
    else
        enrolmentWindow()->operation().setPollInterval(5);
}

void TestItTerminalWindows::connectTo(const QString& ip, const QString& port, bool menu)
{
    Gui::type(m_window, "txtIP", ip);
    Gui::type(m_window, "txtPort", port == u"sim" ? QString::number(m_sim.port()) : port);
    if (menu)
        Gui::child<QAction>(m_window, "mnucon")->trigger();
    else
        Gui::click(m_window, "btnconnect");
}

void TestItTerminalWindows::refusedConnects_data()
{
    // the side-bar item; the texts typed; the message and its title (empty: the program's); the status line
    addColumns<int, QString, QString, QString, QString, QString>(
        {"item", "ip", "port", "message", "title", "status"});
    const QString badPort = u"Port number is invalid! Range:1-65535"_qs;
    const QString ip = u"127.0.0.1"_qs;
    for (const int item : {1, 4}) {
        const QByteArray window = item == 1 ? "terminal: " : "enrolment: ";
        const QString failed = item == 1 ? QString() : u"Internal socket error!"_qs;
        addRow(window + "blank IP", item, u"   "_qs, u"x"_qs, u"IP address is required!"_qs, u""_qs, u""_qs);
        addRow(window + "port 0", item, ip, u"0"_qs, badPort, u""_qs, u""_qs);
        addRow(window + "port 65536", item, ip, u"65536"_qs, badPort, u""_qs, u""_qs);
        addRow(window + "port 1 is tried", item, ip, u"1"_qs, NoAnswer, u""_qs, failed);
        addRow(window + "port 65535 is tried", item, ip, u"65535"_qs, NoAnswer, u""_qs, failed);
        addRow(window + "nobody listens", item, ip, u"closed"_qs, NoAnswer, u""_qs, failed);
    }
    addRow("terminal: port -1", 1, ip, u"-1"_qs, badPort, u""_qs, u""_qs);
    addRow("terminal: letters", 1, ip, u"abc"_qs, u"Type mismatch"_qs, u"connect"_qs, u""_qs);
    addRow("terminal: the largest 32-bit number", 1, ip, u"2147483647"_qs, badPort, u""_qs, u""_qs);
    addRow("terminal: beyond 32 bits", 1, ip, u"99999999999"_qs, u"Overflow"_qs, u"connect"_qs, u""_qs);
    addRow("enrolment: letters", 4, ip, u"50o1"_qs, badPort, u""_qs, u""_qs);
}

void TestItTerminalWindows::refusedConnects()
{
    const auto [item, ip, port, message, title, status] =
        fetchColumns<int, QString, QString, QString, QString, QString>("item", "ip", "port", "message",
                                                                       "title", "status");
    open(item);
    connectTo(ip, port == u"closed" ? closedPort() : port);
    QCOMPARE(prompter().texts(), QStringList{message});
    QCOMPARE(prompter().last().title, title.isEmpty() ? m_session->context().title : title);
    const bool critical = message == NoAnswer || !title.isEmpty();
    QCOMPARE(prompter().last().icon, critical ? Prompter::Icon::Critical : Prompter::Icon::Question);
    QCOMPARE(lblMsg(), status);
    QVERIFY(w("btnconnect")->isEnabled() && w("btnconnect")->isVisible());
    if (item == 1)
        QVERIFY(w("XPFrame1")->isVisible() && !w("XPFrame2")->isVisible());
    else
        enabled({});
    QVERIFY(!QFile::exists(m_session->paths().settingsFile()));
}

void TestItTerminalWindows::downloadEraseAndClose()
{
    open();
    QCOMPARE(Gui::child<QLineEdit>(m_window, "txtPort")->text(), u"5001"_qs);
    // the connect menu entry does what the button does; the texts are stored as typed
    connectTo(u" 127.0.0.1 "_qs, u" %1 "_qs.arg(m_sim.port()), true);
    QVERIFY2(prompter().shown().isEmpty() && connected(), qPrintable(prompter().texts().join(u'\n')));
    QVERIFY(TestFiles::read(m_session->paths().settingsFile())
                .contains(u"IP= 127.0.0.1 \r\nPort= %1 \r\n"_qs.arg(m_sim.port()).toLatin1()));
    // while the log is stored, the close box, the main window and the side bar are refused
    auto* frame = qobject_cast<QMdiSubWindow*>(m_window->parentWidget());
    bool busy = false;
    bool mainClosed = true;
    QTimer::singleShot(0, m_window, [&] {
        busy = !w("XPFrame2")->isEnabled() && !Gui::child<QAction>(m_window, "mnuexport")->isEnabled();
        frame->close();
        mainClosed = m_session->main().close();
        m_session->clickItem(2);
    });
    SplashShows splashShows;
    qApp->installEventFilter(&splashShows);
    Gui::click(m_window, "btnGetlog");
    qApp->removeEventFilter(&splashShows);
    QCOMPARE(splashShows.count, 1);
    QVERIFY(busy && !mainClosed && m_window && !m_session->window(WindowId::Export));
    const QString storing = u"The log is still being stored. Close the window when it has finished."_qs;
    QCOMPARE(prompter().texts(),
             (QStringList{
                 storing, storing,
                 u"The terminal connection window is still working. Choose again when it has finished."_qs,
                 Downloaded}));
    QVERIFY(w("XPFrame2")->isEnabled() && Gui::child<QAction>(m_window, "mnuexport")->isEnabled());
    QCOMPARE(lblMsg(), u"Read 30 punches, 30 new."_qs);
    Gui::click(m_window, "btnGetlog");
    QCOMPARE(lblMsg(), u"Read 30 punches, 0 new."_qs);
    QSqlQuery count(u"select count(*) from tblexport"_qs, Connections::get(Connections::LocalConnection));
    QVERIFY(count.next() && count.value(0).toInt() == 30);
    auto* splash = m_session->main().findChild<ConversionProgressWindow*>();
    QVERIFY(splash && !splash->isVisible() &&
            splash->parentWidget() == m_session->main().mdiArea().viewport());
    QCOMPARE(Gui::child<QLabel>(splash, "Label2")->text(), u" 100 %"_qs);
    // a failed connect from the menu keeps the working connection
    connectTo(u"127.0.0.1"_qs, closedPort(), true);
    QCOMPARE(prompter().last().text, NoAnswer);
    QVERIFY(connected());
    // erase: No keeps the punches, Yes erases them, a failing erase shows the terminal's reason
    prompter().clear();
    bool held = true; // the download and the Export entry wait while the question is open
    auto* exportEntry = Gui::child<QAction>(m_window, "mnuexport");
    prompter().whileShown = [&] {
        held &= !w("btnGetlog")->isEnabled() && !exportEntry->isEnabled();
    };
    for (const auto answer : {Prompter::Answer::No, Prompter::Answer::Yes}) {
        prompter().queueAnswer(answer);
        Gui::click(m_window, "btnEraseLog");
        QVERIFY(simStatus().contains(answer == Prompter::Answer::No ? u" 30 punches"_qs : u" 0 punches"_qs));
        QVERIFY(w("btnGetlog")->isEnabled());
    }
    prompter().whileShown = {};
    QVERIFY(held);
    QCOMPARE(prompter().texts(), (QStringList{EraseQuestion, EraseQuestion}));
    QCOMPARE(prompter().last().title, u"Delete"_qs);
    QCOMPARE(prompter().last().buttons, Prompter::Buttons::YesNo);
    QCOMPARE(lblMsg(), u"Log data is deleted!"_qs);
    QVERIFY(m_sim.ok(u"fail EraseLogData 90"_qs));
    Gui::click(m_window, "btnEraseLog");
    QCOMPARE(lblMsg(), u"Bad flash!"_qs);
    Gui::click(m_window, "btnGetlog");
    QCOMPARE(lblMsg(), u"User log is empty."_qs);
    // Disconnect ends the session and shows the connect frame again
    Gui::click(m_window, "XPButton1");
    QVERIFY(!w("XPFrame2")->isVisible() && w("btnconnect")->isEnabled());
    QTRY_VERIFY(simStatus().contains(u"clients 0"_qs));
    // the Export entry, the close box and the main window closing each end the window and its session
    for (const char how : {'e', 'c', 'm'}) {
        connectTo(u"127.0.0.1"_qs, u"sim"_qs);
        QTRY_VERIFY(simStatus().contains(u"clients 1"_qs));
        frame = qobject_cast<QMdiSubWindow*>(m_window->parentWidget());
        if (how == 'e')
            Gui::child<QAction>(m_window, "mnuexport")->trigger();
        else
            QVERIFY(how == 'c' ? frame->close() : m_session->main().close());
        QTRY_VERIFY(m_window.isNull() && simStatus().contains(u"clients 0"_qs));
        QCOMPARE(bool(m_session->window(WindowId::Export)), how == 'e');
        if (how != 'm')
            open();
    }
}

void TestItTerminalWindows::failedDownloads_data()
{
    // the fault; the status line (empty: the message's); the message (empty: none)
    addColumns<QString, QString, QString>({"fault", "label", "message"});
    addRow("peer drops", u"misbehave GetLogData drop"_qs, u"Internal socket error!"_qs, u""_qs);
    addRow("key demanded", u"require-key on"_qs, u"Encryption Key is not set!"_qs, u""_qs);
    addRow("log file unwritable", u"folder"_qs, u""_qs, u"TQ90_log.bin"_qs);
    addRow("punches left out", u"RAISE(IGNORE)"_qs, u"Read 30 punches"_qs, u"Punch 1 of 30 of the log"_qs);
    addRow("store failed", u"RAISE(ABORT, 'database or disk is full')"_qs, u""_qs, u"disk is full"_qs);
}

// A download not stored completely shows why and keeps the earlier log file; the erase question
// warns of it until a complete download.
void TestItTerminalWindows::failedDownloads()
{
    const auto [fault, label, message] = fetchColumns<QString, QString, QString>("fault", "label", "message");
    open();
    QSqlQuery q(Connections::get(Connections::LocalConnection));
    const QString logFile = m_session->paths().logFile();
    if (fault.startsWith(u"RAISE"))
        QVERIFY(q.exec(u"CREATE TRIGGER t BEFORE INSERT ON tblexport BEGIN SELECT %1; END"_qs.arg(fault)));
    QVERIFY(fault == u"folder" ? QDir().mkpath(logFile) : TestFiles::write(logFile, "older"));
    QVERIFY(!fault.startsWith(u"require") || m_sim.ok(fault));
    connectTo(u"127.0.0.1"_qs, u"sim"_qs);
    QVERIFY(!fault.startsWith(u"misbehave") || m_sim.ok(fault));
    Gui::click(m_window, "btnGetlog");
    QVERIFY2(lblMsg().contains(label.isEmpty() ? message : label), qPrintable(lblMsg()));
    QCOMPARE(prompter().shown().size(), message.isEmpty() ? 0 : 1);
    QVERIFY2(prompter().last().text.contains(message), qPrintable(prompter().last().text));
    if (!message.isEmpty())
        QCOMPARE(prompter().last().icon,
                 label.isEmpty() ? Prompter::Icon::Critical : Prompter::Icon::Warning);
    QVERIFY(!m_session->main().findChild<ConversionProgressWindow*>() ||
            !m_session->main().findChild<ConversionProgressWindow*>()->isVisible());
    QCOMPARE(w("XPButton2")->isEnabled(), fault.startsWith(u"require"));
    QCOMPARE(TestFiles::read(logFile) == "older", message.isEmpty());
    prompter().queueAnswer(Prompter::Answer::No);
    Gui::click(m_window, "btnEraseLog");
    QCOMPARE(prompter().last().text.section(u' ', 0, 6), u"The last download was not stored completely:"_qs);
    QVERIFY2(prompter().last().text.contains(message.isEmpty() ? label : message),
             qPrintable(prompter().last().text));
    if (!fault.startsWith(u"require"))
        return;
    // the key exchanged, a complete download leaves the plain question
    Gui::click(m_window, "XPButton2");
    QCOMPARE(lblMsg(), u"Exchange Key successfully!"_qs);
    QVERIFY(!w("XPButton2")->isEnabled());
    Gui::click(m_window, "btnGetlog");
    prompter().queueAnswer(Prompter::Answer::No);
    Gui::click(m_window, "btnEraseLog");
    QCOMPARE(prompter().texts().mid(prompter().texts().size() - 2), (QStringList{Downloaded, EraseQuestion}));
}

void TestItTerminalWindows::enrolment()
{
    open(4);
    QCOMPARE(Gui::child<QLineEdit>(m_window, "txtPort")->text(), u"5001"_qs);
    connectTo(u" 127.0.0.1 "_qs, QString::number(m_sim.port()).prepend(u' '));
    QVERIFY2(prompter().shown().isEmpty(), qPrintable(prompter().texts().join(u'|')));
    QVERIFY(!w("btnconnect")->isEnabled());
    enabled(Idle);
    QVERIFY(TestFiles::read(m_session->paths().settingsFile()).contains("IP= 127.0.0.1 \r\n"));
    // the user dialog refuses user 0; Cancel starts nothing
    answerUserDialog(u"0 1 3"_qs);
    Gui::click(m_window, "cmdEnroll");
    QCOMPARE(prompter().texts(), QStringList{u"User ID could not be 0!"_qs});
    answerUserDialog(u"cancel"_qs);
    Gui::click(m_window, "cmdVerify");
    QVERIFY(!enrolmentWindow()->operation().isRunning() && lblMsg().isEmpty());
    // five samples, the bar counting them, the commands but Stop idle meanwhile
    QWidget* picture = w("picImage");
    const QImage blank = picture->grab().toImage();
    QSignalSpy finished(&enrolmentWindow()->operation(), &FingerOperation::finished);
    const QPoint messageAt = w("lblMsg")->pos();
    answerUserDialog(u"1001 3 5"_qs);
    Gui::click(m_window, "cmdEnroll");
    QCOMPARE(Gui::child<QLabel>(m_window, "Label2")->text(), u"Right thumb"_qs);
    QVERIFY(w("barEnroll")->isVisible());
    enabled(u"cmdStop cmdExchangeKey"_qs);
    for (int sample = 1; sample <= 5; ++sample) {
        QTRY_COMPARE(lblMsg(), PlaceFinger);
        QVERIFY(m_sim.ok(u"place 1001 5"_qs));
        QTRY_COMPARE(Gui::child<QLabel>(m_window, "lblProgress")->text(), u"%1/5"_qs.arg(sample));
        QTRY_COMPARE(lblMsg(), u"ยกนิ้วมือขึ้นออกจาก TQ90..."_qs);
        QVERIFY(m_sim.ok(u"lift"_qs));
    }
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(lblMsg(), u"1001 is enrolled successfully!"_qs);
    QCOMPARE(m_sim.command(u"templates"_qs), u"ok templates 1 1001:3:5:6"_qs);
    QVERIFY(!w("barEnroll")->isVisible());
    QCOMPARE(w("lblMsg")->pos(), messageAt); // the bar keeps its room
    QVERIFY(picture->grab().toImage() != blank);
    enabled(Idle);
    // the enrolled finger is verified; a capture waits for the finger until stopped
    QVERIFY(m_sim.ok(u"place 1001 5"_qs));
    answerUserDialog(u"1001 3 5"_qs);
    Gui::click(m_window, "cmdVerify");
    QTRY_COMPARE(lblMsg(), u"Verify successfully!"_qs);
    QVERIFY(m_sim.ok(u"lift"_qs));
    Gui::click(m_window, "cmdCapture");
    QTRY_COMPARE(lblMsg(), PlaceFinger);
    QVERIFY(!enrolmentWindow()->operation().start(FingerOperation::Kind::Verify, 1)); // one at a time
    Gui::click(m_window, "cmdStop");
    QTRY_COMPARE(lblMsg(), u"Operation canceled by user!"_qs);
    enabled(Idle);
    // the door and the key answer at once
    Gui::click(m_window, "cmdOpenDoor");
    QCOMPARE(lblMsg(), u"เปิดประตูเรียบร้อย"_qs);
    QCOMPARE(m_sim.command(u"doors"_qs), u"ok doors 1"_qs);
    Gui::click(m_window, "cmdExchangeKey");
    QCOMPARE(lblMsg(), u"Exchange Key successfully!"_qs);
    // the close box and the main window closing during a capture end the wait and the session
    for (const bool viaMain : {false, true}) {
        Gui::click(m_window, "cmdCapture");
        QTRY_COMPARE(lblMsg(), PlaceFinger);
        QTRY_VERIFY(simStatus().contains(u"clients 1"_qs));
        QVERIFY(viaMain ? m_session->main().close()
                        : qobject_cast<QMdiSubWindow*>(m_window->parentWidget())->close());
        QTRY_VERIFY(m_window.isNull());
        QTRY_VERIFY(simStatus().contains(u"clients 0"_qs));
        if (!viaMain) {
            open(4);
            QCOMPARE(Gui::child<QLineEdit>(m_window, "txtIP")->text(), u"127.0.0.1"_qs);
            connectTo(u"127.0.0.1"_qs, u"sim"_qs);
        }
    }
    QCOMPARE(prompter().shown().size(), 1);
}

QTEST_MAIN(TestItTerminalWindows)
#include "tst_it_terminalwindows.moc"
