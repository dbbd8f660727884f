#include "core/storage/Connections.h"
#include "core/storage/TimeAttendanceConnection.h"
#include "fixtures/PostgresServer.h"
#include "fixtures/TestPrompter.h"
#include "gui/platform/AppContext.h"
#include "gui/shell/MainWindow.h"

#include <QFile>
#include <QMdiArea>
#include <QSettings>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

class Probe final : public QWidget
{
public:
    explicit Probe(AppContext&) { resize(300, 200); }
    int preparedFor = 0;
};

} // namespace

// The time-attendance connection against a real database: the values stand in the settings
// store as the time-attendance program's configuration tool leaves them, and the data source
// they name is a PostgreSQL server on loopback reached through psqlODBC.
class TestItTimeAttendanceConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void opensThroughDataSource();
    void wrongDatabaseFails();
    void sideBarOpensWindowWhenReachable_data();
    void sideBarOpensWindowWhenReachable();

private:
    void store(const QString& database);

    PostgresServer m_server;
    std::unique_ptr<QTemporaryDir> m_config;
};

void TestItTimeAttendanceConnection::initTestCase()
{
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    // a user data source naming the server, as an operator's odbc.ini would
    QFile dsns(QString::fromLocal8Bit(qgetenv("ODBCINI")));
    QVERIFY(dsns.open(QIODevice::Append));
    dsns.write(QStringLiteral("[TimeAttendance]\nDriver=%1\nServername=127.0.0.1\nPort=%2\n")
                   .arg(PostgresServer::driverName())
                   .arg(m_server.port())
                   .toUtf8());
    dsns.close();
}

void TestItTimeAttendanceConnection::init()
{
    m_config = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config->path());
}

void TestItTimeAttendanceConnection::cleanup()
{
    Connections::close(Connections::TimeAttendanceConnection);
    Connections::close(Connections::LocalConnection);
    m_config.reset();
}

void TestItTimeAttendanceConnection::store(const QString& database)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("ZUN Vantorel"),
                       QStringLiteral("Configuration Connection Tools"));
    settings.setValue(QStringLiteral("DSN"), QStringLiteral("TimeAttendance"));
    settings.setValue(QStringLiteral("Driver"), QStringLiteral("PostgreSQL Unicode"));
    settings.setValue(QStringLiteral("UID"), PostgresServer::user());
    settings.setValue(QStringLiteral("PWD"), QString());
    settings.setValue(QStringLiteral("Database"), database);
    settings.sync();
}

void TestItTimeAttendanceConnection::opensThroughDataSource()
{
    store(PostgresServer::database());
    QCOMPARE(buildTimeAttendanceConnectionString(),
             QStringLiteral("PROVIDER=MSDASQL;DSN=TimeAttendance;UID=tq;PWD=;Database=postgres"));
    const Outcome opened = openTimeAttendanceDatabase();
    QVERIFY2(opened.ok(), qPrintable(opened.error()));
    QSqlQuery query(Connections::get(Connections::TimeAttendanceConnection));
    QVERIFY(query.exec(QStringLiteral("select current_database(), current_user")));
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toString(), PostgresServer::database());
    QCOMPARE(query.value(1).toString(), PostgresServer::user());
}

void TestItTimeAttendanceConnection::wrongDatabaseFails()
{
    store(QStringLiteral("no_such_database"));
    const Outcome opened = openTimeAttendanceDatabase();
    QVERIFY(!opened.ok());
    QVERIFY2(opened.error().contains(QStringLiteral("no_such_database")), qPrintable(opened.error()));
}

void TestItTimeAttendanceConnection::sideBarOpensWindowWhenReachable_data()
{
    QTest::addColumn<int>("userData");
    QTest::addColumn<WindowId>("window");
    QTest::newRow("3 export window") << 3 << WindowId::Export;
    QTest::newRow("6 SQL Server connection window") << 6 << WindowId::ConnectSql;
}

void TestItTimeAttendanceConnection::sideBarOpensWindowWhenReachable()
{
    QFETCH(int, userData);
    QFETCH(WindowId, window);
    store(PostgresServer::database());
    QTemporaryDir data;
    TestPrompter prompter;
    AppContext context{AppPaths(data.path()), prompter};
    MainWindow main(context);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    main.windows().add<Probe>(window, [](Probe& w, int item) { w.preparedFor = item; });
    main.dxSideBar1_ItemClick(userData);
    QVERIFY2(prompter.shown().isEmpty(), qPrintable(prompter.texts().join(u'\n')));
    auto* opened = dynamic_cast<Probe*>(main.windows().find(window));
    QVERIFY(opened && opened->isVisible());
    QCOMPARE(opened->preparedFor, userData);
    QVERIFY(Connections::get(Connections::TimeAttendanceConnection).isOpen());
}

QTEST_MAIN(TestItTimeAttendanceConnection)
#include "tst_it_timeattendanceconnection.moc"
