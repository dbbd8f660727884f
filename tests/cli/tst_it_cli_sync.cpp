#include "core/platform/AppPaths.h"
#include "core/storage/Connections.h"
#include "fixtures/PostgresServer.h"
#include "fixtures/TestFiles.h"
#include "fixtures/Tq90SimProcess.h"

#include <QCoreApplication>
#include <QLockFile>
#include <QProcess>
#include <QSqlError>
#include <QSysInfo>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

// tqtool-cli sync against two simulated terminals and a port where nothing listens, with the
// export into a real PostgreSQL server.
class TestCliSync : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void syncsEveryTerminal();
    void secondSyncIsRefused();

private:
    struct Run
    {
        int code = -1;
        QString out;
        QString err;
    };
    Run sync(const QStringList& extra = {});
    void writeTerminals(const QString& content);
    QString terminalsFile() const { return m_dir->filePath(QStringLiteral("terminals.ini")); }

    PostgresServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    Tq90SimProcess m_front;
    Tq90SimProcess m_back;
    quint16 m_deadPort = 0;
};

void TestCliSync::initTestCase()
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
    QVERIFY(m_front.start({QStringLiteral("--generate"), QStringLiteral("30")}));
    QVERIFY(m_back.start());
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    m_deadPort = probe.serverPort();
}

void TestCliSync::cleanupTestCase()
{
    Connections::close(Connections::TimeAttendanceConnection);
    m_server.stop();
}

void TestCliSync::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    writeTerminals(QStringLiteral("[Front]\r\nIP=127.0.0.1\r\nPort=%1\r\nErase=yes\r\n"
                                  "[Gate]\r\nIP=127.0.0.1\r\nPort=%2\r\nErase=yes\r\n"
                                  "[Back]\r\nIP=127.0.0.1\r\nPort=%3\r\nErase=no\r\n")
                       .arg(m_front.port())
                       .arg(m_deadPort)
                       .arg(m_back.port()));
}

void TestCliSync::writeTerminals(const QString& content)
{
    QVERIFY(TestFiles::write(terminalsFile(), content.toUtf8()));
}

TestCliSync::Run TestCliSync::sync(const QStringList& extra)
{
    QProcess p;
    p.setProcessEnvironment(m_server.processEnvironment());
    p.start(QStringLiteral(TQTOOL_CLI_PATH),
            QStringList{QStringLiteral("--data-dir"), m_dir->path(), QStringLiteral("sync"),
                        QStringLiteral("--terminals"), terminalsFile()} +
                extra);
    Run r;
    if (!p.waitForFinished(60000))
        return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void TestCliSync::syncsEveryTerminal()
{
    QVERIFY(m_back.ok(QStringLiteral("generate 20 7")));
    // today's one punch is the only one the day range takes; the generated ones are of 2024
    QVERIFY(m_back.ok(QStringLiteral("punch 4321")));
    const Run r = sync({QStringLiteral("--export-ta"), QStringLiteral("--days"), QStringLiteral("0"),
                        QStringLiteral("--ta-connection"), m_server.odbcConnectionString()});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QStringLiteral("Front (127.0.0.1:%1): read 30, new 30, erased\n"
                                   "Back (127.0.0.1:%2): read 21, new 21, kept\n"
                                   "Export successfully\n")
                        .arg(m_front.port())
                        .arg(m_back.port()));
    QCOMPARE(r.err, QStringLiteral(
                        "Gate (127.0.0.1:%1): failed: Failed to connect to TQ90! Internal socket error!\n")
                        .arg(m_deadPort));
    QVERIFY(m_front.command(QStringLiteral("status")).contains(QStringLiteral(" 0 punches")));
    QVERIFY(m_back.command(QStringLiteral("status")).contains(QStringLiteral(" 21 punches")));
    auto rows = executeStatement(Connections::get(Connections::TimeAttendanceConnection),
                                 QStringLiteral("select HumanID from tblTransaction"));
    QVERIFY(rows.ok());
    QStringList people;
    while (rows->next())
        people << rows->value(0).toString();
    QCOMPARE(people, QStringList{QStringLiteral("4321")});
    QVERIFY(!QFile::exists(AppPaths(m_dir->path()).syncLockFile()));
}

void TestCliSync::secondSyncIsRefused()
{
    QVERIFY(m_front.ok(QStringLiteral("generate 8")));
    QLockFile running(AppPaths(m_dir->path()).syncLockFile());
    QVERIFY(running.tryLock(0));
    const Run r = sync();
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.contains(QStringLiteral("Another sync is running")) &&
                 r.err.contains(QString::number(QCoreApplication::applicationPid())) &&
                 r.err.contains(QCoreApplication::applicationName()) &&
                 r.err.contains(QSysInfo::machineHostName()),
             qPrintable(r.err));
    QVERIFY(m_front.command(QStringLiteral("status")).contains(QStringLiteral(" 8 punches")));
    running.unlock();
    QCOMPARE(sync().code, 1); // the dead port still fails, but the others are taken now
    QVERIFY(m_front.command(QStringLiteral("status")).contains(QStringLiteral(" 0 punches")));
}

QTEST_GUILESS_MAIN(TestCliSync)
#include "tst_it_cli_sync.moc"
