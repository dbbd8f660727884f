#include "core/storage/Connections.h"
#include "core/terminal/LogRecord.h"
#include "fixtures/MainWindowSession.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"
#include "fixtures/Tq90SimProcess.h"
#include "gui/terminal/ConversionProgressWindow.h"
#include "gui/terminal/TerminalWindow.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTimer>

namespace {

const QString Downloaded = QStringLiteral("ดึงข้อมูลเรียบร้อย");
const QString EraseQuestion = QStringLiteral("You do want delete log?");
const QString NoAnswer = QStringLiteral("Failed to connect to TQ90!");

int punches()
{
    QSqlQuery q(Connections::get(Connections::LocalConnection));
    return q.exec(u"select count(*) from tblexport"_qs) && q.next() ? q.value(0).toInt() : -1;
}

QString closedPort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? QString::number(probe.serverPort()) : QString();
}

} // namespace

// The terminal connection window of side-bar item 1 inside the real main window, against tq90-sim.
class TestItTerminalWindow : public QObject
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

private:
    void open();
    void connectTo(const QString& ip, const QString& port, bool menu = false);
    QString lblMsg() const { return Gui::child<QLabel>(m_window, "lblMsg")->text(); }
    // The work frame shows, the connect frame and button do not.
    bool connected() const
    {
        return Gui::child(m_window, "XPFrame2")->isVisible() &&
               !Gui::child(m_window, "XPFrame1")->isVisible() &&
               !Gui::child(m_window, "btnconnect")->isEnabled();
    }
    QString simStatus() { return m_sim.command(u"status"_qs); }
    TestPrompter& prompter() { return m_session->prompter(); }

    Tq90SimProcess m_sim;
    std::unique_ptr<MainWindowSession> m_session;
    QPointer<TerminalWindow> m_window;
};

void TestItTerminalWindow::init()
{
    QVERIFY(m_sim.start({u"--generate"_qs, u"30"_qs}));
    m_session = std::make_unique<MainWindowSession>();
    open();
}

void TestItTerminalWindow::cleanup()
{
    m_session.reset();
    m_sim.stop();
}

void TestItTerminalWindow::open()
{
    m_session->clickItem(1);
    m_window = m_session->window<TerminalWindow>(WindowId::Connect);
    QVERIFY(m_window && m_window->isVisible());
    m_window->client().setTimeout(2000);
}

void TestItTerminalWindow::connectTo(const QString& ip, const QString& port, bool menu)
{
    Gui::type(m_window, "txtIP", ip);
    Gui::type(m_window, "txtPort", port == u"sim" ? QString::number(m_sim.port()) : port);
    if (menu)
        Gui::child<QAction>(m_window, "mnucon")->trigger();
    else
        Gui::click(m_window, "btnconnect");
}

void TestItTerminalWindow::refusedConnects_data()
{
    addColumns<QString, QString, QString, QString>(
        {"ip", "port", "message", "title"}); // empty: the program's
    const QString badPort = u"Port number is invalid! Range:1-65535"_qs;
    addRow("blank IP", u"   "_qs, u"x"_qs, u"IP address is required!"_qs, u""_qs);
    addRow("port 0", u"127.0.0.1"_qs, u"0"_qs, badPort, u""_qs);
    addRow("port 65536", u"127.0.0.1"_qs, u"65536"_qs, badPort, u""_qs);
    addRow("port -1", u"127.0.0.1"_qs, u"-1"_qs, badPort, u""_qs);
    addRow("port 1 is tried", u"127.0.0.1"_qs, u"1"_qs, NoAnswer, u""_qs);
    addRow("port 65535 is tried", u"127.0.0.1"_qs, u"65535"_qs, NoAnswer, u""_qs);
    addRow("nobody listens", u"127.0.0.1"_qs, u"closed"_qs, NoAnswer, u""_qs);
    addRow("letters", u"127.0.0.1"_qs, u"abc"_qs, u"Type mismatch"_qs, u"connect"_qs);
    addRow("empty port", u"127.0.0.1"_qs, u""_qs, u"Type mismatch"_qs, u"connect"_qs);
    addRow("beyond 32 bits", u"127.0.0.1"_qs, u"99999999999"_qs, u"Overflow"_qs, u"connect"_qs);
}

void TestItTerminalWindow::refusedConnects()
{
    QFETCH(QString, ip);
    QFETCH(QString, port);
    QFETCH(QString, message);
    QFETCH(QString, title);
    connectTo(ip, port == u"closed" ? closedPort() : port);
    QCOMPARE(prompter().texts(), QStringList{message});
    QCOMPARE(prompter().last().title, title.isEmpty() ? m_session->context().title : title);
    const bool critical = message == NoAnswer || !title.isEmpty();
    QCOMPARE(prompter().last().icon, critical ? Prompter::Icon::Critical : Prompter::Icon::Question);
    QVERIFY(Gui::child(m_window, "XPFrame1")->isVisible() && Gui::child(m_window, "btnconnect")->isEnabled());
    QVERIFY(!Gui::child(m_window, "XPFrame2")->isVisible());
    QVERIFY(!QFile::exists(m_session->paths().settingsFile()));
}

void TestItTerminalWindow::downloadEraseAndClose()
{
    QCOMPARE(Gui::child<QLineEdit>(m_window, "txtPort")->text(), u"5001"_qs);
    // the connect menu entry does what the button does; the texts are stored as typed
    connectTo(u" 127.0.0.1 "_qs, QStringLiteral(" %1 ").arg(m_sim.port()), true);
    QVERIFY2(prompter().shown().isEmpty(), qPrintable(prompter().texts().join(u'\n')));
    QVERIFY(connected());
    QVERIFY(TestFiles::read(m_session->paths().settingsFile())
                .contains(QStringLiteral("IP= 127.0.0.1 \r\nPort= %1 \r\n").arg(m_sim.port()).toLatin1()));
    // while the log is stored, the close box, the main window and the side bar are refused
    auto* frame = qobject_cast<QMdiSubWindow*>(m_window->parentWidget());
    bool busy = false;
    bool mainClosed = true;
    QTimer::singleShot(0, m_window, [&] {
        busy = !Gui::child(m_window, "XPFrame2")->isEnabled() &&
               !Gui::child<QAction>(m_window, "mnuexport")->isEnabled();
        frame->close();
        mainClosed = m_session->main().close();
        m_session->clickItem(2);
    });
    Gui::click(m_window, "btnGetlog");
    QVERIFY(busy && !mainClosed);
    const QString storing = u"The log is still being stored. Close the window when it has finished."_qs;
    QCOMPARE(prompter().texts(),
             (QStringList{
                 storing, storing,
                 u"The terminal connection window is still working. Choose again when it has finished."_qs,
                 Downloaded}));
    QCOMPARE(prompter().last().icon, Prompter::Icon::Information);
    QVERIFY(m_window && !m_session->window(WindowId::Export));
    QVERIFY(Gui::child(m_window, "XPFrame2")->isEnabled() &&
            Gui::child<QAction>(m_window, "mnuexport")->isEnabled());
    QCOMPARE(lblMsg(), u"Read 30 punches, 30 new."_qs);
    Gui::click(m_window, "btnGetlog");
    QCOMPARE(lblMsg(), u"Read 30 punches, 0 new."_qs);
    QCOMPARE(punches(), 30);
    auto* splash = m_session->main().findChild<ConversionProgressWindow*>();
    QVERIFY(splash && !splash->isVisible());
    QCOMPARE(Gui::child<QLabel>(splash, "Label2")->text(), u" 100 %"_qs);
    QCOMPARE(splash->parentWidget(), m_session->main().mdiArea().viewport());
    splash->showCentered();
    QTest::keyClick(splash, Qt::Key_A);
    QVERIFY(!splash->isVisible());
    // a failed connect from the menu keeps the working connection
    const int first = m_window->terminalHandle();
    connectTo(u"127.0.0.1"_qs, closedPort(), true);
    QCOMPARE(prompter().last().text, NoAnswer);
    QCOMPARE(m_window->terminalHandle(), first);
    // erase: No keeps the punches, Yes erases them, a failing erase shows the terminal's reason
    prompter().clear();
    for (const auto answer : {Prompter::Answer::No, Prompter::Answer::Yes}) {
        prompter().queueAnswer(answer);
        Gui::click(m_window, "btnEraseLog");
        QVERIFY(simStatus().contains(answer == Prompter::Answer::No ? u" 30 punches"_qs : u" 0 punches"_qs));
    }
    QCOMPARE(prompter().texts(), (QStringList{EraseQuestion, EraseQuestion}));
    QCOMPARE(prompter().last().title, u"Delete"_qs);
    QCOMPARE(prompter().last().buttons, Prompter::Buttons::YesNo);
    QCOMPARE(lblMsg(), u"Log data is deleted!"_qs);
    QVERIFY(Gui::child(m_window, "btnGetlog")->isEnabled());
    QVERIFY(m_sim.ok(u"fail EraseLogData 90"_qs));
    Gui::click(m_window, "btnEraseLog");
    QCOMPARE(lblMsg(), u"Bad flash!"_qs);
    Gui::click(m_window, "btnGetlog");
    QCOMPARE(lblMsg(), u"User log is empty."_qs);
    // Disconnect ends the session and shows the connect frame again
    QTRY_VERIFY(simStatus().contains(u"clients 1"_qs));
    Gui::click(m_window, "XPButton1");
    QVERIFY(!Gui::child(m_window, "XPFrame2")->isVisible() &&
            Gui::child(m_window, "btnconnect")->isEnabled());
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
        QTRY_VERIFY(m_window.isNull());
        QTRY_VERIFY(simStatus().contains(u"clients 0"_qs));
        QCOMPARE(m_session->main().mdiArea().subWindowList().isEmpty(), how != 'e');
        QCOMPARE(bool(m_session->window(WindowId::Export)), how == 'e');
        if (how != 'm')
            open();
    }
}

void TestItTerminalWindow::failedDownloads_data()
{
    // the fault; the status line (empty: the message's); the message (empty: none); the reason the
    // erase question then gives
    addColumns<QString, QString, QString, QString>({"fault", "label", "message", "reason"});
    addRow("peer drops", u"misbehave GetLogData drop"_qs, u"Internal socket error!"_qs, u""_qs,
           u"Internal socket error!"_qs);
    addRow("key demanded", u"require-key on"_qs, u"Encryption Key is not set!"_qs, u""_qs,
           u"Encryption Key is not set!"_qs);
    addRow("log file unwritable", u"folder"_qs, u""_qs, u"TQ90_log.bin"_qs, u"TQ90_log.bin"_qs);
    addRow("store failed", u"RAISE(ABORT, 'database or disk is full')"_qs, u""_qs, u"disk is full"_qs,
           u"disk is full"_qs);
    addRow("store not shown", u"RAISE(IGNORE)"_qs, u"Read 30 punches"_qs, u"Punch 1 of 30 of the log"_qs,
           u"Punch 1 of 30"_qs);
    addRow("partial record", u"partial"_qs, u"Read 6 punches"_qs, u"ends in 5 bytes"_qs,
           u"ends in 5 bytes"_qs);
}

// A download not stored completely shows why and keeps the earlier log file; the erase question
// warns of it until a complete download.
void TestItTerminalWindow::failedDownloads()
{
    QFETCH(QString, fault);
    QFETCH(QString, label);
    QFETCH(QString, message);
    QFETCH(QString, reason);
    QSqlQuery q(Connections::get(Connections::LocalConnection));
    const QString logFile = m_session->paths().logFile();
    if (fault.startsWith(u"RAISE"))
        QVERIFY(q.exec(u"CREATE TRIGGER t BEFORE INSERT ON tblexport BEGIN SELECT %1; END"_qs.arg(fault)));
    QVERIFY(fault == u"folder" ? QDir().mkpath(logFile) : TestFiles::write(logFile, "older"));
    if (fault == u"partial") {
        QVERIFY(TestFiles::write(logFile + u".part"_qs, generateLog(6, 2) + QByteArray(5, '\x01')));
        QVERIFY(m_sim.ok(u"load "_qs + logFile + u".part"_qs));
    }
    if (fault.startsWith(u"require"))
        QVERIFY(m_sim.ok(fault));
    connectTo(u"127.0.0.1"_qs, u"sim"_qs);
    QVERIFY(!Gui::child(m_window, "XPButton2")->isEnabled());
    if (fault.startsWith(u"misbehave"))
        QVERIFY(m_sim.ok(fault));
    Gui::click(m_window, "btnGetlog");
    QVERIFY2(lblMsg().contains(label.isEmpty() ? message : label), qPrintable(lblMsg()));
    QVERIFY2(prompter().texts().join(u'\n').contains(message), qPrintable(prompter().texts().join(u'\n')));
    QCOMPARE(prompter().shown().size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QCOMPARE(prompter().last().icon,
                 label.isEmpty() ? Prompter::Icon::Critical : Prompter::Icon::Warning);
    QVERIFY(!m_session->main().findChild<ConversionProgressWindow*>() ||
            !m_session->main().findChild<ConversionProgressWindow*>()->isVisible());
    QCOMPARE(Gui::child(m_window, "XPButton2")->isEnabled(), fault.startsWith(u"require"));
    if (fault != u"folder")
        QCOMPARE(TestFiles::read(logFile) == "older",
                 label.startsWith(u"Internal") || label.startsWith(u"Encr"));
    prompter().queueAnswer(Prompter::Answer::No);
    Gui::click(m_window, "btnEraseLog");
    const QString question = prompter().last().text;
    QVERIFY2(question.startsWith(u"The last download was not stored completely: "_qs) &&
                 question.contains(reason) && question.endsWith(u"\n\n"_qs + EraseQuestion),
             qPrintable(question));
    QVERIFY(!simStatus().contains(u" 0 punches"_qs));
    if (fault.startsWith(u"misbehave"))
        return; // the session went with the peer
    // a complete download afterwards leaves the plain question
    QVERIFY(q.exec(u"DROP TRIGGER IF EXISTS t"_qs));
    QVERIFY(!QFileInfo(logFile).isDir() || QDir().rmdir(logFile));
    QVERIFY(m_sim.ok(u"generate 6"_qs));
    if (fault.startsWith(u"require")) {
        Gui::click(m_window, "XPButton2");
        QCOMPARE(lblMsg(), u"Exchange Key successfully!"_qs);
        QVERIFY(!Gui::child(m_window, "XPButton2")->isEnabled());
    }
    Gui::click(m_window, "btnGetlog");
    QCOMPARE(prompter().last().text, Downloaded);
    prompter().queueAnswer(Prompter::Answer::No);
    Gui::click(m_window, "btnEraseLog");
    QCOMPARE(prompter().last().text, EraseQuestion);
}

QTEST_MAIN(TestItTerminalWindow)
#include "tst_it_terminalwindow.moc"
