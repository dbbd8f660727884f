#include "core/platform/AppPaths.h"
#include "core/storage/Connections.h"
#include "fixtures/PostgresServer.h"
#include "fixtures/TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QSqlError>
#include <QTemporaryDir>
#include <QTest>

// Runs the real tqtool-cli export and export-ta on a temporary data directory; export-ta writes
// into a real PostgreSQL server through psqlODBC.
class TestCliExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void exportsByLayoutFile_data();
    void exportsByLayoutFile();
    void noData();
    void badUsage_data();
    void badUsage();
    void unwritableOutput();
    void layoutWithoutFieldsIsRefused();
    void exportTA();
    void exportTABadConnection();
    void exportTAStoredSettings();

private:
    struct Run
    {
        int code;
        QString out;
        QString err;
    };
    Run run(const QStringList& args) const;
    QString layout() const { return m_dir->filePath(QStringLiteral("test.ini")); }
    QString output() const { return m_dir->filePath(QStringLiteral("out.txt")); }

    PostgresServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
};

TestCliExport::Run TestCliExport::run(const QStringList& args) const
{
    QProcess p;
    p.setProcessEnvironment(m_server.processEnvironment());
    p.start(QStringLiteral(TQTOOL_CLI_PATH), QStringList{QStringLiteral("--data-dir"), m_dir->path()} + args);
    if (!p.waitForFinished(60000))
        return {-1, {}, QStringLiteral("did not finish")};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

void TestCliExport::initTestCase()
{
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    QSqlDatabase db = Connections::replace(Connections::TimeAttendanceConnection, QStringLiteral("QODBC"));
    db.setDatabaseName(m_server.odbcConnectionString());
    QVERIFY2(db.open(), qPrintable(db.lastError().text()));
    QVERIFY(
        executeStatement(db, QStringLiteral("create table tblTransaction (TerminalID varchar(10), HumanID "
                                            "varchar(20), StampDateTime varchar(19), StampStat varchar(3), "
                                            "Process varchar(1), Upload varchar(1))"))
            .ok());
}

void TestCliExport::cleanupTestCase()
{
    Connections::close(Connections::TimeAttendanceConnection);
    m_server.stop();
}

void TestCliExport::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(openLocalDatabase(AppPaths(m_dir->path())).ok());
    QSqlDatabase local = Connections::get(Connections::LocalConnection);
    const QStringList punches = {u"7|1|2024/01/09|08:00:00|0"_qs, u"7|3|2024/01/09|12:00:00|0"_qs,
                                 u"2|1|2024/01/09|09:00:00|0"_qs, u"15|2|2024/01/15|10:00:00|2"_qs,
                                 u"7|1|2023/12/31|08:00:00|0"_qs};
    for (const QString& punch : punches) {
        const QStringList f = punch.split(u'|');
        QVERIFY(executeStatement(local,
                                 QStringLiteral("insert into tblexport(HID,FID,GID,wDate,wTime,Status) "
                                                "values(?,?,'0',?,?,?)"),
                                 {f[0], f[1], f[2], f[3], f[4]})
                    .ok());
    }
    local = QSqlDatabase();
    Connections::close(Connections::LocalConnection);
    // Person right-aligned in 4 with zeros, terminal in 2, the event as I or O.
    QVERIFY(TestFiles::write(layout(),
                             "[ZUNDataView]\r\nRows=3\r\nDelimiter=,\r\n"
                             "[ZUNData\\ROW\\1]\r\nTextMatrix=UID\r\nFixedWidth=4\r\nAlignmentData=1\r\n"
                             "spData=0\r\n"
                             "[ZUNData\\ROW\\2]\r\nTextMatrix=Kestrum ID\r\nFixedWidth=2\r\n"
                             "AlignmentData=1\r\nspData=0\r\n"
                             "[ZUNData\\ROW\\3]\r\nTextMatrix=Event\r\nFixedWidth=2\r\nAlignmentData=0\r\n"
                             "spData= \r\nIN=I\r\nOUT=O\r\nINOnly=0\r\nOUTOnly=0\r\n"));
}

void TestCliExport::exportsByLayoutFile_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("everything, raw") << QStringList()
                                     << QByteArray("0015,02,2\r\n0002,01,0\r\n0007,01,0\r\n"
                                                   "0007,01,0\r\n0007,03,0\r\n");
    QTest::newRow("chosen employees, filtered")
        << QStringList{u"--data"_qs, u"filtered"_qs, u"--employees"_qs, u"7, 2"_qs}
        << QByteArray("0007,01,I\r\n0007,01,I\r\n0007,03,O\r\n0002,01,I\r\n");
    QTest::newRow("Buddhist-era range and terminals")
        << QStringList{u"--data"_qs, u"filtered"_qs,   u"--from"_qs,      u"2567/01/01"_qs,
                       u"--to"_qs,   u"2567/01/31"_qs, u"--terminals"_qs, u"1,2"_qs}
        << QByteArray("0015,02,O\r\n0002,01,I\r\n0007,01,I\r\n");
}

void TestCliExport::exportsByLayoutFile()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, file);
    const Run r =
        run(QStringList{u"export"_qs, u"--output"_qs, output(), u"--layout-file"_qs, layout()} + options);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(r.out, u"Export successfully\n"_qs);
    QCOMPARE(TestFiles::read(output()), file);
    QVERIFY(!QFile::exists(AppPaths(m_dir->path()).stagingFile()));
}

void TestCliExport::noData()
{
    const Run r = run(
        {u"export"_qs, u"--output"_qs, output(), u"--layout-file"_qs, layout(), u"--employees"_qs, u"99"_qs});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, u" No data for export !!!\n"_qs);
    QVERIFY(!QFile::exists(output()));
}

void TestCliExport::badUsage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no output") << QStringList{u"export"_qs, u"--layout"_qs, u"Default"_qs};
    QTest::newRow("two layouts") << QStringList{u"export"_qs,  u"--output"_qs,      u"x"_qs, u"--layout"_qs,
                                                u"Default"_qs, u"--layout-file"_qs, u"y"_qs};
    QTest::newRow("from without to") << QStringList{
        u"export"_qs, u"--output"_qs, u"x"_qs, u"--layout"_qs, u"Default"_qs, u"--from"_qs, u"2024/01/01"_qs};
    QTest::newRow("not a date") << QStringList{u"export"_qs,    u"--output"_qs, u"x"_qs,
                                               u"--layout"_qs,  u"Default"_qs,  u"--from"_qs,
                                               u"yesterday"_qs, u"--to"_qs,     u"2024/01/01"_qs};
    QTest::newRow("bad data type") << QStringList{u"export"_qs,  u"--output"_qs, u"x"_qs,     u"--layout"_qs,
                                                  u"Default"_qs, u"--data"_qs,   u"paired"_qs};
    QTest::newRow("stray argument") << QStringList{u"export-ta"_qs, u"--ta-connection"_qs, u"x"_qs,
                                                   u"extra"_qs};
    QTest::newRow("empty connection") << QStringList{u"export-ta"_qs, u"--ta-connection"_qs, QString()};
}

void TestCliExport::badUsage()
{
    QFETCH(QStringList, args);
    const Run r = run(args);
    QCOMPARE(r.code, 2);
    QVERIFY(r.err.contains(u"usage:"_qs));
    QCOMPARE(r.out, QString());
}

void TestCliExport::unwritableOutput()
{
    const QString target = m_dir->filePath(QStringLiteral("missing/out.txt"));
    const Run r = run({u"export"_qs, u"--output"_qs, target, u"--layout-file"_qs, layout()});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(u"Cannot write the export file"_qs), qPrintable(r.err));
    QCOMPARE(r.out, QString());
    QVERIFY(!QFile::exists(AppPaths(m_dir->path()).stagingFile()));
}

void TestCliExport::layoutWithoutFieldsIsRefused()
{
    const QString empty = m_dir->filePath(QStringLiteral("empty.ini"));
    QVERIFY(TestFiles::write(empty, "[ZUNDataView]\r\nRows=0\r\nDelimiter=,\r\n"));
    QVERIFY(TestFiles::write(output(), "earlier export\r\n"));
    const Run r = run({u"export"_qs, u"--output"_qs, output(), u"--layout-file"_qs, empty});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(u"no fields"_qs), qPrintable(r.err));
    QCOMPARE(r.out, QString());
    QCOMPARE(TestFiles::read(output()), QByteArray("earlier export\r\n"));
    QVERIFY(!QFile::exists(AppPaths(m_dir->path()).stagingFile()));
}

void TestCliExport::exportTA()
{
    const QSqlDatabase db = Connections::get(Connections::TimeAttendanceConnection);
    QVERIFY(executeStatement(db, QStringLiteral("delete from tblTransaction")).ok());
    const QStringList args = {u"export-ta"_qs, u"--ta-connection"_qs, m_server.odbcConnectionString(),
                              u"--terminals"_qs, u"2"_qs};
    for (int round = 0; round < 2; ++round) {
        const Run r = run(args);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(r.out, u"Export successfully\n"_qs);
    }
    auto q =
        executeStatement(db, QStringLiteral("select TerminalID, HumanID, StampDateTime, StampStat, Process, "
                                            "Upload from tblTransaction"));
    QVERIFY(q.ok());
    QVERIFY(q->next());
    QStringList row;
    for (int i = 0; i < 6; ++i)
        row << q->value(i).toString();
    QCOMPARE(row.join(u'|'), u"2|15|2567/01/15 10:00:00|OUT|0|1"_qs);
    QVERIFY(!q->next());
}

void TestCliExport::exportTABadConnection()
{
    const Run r = run({u"export-ta"_qs, u"--ta-connection"_qs,
                       u"Driver={No Such Driver};Server=127.0.0.1;Port=1;Database=x;"_qs});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(u"Cannot connect to the time-attendance database"_qs), qPrintable(r.err));
}

void TestCliExport::exportTAStoredSettings()
{
    // The time-attendance program's stored settings name a data source of the user's odbc.ini.
    QFile dsns(m_server.processEnvironment().value(u"ODBCINI"_qs));
    QVERIFY(dsns.open(QIODevice::Append));
    dsns.write(QStringLiteral("[CliTimeAttendance]\nDriver=%1\nServername=127.0.0.1\nPort=%2\n")
                   .arg(PostgresServer::driverName())
                   .arg(m_server.port())
                   .toUtf8());
    dsns.close();
    QTemporaryDir config;
    QVERIFY(QDir(config.path()).mkpath(u"ZUN Vantorel"_qs));
    QVERIFY(TestFiles::write(config.filePath(u"ZUN Vantorel/Configuration Connection Tools.conf"_qs),
                             "[General]\nDSN=CliTimeAttendance\nUID=tq\nPWD=\nDatabase=postgres\n"));
    const QSqlDatabase db = Connections::get(Connections::TimeAttendanceConnection);
    QVERIFY(executeStatement(db, QStringLiteral("delete from tblTransaction")).ok());

    QProcess p;
    QProcessEnvironment env = m_server.processEnvironment();
    env.insert(u"XDG_CONFIG_HOME"_qs, config.path());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TQTOOL_CLI_PATH),
            {u"--data-dir"_qs, m_dir->path(), u"export-ta"_qs, u"--employees"_qs, u"2"_qs});
    QVERIFY(p.waitForFinished(60000));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    QCOMPARE(p.readAllStandardOutput(), QByteArray("Export successfully\n"));
    auto q =
        executeStatement(db, QStringLiteral("select HumanID, StampDateTime, StampStat from tblTransaction"));
    QVERIFY(q.ok() && q->next());
    QCOMPARE(q->value(0).toString() + u'|' + q->value(1).toString() + u'|' + q->value(2).toString(),
             u"2|2567/01/09 09:00:00|IN"_qs);
    QVERIFY(!q->next());
}

QTEST_GUILESS_MAIN(TestCliExport)
#include "tst_it_cli_export.moc"
