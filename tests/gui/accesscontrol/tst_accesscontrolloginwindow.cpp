#include "core/accesscontrol/AccessControlLogin.h"
#include "core/platform/IniFile.h"
#include "core/storage/Connections.h"
#include "fixtures/AccessControlServer.h"
#include "fixtures/MainWindowSession.h"
#include "fixtures/TestFiles.h"
#include "gui/accesscontrol/AccessControlLoginWindow.h"

#include <QLineEdit>
#include <QPointer>
#include <QTcpServer>
#include <QTest>

// The SQL Server connection window of side-bar items 5 and 6 inside the real main window,
// against the access-control database on a real PostgreSQL server reached through psqlODBC
// (which the settings name as the driver), the time-attendance database on the same server.
class TestAccessControlLoginWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void refusedLogins_data();
    void refusedLogins();
    void connectStoresAndHandsOver_data();
    void connectStoresAndHandsOver();
    void exitStoresNothing();

private:
    QString ini(const char* key) const
    {
        return readIniValue(u"text"_qs, QLatin1String(key), u"<none>"_qs, m_session->paths().settingsFile());
    }
    // Opens the window from the side bar, types the login and presses the button.
    QPointer<QWidget> submit(int item, const AccessControlLogin& login, const char* button = "btnConnect");

    AccessControlServer m_server;
    std::unique_ptr<MainWindowSession> m_session;
};

void TestAccessControlLoginWindow::initTestCase()
{
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    QVERIFY(
        MainWindowSession::addTimeAttendanceSource(PostgresServer::driverName(), m_server.postgres().port()));
}

void TestAccessControlLoginWindow::init()
{
    m_session = std::make_unique<MainWindowSession>();
    MainWindowSession::storeTimeAttendanceSettings(PostgresServer::user(), PostgresServer::database());
    QVERIFY(writeIniValue(u"text"_qs, u"DRIVERSQL"_qs, PostgresServer::driverName(),
                          m_session->paths().settingsFile()));
}

void TestAccessControlLoginWindow::cleanup()
{
    m_session.reset();
    Connections::close(Connections::AccessControlConnection);
}

QPointer<QWidget> TestAccessControlLoginWindow::submit(int item, const AccessControlLogin& login,
                                                       const char* button)
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

void TestAccessControlLoginWindow::refusedLogins_data()
{
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("expected"); // in the message
    QTest::newRow("no host and no port") << "host"
                                         << "required";
    QTest::newRow("wrong password") << "password"
                                    << "password authentication failed";
    QTest::newRow("closed port") << "closed"
                                 << "127.0.0.1";
    QTest::newRow("unknown driver") << "driver"
                                    << "No Such Driver";
}

void TestAccessControlLoginWindow::refusedLogins()
{
    QFETCH(QString, refusal);
    QFETCH(QString, expected);
    AccessControlLogin login = m_server.login();
    if (refusal == u"host") {
        login.host.clear();
        login.port.clear();
    }
    if (refusal == u"password")
        login.password = QStringLiteral("not-the-password");
    if (refusal == u"closed") {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        login.port = QString::number(probe.serverPort()); // and closed again: nobody listens
    }
    if (refusal == u"driver")
        QVERIFY(writeIniValue(u"text"_qs, u"DRIVERSQL"_qs, u"No Such Driver"_qs,
                              m_session->paths().settingsFile()));
    QPointer<QWidget> window = submit(5, login);
    QVERIFY(window);
    const TestPrompter::Shown shown = m_session->prompter().last();
    QCOMPARE(m_session->prompter().shown().size(), 1);
    QVERIFY2(shown.text.contains(expected), qPrintable(shown.text));
    if (expected != u"required") {
        QCOMPARE(shown.icon, Prompter::Icon::Critical);
        QVERIFY2(shown.text.contains(u"Cannot connect to the database QORSQL"_qs), qPrintable(shown.text));
    }
    QVERIFY(window->isVisible());
    for (const char* key : {"IPSQL", "PORTSQL", "USERSQL", "PASSSQL"})
        QCOMPARE(ini(key), QStringLiteral("<none>"));
    QVERIFY(!Connections::get(Connections::AccessControlConnection).isValid());
    QVERIFY(!m_session->window(WindowId::Export));
}

void TestAccessControlLoginWindow::connectStoresAndHandsOver_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("title"); // of the export window; empty: none to hand over to
    QTest::newRow("5: to a text file") << 5 << "Export QOR to text file";
    QTest::newRow("6: to the time-attendance database") << 6 << "Export QOR to TA";
    QTest::newRow("no export window") << 5 << "";
}

void TestAccessControlLoginWindow::connectStoresAndHandsOver()
{
    QFETCH(int, item);
    QFETCH(QString, title);
    if (title.isEmpty())
        m_session->main().windows().remove(WindowId::Export);
    const AccessControlLogin login = m_server.login();
    QPointer<QWidget> window = submit(item, login);
    // the login is stored, the password shifted, and the connection stays open for the export
    QCOMPARE(ini("IPSQL"), login.host);
    QCOMPARE(ini("PORTSQL"), login.port);
    QCOMPARE(ini("USERSQL"), QStringLiteral("qor"));
    QCOMPARE(ini("PASSSQL"), *shiftPassword(login.password));
    QVERIFY(
        TestFiles::read(m_session->paths().settingsFile())
            .contains("IPSQL=127.0.0.1\r\nPORTSQL=" + login.port.toLatin1() + "\r\nUSERSQL=qor\r\nPASSSQL="));
    QSqlDatabase db = Connections::get(Connections::AccessControlConnection);
    QVERIFY(executeStatement(db, QStringLiteral("SELECT FacID FROM FacDefinition ")).ok());
    if (title.isEmpty()) {
        QVERIFY2(m_session->prompter().last().text.contains(u"export window is not available"_qs),
                 qPrintable(m_session->prompter().last().text));
        QVERIFY(window && window->isVisible());
        return;
    }
    QVERIFY2(m_session->prompter().shown().isEmpty(), qPrintable(m_session->prompter().texts().join(u'\n')));
    QTRY_VERIFY(window.isNull()); // closed and gone
    QWidget* exportWindow = m_session->window(WindowId::Export);
    QVERIFY(exportWindow && exportWindow->isVisible());
    QCOMPARE(exportWindow->windowTitle(), title);
    // the next time, the entries are there again, the password in clear behind '*'
    m_session->clickItem(item);
    QWidget* again = m_session->window(WindowId::ConnectSql);
    QCOMPARE(Gui::child<QLineEdit>(again, "dxtxtpass")->text(), login.password);
    QCOMPARE(Gui::child<QLineEdit>(again, "dxtxtpass")->echoMode(), QLineEdit::Password);
    QCOMPARE(Gui::child<QLineEdit>(again, "dxtxtport")->text(), login.port);
}

void TestAccessControlLoginWindow::exitStoresNothing()
{
    QPointer<QWidget> window = submit(5, m_server.login(), "btnExit");
    QTRY_VERIFY(window.isNull());
    QCOMPARE(ini("IPSQL"), QStringLiteral("<none>"));
    QVERIFY(!Connections::get(Connections::AccessControlConnection).isValid());
    QVERIFY(m_session->prompter().shown().isEmpty());
}

QTEST_MAIN(TestAccessControlLoginWindow)
#include "tst_accesscontrolloginwindow.moc"
