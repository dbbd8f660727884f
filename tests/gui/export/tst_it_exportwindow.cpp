#include "core/accesscontrol/AccessControlLogin.h"
#include "core/accesscontrol/QorClient.h"
#include "core/platform/IniFile.h"
#include "core/storage/Connections.h"
#include "fixtures/AccessControlServer.h"
#include "fixtures/MainWindowSession.h"
#include "fixtures/QorSimProcess.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"
#include "gui/accesscontrol/AccessControlExportSource.h"
#include "gui/accesscontrol/AccessControlHandOver.h"
#include "gui/export/ExportWindow.h"

#include <QPointer>
#include <QTcpServer>

// The SQL Server connection window (side-bar items 5, 6) and the access-control export it opens.
class TestItExportWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void login_data();
    void login();
    void accessControlExport_data();
    void accessControlExport();

private:
    QStringList transactions()
    {
        return m_server.rows(
            u"select TerminalID, HumanID, StampDateTime, StampStat from tblTransaction order by 3"_qs);
    }
    TestPrompter& prompter() { return m_session->prompter(); }

    AccessControlServer m_server;
    std::unique_ptr<MainWindowSession> m_session;
};

void TestItExportWindow::initTestCase()
{
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    QVERIFY(
        MainWindowSession::addTimeAttendanceSource(PostgresServer::driverName(), m_server.postgres().port()));
    QVERIFY(m_server.exec(
        u"create table tblTransaction (TerminalID varchar(10), HumanID varchar(20), "
        "StampDateTime varchar(19), StampStat varchar(3), Process varchar(1), Upload varchar(1))"_qs));
}

void TestItExportWindow::init()
{
    m_session = std::make_unique<MainWindowSession>();
    MainWindowSession::storeTimeAttendanceSettings(PostgresServer::user(), u"QORSQL"_qs);
    QVERIFY(writeIniValue(u"text"_qs, u"DRIVERSQL"_qs, PostgresServer::driverName(),
                          m_session->paths().settingsFile()));
    QVERIFY(m_server.exec(u"delete from tblTransaction"_qs));
    QVERIFY(m_server.reset());
}

void TestItExportWindow::cleanup()
{
    m_session.reset();
    Connections::close(Connections::AccessControlConnection);
}

void TestItExportWindow::login_data()
{
    // the side-bar item; how the login differs; the message (empty: none, the window hands over)
    addColumns<int, QString, QString>({"item", "change", "message"});
    const QString refused = u"Cannot connect to the database QORSQL"_qs;
    addRow("5: to a text file", 5, u""_qs, u""_qs);
    addRow("6: to the time-attendance database", 6, u""_qs, u""_qs);
    addRow("no host and no port", 5, u"host"_qs, u"required"_qs);
    addRow("unknown driver", 5, u"driver"_qs, refused);
    addRow(
        "no export window to hand over to", 5, u"noexport"_qs,
        u"Connected to the access-control server, but the export window is not available in this version yet."_qs);
    addRow("Exit", 5, u"exit"_qs, u""_qs);
}

void TestItExportWindow::login()
{
    const auto [item, change, message] = fetchColumns<int, QString, QString>("item", "change", "message");
    AccessControlLogin login = m_server.login();
    if (change == u"host")
        login.host = login.port = QString();
    if (change == u"password")
        login.password = u"not-the-password"_qs;
    if (change == u"driver")
        QVERIFY(writeIniValue(u"text"_qs, u"DRIVERSQL"_qs, u"No Such Driver"_qs,
                              m_session->paths().settingsFile()));
    if (change == u"noexport")
        m_session->main().windows().remove(WindowId::Export);
    m_session->clickItem(item);
    QPointer<QWidget> window = m_session->window(WindowId::ConnectSql);
    QVERIFY(window);
    Gui::type(window, "dxtxtIP", login.host);
    Gui::type(window, "dxtxtport", login.port);
    Gui::type(window, "dxtxtUser", login.user);
    Gui::type(window, "dxtxtpass", login.password);
    Gui::click(window, change == u"exit" ? "btnExit" : "btnConnect");
    QCOMPARE(prompter().shown().size(), message.isEmpty() ? 0 : 1);
    QVERIFY2(prompter().last().text.contains(message), qPrintable(prompter().last().text));
    if (!message.isEmpty())
        QCOMPARE(prompter().last().icon,
                 message == u"required" ? Prompter::Icon::Question : Prompter::Icon::Critical);
    // a working login is stored and the connection stays open for the export
    const bool stored = message.isEmpty() != (change == u"exit") || change == u"noexport";
    QCOMPARE(readIniValue(u"text"_qs, u"IPSQL"_qs, u"-"_qs, m_session->paths().settingsFile()),
             stored ? login.host : u"-"_qs);
    QCOMPARE(Connections::get(Connections::AccessControlConnection).isValid(), stored);
    QTRY_COMPARE(window.isNull(), message.isEmpty());
    QWidget* exportWindow = m_session->window(WindowId::Export);
    QCOMPARE(bool(exportWindow), message.isEmpty() && change.isEmpty());
    if (exportWindow)
        QCOMPARE(exportWindow->windowTitle(),
                 item == 5 ? u"Export QOR to text file"_qs : u"Export QOR to TA"_qs);
}

void TestItExportWindow::accessControlExport_data()
{
    // the answer to the question; a facility listed; a warning; the persons exported ("TA": TA database)
    addColumns<bool, QString, QString, QString>({"yes", "facility", "message", "uids"});
    addRow("Yes empties the scanner", true, u"2"_qs, u""_qs, u"0000001024 0000000015"_qs);
    addRow("No keeps its punches; a facility out of range is named", false, u"256"_qs,
           u"Facility 256 was skipped"_qs, u"0000001024 0000000015"_qs);
    addRow("server table gone: nothing exported", true, u""_qs, u"nothing was exported"_qs, u""_qs);
    addRow("into the TA database", true, u"2"_qs, u""_qs, u"TA"_qs);
}

void TestItExportWindow::accessControlExport()
{
    const auto [yes, facility, message, uids] =
        fetchColumns<bool, QString, QString, QString>("yes", "facility", "message", "uids");
    m_server.addLog(15, 3, 1, u"2024/01/09 08:00:00"_qs, 0);
    QVERIFY(m_server.exec(u"insert into FacDefinition(FacID) values (1)"_qs +
                          (facility.isEmpty() ? u""_qs : u", ("_qs + facility + u')')));
    QorSimProcess sim;
    QVERIFY2(sim.start("facility 2\nlog 1 1024 2 1 2024/01/05 08:00:00 0\n", m_server.odbcConnectionString(),
                       m_server.postgres().processEnvironment()),
             qPrintable(sim.error()));
    const bool ta = uids == u"TA";
    QVERIFY(storeAccessControlLogin(m_server.login(), m_session->paths()));
    QVERIFY(openAccessControlDatabase(m_server.login(), PostgresServer::driverName()).ok());
    m_session->clickItem(ta ? 6 : 5);
    QVERIFY(openAccessControlExport(m_session->main().windows(), !ta).ok());
    auto* window = m_session->window<ExportWindow>(WindowId::Export);
    QVERIFY(window);
    window->setAccessControlSource(AccessControlExportSource(m_session->context(), sim.port()));
    if (facility.isEmpty())
        QVERIFY(m_server.exec(u"alter table FacDefinition rename to FacDefinitionGone"_qs));
    const QString output = m_session->dataDir() + u"/qor.txt"_qs;
    prompter().queueAnswer(yes ? Prompter::Answer::Yes : Prompter::Answer::No);
    prompter().queueFileName(output);
    const QWidget* bar = Gui::child(window, "ProgressBar1");
    bool barShown = false; // with the last message
    prompter().whileShown = [&] {
        barShown = bar->isVisible();
    };
    Gui::click(window, ta ? "cmdQORSQLtoTA" : "cmdQROSQLExport");
    prompter().whileShown = {};
    if (facility.isEmpty())
        QVERIFY(m_server.exec(u"alter table FacDefinitionGone rename to FacDefinition"_qs));
    const QList<TestPrompter::Shown> shown = prompter().shown();
    QCOMPARE(shown.first().title, u"จัดการข้อมูลในเครื่องสแกน"_qs);
    QCOMPARE(shown.first().text, u"ลบข้อมูลในเครื่องสแกนหลังนำเข้าข้อมูลแล้ว"_qs);
    QCOMPARE(shown.first().buttons, Prompter::Buttons::YesNo);
    QCOMPARE(shown.size(), 1 + int(!message.isEmpty()) + int(!uids.isEmpty()));
    if (!message.isEmpty())
        QVERIFY2(shown[1].text.contains(message), qPrintable(shown[1].text));
    QCOMPARE(shown.last().text == u"Export successfully", !uids.isEmpty());
    QCOMPARE(barShown, !uids.isEmpty());
    QCOMPARE(prompter().fileAsks().size(), uids.isEmpty() || ta ? 0 : 1);
    QStringList written;
    for (const QByteArray& line : TestFiles::read(output).split('\n'))
        if (!line.isEmpty())
            written << QString::fromLatin1(line.left(10));
    QCOMPARE(written.join(u' '), ta ? QString() : uids);
    if (ta)
        QCOMPARE(transactions().size(), 2);
    QorClient check;
    QCOMPARE(check.QorInitializeWithPassword(u"127.0.0.1"_qs, sim.port(), u"tarnish"_qs), 0);
    QCOMPARE(check.pendingLogs(1), std::optional<quint32>(yes && !facility.isEmpty() ? 0 : 1));
}

QTEST_MAIN(TestItExportWindow)
#include "tst_it_exportwindow.moc"
