#include "core/accesscontrol/AccessControlEmployees.h"
#include "core/accesscontrol/AccessLogPull.h"
#include "core/platform/IniFile.h"
#include "core/search/AttendanceSearch.h"
#include "core/storage/Connections.h"
#include "fixtures/AccessControlServer.h"
#include "fixtures/QorSimProcess.h"
#include "fixtures/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

// The connection to the access-control server's database and what is read from it, against a
// real PostgreSQL server holding QORSQL.
class TestAccessControlServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_server.start(), qPrintable(m_server.error())); }
    void cleanupTestCase() { Connections::close(Connections::AccessControlConnection); }
    void connectRemembersOnlyAWorkingLogin();
    void personsOfTheUserTable();
    void pulledLogsAreSearched();

private:
    AccessControlServer m_server;
};

void TestAccessControlServer::connectRemembersOnlyAWorkingLogin()
{
    QTemporaryDir dir;
    const AppPaths paths(dir.path());
    QVERIFY(writeIniValue(u"text"_qs, u"DRIVERSQL"_qs, PostgresServer::driverName(), paths.settingsFile()));
    const QByteArray before = TestFiles::read(paths.settingsFile());
    AccessControlLogin login = m_server.login();
    login.password = u"wrong"_qs;
    const Outcome refused = connectAccessControl(login, paths);
    QVERIFY(!refused.ok());
    QVERIFY2(
        refused.error().startsWith(u"Cannot connect to the database QORSQL on 127.0.0.1,%1 through the ODBC "
                                   "driver \"%2\":\n"_qs.arg(login.port, PostgresServer::driverName())),
        qPrintable(refused.error()));
    QVERIFY(!Connections::get(Connections::AccessControlConnection).isValid());
    QCOMPARE(TestFiles::read(paths.settingsFile()), before);

    const Outcome connected = connectAccessControl(m_server.login(), paths);
    QVERIFY2(connected.ok(), qPrintable(connected.error()));
    QVERIFY(Connections::get(Connections::AccessControlConnection).isOpen());
    QCOMPARE(readAccessControlLogin(paths).password, AccessControlServer::password());
}

void TestAccessControlServer::personsOfTheUserTable()
{
    QVERIFY(!listAccessControlPersons(QSqlDatabase()).ok());
    QVERIFY(openAccessControlDatabase(m_server.login(), PostgresServer::driverName()).ok());
    const QSqlDatabase db = Connections::get(Connections::AccessControlConnection);
    QVERIFY(m_server.exec(u"insert into \"User\"(UID, Name) values (1024, 'สมชาย ใจดี'), (7, 'Ann')"_qs));
    QCOMPARE(accessControlPersonQuery(db), u"Select * from \"User\""_qs);
    const Expected<QList<AccessControlPerson>> persons = listAccessControlPersons(db);
    QVERIFY2(persons.ok(), qPrintable(persons.error()));
    QStringList items;
    for (const AccessControlPerson& p : *persons)
        items << p.item();
    QCOMPARE(items, (QStringList{u"1024     สมชาย ใจดี"_qs, u"7     Ann"_qs}));

    // a person table without one of the two columns is reported, not listed with empty values
    for (const QString& column : {u"Name"_qs, u"UID"_qs}) {
        QVERIFY(m_server.exec(u"alter table \"User\" rename column %1 to Other"_qs.arg(column)));
        const Expected<QList<AccessControlPerson>> broken = listAccessControlPersons(db);
        QVERIFY(m_server.exec(u"alter table \"User\" rename column Other to %1"_qs.arg(column)));
        QVERIFY(!broken.ok());
        QVERIFY2(broken.error().contains(u"no UID or Name column"_qs), qPrintable(broken.error()));
    }
}

void TestAccessControlServer::pulledLogsAreSearched()
{
    QVERIFY(openAccessControlDatabase(m_server.login(), PostgresServer::driverName()).ok());
    QVERIFY(m_server.exec(u"insert into FacDefinition(FacID) values (255), (256), (null)"_qs));
    QorSimProcess sim;
    QVERIFY2(
        sim.start("facility 255\nlog 255 7 2 1 2024/01/05 08:00:00 0\nlog 255 7 2 1 2024/01/05 17:30:00 0\n",
                  m_server.odbcConnectionString(), m_server.postgres().processEnvironment()),
        qPrintable(sim.error()));
    QorClient client;
    const Expected<AccessLogPullReport> report =
        AccessLogPull(Connections::get(Connections::AccessControlConnection), client)
            .run(u"127.0.0.1"_qs, sim.port(), 1);
    QVERIFY2(report.ok() && report->initialised,
             qPrintable(report.ok() ? report->initError : report.error()));
    QCOMPARE(report->pulled, QList<quint8>{255});
    QCOMPARE(report->skippedFacilities, (QStringList{u"256"_qs, u"(empty)"_qs}));
    QVERIFY2(report->facilityErrors.isEmpty(), qPrintable(report->warnings()));

    // the search reads them as punches of the local work table
    QTemporaryDir dir;
    QVERIFY(openLocalDatabase(AppPaths(dir.path())).ok());
    RunProgress progress;
    QVERIFY(searchAccessControlPunches({u"select * from RALog order by UID ASC,Date ASC"_qs, {}},
                                       SearchMode::Pairing, progress)
                .ok());
    Expected<QSqlQuery> q =
        executeStatement(Connections::get(Connections::LocalConnection),
                         u"select HID||FID||GID||' '||wDate||' '||wTime||' '||Status from tblExport1"_qs);
    QStringList rows;
    while (q.ok() && q->next())
        rows << q->value(0).toString();
    QCOMPARE(rows, (QStringList{u"721 2024/01/05 08:00:00 1"_qs, u"721 2024/01/05 17:30:00 2"_qs}));
    Connections::close(Connections::LocalConnection);
}

QTEST_GUILESS_MAIN(TestAccessControlServer)
#include "tst_it_accesscontrolserver.moc"
