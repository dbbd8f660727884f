#include "core/accesscontrol/AccessControlLogin.h"
#include "core/accesscontrol/QorClient.h"
#include "core/platform/IniFile.h"
#include "core/storage/Connections.h"
#include "core/storage/TimeAttendanceConnection.h"
#include "fixtures/AccessControlServer.h"
#include "fixtures/MainWindowSession.h"
#include "fixtures/QorSimProcess.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"
#include "gui/accesscontrol/AccessControlExportSource.h"
#include "gui/export/ExportWindow.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QTcpServer>

namespace {

quint16 closedPort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

} // namespace

// The windows that reach database servers, inside the real main window: the export window
// writing into the time-attendance database (side-bar item 3), the SQL Server connection window
// (items 5 and 6) and the export of the access-control server's punches it hands over to. Both
// databases are on a real PostgreSQL server; the access-control service is played by qor-sim.
class TestItExportWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void timeAttendanceExport();
    void login_data();
    void login();
    void accessControlExport_data();
    void accessControlExport();

private:
    QString ini(const char* key) const
    {
        return readIniValue(u"text"_qs, QLatin1String(key), u"-"_qs, m_session->paths().settingsFile());
    }
    QStringList transactions()
    {
        return m_server.rows(u"select TerminalID, HumanID, StampDateTime, StampStat, Process, Upload "
                             "from tblTransaction order by 3, 2"_qs);
    }
    // Opens the connection window from the side bar, types the login and presses the button.
    QPointer<QWidget> submit(int item, const AccessControlLogin& login, const char* button = "btnConnect");
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

QPointer<QWidget> TestItExportWindow::submit(int item, const AccessControlLogin& login, const char* button)
{
    m_session->clickItem(item);
    QPointer<QWidget> window = m_session->window(WindowId::ConnectSql);
    if (!window)
        return window;
    Gui::type(window, "dxtxtIP", login.host);
    Gui::type(window, "dxtxtport", login.port);
    Gui::type(window, "dxtxtUser", login.user);
    Gui::type(window, "dxtxtpass", login.password);
    Gui::click(window, button);
    return window;
}

void TestItExportWindow::timeAttendanceExport()
{
    QVERIFY(writeIniValue(u"text"_qs, u"FormatName"_qs, u"Default"_qs, m_session->paths().settingsFile()));
    m_session->clickItem(3);
    QVERIFY2(prompter().shown().isEmpty(), qPrintable(prompter().texts().join(u'\n')));
    auto* window = m_session->window<ExportWindow>(WindowId::Export);
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), u"Export to TA"_qs);
    QVERIFY(Gui::child(window, "cmdExportTA")->isVisible() && Gui::child(window, "cmdExport")->isHidden());
    for (const char* name : {"optDataType_0", "optDataType_1", "cmbFileFormat", "cmdNew", "cmdEdit"})
        QVERIFY2(!Gui::child(window, name)->isEnabled(), name);
    QVERIFY(MainWindowSession::addPunch(u"15"_qs, u"3"_qs, u"2024/01/09"_qs, u"08:00:00"_qs));
    QVERIFY(MainWindowSession::addPunch(u"15"_qs, u"3"_qs, u"2024/01/09"_qs, u"17:30:00"_qs));
    const QStringList written{u"3|15|2567/01/09 08:00:00|IN|0|1"_qs, u"3|15|2567/01/09 17:30:00|OUT|0|1"_qs};
    Gui::click(window, "cmdExportTA");
    QCOMPARE(prompter().texts(), QStringList{u"Export successfully"_qs});
    QCOMPARE(transactions(), written);
    QVERIFY(prompter().fileAsks().isEmpty());
    QCOMPARE(ini("FormatName"), u"TA_format"_qs);
    // item 2 shows the same window for a text export
    m_session->clickItem(2);
    QCOMPARE(m_session->window<ExportWindow>(WindowId::Export), window);
    QCOMPARE(window->windowTitle(), u"Export to text"_qs);
    QVERIFY(Gui::child(window, "cmdExport")->isVisible() && Gui::child(window, "cmdExportTA")->isHidden());
    QVERIFY(Gui::child(window, "cmbFileFormat")->isEnabled() && Gui::child(window, "cmdNew")->isEnabled());
    // a time-attendance database that fails: the reason, and nothing written
    QVERIFY(m_server.exec(u"alter table tblTransaction rename to tblGone"_qs));
    m_session->clickItem(3);
    prompter().clear();
    Gui::click(window, "cmdExportTA");
    QVERIFY(m_server.exec(u"alter table tblGone rename to tblTransaction"_qs));
    QCOMPARE(prompter().shown().size(), 1);
    QCOMPARE(prompter().last().icon, Prompter::Icon::Critical);
    QVERIFY2(prompter().last().text.contains(u"tbltransaction"_qs, Qt::CaseInsensitive),
             qPrintable(prompter().last().text));
    QCOMPARE(transactions(), written);
}

void TestItExportWindow::login_data()
{
    // the side-bar item; how the login differs; the message (empty: none, the window hands over)
    addColumns<int, QString, QString>({"item", "change", "message"});
    const QString refused = u"Cannot connect to the database QORSQL"_qs;
    addRow("5: to a text file", 5, u""_qs, u""_qs);
    addRow("6: to the time-attendance database", 6, u""_qs, u""_qs);
    addRow("no host and no port", 5, u"host"_qs, u"required"_qs);
    addRow("wrong password", 5, u"password"_qs, refused);
    addRow("closed port", 5, u"closed"_qs, refused);
    addRow("unknown driver", 5, u"driver"_qs, refused);
    addRow(
        "no export window to hand over to", 5, u"noexport"_qs,
        u"Connected to the access-control server, but the export window is not available in this version yet."_qs);
    addRow("Exit", 5, u"exit"_qs, u""_qs);
}

void TestItExportWindow::login()
{
    QFETCH(int, item);
    QFETCH(QString, change);
    QFETCH(QString, message);
    AccessControlLogin login = m_server.login();
    if (change == u"host")
        login.host = login.port = QString();
    if (change == u"password")
        login.password = u"not-the-password"_qs;
    if (change == u"closed")
        login.port = QString::number(closedPort());
    if (change == u"driver")
        QVERIFY(writeIniValue(u"text"_qs, u"DRIVERSQL"_qs, u"No Such Driver"_qs,
                              m_session->paths().settingsFile()));
    if (change == u"noexport")
        m_session->main().windows().remove(WindowId::Export);
    QPointer<QWidget> window = submit(item, login, change == u"exit" ? "btnExit" : "btnConnect");
    QCOMPARE(prompter().shown().size(), message.isEmpty() ? 0 : 1);
    QVERIFY2(prompter().last().text.contains(message), qPrintable(prompter().last().text));
    const bool stored = message.isEmpty() != (change == u"exit") || change == u"noexport";
    if (!message.isEmpty())
        QCOMPARE(prompter().last().icon,
                 message == u"required" ? Prompter::Icon::Question : Prompter::Icon::Critical);
    // a working login is stored, the password shifted, and the connection stays open for the export
    QCOMPARE(ini("IPSQL"), stored ? login.host : u"-"_qs);
    QCOMPARE(ini("PASSSQL"), stored ? *shiftPassword(login.password) : u"-"_qs);
    QCOMPARE(Connections::get(Connections::AccessControlConnection).isValid(), stored);
    if (stored)
        QVERIFY(TestFiles::read(m_session->paths().settingsFile())
                    .contains("IPSQL=127.0.0.1\r\nPORTSQL=" + login.port.toLatin1() +
                              "\r\nUSERSQL=qor\r\nPASSSQL="));
    QTRY_COMPARE(window.isNull(), message.isEmpty());
    QWidget* exportWindow = m_session->window(WindowId::Export);
    QCOMPARE(bool(exportWindow), message.isEmpty() && change.isEmpty());
    if (!exportWindow)
        return;
    QCOMPARE(exportWindow->windowTitle(), item == 5 ? u"Export QOR to text file"_qs : u"Export QOR to TA"_qs);
}

void TestItExportWindow::accessControlExport_data()
{
    // the server's FacDefinition (empty: the table is gone); the service answers; the answer to
    // "delete the scanners' data?"; punches left in the scanner (-1: not asked); a message shown
    // after the question; the persons exported (empty: nothing; "TA": into the TA database)
    addColumns<QString, bool, bool, int, QString, QString>(
        {"facilities", "reachable", "yes", "left", "message", "uids"});
    addRow("Yes empties the scanner", u"(1), (2)"_qs, true, true, 0, u""_qs, u"0000001024 0000000015"_qs);
    addRow("a facility out of range is named", u"(1), (256)"_qs, true, false, 1,
           u"Facility 256 was skipped"_qs, u"0000001024 0000000015"_qs);
    addRow("service unreachable: the server's punches", u"(1)"_qs, false, false, -1, u""_qs,
           u"0000000015"_qs);
    addRow("server table gone: nothing exported", u""_qs, true, true, 1, u"nothing was exported"_qs, u""_qs);
    addRow("into the TA database", u"(1)"_qs, false, false, -1, u""_qs, u"TA"_qs);
}

void TestItExportWindow::accessControlExport()
{
    QFETCH(QString, facilities);
    QFETCH(bool, reachable);
    QFETCH(bool, yes);
    QFETCH(int, left);
    QFETCH(QString, message);
    QFETCH(QString, uids);
    m_server.addLog(15, 3, 1, u"2024/01/09 08:00:00"_qs, 0);
    QVERIFY(m_server.exec(u"insert into \"User\"(UID,Name) values(1024,'Somchai'),(7,'Ann')"_qs));
    if (!facilities.isEmpty())
        QVERIFY(m_server.exec(u"insert into FacDefinition(FacID) values "_qs + facilities));
    QorSimProcess sim;
    QVERIFY2(sim.start("facility 2\nlog 1 1024 2 1 2024/01/05 08:00:00 0\n", m_server.odbcConnectionString(),
                       m_server.postgres().processEnvironment()),
             qPrintable(sim.error()));
    QVERIFY(submit(uids == u"TA" ? 6 : 5, m_server.login()));
    auto* window = m_session->window<ExportWindow>(WindowId::Export);
    QVERIFY(window);
    window->setAccessControlSource(
        AccessControlExportSource(m_session->context(), reachable ? sim.port() : closedPort()));
    if (uids == u"TA") {
        Gui::click(window, "cmdQORSQLtoTA");
        QCOMPARE(prompter().texts().last(), u"Export successfully"_qs);
        QCOMPARE(transactions(), QStringList{u"3|15|2567/01/09 08:00:00|IN|0|1"_qs});
        return;
    }
    // the employee picker lists the server's persons
    Gui::choose(window, "OptSearch_1");
    Gui::click(window, "cmdSearch");
    auto* list = Gui::child<QListWidget>(m_session->window(WindowId::Employee), "ListEmployee");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->findItems(u"1024     Somchai"_qs, Qt::MatchExactly).size(), 1);
    Gui::choose(window, "OptSearch_0");
    if (facilities.isEmpty())
        QVERIFY(m_server.exec(u"alter table FacDefinition rename to FacDefinitionGone"_qs));
    const QString output = m_session->dataDir() + u"/qor.txt"_qs;
    prompter().queueAnswer(yes ? Prompter::Answer::Yes : Prompter::Answer::No);
    prompter().queueFileName(output);
    Gui::click(window, "cmdQROSQLExport");
    if (facilities.isEmpty())
        QVERIFY(m_server.exec(u"alter table FacDefinitionGone rename to FacDefinition"_qs));
    const QList<TestPrompter::Shown> shown = prompter().shown();
    QVERIFY(!shown.isEmpty());
    QCOMPARE(shown.first().title, u"จัดการข้อมูลในเครื่องสแกน"_qs);
    QCOMPARE(shown.first().text, u"ลบข้อมูลในเครื่องสแกนหลังนำเข้าข้อมูลแล้ว"_qs);
    QCOMPARE(shown.first().buttons, Prompter::Buttons::YesNo);
    if (!message.isEmpty())
        QVERIFY2(prompter().texts().value(1).contains(message), qPrintable(prompter().texts().join(u'\n')));
    QCOMPARE(prompter().fileAsks().size(), uids.isEmpty() ? 0 : 1);
    QCOMPARE(prompter().texts().last() == u"Export successfully", !uids.isEmpty());
    QStringList written;
    for (const QByteArray& line : TestFiles::read(output).split('\n'))
        if (!line.isEmpty())
            written << QString::fromLatin1(line.left(10));
    QCOMPARE(written.join(u' '), uids);
    if (left >= 0) {
        QorClient check;
        QCOMPARE(check.QorInitializeWithPassword(u"127.0.0.1"_qs, sim.port(), u"tarnish"_qs), 0);
        QCOMPARE(check.pendingLogs(1), std::optional<quint32>(quint32(left)));
    }
}

QTEST_MAIN(TestItExportWindow)
#include "tst_it_exportwindow.moc"
