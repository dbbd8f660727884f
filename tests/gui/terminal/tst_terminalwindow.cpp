#include "core/platform/IniFile.h"
#include "core/storage/Connections.h"
#include "core/terminal/LogRecord.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestPrompter.h"
#include "fixtures/Tq90SimProcess.h"
#include "gui/platform/AppContext.h"
#include "gui/terminal/ConversionProgressWindow.h"
#include "gui/terminal/TerminalWindow.h"

#include <QAction>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

namespace {

int punches()
{
    QSqlQuery q(Connections::get(Connections::LocalConnection));
    return q.exec(QStringLiteral("select count(*) from tblexport")) && q.next() ? q.value(0).toInt() : -1;
}

} // namespace

class TestTerminalWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void loadsSettings();
    void captionsAndMenu();
    void exportClosesFrameInMainWindow();
    void portIsChecked_data();
    void portIsChecked();
    void blankIpIsRefused();
    void portThatIsNoNumber_data();
    void portThatIsNoNumber();
    void refusedConnection();
    void connectStoresUntrimmedTexts();
    void keyDemandEnablesExchange();
    void downloadConvertsAndStaysConnected();
    void downloadOverLongerFile();
    void eraseAskedNo();
    void emptyLog();
    void peerDropsMidDownload();
    void fileWriteFailureIsShown();
    void conversionFailureIsShown();
    void eraseQuestionWarnsAfterIncompleteDownload_data();
    void eraseQuestionWarnsAfterIncompleteDownload();
    void disconnectAndClose();
    void connectAgainFromMenu();

private:
    QPushButton* button(const char* name)
    {
        return m_window->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QLineEdit* edit(const char* name) { return m_window->findChild<QLineEdit*>(QString::fromLatin1(name)); }
    QString lblMsg() { return m_window->findChild<QLabel*>(QStringLiteral("lblMsg"))->text(); }
    bool frameVisible(const char* name)
    {
        return m_window->findChild<QFrame*>(QString::fromLatin1(name))->isVisible();
    }
    void connectTo(quint16 port);
    void startSim(const QStringList& options = {});

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestPrompter> m_prompter;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<TerminalWindow> m_window;
    std::unique_ptr<Tq90SimProcess> m_sim;
};

void TestTerminalWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_prompter = std::make_unique<TestPrompter>();
    m_context = std::make_unique<AppContext>(AppContext{AppPaths(m_dir->path()), *m_prompter});
    QVERIFY(openLocalDatabase(m_context->paths).ok());
    m_window = std::make_unique<TerminalWindow>(*m_context);
    m_window->client().setTimeout(2000);
    m_window->show();
}

void TestTerminalWindow::cleanup()
{
    m_window.reset();
    m_sim.reset();
    Connections::close(Connections::LocalConnection);
    m_context.reset();
    m_prompter.reset();
    m_dir.reset();
}

void TestTerminalWindow::startSim(const QStringList& options)
{
    m_sim = std::make_unique<Tq90SimProcess>();
    QVERIFY(m_sim->start(options));
}

void TestTerminalWindow::connectTo(quint16 port)
{
    edit("txtIP")->setText(QStringLiteral("127.0.0.1"));
    edit("txtPort")->setText(QString::number(port));
    button("btnconnect")->click();
    QVERIFY2(m_prompter->shown().isEmpty(), qPrintable(m_prompter->texts().join(u';')));
    QVERIFY(m_window->terminalHandle() != 0);
}

void TestTerminalWindow::loadsSettings()
{
    QCOMPARE(edit("txtIP")->text(), QString());
    QCOMPARE(edit("txtPort")->text(), QStringLiteral("5001"));
    QVERIFY(frameVisible("XPFrame1"));
    QVERIFY(!frameVisible("XPFrame2"));
    QVERIFY(writeIniValue(QStringLiteral("text"), QStringLiteral("IP"), QStringLiteral("10.1.2.3"),
                          m_context->paths.settingsFile()));
    QVERIFY(writeIniValue(QStringLiteral("text"), QStringLiteral("Port"), QStringLiteral("4370"),
                          m_context->paths.settingsFile()));
    TerminalWindow again(*m_context);
    QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("txtIP"))->text(), QStringLiteral("10.1.2.3"));
    QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("txtPort"))->text(), QStringLiteral("4370"));
}

void TestTerminalWindow::captionsAndMenu()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("เชื่อมต่อ TQ90"));
    QCOMPARE(button("btnconnect")->text(), QStringLiteral("Connect"));
    QCOMPARE(button("btnGetlog")->text(), QStringLiteral("ดึงข้อมูลเวลา"));
    QCOMPARE(button("btnEraseLog")->text(), QStringLiteral("ลบข้อมูลเวลา"));
    QCOMPARE(button("XPButton2")->text(), QStringLiteral("Exchange &Key"));
    QCOMPARE(button("XPButton1")->text(), QStringLiteral("Disconnect"));
    QVERIFY(!button("XPButton2")->isEnabled());
    QStringList labels;
    for (const QLabel* l : m_window->findChildren<QLabel*>())
        labels << l->text();
    for (const char* text : {"Connect TQ90", "IP :", "Port :", "[IP] : IP Address TQ90",
                             "[Port] : Port ที่ใช้เชื่อมต่อ TQ90  ค่าตั้งต้น 5001", "[ดึงข้อมูลเวลา] : ดึง Log เวลาจากกล่อง",
                             "[ลบข้อมุลเวลา] : ลบ Log เวลาในกล่อง"})
        QVERIFY2(labels.contains(QString::fromUtf8(text)), text);
    const QList<std::pair<const char*, const char*>> menu = {
        {"mnucon", "Connect QOR"}, {"mnuexit", "Exit"}, {"mnuexport", "Export"}, {"mnuabout", "About..."}};
    for (const auto& [name, text] : menu) {
        const auto* action = m_window->findChild<QAction*>(QString::fromLatin1(name));
        QVERIFY2(action, name);
        QCOMPARE(action->text(), QString::fromLatin1(text));
    }
    // without an export window to go to, the entry says so instead of pretending
    QAction* exportAction = m_window->findChild<QAction*>(QStringLiteral("mnuexport"));
    QVERIFY(!exportAction->isEnabled());
    QVERIFY(!exportAction->toolTip().isEmpty());
    int shown = 0;
    m_window->setShowExport([&shown] { ++shown; });
    QVERIFY(exportAction->isEnabled());
    exportAction->trigger();
    QCOMPARE(shown, 1);
    QVERIFY(!m_window->isVisible());
}

void TestTerminalWindow::exportClosesFrameInMainWindow()
{
    QMdiArea area;
    auto* window = new TerminalWindow(*m_context);
    QMdiSubWindow* frame = area.addSubWindow(window);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<QMdiSubWindow> watch(frame);
    area.show();
    frame->show();
    int shown = 0;
    window->setShowExport([&shown] { ++shown; });
    window->findChild<QAction*>(QStringLiteral("mnuexport"))->trigger();
    QCOMPARE(shown, 1);
    QTRY_VERIFY(watch.isNull());
}

void TestTerminalWindow::portIsChecked_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("0") << QStringLiteral("0") << false;
    QTest::newRow("65536") << QStringLiteral("65536") << false;
    QTest::newRow("-1") << QStringLiteral("-1") << false;
    QTest::newRow("1") << QStringLiteral("1") << true;
    QTest::newRow("65535") << QStringLiteral("65535") << true;
    QTest::newRow(" 5001 ") << QStringLiteral(" 5001 ") << true;
}

void TestTerminalWindow::portIsChecked()
{
    QFETCH(QString, port);
    QFETCH(bool, accepted);
    edit("txtIP")->setText(QStringLiteral("127.0.0.1"));
    edit("txtPort")->setText(port);
    button("btnconnect")->click();
    QCOMPARE(m_prompter->shown().size(), qsizetype(m_window->terminalHandle() == 0 ? 1 : 0));
    if (!accepted) {
        QCOMPARE(m_prompter->last().text, QStringLiteral("Port number is invalid! Range:1-65535"));
        QCOMPARE(m_prompter->last().icon, Prompter::Icon::Question);
        QCOMPARE(m_prompter->last().title, m_context->title);
    } else if (m_window->terminalHandle() == 0) {
        // the port passed the check; nothing answers there
        QCOMPARE(m_prompter->last().text, QStringLiteral("Failed to connect to TQ90!"));
    }
}

void TestTerminalWindow::blankIpIsRefused()
{
    edit("txtIP")->setText(QStringLiteral("    "));
    button("btnconnect")->click();
    QCOMPARE(m_prompter->last().text, QStringLiteral("IP address is required!"));
    QCOMPARE(m_prompter->last().icon, Prompter::Icon::Question);
    QCOMPARE(m_window->terminalHandle(), 0);
}

void TestTerminalWindow::portThatIsNoNumber_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("message");
    QTest::newRow("letters") << QStringLiteral("abc") << QStringLiteral("Type mismatch");
    QTest::newRow("empty") << QString() << QStringLiteral("Type mismatch");
    QTest::newRow("beyond 32 bits") << QStringLiteral("99999999999") << QStringLiteral("Overflow");
}

void TestTerminalWindow::portThatIsNoNumber()
{
    QFETCH(QString, port);
    QFETCH(QString, message);
    edit("txtIP")->setText(QStringLiteral("127.0.0.1"));
    edit("txtPort")->setText(port);
    button("btnconnect")->click();
    QCOMPARE(m_prompter->last().text, message);
    QCOMPARE(m_prompter->last().title, QStringLiteral("connect"));
    QCOMPARE(m_prompter->last().icon, Prompter::Icon::Critical);
}

void TestTerminalWindow::refusedConnection()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    edit("txtIP")->setText(QStringLiteral("127.0.0.1"));
    edit("txtPort")->setText(QString::number(port));
    button("btnconnect")->click();
    QCOMPARE(m_prompter->last().text, QStringLiteral("Failed to connect to TQ90!"));
    QCOMPARE(m_prompter->last().icon, Prompter::Icon::Critical);
    QVERIFY(frameVisible("XPFrame1"));
    QVERIFY(button("btnconnect")->isEnabled());
}

void TestTerminalWindow::connectStoresUntrimmedTexts()
{
    startSim();
    edit("txtIP")->setText(QStringLiteral(" 127.0.0.1 "));
    edit("txtPort")->setText(QStringLiteral(" %1 ").arg(m_sim->port()));
    // the connect menu entry does what the button does
    m_window->findChild<QAction*>(QStringLiteral("mnucon"))->trigger();
    QVERIFY(m_prompter->shown().isEmpty());
    QVERIFY(m_window->terminalHandle() != 0);
    QVERIFY(!frameVisible("XPFrame1"));
    QVERIFY(frameVisible("XPFrame2"));
    QVERIFY(!button("btnconnect")->isEnabled());
    const QByteArray settings = TestFiles::read(m_context->paths.settingsFile());
    QVERIFY2(settings.contains("IP= 127.0.0.1 \r\n"), settings.constData());
    QVERIFY2(settings.contains(QStringLiteral("Port= %1 \r\n").arg(m_sim->port()).toLatin1()),
             settings.constData());
}

void TestTerminalWindow::keyDemandEnablesExchange()
{
    startSim({QStringLiteral("--require-key"), QStringLiteral("--generate"), QStringLiteral("5")});
    connectTo(m_sim->port());
    QVERIFY(!button("XPButton2")->isEnabled());
    button("btnGetlog")->click();
    QCOMPARE(lblMsg(), QStringLiteral("Encryption Key is not set!"));
    QVERIFY(button("XPButton2")->isEnabled());
    button("XPButton2")->click();
    QCOMPARE(lblMsg(), QStringLiteral("Exchange Key successfully!"));
    QVERIFY(!button("XPButton2")->isEnabled());
    button("btnGetlog")->click();
    QCOMPARE(m_prompter->last().text, QStringLiteral("ดึงข้อมูลเรียบร้อย"));
    QCOMPARE(punches(), 5);
}

void TestTerminalWindow::downloadConvertsAndStaysConnected()
{
    startSim({QStringLiteral("--generate"), QStringLiteral("30")});
    connectTo(m_sim->port());
    for (int round = 0; round < 2; ++round) {
        button("btnGetlog")->click();
        QCOMPARE(m_prompter->last().text, QStringLiteral("ดึงข้อมูลเรียบร้อย"));
        QCOMPARE(m_prompter->last().icon, Prompter::Icon::Information);
        QCOMPARE(m_prompter->last().title, m_context->title);
        QCOMPARE(lblMsg(), round == 0 ? QStringLiteral("Read 30 punches, 30 new.")
                                      : QStringLiteral("Read 30 punches, 0 new."));
        QCOMPARE(punches(), 30);
    }
    auto* splash = m_window->findChild<ConversionProgressWindow*>();
    QVERIFY(splash && !splash->isVisible());
    QCOMPARE(splash->findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("Loading "));
    QCOMPARE(splash->findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral(" 100 %"));
    // still connected: erase works right after the download
    QVERIFY(m_window->terminalHandle() != 0);
    QVERIFY(frameVisible("XPFrame2"));
    m_prompter->queueAnswer(Prompter::Answer::Yes);
    button("btnEraseLog")->click();
    QCOMPARE(m_prompter->last().text, QStringLiteral("You do want delete log?"));
    QCOMPARE(m_prompter->last().title, QStringLiteral("Delete"));
    QCOMPARE(m_prompter->last().buttons, Prompter::Buttons::YesNo);
    QCOMPARE(m_prompter->last().icon, Prompter::Icon::Information);
    QCOMPARE(lblMsg(), QStringLiteral("Log data is deleted!"));
    QVERIFY(m_sim->command(QStringLiteral("status")).contains(QStringLiteral(" 0 punches")));
    QVERIFY(button("btnGetlog")->isEnabled());
    QCOMPARE(punches(), 30);
}

void TestTerminalWindow::downloadOverLongerFile()
{
    startSim({QStringLiteral("--generate"), QStringLiteral("3")});
    QVERIFY(TestFiles::write(m_context->paths.logFile(), QByteArray(10000, '\x55')));
    connectTo(m_sim->port());
    button("btnGetlog")->click();
    const QByteArray file = TestFiles::read(m_context->paths.logFile());
    QCOMPARE(file.size(), 3 * 16 + 1);
    QCOMPARE(file.at(48), '\0');
}

void TestTerminalWindow::eraseAskedNo()
{
    startSim({QStringLiteral("--generate"), QStringLiteral("4")});
    connectTo(m_sim->port());
    m_prompter->queueAnswer(Prompter::Answer::No);
    button("btnEraseLog")->click();
    QCOMPARE(lblMsg(), QString());
    QVERIFY(m_sim->command(QStringLiteral("status")).contains(QStringLiteral(" 4 punches")));
    QVERIFY(button("btnGetlog")->isEnabled());
    // a failing erase shows the terminal's reason
    QVERIFY(m_sim->ok(QStringLiteral("fail EraseLogData 90")));
    button("btnEraseLog")->click();
    QCOMPARE(lblMsg(), QStringLiteral("Bad flash!"));
}

void TestTerminalWindow::emptyLog()
{
    startSim();
    connectTo(m_sim->port());
    button("btnGetlog")->click();
    QCOMPARE(lblMsg(), QStringLiteral("User log is empty."));
    QVERIFY(m_prompter->shown().isEmpty());
}

void TestTerminalWindow::peerDropsMidDownload()
{
    startSim({QStringLiteral("--generate"), QStringLiteral("20000")});
    QVERIFY(TestFiles::write(m_context->paths.logFile(), QByteArrayLiteral("older")));
    connectTo(m_sim->port());
    QVERIFY(m_sim->ok(QStringLiteral("misbehave GetLogData drop")));
    button("btnGetlog")->click();
    QCOMPARE(lblMsg(), QStringLiteral("Internal socket error!"));
    QCOMPARE(TestFiles::read(m_context->paths.logFile()), QByteArrayLiteral("older"));
    QCOMPARE(punches(), 0);
    QVERIFY(m_sim->command(QStringLiteral("status")).contains(QStringLiteral("20000 punches")));
}

void TestTerminalWindow::fileWriteFailureIsShown()
{
    startSim({QStringLiteral("--generate"), QStringLiteral("6")});
    QVERIFY(QDir().mkpath(m_context->paths.logFile())); // a folder where the file belongs
    connectTo(m_sim->port());
    button("btnGetlog")->click();
    QCOMPARE(m_prompter->last().icon, Prompter::Icon::Critical);
    QVERIFY2(m_prompter->last().text.contains(QStringLiteral("TQ90_log.bin")),
             qPrintable(m_prompter->last().text));
    QCOMPARE(punches(), 0);
    QVERIFY(m_sim->command(QStringLiteral("status")).contains(QStringLiteral(" 6 punches")));
}

void TestTerminalWindow::conversionFailureIsShown()
{
    startSim({QStringLiteral("--generate"), QStringLiteral("6")});
    QSqlQuery q(Connections::get(Connections::LocalConnection));
    QVERIFY(q.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON tblexport "
                                  "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END")));
    connectTo(m_sim->port());
    button("btnGetlog")->click();
    QCOMPARE(m_prompter->last().icon, Prompter::Icon::Critical);
    QVERIFY2(m_prompter->last().text.contains(QStringLiteral("disk is full")),
             qPrintable(m_prompter->last().text));
    QVERIFY(!m_prompter->texts().contains(QStringLiteral("ดึงข้อมูลเรียบร้อย")));
    QVERIFY(!m_window->findChild<ConversionProgressWindow*>()->isVisible());
    QCOMPARE(punches(), 0);
}

void TestTerminalWindow::eraseQuestionWarnsAfterIncompleteDownload_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<QString>("reason");
    QTest::newRow("store failed") << QStringLiteral("RAISE(ABORT, 'database or disk is full')")
                                  << QByteArray() << QStringLiteral("disk is full");
    QTest::newRow("store not shown") << QStringLiteral("RAISE(IGNORE)") << QByteArray()
                                     << QStringLiteral("Punch 1 of 6 of the log");
    QTest::newRow("partial record") << QString() << generateLog(6, 2) + QByteArray(5, '\x01')
                                    << QStringLiteral("ends in 5 bytes");
}

void TestTerminalWindow::eraseQuestionWarnsAfterIncompleteDownload()
{
    QFETCH(QString, trigger);
    QFETCH(QByteArray, log);
    QFETCH(QString, reason);
    startSim({QStringLiteral("--generate"), QStringLiteral("6")});
    QSqlQuery q(Connections::get(Connections::LocalConnection));
    if (!trigger.isEmpty())
        QVERIFY(q.exec(
            QStringLiteral("CREATE TRIGGER t BEFORE INSERT ON tblexport BEGIN SELECT %1; END").arg(trigger)));
    if (!log.isEmpty()) {
        const QString file = m_dir->filePath(QStringLiteral("partial.bin"));
        QVERIFY(TestFiles::write(file, log));
        QVERIFY(m_sim->ok(QStringLiteral("load ") + file));
    }
    connectTo(m_sim->port());
    button("btnGetlog")->click();
    QVERIFY2(m_prompter->last().text.contains(reason), qPrintable(m_prompter->last().text));
    QVERIFY(!m_prompter->texts().contains(QStringLiteral("ดึงข้อมูลเรียบร้อย")));
    m_prompter->queueAnswer(Prompter::Answer::No);
    button("btnEraseLog")->click();
    const QString question = m_prompter->last().text;
    QVERIFY2(question.startsWith(QStringLiteral("The last download was not stored completely: ")) &&
                 question.contains(reason) &&
                 question.endsWith(QStringLiteral("\n\nYou do want delete log?")),
             qPrintable(question));
    QVERIFY(m_sim->command(QStringLiteral("status")).contains(QStringLiteral(" 6 punches")));

    // a complete download afterwards leaves the plain question
    QVERIFY(q.exec(QStringLiteral("DROP TRIGGER IF EXISTS t")));
    QVERIFY(m_sim->ok(QStringLiteral("generate 6")));
    button("btnGetlog")->click();
    QCOMPARE(m_prompter->last().text, QStringLiteral("ดึงข้อมูลเรียบร้อย"));
    m_prompter->queueAnswer(Prompter::Answer::No);
    button("btnEraseLog")->click();
    QCOMPARE(m_prompter->last().text, QStringLiteral("You do want delete log?"));
}

void TestTerminalWindow::disconnectAndClose()
{
    startSim();
    connectTo(m_sim->port());
    QTRY_VERIFY(m_sim->command(QStringLiteral("status")).contains(QStringLiteral("clients 1")));
    button("XPButton1")->click();
    QCOMPARE(m_window->terminalHandle(), 0);
    QVERIFY(frameVisible("XPFrame1"));
    QVERIFY(!frameVisible("XPFrame2"));
    QVERIFY(button("btnconnect")->isEnabled());
    QTRY_VERIFY(m_sim->command(QStringLiteral("status")).contains(QStringLiteral("clients 0")));
    connectTo(m_sim->port());
    QTRY_VERIFY(m_sim->command(QStringLiteral("status")).contains(QStringLiteral("clients 1")));
    m_window->close();
    QCOMPARE(m_window->terminalHandle(), 0);
    QTRY_VERIFY(m_sim->command(QStringLiteral("status")).contains(QStringLiteral("clients 0")));
}

void TestTerminalWindow::connectAgainFromMenu()
{
    startSim({QStringLiteral("--generate"), QStringLiteral("2")});
    connectTo(m_sim->port());
    const int first = m_window->terminalHandle();
    QAction* mnucon = m_window->findChild<QAction*>(QStringLiteral("mnucon"));
    // a failed second connect keeps the working connection
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 closed = probe.serverPort();
    probe.close();
    edit("txtPort")->setText(QString::number(closed));
    mnucon->trigger();
    QCOMPARE(m_prompter->last().text, QStringLiteral("Failed to connect to TQ90!"));
    QCOMPARE(m_window->terminalHandle(), first);
    QVERIFY(m_window->client().isOpen(first));
    // a successful one replaces it, and the earlier session is ended
    edit("txtPort")->setText(QString::number(m_sim->port()));
    mnucon->trigger();
    QVERIFY(m_window->terminalHandle() != first);
    QVERIFY(!m_window->client().isOpen(first));
    QTRY_VERIFY(m_sim->command(QStringLiteral("status")).contains(QStringLiteral("clients 1")));
    button("btnGetlog")->click();
    QCOMPARE(lblMsg(), QStringLiteral("Read 2 punches, 2 new."));
}

QTEST_MAIN(TestTerminalWindow)
#include "tst_terminalwindow.moc"
