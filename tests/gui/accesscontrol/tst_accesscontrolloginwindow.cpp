#include "core/accesscontrol/AccessControlLogin.h"
#include "core/platform/IniFile.h"
#include "core/storage/Connections.h"
#include "fixtures/AccessControlServer.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestPrompter.h"
#include "gui/accesscontrol/AccessControlLoginWindow.h"
#include "gui/platform/AppContext.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

// The SQL Server connection window against the access-control database on a real PostgreSQL
// server, reached through psqlODBC as the operator's SQL Server is reached through FreeTDS.
class TestAccessControlLoginWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void controlsAndCaptions();
    void loadShowsRememberedEntries();
    void hostAndPortRequired();
    void refusedLogins_data();
    void refusedLogins();
    void connectStoresAndHandsOver_data();
    void connectStoresAndHandsOver();
    void failingHandOverKeepsWindow();
    void exitStoresNothing();

private:
    QString settings() const { return m_context->paths.settingsFile(); }
    QString ini(const char* key) const
    {
        return readIniValue(QStringLiteral("text"), QLatin1String(key), QStringLiteral("<none>"), settings());
    }
    AccessControlLoginWindow* open();
    void type(AccessControlLoginWindow* w, const AccessControlLogin& login);

    AccessControlServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestPrompter> m_prompter;
    std::unique_ptr<AppContext> m_context;
};

void TestAccessControlLoginWindow::initTestCase()
{
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
}

void TestAccessControlLoginWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_prompter = std::make_unique<TestPrompter>();
    m_context = std::make_unique<AppContext>(AppContext{AppPaths(m_dir->path()), *m_prompter});
    // Tests reach the server through the PostgreSQL driver instead of FreeTDS.
    QVERIFY(writeIniValue(QStringLiteral("text"), QStringLiteral("DRIVERSQL"), PostgresServer::driverName(),
                          settings()));
    Connections::close(Connections::AccessControlConnection);
}

void TestAccessControlLoginWindow::cleanup()
{
    Connections::close(Connections::AccessControlConnection);
}

AccessControlLoginWindow* TestAccessControlLoginWindow::open()
{
    auto* w = new AccessControlLoginWindow(*m_context);
    w->show();
    return w;
}

void TestAccessControlLoginWindow::type(AccessControlLoginWindow* w, const AccessControlLogin& login)
{
    w->findChild<QLineEdit*>(QStringLiteral("dxtxtIP"))->setText(login.host);
    w->findChild<QLineEdit*>(QStringLiteral("dxtxtport"))->setText(login.port);
    w->findChild<QLineEdit*>(QStringLiteral("dxtxtUser"))->setText(login.user);
    w->findChild<QLineEdit*>(QStringLiteral("dxtxtpass"))->setText(login.password);
}

void TestAccessControlLoginWindow::controlsAndCaptions()
{
    QPointer<AccessControlLoginWindow> w = open();
    QCOMPARE(w->windowTitle(), QStringLiteral("Conect QROSQL"));
    const std::pair<const char*, const char*> labels[] = {
        {"Label12", "QOR ServerIP :"}, {"Label8", "Port :"}, {"Label11", "User :"}, {"Label1", "Password :"}};
    for (const auto& [name, caption] : labels) {
        auto* label = w->findChild<QLabel*>(QLatin1String(name));
        QVERIFY2(label, name);
        QCOMPARE(label->text(), QLatin1String(caption));
    }
    for (const char* box : {"dxtxtIP", "dxtxtport", "dxtxtUser", "dxtxtpass"})
        QVERIFY2(w->findChild<QLineEdit*>(QLatin1String(box)), box);
    QCOMPARE(w->findChild<QLineEdit*>(QStringLiteral("dxtxtpass"))->echoMode(), QLineEdit::Password);
    QCOMPARE(w->findChild<QPushButton*>(QStringLiteral("btnConnect"))->text(), QStringLiteral("Connect"));
    QCOMPARE(w->findChild<QPushButton*>(QStringLiteral("btnExit"))->text(), QStringLiteral("Exit"));
    // On the first run the four boxes are empty.
    for (const char* box : {"dxtxtIP", "dxtxtport", "dxtxtUser", "dxtxtpass"})
        QVERIFY(w->findChild<QLineEdit*>(QLatin1String(box))->text().isEmpty());
    delete w;
}

void TestAccessControlLoginWindow::loadShowsRememberedEntries()
{
    QVERIFY(
        TestFiles::write(settings(), "[text]\r\nIPSQL= srv \r\nPORTSQL=1433\r\nUSERSQL=sa\r\nPASSSQL=bdf\r\n"
                                     "DRIVERSQL=" +
                                         PostgresServer::driverName().toLatin1() + "\r\n"));
    QPointer<AccessControlLoginWindow> w = open();
    QCOMPARE(w->findChild<QLineEdit*>(QStringLiteral("dxtxtIP"))->text(), QStringLiteral("srv"));
    QCOMPARE(w->findChild<QLineEdit*>(QStringLiteral("dxtxtport"))->text(), QStringLiteral("1433"));
    QCOMPARE(w->findChild<QLineEdit*>(QStringLiteral("dxtxtUser"))->text(), QStringLiteral("sa"));
    QCOMPARE(w->findChild<QLineEdit*>(QStringLiteral("dxtxtpass"))->text(), QStringLiteral("abc"));
    delete w;
}

void TestAccessControlLoginWindow::hostAndPortRequired()
{
    QPointer<AccessControlLoginWindow> w = open();
    type(w, {QString(), QString(), QStringLiteral("qor"), QStringLiteral("x")});
    QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("btnConnect")), Qt::LeftButton);
    QCOMPARE(m_prompter->shown().size(), 1);
    QVERIFY2(m_prompter->last().text.contains(QStringLiteral("required")),
             qPrintable(m_prompter->last().text));
    QVERIFY(w->isVisible());
    QCOMPARE(ini("IPSQL"), QStringLiteral("<none>"));
    QVERIFY(!Connections::get(Connections::AccessControlConnection).isValid());
    delete w;
}

void TestAccessControlLoginWindow::refusedLogins_data()
{
    QTest::addColumn<QString>("refusal");
    QTest::newRow("wrong password") << "password";
    QTest::newRow("closed port") << "port";
    QTest::newRow("unknown driver") << "driver";
}

void TestAccessControlLoginWindow::refusedLogins()
{
    QFETCH(QString, refusal);
    AccessControlLogin login = m_server.login();
    QString expected;
    if (refusal == u"password") {
        login.password = QStringLiteral("not-the-password");
        expected = QStringLiteral("password authentication failed");
    } else if (refusal == u"port") {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        login.port = QString::number(probe.serverPort());
        probe.close();
        expected = QStringLiteral("127.0.0.1");
    } else {
        QVERIFY(writeIniValue(QStringLiteral("text"), QStringLiteral("DRIVERSQL"),
                              QStringLiteral("No Such Driver"), settings()));
        expected = QStringLiteral("No Such Driver");
    }
    QPointer<AccessControlLoginWindow> w = open();
    bool handedOver = false;
    w->setAfterConnect([&](bool) {
        handedOver = true;
        return Outcome::success();
    });
    type(w, login);
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("btnConnect")), Qt::LeftButton);
    QVERIFY(clock.elapsed() < (AccessControlSettings::LoginTimeoutSeconds + 2) * 1000);
    QCOMPARE(m_prompter->shown().size(), 1);
    QCOMPARE(m_prompter->last().icon, Prompter::Icon::Critical);
    QVERIFY2(m_prompter->last().text.contains(QStringLiteral("Cannot connect to the database QORSQL")),
             qPrintable(m_prompter->last().text));
    QVERIFY2(m_prompter->last().text.contains(expected), qPrintable(m_prompter->last().text));
    QVERIFY(!handedOver);
    QVERIFY(w->isVisible());
    for (const char* key : {"IPSQL", "PORTSQL", "USERSQL", "PASSSQL"})
        QCOMPARE(ini(key), QStringLiteral("<none>"));
    QVERIFY(!Connections::get(Connections::AccessControlConnection).isValid());
    delete w;
}

void TestAccessControlLoginWindow::connectStoresAndHandsOver_data()
{
    QTest::addColumn<bool>("fileMode");
    QTest::newRow("to a text file") << true;
    QTest::newRow("to the time-attendance database") << false;
}

void TestAccessControlLoginWindow::connectStoresAndHandsOver()
{
    QFETCH(bool, fileMode);
    QPointer<AccessControlLoginWindow> w = open();
    w->setFileMode(fileMode);
    std::optional<bool> handedOver;
    w->setAfterConnect([&](bool mode) {
        handedOver = mode;
        // The connection is open by then.
        return Connections::get(Connections::AccessControlConnection).isOpen()
                   ? Outcome::success()
                   : Outcome::failure(QStringLiteral("not open"));
    });
    const AccessControlLogin login = m_server.login();
    type(w, login);
    QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("btnConnect")), Qt::LeftButton);
    QVERIFY2(m_prompter->shown().isEmpty(), qPrintable(m_prompter->texts().join(u'\n')));
    QCOMPARE(handedOver, std::optional<bool>(fileMode));
    QTRY_VERIFY(w.isNull()); // closed and gone
    QCOMPARE(ini("IPSQL"), login.host);
    QCOMPARE(ini("PORTSQL"), login.port);
    QCOMPARE(ini("USERSQL"), QStringLiteral("qor"));
    QCOMPARE(ini("PASSSQL"), *shiftPassword(login.password));
    QVERIFY(ini("PASSSQL") != login.password);
    QVERIFY(
        TestFiles::read(settings())
            .contains("IPSQL=127.0.0.1\r\nPORTSQL=" + login.port.toLatin1() + "\r\nUSERSQL=qor\r\nPASSSQL="));
    // The connection stays open for the export.
    QSqlDatabase db = Connections::get(Connections::AccessControlConnection);
    QVERIFY(db.isOpen());
    QVERIFY(executeStatement(db, QStringLiteral("SELECT FacID FROM FacDefinition ")).ok());

    // The next time, the entries are there again, the password in clear behind '*'.
    QPointer<AccessControlLoginWindow> again = open();
    QCOMPARE(again->findChild<QLineEdit*>(QStringLiteral("dxtxtpass"))->text(), login.password);
    QCOMPARE(again->findChild<QLineEdit*>(QStringLiteral("dxtxtport"))->text(), login.port);
    delete again;
}

void TestAccessControlLoginWindow::failingHandOverKeepsWindow()
{
    QPointer<AccessControlLoginWindow> w = open();
    w->setAfterConnect(
        [](bool) { return Outcome::failure(QStringLiteral("The export window could not open.")); });
    type(w, m_server.login());
    QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("btnConnect")), Qt::LeftButton);
    QCOMPARE(m_prompter->last().text, QStringLiteral("The export window could not open."));
    QVERIFY(w->isVisible());
    // The settings stored before the failure stay stored.
    QCOMPARE(ini("USERSQL"), QStringLiteral("qor"));
    delete w;
}

void TestAccessControlLoginWindow::exitStoresNothing()
{
    QPointer<AccessControlLoginWindow> w = open();
    type(w, m_server.login());
    QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("btnExit")), Qt::LeftButton);
    QTRY_VERIFY(w.isNull());
    QCOMPARE(ini("IPSQL"), QStringLiteral("<none>"));
    QVERIFY(!Connections::get(Connections::AccessControlConnection).isValid());
    QVERIFY(m_prompter->shown().isEmpty());
}

QTEST_MAIN(TestAccessControlLoginWindow)
#include "tst_accesscontrolloginwindow.moc"
