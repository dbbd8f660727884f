#include "core/platform/AppPaths.h"
#include "core/storage/Connections.h"
#include "core/terminal/LogRecord.h"
#include "fixtures/TestFiles.h"
#include "fixtures/Tq90SimProcess.h"

#include <QProcess>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

int punchesInDatabase(const QString& dataDir)
{
    const QString name = QStringLiteral("check");
    int n = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(AppPaths(dataDir).localDatabase());
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("select count(*) from tblexport")) && q.next())
                n = q.value(0).toInt();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return n;
}

} // namespace

class TestCliTerminal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void importConvertsFile();
    void importOfMissingFileFails();
    void downloadConvertsAndKeepsLog();
    void downloadEraseEmptiesTerminal();
    void punchDuringDownloadIsNotErased();
    void failedConversionDoesNotErase();
    void unverifiedStoreDoesNotErase();
    void partialRecordBlocksErase();
    void impossibleLogSizeIsNamed();
    void progressOnlyOnATerminal();
    void emptyLog();
    void refusals_data();
    void refusals();
    void unreachableTerminal();

private:
    Run cli(const QStringList& args);
    QStringList target() const
    {
        return {QStringLiteral("--ip"), QStringLiteral("127.0.0.1"), QStringLiteral("--port"),
                QString::number(m_sim->port())};
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Tq90SimProcess> m_sim;
};

void TestCliTerminal::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_sim = std::make_unique<Tq90SimProcess>();
    QVERIFY(m_sim->start({QStringLiteral("--generate"), QStringLiteral("50")}));
}

void TestCliTerminal::cleanup()
{
    m_sim.reset();
    m_dir.reset();
}

Run TestCliTerminal::cli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(TQTOOL_CLI_PATH), QStringList{QStringLiteral("--data-dir"), m_dir->path()} + args);
    Run r;
    if (!p.waitForFinished(60000))
        return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void TestCliTerminal::importConvertsFile()
{
    const QString file = m_dir->filePath(QStringLiteral("other.bin"));
    QVERIFY(TestFiles::write(file, generateLog(3, 9) + QByteArray(1, '\0')));
    Run r = cli({QStringLiteral("import"), file});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("Read 3 punches, 3 new.\n"));
    r = cli({QStringLiteral("import"), file});
    QCOMPARE(r.out, QStringLiteral("Read 3 punches, 0 new.\n"));
    QCOMPARE(punchesInDatabase(m_dir->path()), 3);
}

void TestCliTerminal::importOfMissingFileFails()
{
    const Run r = cli({QStringLiteral("import")});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("TQ90_log.bin")), qPrintable(r.err));
}

void TestCliTerminal::downloadConvertsAndKeepsLog()
{
    Run r = cli(QStringList{QStringLiteral("download")} + target());
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(r.out, QStringLiteral("Read 50 punches, 50 new.\n"));
    QCOMPARE(TestFiles::read(AppPaths(m_dir->path()).logFile()).size(), 50 * 16 + 1);
    r = cli(QStringList{QStringLiteral("download")} + target());
    QCOMPARE(r.out, QStringLiteral("Read 50 punches, 0 new.\n"));
    QVERIFY(m_sim->command(QStringLiteral("status")).contains(QStringLiteral("50 punches")));
    QCOMPARE(punchesInDatabase(m_dir->path()), 50);
}

void TestCliTerminal::downloadEraseEmptiesTerminal()
{
    const Run r = cli(QStringList{QStringLiteral("download"), QStringLiteral("--erase")} + target());
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(r.out, QStringLiteral("Read 50 punches, 50 new.\nLog data is deleted!\n"));
    QVERIFY(m_sim->command(QStringLiteral("status")).contains(QStringLiteral(" 0 punches")));
}

void TestCliTerminal::punchDuringDownloadIsNotErased()
{
    QVERIFY(m_sim->ok(QStringLiteral("misbehave GetLogData grow")));
    const Run r = cli(QStringList{QStringLiteral("download"), QStringLiteral("--erase")} + target());
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("not erased")), qPrintable(r.err));
    QVERIFY(m_sim->command(QStringLiteral("status")).contains(QStringLiteral("51 punches")));
    QCOMPARE(punchesInDatabase(m_dir->path()), 50);
}

void TestCliTerminal::failedConversionDoesNotErase()
{
    QVERIFY(TestFiles::write(AppPaths(m_dir->path()).localDatabase(), QByteArray(4096, 'x')));
    const Run r = cli(QStringList{QStringLiteral("download"), QStringLiteral("--erase")} + target());
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("dataexport.db")) && r.err.contains(QStringLiteral("not erased")),
             qPrintable(r.err));
    QVERIFY(m_sim->command(QStringLiteral("status")).contains(QStringLiteral("50 punches")));
}

void TestCliTerminal::unverifiedStoreDoesNotErase()
{
    // the database takes the punches without a word and keeps none, as a failing disk may
    QVERIFY(openLocalDatabase(AppPaths(m_dir->path())).ok());
    QVERIFY(executeStatement(Connections::get(Connections::LocalConnection),
                             QStringLiteral("CREATE TRIGGER vanish BEFORE INSERT ON tblexport "
                                            "BEGIN SELECT RAISE(IGNORE); END"))
                .ok());
    Connections::close(Connections::LocalConnection);
    const Run r = cli(QStringList{QStringLiteral("download"), QStringLiteral("--erase")} + target());
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("is not in the local database")) &&
                 r.err.contains(QStringLiteral("not erased")),
             qPrintable(r.err));
    QVERIFY(!r.out.contains(QStringLiteral("deleted")));
    QVERIFY(m_sim->command(QStringLiteral("status")).contains(QStringLiteral("50 punches")));
}

void TestCliTerminal::partialRecordBlocksErase()
{
    // a log of five punches and 15 bytes more: with the extra byte the file ends on a whole record
    const QString file = m_dir->filePath(QStringLiteral("partial.bin"));
    QVERIFY(TestFiles::write(file, generateLog(5, 4) + QByteArray(15, '\x7f')));
    QVERIFY(m_sim->ok(QStringLiteral("load ") + file));
    const Run r = cli(QStringList{QStringLiteral("download"), QStringLiteral("--erase")} + target());
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QStringLiteral("Read 5 punches, 5 new.\n"));
    QVERIFY2(r.err.contains(QStringLiteral("15 bytes")) && r.err.contains(QStringLiteral("not erased")),
             qPrintable(r.err));
    QVERIFY(m_sim->command(QStringLiteral("status")).contains(QStringLiteral("log 95 bytes")));
    QCOMPARE(punchesInDatabase(m_dir->path()), 5);
}

void TestCliTerminal::impossibleLogSizeIsNamed()
{
    QVERIFY(m_sim->ok(QStringLiteral("fake-size 4294967295")));
    const Run r = cli(QStringList{QStringLiteral("download"), QStringLiteral("--erase")} + target());
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("4294967295 bytes")) &&
                 r.err.contains(QStringLiteral("67108864 bytes")),
             qPrintable(r.err));
    QVERIFY(m_sim->command(QStringLiteral("status")).contains(QStringLiteral("50 punches")));
}

void TestCliTerminal::progressOnlyOnATerminal()
{
    const QString file = m_dir->filePath(QStringLiteral("big.bin"));
    QVERIFY(TestFiles::write(file, generateLog(20000, 5) + QByteArray(1, '\0')));
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0);
    QVERIFY(::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const QString terminal = QString::fromLocal8Bit(::ptsname(master));
    // held open here too, so that what the program wrote stays readable after it ended
    const int held = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    const auto importOnTerminal = [&](const QStringList& extra) {
        QProcess p;
        p.setStandardErrorFile(terminal);
        p.start(QStringLiteral(TQTOOL_CLI_PATH),
                QStringList{QStringLiteral("--data-dir"), m_dir->path(), QStringLiteral("import"), file} +
                    extra);
        p.waitForFinished(60000);
        QByteArray shown;
        char buffer[4096];
        for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
            shown.append(buffer, n);
        return std::make_pair(QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(shown));
    };
    const auto [out, shown] = importOnTerminal({});
    const auto [quietOut, quietShown] = importOnTerminal({QStringLiteral("--quiet")});
    ::close(held);
    ::close(master);
    QCOMPARE(out, QStringLiteral("Read 20000 punches, 20000 new.\n"));
    QVERIFY2(shown.startsWith(QStringLiteral("\rImporting big.bin: ")) &&
                 shown.contains(QStringLiteral("20000/20000 punches")) &&
                 shown.contains(QStringLiteral("punches/s")) && shown.endsWith(QStringLiteral("\r\x1b[K")),
             shown.toUtf8().toPercentEncoding(" /:").constData());
    QCOMPARE(quietOut, QString());
    QCOMPARE(quietShown, QString());
}

void TestCliTerminal::emptyLog()
{
    QVERIFY(m_sim->ok(QStringLiteral("clear-log")));
    const Run r = cli(QStringList{QStringLiteral("download"), QStringLiteral("--erase")} + target());
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("User log is empty.\n"));
}

void TestCliTerminal::refusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString range = QStringLiteral("Port number is invalid! Range:1-65535\n");
    QTest::newRow("port 0") << QStringList{u"--ip"_qs, u"127.0.0.1"_qs, u"--port"_qs, u"0"_qs} << range;
    QTest::newRow("port 65536") << QStringList{u"--ip"_qs, u"127.0.0.1"_qs, u"--port"_qs, u"65536"_qs}
                                << range;
    QTest::newRow("port -1") << QStringList{u"--ip"_qs, u"127.0.0.1"_qs, u"--port=-1"_qs} << range;
    QTest::newRow("port text") << QStringList{u"--ip"_qs, u"127.0.0.1"_qs, u"--port"_qs, u"abc"_qs} << range;
    QTest::newRow("blank ip") << QStringList{u"--ip"_qs, u"   "_qs}
                              << QStringLiteral("IP address is required!\n");
    QTest::newRow("no ip") << QStringList{} << QStringLiteral("IP address is required!\n");
}

void TestCliTerminal::refusals()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const Run r = cli(QStringList{QStringLiteral("download")} + args);
    QCOMPARE(r.code, 2);
    QCOMPARE(r.out, message);
}

void TestCliTerminal::unreachableTerminal()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const QString port = QString::number(probe.serverPort());
    probe.close();
    const Run r = cli({QStringLiteral("download"), QStringLiteral("--ip"), QStringLiteral("127.0.0.1"),
                       QStringLiteral("--port"), port});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QStringLiteral("Failed to connect to TQ90!\n"));
    QCOMPARE(r.err, QStringLiteral("Internal socket error!\n"));
}

QTEST_GUILESS_MAIN(TestCliTerminal)
#include "tst_it_cli_terminal.moc"
