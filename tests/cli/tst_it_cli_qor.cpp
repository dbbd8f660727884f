#include "core/accesscontrol/AccessControlLogin.h"
#include "core/accesscontrol/QorClient.h"
#include "core/platform/AppPaths.h"
#include "core/platform/IniFile.h"
#include "core/storage/Connections.h"
#include "fixtures/AccessControlServer.h"
#include "fixtures/QorSimProcess.h"
#include "fixtures/TestFiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// tqtool-cli export and export-ta with --source qor: the access-control connection from the
// stored settings, the pull through qor-sim, the export from RALog on a real PostgreSQL server.
class TestCliQor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void textExportMatchesLocalSource();
    void exportTAFromAccessControl();
    void pullNoneReadsWhatIsThere();
    void refusedOutputPullsNothing();
    void databaseErrorStopsBeforeExport();
    void wrongPasswordIsRefused();
    void badUsage_data();
    void badUsage();

private:
    struct Run
    {
        int code;
        QString out;
        QString err;
    };
    Run run(const QStringList& args) const;
    QString layout() const
    {
        return qEnvironmentVariable("TQ_SOURCE_DIR") + QStringLiteral("/resources/layouts/Default.ini");
    }
    QStringList qor() const
    {
        return {QStringLiteral("--source"), QStringLiteral("qor"), QStringLiteral("--service-port"),
                QString::number(m_sim->port())};
    }

    AccessControlServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QorSimProcess> m_sim;
};

namespace {
const char* const Punches[] = {"1024 3 2024/01/09 08:00:00 0", "1024 3 2024/01/09 12:00:00 0",
                               "1024 3 2024/01/09 13:00:00 0", "1024 3 2024/01/09 17:30:00 2",
                               "7 1 2024/01/10 09:15:00 1",    "7 1 2024/01/10 18:00:00 0"};
}

TestCliQor::Run TestCliQor::run(const QStringList& args) const
{
    QProcess p;
    p.setProcessEnvironment(const_cast<AccessControlServer&>(m_server).postgres().processEnvironment());
    p.start(QStringLiteral(TQTOOL_CLI_PATH), QStringList{QStringLiteral("--data-dir"), m_dir->path()} + args);
    if (!p.waitForFinished(90000))
        return {-1, {}, QStringLiteral("did not finish")};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

void TestCliQor::initTestCase()
{
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    QString error;
    QVERIFY2(m_server.postgres().openConnection(Connections::TimeAttendanceConnection, &error),
             qPrintable(error));
    QVERIFY(executeStatement(Connections::get(Connections::TimeAttendanceConnection),
                             QStringLiteral("create table tblTransaction (TerminalID varchar(10), HumanID "
                                            "varchar(20), StampDateTime varchar(19), StampStat varchar(3), "
                                            "Process varchar(1), Upload varchar(1))"))
                .ok());
}

void TestCliQor::cleanupTestCase()
{
    Connections::close(Connections::TimeAttendanceConnection);
}

void TestCliQor::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_server.reset());
    QVERIFY(m_server.exec(QStringLiteral("insert into FacDefinition(FacID) values (1)")));
    QVERIFY(executeStatement(Connections::get(Connections::TimeAttendanceConnection),
                             QStringLiteral("delete from tblTransaction"))
                .ok());
    // The connection window's settings, with the test server's driver.
    const AppPaths paths(m_dir->path());
    QVERIFY(storeAccessControlLogin(m_server.login(), paths));
    QVERIFY(writeIniValue(QStringLiteral("text"), QStringLiteral("DRIVERSQL"), PostgresServer::driverName(),
                          paths.settingsFile()));
    QByteArray facilities = "facility 1\n";
    for (const char* punch : Punches) {
        const QList<QByteArray> f = QByteArray(punch).split(' ');
        facilities += "log 1 " + f[0] + ' ' + f[1] + " 1 " + f[2] + ' ' + f[3] + ' ' + f[4] + '\n';
    }
    m_sim = std::make_unique<QorSimProcess>();
    QVERIFY2(
        m_sim->start(facilities, m_server.odbcConnectionString(), m_server.postgres().processEnvironment()),
        qPrintable(m_sim->error()));
}

void TestCliQor::textExportMatchesLocalSource()
{
    // The same punches in the local database.
    {
        QVERIFY(openLocalDatabase(AppPaths(m_dir->path())).ok());
        for (const char* punch : Punches) {
            const QStringList f = QString::fromLatin1(punch).split(u' ');
            QVERIFY(executeStatement(Connections::get(Connections::LocalConnection),
                                     QStringLiteral("insert into tblexport(HID,FID,GID,wDate,wTime,Status) "
                                                    "values(?,?,?,?,?,?)"),
                                     {f[0], f[1], QStringLiteral("1"), f[2], f[3], f[4]})
                        .ok());
        }
        Connections::close(Connections::LocalConnection);
    }
    const QString local = m_dir->filePath(QStringLiteral("local.txt"));
    const QString remote = m_dir->filePath(QStringLiteral("qor.txt"));
    for (const char* data : {"raw", "filtered"}) {
        const QStringList common = {QStringLiteral("--layout-file"), layout(), QStringLiteral("--data"),
                                    QLatin1String(data)};
        const Run fromLocal =
            run(QStringList{QStringLiteral("export"), QStringLiteral("--output"), local} + common);
        QVERIFY2(fromLocal.code == 0, qPrintable(fromLocal.err));
        const Run fromQor =
            run(QStringList{QStringLiteral("export"), QStringLiteral("--output"), remote} + common + qor() +
                QStringList{QStringLiteral("--pull"), QStringLiteral("keep")});
        QVERIFY2(fromQor.code == 0, qPrintable(fromQor.err));
        QCOMPARE(fromQor.out.trimmed(), QStringLiteral("Export successfully"));
        QCOMPARE(TestFiles::read(remote), TestFiles::read(local));
        QCOMPARE(TestFiles::read(remote).count("\r\n"), 6);
        // keep: pulled again on the second round, RALog then holds every punch twice; start over.
        QVERIFY(m_server.exec(QStringLiteral("delete from RALog")));
    }
}

void TestCliQor::exportTAFromAccessControl()
{
    const Run r =
        run(QStringList{QStringLiteral("export-ta"), QStringLiteral("--ta-connection"),
                        m_server.postgres().odbcConnectionString()} +
            qor() +
            QStringList{QStringLiteral("--pull"), QStringLiteral("delete"), QStringLiteral("--from"),
                        QStringLiteral("2024/01/09"), QStringLiteral("--to"), QStringLiteral("2024/01/09")});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(r.out.trimmed(), QStringLiteral("Export successfully"));
    Expected<QSqlQuery> rows = executeStatement(
        Connections::get(Connections::TimeAttendanceConnection),
        QStringLiteral(
            "select TerminalID, HumanID, StampDateTime, StampStat from tblTransaction order by 3"));
    QVERIFY(rows.ok());
    QStringList got;
    while (rows->next())
        got << QStringList{rows->value(0).toString(), rows->value(1).toString(), rows->value(2).toString(),
                           rows->value(3).toString()}
                   .join(u'|');
    QCOMPARE(got, (QStringList{QStringLiteral("3|1024|2567/01/09 08:00:00|IN"),
                               QStringLiteral("3|1024|2567/01/09 12:00:00|OUT"),
                               QStringLiteral("3|1024|2567/01/09 13:00:00|IN"),
                               QStringLiteral("3|1024|2567/01/09 17:30:00|OUT")}));
    // delete: the facility's logs are gone from the facility.
    QorClient client;
    QCOMPARE(client.QorInitializeWithPassword(QStringLiteral("127.0.0.1"), m_sim->port(),
                                              QStringLiteral("tarnish")),
             0);
    QCOMPARE(client.pendingLogs(1), std::optional<quint32>(0));
}

void TestCliQor::pullNoneReadsWhatIsThere()
{
    const QString out = m_dir->filePath(QStringLiteral("none.txt"));
    const Run r = run(QStringList{QStringLiteral("export"), QStringLiteral("--output"), out,
                                  QStringLiteral("--layout-file"), layout()} +
                      qor() + QStringList{QStringLiteral("--pull"), QStringLiteral("none")});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(r.out, QStringLiteral(" No data for export !!!\n"));
    QVERIFY(!QFile::exists(out));
    QCOMPARE(m_server.rows(QStringLiteral("select count(*) from RALog")), QStringList{QStringLiteral("0")});
}

void TestCliQor::refusedOutputPullsNothing()
{
    QorClient client;
    QCOMPARE(client.QorInitializeWithPassword(QStringLiteral("127.0.0.1"), m_sim->port(),
                                              QStringLiteral("tarnish")),
             0);
    const std::optional<quint32> pending = client.pendingLogs(1);
    QVERIFY(pending && *pending > 0);
    const Run r = run(QStringList{QStringLiteral("export"), QStringLiteral("--output"),
                                  m_dir->filePath(QStringLiteral("dataexport.db")),
                                  QStringLiteral("--layout-file"), layout()} +
                      qor() + QStringList{QStringLiteral("--pull"), QStringLiteral("delete")});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("local database")), qPrintable(r.err));
    QCOMPARE(client.pendingLogs(1), pending);
    QCOMPARE(m_server.rows(QStringLiteral("select count(*) from RALog")), QStringList{QStringLiteral("0")});
}

void TestCliQor::databaseErrorStopsBeforeExport()
{
    QVERIFY(m_server.exec(QStringLiteral("insert into RALog(UID,FID,GID,Date,InOutOption) values "
                                         "(5,1,1,'2024-01-01 08:00:00',0)")));
    QVERIFY(m_server.exec(QStringLiteral("alter table FacDefinition rename to FacDefinitionGone")));
    const QString out = m_dir->filePath(QStringLiteral("stopped.txt"));
    const Run r = run(QStringList{QStringLiteral("export"), QStringLiteral("--output"), out,
                                  QStringLiteral("--layout-file"), layout()} +
                      qor());
    QVERIFY(m_server.exec(QStringLiteral("alter table FacDefinitionGone rename to FacDefinition")));
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("Cannot read the facilities")), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    QVERIFY(!QFile::exists(out));
}

void TestCliQor::wrongPasswordIsRefused()
{
    const Run r = run(QStringList{QStringLiteral("export-ta"), QStringLiteral("--ta-connection"),
                                  m_server.postgres().odbcConnectionString()} +
                      qor() + QStringList{QStringLiteral("--qor-password"), QStringLiteral("wrong")});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("password authentication failed")), qPrintable(r.err));
}

void TestCliQor::badUsage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("unknown pull") << QStringLiteral("--source qor --pull later").split(u' ');
    QTest::newRow("pull without qor") << QStringLiteral("--pull delete").split(u' ');
    QTest::newRow("host without qor") << QStringLiteral("--qor-host srv").split(u' ');
    QTest::newRow("unknown source") << QStringLiteral("--source other").split(u' ');
    QTest::newRow("bad service port") << QStringLiteral("--source qor --service-port 70000").split(u' ');
}

void TestCliQor::badUsage()
{
    QFETCH(QStringList, args);
    const Run r = run(QStringList{QStringLiteral("export-ta"), QStringLiteral("--ta-connection"),
                                  m_server.postgres().odbcConnectionString()} +
                      args);
    QCOMPARE(r.code, 2);
    QVERIFY(!r.err.isEmpty());
}

QTEST_GUILESS_MAIN(TestCliQor)
#include "tst_it_cli_qor.moc"
