#include "core/accesscontrol/AccessControlLogin.h"
#include "core/accesscontrol/QorClient.h"
#include "core/layouts/LayoutFile.h"
#include "core/platform/AppPaths.h"
#include "core/platform/IniFile.h"
#include "core/storage/Connections.h"
#include "core/terminal/LogConversion.h"
#include "core/terminal/LogRecord.h"
#include "fixtures/AccessControlServer.h"
#include "fixtures/CliRun.h"
#include "fixtures/QorSimProcess.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"
#include "fixtures/Tq90SimProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlRecord>
#include <QSysInfo>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

const QStringList Punches = {u"7 1 2024/01/09 08:00:00 0"_qs, u"7 3 2024/01/09 12:00:00 0"_qs,
                             u"2 1 2024/01/09 09:00:00 0"_qs, u"15 2 2024/01/15 10:00:00 2"_qs};
const QString TransactionTable = u"create table tblTransaction (TerminalID varchar(10), HumanID varchar(20), "
                                 u"StampDateTime varchar(19), StampStat varchar(3), Process varchar(1), "
                                 u"Upload varchar(1))"_qs;

bool fillLocal(const QString& dataDir, const QStringList& punches)
{
    if (!openLocalDatabase(AppPaths(dataDir)).ok())
        return false;
    bool ok = true;
    for (const QString& punch : punches) {
        const QStringList f = punch.split(u' ');
        ok = ok && executeStatement(
                       Connections::get(Connections::LocalConnection),
                       u"insert into tblexport(HID,FID,GID,wDate,wTime,Status) values(?,?,'1',?,?,?)"_qs,
                       {f[0], f[1], f[2], f[3], f[4]})
                       .ok();
    }
    Connections::close(Connections::LocalConnection);
    return ok;
}

bool matches(const QString& pattern, const QString& text)
{
    return QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption).match(text).hasMatch();
}

} // namespace

// tqtool-cli against real peers on loopback: tq90-sim for downloads (also on a terminal) and syncs,
// PostgreSQL through psqlODBC for the time-attendance export, qor-sim and its database for the access-control
// source; and every file it replaces on a file system that is full.
class TestCliIntegration : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_server.start(), qPrintable(m_server.error()));
        QString error;
        QVERIFY2(m_server.postgres().openConnection(Connections::TimeAttendanceConnection, &error),
                 qPrintable(error));
        QVERIFY(
            executeStatement(Connections::get(Connections::TimeAttendanceConnection), TransactionTable).ok());
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_qor.reset();
        QVERIFY(executeStatement(Connections::get(Connections::TimeAttendanceConnection),
                                 u"delete from tblTransaction"_qs)
                    .ok());
    }

    void download_data()
    {
        // sim: console commands before the run (; between them), "stop" stops it; local: "garbage"
        // for a database file that is none
        addColumns<QString, QString, QString, int, QString, QString, QString, int>(
            {"sim", "local", "options", "code", "out", "err", "status", "punches"});
        addRow("keep the log", u""_qs, u""_qs, u""_qs, 0, u"^Read 50 punches, 50 new.\n$"_qs, u"^$"_qs,
               u" 50 punches"_qs, 50);
        addRow("erase", u""_qs, u""_qs, u"--erase"_qs, 0,
               u"^Read 50 punches, 50 new.\nLog data is deleted!\n$"_qs, u"^$"_qs, u" 0 punches"_qs, 50);
        addRow("a punch during the download", u"misbehave GetLogData grow"_qs, u""_qs, u"--erase"_qs, 1,
               u"^(?!.*deleted)"_qs, u"not erased"_qs, u" 51 punches"_qs, 50);
        addRow("database that fails", u""_qs, u"garbage"_qs, u"--erase"_qs, 1, u"^(?!.*deleted)"_qs,
               u"dataexport.db.*not erased"_qs, u" 50 punches"_qs, -1);
        addRow("partial record", u"load {dir}/partial.bin"_qs, u""_qs, u"--erase"_qs, 1,
               u"^Read 5 punches, 5 new.\n$"_qs, u"15 bytes.*not erased"_qs, u"log 95 bytes"_qs, 5);
        addRow("impossible size", u"fake-size 4294967295"_qs, u""_qs, u"--erase"_qs, 1, u"^(?!.*deleted)"_qs,
               u"4294967295 bytes.*67108864 bytes"_qs, u" 50 punches"_qs, -2);
        addRow("empty log", u"clear-log"_qs, u""_qs, u"--erase"_qs, 0, u"^User log is empty.\n$"_qs, u"^$"_qs,
               u" 0 punches"_qs, -2);
        addRow("nobody listening", u"stop"_qs, u""_qs, u""_qs, 1, u"^Failed to connect to TQ90!\n$"_qs,
               u"^Internal socket error!\n$"_qs, u""_qs, -2);
    }

    void download()
    {
        const auto [sim, local, options, code, out, err, status, punches] =
            fetchColumns<QString, QString, QString, int, QString, QString, QString, int>(
                "sim", "local", "options", "code", "out", "err", "status", "punches");
        // a log of five punches and 15 bytes more: with the extra byte the file ends on a whole record
        QVERIFY(
            TestFiles::write(m_dir->filePath(u"partial.bin"_qs), generateLog(5, 4) + QByteArray(15, '\x7f')));
        Tq90SimProcess terminal;
        QVERIFY(terminal.start({u"--generate"_qs, u"50"_qs}));
        for (const QString& command : sim.split(u';', Qt::SkipEmptyParts)) {
            if (command == u"stop")
                terminal.stop();
            else
                QVERIFY(terminal.ok(QString(command).replace(u"{dir}"_qs, dataDir())));
        }
        if (local == u"garbage")
            QVERIFY(TestFiles::write(AppPaths(dataDir()).localDatabase(), QByteArray(4096, 'x')));
        const CliRun r = cli(QStringList{u"download"_qs, u"--ip"_qs, u"127.0.0.1"_qs, u"--port"_qs,
                                         QString::number(terminal.port())} +
                             options.split(u' ', Qt::SkipEmptyParts));
        QCOMPARE(r.code, code);
        QVERIFY2(matches(out, r.out), qPrintable(r.out));
        QVERIFY2(matches(err, r.err), qPrintable(r.err));
        if (!status.isEmpty())
            QVERIFY2(terminal.command(u"status"_qs).contains(status),
                     qPrintable(terminal.command(u"status"_qs)));
        if (punches != -2)
            QCOMPARE(localPunches(dataDir()), punches);
        if (code == 0 && punches > 0)
            QCOMPARE(TestFiles::read(AppPaths(dataDir()).logFile()).size(), punches * 16 + 1);
    }

    void exportToTimeAttendance()
    {
        QVERIFY(fillLocal(dataDir(), Punches));
        const QStringList args = {u"export-ta"_qs, u"--ta-connection"_qs,
                                  m_server.postgres().odbcConnectionString(), u"--terminals"_qs, u"2"_qs};
        for (int round = 0; round < 2; ++round) {
            const CliRun r = cli(args);
            QVERIFY2(r.code == 0, qPrintable(r.err));
            QCOMPARE(r.out, u"Export successfully\n"_qs);
        }
        QCOMPARE(transactions(u"TerminalID, HumanID, StampDateTime, StampStat, Process, Upload"_qs),
                 QStringList{u"2|15|2567/01/15 10:00:00|OUT|0|1"_qs});
    }

    // The same punches exported from the access-control server's log and from the local database
    // give the same file; export-ta with --pull delete empties the facility.
    void accessControlSource()
    {
        startQorSim();
        QVERIFY(fillLocal(dataDir(), Punches));
        for (const QString& data : {u"raw"_qs, u"filtered"_qs}) {
            const QStringList common = {u"--layout"_qs, u"Default"_qs, u"--data"_qs, data, u"--output"_qs};
            const CliRun local =
                cli(QStringList{u"export"_qs} + common + QStringList{m_dir->filePath(u"local.txt"_qs)});
            QVERIFY2(local.code == 0, qPrintable(local.err));
            const CliRun remote =
                cli(QStringList{u"export"_qs} + common + QStringList{m_dir->filePath(u"qor.txt"_qs)} + qor() +
                    QStringList{u"--pull"_qs, u"keep"_qs});
            QVERIFY2(remote.code == 0, qPrintable(remote.err));
            QCOMPARE(remote.out, u"Export successfully\n"_qs);
            QCOMPARE(TestFiles::read(m_dir->filePath(u"qor.txt"_qs)),
                     TestFiles::read(m_dir->filePath(u"local.txt"_qs)));
            QCOMPARE(TestFiles::read(m_dir->filePath(u"qor.txt"_qs)).count("\r\n"), 4);
            QVERIFY(m_server.exec(u"delete from RALog"_qs)); // keep pulls them again next round
        }
        const CliRun r =
            cli(QStringList{u"export-ta"_qs, u"--ta-connection"_qs,
                            m_server.postgres().odbcConnectionString(), u"--pull"_qs, u"delete"_qs,
                            u"--from"_qs, u"2024/01/09"_qs, u"--to"_qs, u"2024/01/09"_qs} +
                qor());
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(transactions(u"TerminalID, HumanID, StampDateTime, StampStat"_qs),
                 (QStringList{u"1|7|2567/01/09 08:00:00|IN"_qs, u"1|2|2567/01/09 09:00:00|IN"_qs,
                              u"3|7|2567/01/09 12:00:00|OUT"_qs}));
        QorClient client;
        QCOMPARE(client.QorInitializeWithPassword(u"127.0.0.1"_qs, m_qor->port(), u"tarnish"_qs), 0);
        QCOMPARE(client.pendingLogs(0), std::optional<quint32>(0));
    }

    void accessControlFailures_data()
    {
        // what: "output" for an export to the local database, "facilities" for a broken server table,
        // "password" for a wrong one, "none" for an export that pulls nothing
        addColumns<QString, int, QString, QString>({"what", "code", "out", "err"});
        addRow("nothing pulled", u"none"_qs, 0, u" No data for export !!!\n"_qs, u"^$"_qs);
        addRow("refused output", u"output"_qs, 1, u""_qs, u"local database"_qs);
        addRow("server table gone", u"facilities"_qs, 1, u""_qs, u"Cannot read the facilities"_qs);
        addRow("wrong password", u"password"_qs, 1, u""_qs, u"password authentication failed"_qs);
    }

    // A failed pull or a refused output leaves the facility's log and RALog as they were.
    void accessControlFailures()
    {
        const auto [what, code, out, err] =
            fetchColumns<QString, int, QString, QString>("what", "code", "out", "err");
        startQorSim();
        QorClient client;
        QCOMPARE(client.QorInitializeWithPassword(u"127.0.0.1"_qs, m_qor->port(), u"tarnish"_qs), 0);
        const std::optional<quint32> pending = client.pendingLogs(0);
        QVERIFY(pending && *pending > 0);
        const QString output = m_dir->filePath(what == u"output" ? u"dataexport.db"_qs : u"out.txt"_qs);
        QStringList args =
            QStringList{u"export"_qs, u"--layout"_qs, u"Default"_qs, u"--output"_qs, output} + qor();
        args << u"--pull"_qs << (what == u"none" ? u"none"_qs : u"delete"_qs);
        if (what == u"password")
            args << u"--qor-password"_qs << u"wrong"_qs;
        if (what == u"facilities")
            QVERIFY(m_server.exec(u"alter table FacDefinition rename to FacDefinitionGone"_qs));
        const CliRun r = cli(args);
        if (what == u"facilities")
            QVERIFY(m_server.exec(u"alter table FacDefinitionGone rename to FacDefinition"_qs));
        QCOMPARE(r.code, code);
        QCOMPARE(r.out, out);
        QVERIFY2(matches(err, r.err), qPrintable(r.err));
        QCOMPARE(client.pendingLogs(0), pending);
        QCOMPARE(m_server.rows(u"select count(*) from RALog"_qs), QStringList{u"0"_qs});
        QVERIFY(!QFile::exists(m_dir->filePath(u"out.txt"_qs)));
    }

    void sync()
    {
        Tq90SimProcess front, back;
        QVERIFY(front.start({u"--generate"_qs, u"30"_qs}));
        QVERIFY(back.start());
        QVERIFY(back.ok(u"generate 20 7"_qs));
        // today's one punch is the only one the day range takes; the generated ones are of 2024
        QVERIFY(back.ok(u"punch 4321"_qs));
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 dead = probe.serverPort();
        const QString terminals = m_dir->filePath(u"terminals.ini"_qs);
        QVERIFY(TestFiles::write(terminals,
                                 u"[Front]\r\nIP=127.0.0.1\r\nPort=%1\r\nErase=yes\r\n"
                                 u"[Gate]\r\nIP=127.0.0.1\r\nPort=%2\r\nErase=yes\r\n"
                                 u"[Back]\r\nIP=127.0.0.1\r\nPort=%3\r\nErase=no\r\n"_qs.arg(front.port())
                                     .arg(dead)
                                     .arg(back.port())
                                     .toUtf8()));
        probe.close();
        const CliRun r = cli({u"sync"_qs, u"--terminals"_qs, terminals, u"--export-ta"_qs, u"--days"_qs,
                              u"0"_qs, u"--ta-connection"_qs, m_server.postgres().odbcConnectionString()});
        QCOMPARE(r.code, 1);
        QCOMPARE(
            r.out,
            u"Front (127.0.0.1:%1): read 30, new 30, erased\nBack (127.0.0.1:%2): read 21, new 21, kept\n"
            u"Export successfully\n"_qs.arg(front.port())
                .arg(back.port()));
        QCOMPARE(
            r.err,
            u"Gate (127.0.0.1:%1): failed: Failed to connect to TQ90! Internal socket error!\n"_qs.arg(dead));
        QVERIFY(front.command(u"status"_qs).contains(u" 0 punches"_qs));
        QVERIFY(back.command(u"status"_qs).contains(u" 21 punches"_qs));
        QCOMPARE(transactions(u"HumanID"_qs), QStringList{u"4321"_qs});
        QVERIFY(!QFile::exists(AppPaths(dataDir()).syncLockFile()));
    }

    void secondSyncIsRefused()
    {
        Tq90SimProcess front;
        QVERIFY(front.start({u"--generate"_qs, u"8"_qs}));
        const QString terminals = m_dir->filePath(u"terminals.ini"_qs);
        QVERIFY(TestFiles::write(
            terminals, u"[Front]\r\nIP=127.0.0.1\r\nPort=%1\r\nErase=yes\r\n"_qs.arg(front.port()).toUtf8()));
        QLockFile running(AppPaths(dataDir()).syncLockFile());
        QVERIFY(running.tryLock(0));
        const CliRun r = cli({u"sync"_qs, u"--terminals"_qs, terminals});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.out, QString());
        QVERIFY2(r.err.contains(u"Another sync is running"_qs) &&
                     r.err.contains(QString::number(QCoreApplication::applicationPid())) &&
                     r.err.contains(QCoreApplication::applicationName()) &&
                     r.err.contains(QSysInfo::machineHostName()),
                 qPrintable(r.err));
        QVERIFY(front.command(u"status"_qs).contains(u" 8 punches"_qs));
        running.unlock();
        QCOMPARE(cli({u"sync"_qs, u"--terminals"_qs, terminals}).code, 0);
        QVERIFY(front.command(u"status"_qs).contains(u" 0 punches"_qs));
    }

    void fullDisk_data()
    {
        addColumns<QString, QString>({"what", "file"}); // file: the one that must stay as it was
        addRow("download", u"download"_qs, u"TQ90_log.bin"_qs);
        addRow("settings", u"settings"_qs, u"DefFMT.txt"_qs);
        addRow("layout", u"layout"_qs, u"Default.ini"_qs);
        addRow("export", u"export"_qs, u"out.txt"_qs);
    }

    // On a small tmpfs filled to its last byte, each write fails with the system's reason, the run
    // exits non-zero and the earlier file stays as it was.
    void fullDisk()
    {
        const auto [what, file] = fetchColumns<QString, QString>("what", "file");
        if (::geteuid() != 0)
            QSKIP("mounting the small file system to fill up needs root");
        QTemporaryDir mount;
        if (::mount("tmpfs", QFile::encodeName(mount.path()).constData(), "tmpfs", 0, "size=256k") != 0)
            QSKIP(qPrintable(u"cannot mount a tmpfs: "_qs + qt_error_string(errno)));
        const auto unmount =
            qScopeGuard([&] { ::umount2(QFile::encodeName(mount.path()).constData(), MNT_DETACH); });
        // the database elsewhere, since a full disk refuses it before anything is written
        const AppPaths full(mount.filePath(u"data"_qs));
        QVERIFY(QDir().mkpath(full.dataDir()));
        QVERIFY(TestFiles::write(full.settingsFile(), "[text]\r\nIP=10.0.0.5\r\nUSERSQL=hr\r\n"));
        QVERIFY(TestFiles::write(full.logFile(), generateLog(2, 5) + QByteArray(1, '\0')));
        QVERIFY(ensureExportFormatDir(full).ok());
        QVERIFY(TestFiles::write(mount.filePath(u"out.txt"_qs), "earlier export\r\n"));
        QVERIFY(fillLocal(what == u"export" ? dataDir() : full.dataDir(), Punches));
        Tq90SimProcess terminal;
        QVERIFY(terminal.start({u"--generate"_qs, u"50"_qs}));
        QDirIterator it(mount.path(), {file}, QDir::Files, QDirIterator::Subdirectories);
        QVERIFY(it.hasNext());
        const QString kept = it.next();
        const QByteArray before = TestFiles::read(kept);
        QFile filler(mount.filePath(u"filler"_qs));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        // what is left at the end is less than a page, which a tmpfs cannot hand out
        while (filler.write(QByteArray(4096, 'f')) == 4096) {
        }
        while (filler.write("f", 1) == 1) {
        }
        QString message;
        if (what == u"layout") {
            EditorLayoutState editor;
            editor.fileName = u"Default"_qs;
            ExportLayout layout;
            const LayoutSaveResult saved = saveExportLayout(full, layout, {{u"UID"_qs, u"7"_qs}}, editor);
            QCOMPARE(saved.status, LayoutSaveResult::Status::Failed);
            message = saved.message;
        } else {
            QStringList args = {u"export"_qs, u"--output"_qs, kept, u"--layout"_qs, u"Default"_qs};
            if (what == u"download")
                args = {u"download"_qs,
                        u"--ip"_qs,
                        u"127.0.0.1"_qs,
                        u"--port"_qs,
                        QString::number(terminal.port()),
                        u"--erase"_qs};
            if (what == u"settings")
                args = {u"settings-set"_qs, u"IP"_qs, u"1.2.3.4"_qs};
            const CliRun r = runCli(what == u"export" ? dataDir() : full.dataDir(), args);
            QCOMPARE(r.code, 1);
            QVERIFY2(!r.out.contains(u"deleted"_qs) && !r.out.contains(u"successfully"_qs),
                     qPrintable(r.out));
            message = r.err;
        }
        QVERIFY2(message.contains(file + u": No space left on device"_qs), qPrintable(message));
        QCOMPARE(TestFiles::read(kept), before);
        QVERIFY(terminal.command(u"status"_qs).contains(u" 50 punches"_qs));
    }

    // Progress goes to standard error only when it is a terminal, and never with --quiet.
    void progressOnlyOnATerminal()
    {
        Tq90SimProcess sim;
        QVERIFY(sim.start({u"--generate"_qs, u"20000"_qs}));
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
        const QString terminal = QString::fromLocal8Bit(::ptsname(master));
        // held open here too, so that what the program wrote stays readable after it ended
        const int held = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        const auto downloadOnTerminal = [&](const QStringList& extra) {
            QProcess p;
            p.setStandardErrorFile(terminal);
            p.start(QStringLiteral(TQTOOL_CLI_PATH),
                    QStringList{u"--data-dir"_qs, dataDir(), u"download"_qs, u"--ip"_qs, u"127.0.0.1"_qs,
                                u"--port"_qs, QString::number(sim.port())} +
                        extra);
            p.waitForFinished(60000);
            QByteArray shown;
            char buffer[4096];
            for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
                shown.append(buffer, n);
            return std::make_pair(QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(shown));
        };
        const auto [out, shown] = downloadOnTerminal({});
        const auto [quietOut, quietShown] = downloadOnTerminal({u"--quiet"_qs});
        ::close(held);
        ::close(master);
        QCOMPARE(out, u"Read 20000 punches, 20000 new.\n"_qs);
        QCOMPARE(localPunches(dataDir()), 20000); // --data-dir DIR was taken
        // each phase under its own name
        QVERIFY2(shown.startsWith(u"\rDownloading: "_qs) &&
                     shown.contains(u"Storing: 20000/20000 punches"_qs) && shown.contains(u"punches/s"_qs) &&
                     shown.endsWith(u"\r\x1b[K"_qs),
                 shown.toUtf8().toPercentEncoding(" /:").constData());
        QCOMPARE(quietOut + quietShown, QString());
    }

private:
    QString dataDir() const { return m_dir->path(); }
    CliRun cli(const QStringList& args)
    {
        return runCli(dataDir(), args, m_server.postgres().processEnvironment());
    }

    QStringList transactions(const QString& columns);
    void startQorSim();
    QStringList qor() const
    {
        return {u"--source"_qs, u"qor"_qs, u"--service-port"_qs, QString::number(m_qor->port())};
    }

    AccessControlServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QorSimProcess> m_qor;
};

QStringList TestCliIntegration::transactions(const QString& columns)
{
    auto q = executeStatement(Connections::get(Connections::TimeAttendanceConnection),
                              u"select "_qs + columns + u" from tblTransaction order by StampDateTime"_qs);
    QStringList rows;
    while (q.ok() && q->next()) {
        QStringList row;
        for (int i = 0; i < q->record().count(); ++i)
            row << q->value(i).toString();
        rows << row.join(u'|');
    }
    return rows;
}

void TestCliIntegration::startQorSim()
{
    QVERIFY(m_server.reset());
    // facility 0, the lowest there is
    QVERIFY(m_server.exec(u"insert into FacDefinition(FacID) values (0)"_qs));
    // the connection window's settings, with the test server's driver
    const AppPaths paths(dataDir());
    QVERIFY(storeAccessControlLogin(m_server.login(), paths));
    QVERIFY(writeIniValue(u"text"_qs, u"DRIVERSQL"_qs, PostgresServer::driverName(), paths.settingsFile()));
    QByteArray facilities = "facility 0\n";
    for (const QString& punch : Punches) {
        const QStringList f = punch.split(u' ');
        facilities += u"log 0 %1 %2 1 %3 %4 %5\n"_qs.arg(f[0], f[1], f[2], f[3], f[4]).toUtf8();
    }
    m_qor = std::make_unique<QorSimProcess>();
    QVERIFY2(
        m_qor->start(facilities, m_server.odbcConnectionString(), m_server.postgres().processEnvironment()),
        qPrintable(m_qor->error()));
}

QTEST_GUILESS_MAIN(TestCliIntegration)
#include "tst_it_cli.moc"
