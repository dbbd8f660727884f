#include "core/accesscontrol/AccessControlLogin.h"
#include "core/accesscontrol/QorClient.h"
#include "core/platform/IniFile.h"
#include "core/storage/Connections.h"
#include "core/storage/TimeAttendanceConnection.h"
#include "fixtures/AccessControlServer.h"
#include "fixtures/MainWindowSession.h"
#include "fixtures/QorSimProcess.h"
#include "fixtures/TestFiles.h"
#include "gui/accesscontrol/AccessControlExportSource.h"
#include "gui/accesscontrol/AccessControlHandOver.h"
#include "gui/export/ExportWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTcpServer>
#include <QTest>

// The export window writing into the time-attendance database (side-bar item 3) and reading the
// access-control server (as the SQL Server connection window hands over to it), with both
// databases on a real PostgreSQL server and the access-control service played by qor-sim.
class TestItExportWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void timeAttendanceExport();
    void employeePickerListsServerPersons();
    void accessControlTextExport_data();
    void accessControlTextExport();
    void accessControlTimeAttendanceExport();

private:
    ExportWindow* openAccessControlWindow(bool fileMode, quint16 servicePort = 0);
    QStringList transactions();

    AccessControlServer m_server;
    std::unique_ptr<MainWindowSession> m_session;
};

void TestItExportWindow::initTestCase()
{
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    QVERIFY(
        MainWindowSession::addTimeAttendanceSource(PostgresServer::driverName(), m_server.postgres().port()));
    QString error;
    QVERIFY2(m_server.postgres().openConnection(u"setup"_qs, &error), qPrintable(error));
    QVERIFY(executeStatement(QSqlDatabase::database(u"setup"_qs),
                             u"create table tblTransaction (TerminalID varchar(10), HumanID varchar(20), "
                             "StampDateTime varchar(19), StampStat varchar(3), Process varchar(1), "
                             "Upload varchar(1))"_qs));
}

void TestItExportWindow::init()
{
    m_session = std::make_unique<MainWindowSession>();
    MainWindowSession::storeTimeAttendanceSettings(PostgresServer::user(), PostgresServer::database());
    QVERIFY(executeStatement(QSqlDatabase::database(u"setup"_qs), u"delete from tblTransaction"_qs));
    QVERIFY(m_server.reset());
    QVERIFY(storeAccessControlLogin(m_server.login(), m_session->paths()));
    const Outcome opened = openAccessControlDatabase(m_server.login(), PostgresServer::driverName());
    QVERIFY2(opened.ok(), qPrintable(opened.error()));
}

void TestItExportWindow::cleanup()
{
    m_session.reset();
    Connections::close(Connections::AccessControlConnection);
}

// As a successful connect of the SQL Server connection window hands over (its side-bar item
// opened the local database), the access-control service reached on this port.
ExportWindow* TestItExportWindow::openAccessControlWindow(bool fileMode, quint16 servicePort)
{
    if (!openLocalDatabase(m_session->paths()) ||
        !openAccessControlExport(m_session->main().windows(), fileMode))
        return nullptr;
    auto* window = m_session->window<ExportWindow>(WindowId::Export);
    if (window && servicePort)
        window->setAccessControlSource(AccessControlExportSource(m_session->context(), servicePort));
    return window;
}

QStringList TestItExportWindow::transactions()
{
    QStringList rows;
    auto q = executeStatement(QSqlDatabase::database(u"setup"_qs),
                              u"select TerminalID, HumanID, StampDateTime, StampStat, Process, Upload "
                              "from tblTransaction order by 3, 2"_qs);
    while (q && q->next()) {
        QStringList fields;
        for (int i = 0; i < 6; ++i)
            fields << q->value(i).toString();
        rows << fields.join(u'|');
    }
    return q ? rows : QStringList{q.error()};
}

void TestItExportWindow::timeAttendanceExport()
{
    QVERIFY(writeIniValue(u"text"_qs, u"FormatName"_qs, u"Default"_qs, m_session->paths().settingsFile()));
    m_session->clickItem(3);
    QVERIFY2(m_session->prompter().shown().isEmpty(), qPrintable(m_session->prompter().texts().join(u'\n')));
    auto* window = m_session->window<ExportWindow>(WindowId::Export);
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Export to TA"));
    QCOMPARE(Gui::child<QLabel>(window, "Label4")->text(), QStringLiteral("Export to TA"));
    QVERIFY(Gui::child(window, "cmdExportTA")->isVisible());
    QVERIFY(Gui::child(window, "cmdExport")->isHidden());
    for (const char* name : {"optDataType_0", "optDataType_1", "cmbFileFormat", "cmdNew", "cmdEdit"})
        QVERIFY2(!Gui::child(window, name)->isEnabled(), name);
    // TA_format, whatever FormatName says
    QCOMPARE(Gui::child<QComboBox>(window, "cmbFileFormat")->currentText(), QStringLiteral("TA_format"));
    Gui::click(window, "cmdExportTA");
    QCOMPARE(m_session->prompter().texts(), QStringList{u" No data for export !!!"_qs});
    QVERIFY(MainWindowSession::addPunch(u"15"_qs, u"3"_qs, u"2024/01/09"_qs, u"08:00:00"_qs));
    QVERIFY(MainWindowSession::addPunch(u"15"_qs, u"3"_qs, u"2024/01/09"_qs, u"17:30:00"_qs));
    m_session->prompter().clear();
    Gui::click(window, "cmdExportTA");
    QCOMPARE(m_session->prompter().texts(), QStringList{u"Export successfully"_qs});
    QVERIFY(m_session->prompter().fileAsks().isEmpty());
    const QStringList written{u"3|15|2567/01/09 08:00:00|IN|0|1"_qs, u"3|15|2567/01/09 17:30:00|OUT|0|1"_qs};
    QCOMPARE(transactions(), written);
    QCOMPARE(readIniValue(u"text"_qs, u"FormatName"_qs, QString(), m_session->paths().settingsFile()),
             QStringLiteral("TA_format"));
    // twice: still one row per punch
    Gui::click(window, "cmdExportTA");
    QCOMPARE(transactions(), written);
    // item 2 shows the same window for a text export
    m_session->clickItem(2);
    QCOMPARE(m_session->window<ExportWindow>(WindowId::Export), window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Export to text"));
    QVERIFY(Gui::child(window, "cmdExport")->isVisible());
    QVERIFY(Gui::child(window, "cmdExportTA")->isHidden());
    for (const char* name : {"optDataType_1", "cmbFileFormat", "cmdNew"})
        QVERIFY2(Gui::child(window, name)->isEnabled(), name);
}

void TestItExportWindow::employeePickerListsServerPersons()
{
    QVERIFY(m_server.exec(u"insert into \"User\"(UID,Name) values(1024,'Somchai'),(7,'Ann')"_qs));
    ExportWindow* window = openAccessControlWindow(true);
    QVERIFY(window);
    Gui::choose(window, "OptSearch_1");
    Gui::click(window, "cmdSearch");
    QVERIFY2(m_session->prompter().shown().isEmpty(), qPrintable(m_session->prompter().texts().join(u'\n')));
    auto* list = Gui::child<QListWidget>(m_session->window(WindowId::Employee), "ListEmployee");
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    items.sort();
    QCOMPARE(items, (QStringList{u"1024     Somchai"_qs, u"7     Ann"_qs}));
}

void TestItExportWindow::accessControlTextExport_data()
{
    QTest::addColumn<QString>("facilities"); // the server's FacDefinition; empty: the table is gone
    QTest::addColumn<bool>("reachable");     // the service answers
    QTest::addColumn<bool>("yes");           // the answer to "delete the scanners' data?"
    QTest::addColumn<int>("left");           // punches left in the scanner; -1: not asked
    QTest::addColumn<QString>("message");    // shown between the question and the file dialog
    QTest::addColumn<QString>("uids");       // in the file; empty: nothing exported
    const struct
    {
        const char *name, *facilities;
        bool reachable, yes;
        int left;
        const char *message, *uids;
    } rows[] = {
        {"Yes empties the scanner", "(1), (2)", true, true, 0, "", "0000001024 0000000015"},
        {"No keeps its punches", "(1), (2)", true, false, 1, "", "0000001024 0000000015"},
        {"a facility out of range is named", "(1), (256)", true, false, 1, "Facility 256 was skipped",
         "0000001024 0000000015"},
        {"service unreachable: the server's punches", "(1)", false, false, -1, "", "0000000015"},
        {"server table gone: nothing exported", "", true, true, 1, "nothing was exported", ""},
    };
    for (const auto& r : rows)
        QTest::newRow(r.name) << QString::fromLatin1(r.facilities) << r.reachable << r.yes << r.left
                              << QString::fromLatin1(r.message) << QString::fromLatin1(r.uids);
}

void TestItExportWindow::accessControlTextExport()
{
    QFETCH(QString, facilities);
    QFETCH(bool, reachable);
    QFETCH(bool, yes);
    QFETCH(int, left);
    QFETCH(QString, message);
    QFETCH(QString, uids);
    m_server.addLog(15, 3, 1, u"2024/01/09 08:00:00"_qs, 0);
    if (facilities.isEmpty())
        QVERIFY(m_server.exec(u"alter table FacDefinition rename to FacDefinitionGone"_qs));
    else
        QVERIFY(m_server.exec(u"insert into FacDefinition(FacID) values "_qs + facilities));
    QorSimProcess sim;
    QVERIFY2(sim.start("facility 2\nlog 1 1024 2 1 2024/01/05 08:00:00 0\n", m_server.odbcConnectionString(),
                       m_server.postgres().processEnvironment()),
             qPrintable(sim.error()));
    quint16 port = sim.port();
    QTcpServer closed;
    if (!reachable) {
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        port = closed.serverPort();
        closed.close();
    }
    ExportWindow* window = openAccessControlWindow(true, port);
    QVERIFY(window);
    const QString output = m_session->dataDir() + QStringLiteral("/qor.txt");
    m_session->prompter().queueAnswer(yes ? Prompter::Answer::Yes : Prompter::Answer::No);
    m_session->prompter().queueFileName(output);
    Gui::click(window, "cmdQROSQLExport");
    if (facilities.isEmpty())
        QVERIFY(m_server.exec(u"alter table FacDefinitionGone rename to FacDefinition"_qs));
    const QList<TestPrompter::Shown> shown = m_session->prompter().shown();
    QVERIFY(!shown.isEmpty());
    QCOMPARE(shown.first().title, QStringLiteral("จัดการข้อมูลในเครื่องสแกน"));
    QCOMPARE(shown.first().text, QStringLiteral("ลบข้อมูลในเครื่องสแกนหลังนำเข้าข้อมูลแล้ว"));
    QCOMPARE(shown.first().buttons, Prompter::Buttons::YesNo);
    const QStringList texts = m_session->prompter().texts();
    if (!message.isEmpty())
        QVERIFY2(texts.value(1).contains(message), qPrintable(texts.join(u'\n')));
    QCOMPARE(m_session->prompter().fileAsks().size(), uids.isEmpty() ? 0 : 1);
    QCOMPARE(texts.last() == u"Export successfully", !uids.isEmpty());
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

// The server's punches into the time-attendance database, the service not reachable.
void TestItExportWindow::accessControlTimeAttendanceExport()
{
    m_server.addLog(15, 3, 1, u"2024/01/09 08:00:00"_qs, 0);
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    MainWindowSession::storeTimeAttendanceSettings(PostgresServer::user(), PostgresServer::database());
    QVERIFY(openTimeAttendanceDatabase());
    ExportWindow* window = openAccessControlWindow(false, port);
    QVERIFY(window);
    Gui::click(window, "cmdQORSQLtoTA");
    QCOMPARE(m_session->prompter().texts().last(), QStringLiteral("Export successfully"));
    QVERIFY(m_session->prompter().fileAsks().isEmpty());
    QCOMPARE(transactions(), QStringList{u"3|15|2567/01/09 08:00:00|IN|0|1"_qs});
}

QTEST_MAIN(TestItExportWindow)
#include "tst_it_exportwindow.moc"
