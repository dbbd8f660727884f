#include "core/storage/Connections.h"
#include "core/terminal/LogRecord.h"
#include "core/terminal/TerminalSync.h"
#include "core/terminal/Tq90Client.h"
#include "core/terminal/Tq90Result.h"
#include "fixtures/FakePeer.h"
#include "fixtures/FileSizeLimit.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"
#include "fixtures/Tq90SimProcess.h"

#include <QTemporaryDir>

using namespace Tq90Result;
using Tq90Protocol::Command;
using Status = TerminalSyncResult::Status;

namespace {
const QString Loopback = u"127.0.0.1"_qs;

} // namespace

// The terminal client against the real simulator and hostile peers, and the download, store and
// erase of a terminal's log.
class TestTerminalClient : public QObject
{
    Q_OBJECT

    std::unique_ptr<Tq90SimProcess> m_sim;
    std::unique_ptr<Tq90Client> m_client;
    int m_handle = 0;

private Q_SLOTS:
    void init()
    {
        m_sim = std::make_unique<Tq90SimProcess>();
        QVERIFY(m_sim->start());
        m_client = std::make_unique<Tq90Client>(1500);
        QCOMPARE(m_client->Tq90Initialize(m_handle, Loopback, m_sim->port()), 0);
    }
    void cleanup()
    {
        m_client.reset();
        m_sim.reset();
        Connections::close(Connections::LocalConnection);
    }

    void badArguments()
    {
        int size = -5;
        QByteArray small(10, '\0');
        Tq90Client& c = *m_client;
        const int h = m_handle;
        QCOMPARE(QList<int>({c.Tq90GetLogSize(h + 1, size), c.Tq90GetLogData(h, 11, small),
                             c.Tq90GetLogData(h, -1, small), c.Tq90DownloadRawImage(h, small),
                             c.Tq90Identify(h, small), c.Tq90StoreSample(h, 5), c.Tq90StoreSample(h, -1),
                             c.Tq90Verify(h, QString(17, u'1'), 0, 0), c.Tq90Verify(h, {}, 0, 0),
                             c.Tq90Verify(h, u"漢"_qs, 0, 0), c.Tq90StoreTemplate(h, u"a\0b"_qs, 0, 0, 0),
                             c.Tq90EraseLogDataIfSize(h, -1)}),
                 QList<int>(12, BadArgument));
        QCOMPARE(QList<int>({c.Tq90StoreSample(h, 0), c.Tq90StoreSample(h, 4),
                             c.Tq90Verify(h, QString(16, u'1'), 0, 0), size}),
                 QList<int>({NoImage, NoImage, NoImage, -5}));
        // a log larger than a terminal holds is a broken peer
        QVERIFY(m_sim->ok(u"fake-size 67108865"_qs));
        QCOMPARE(c.Tq90GetLogSize(h, size), SocketError);
        QVERIFY(m_sim->ok(u"fake-size 67108864"_qs));
        QCOMPARE(QList<int>({c.Tq90GetLogSize(h, size), size}), QList<int>({Ok, 67108864}));
    }

    void connectFailures_data()
    {
        // port -1: a hostile peer's, which sends peer and then closes when asked to
        addColumns<QString, int, QByteArray, bool, int>({"ip", "port", "peer", "close", "result"});
        QByteArray badCrc = Tq90Protocol::encodeReply(Command::Hello, 0);
        badCrc[Tq90Protocol::HeaderBytes] = 0x7f;
        const QByteArray hello = Tq90Protocol::encodeReply(Command::Hello, 0);
        addRow("port 0", Loopback, 0, QByteArray(), false, BadArgument);
        addRow("port 65536", Loopback, 65536, QByteArray(), false, BadArgument);
        addRow("blank ip", "   ", 5001, QByteArray(), false, BadArgument);
        addRow("port 65535, nobody listening", Loopback, 65535, QByteArray(), false, SocketError);
        addRow("garbage", Loopback, -1, QByteArray("HTTP/1.1 400 Bad Request\r\n\r\n"), false, SocketError);
        addRow("truncated frame, then closed", Loopback, -1, hello.left(8), true, SocketError);
        addRow("silent", Loopback, -1, QByteArray(), false, Timeout);
        addRow("bad checksum", Loopback, -1, badCrc, false, CrcError);
        addRow("answer without a result", Loopback, -1,
               Tq90Protocol::encodeFrame(QByteArray(4, char(Command::Hello))), false, SocketError);
        addRow("hello refused", Loopback, -1, Tq90Protocol::encodeReply(Command::Hello, 85), false, 85);
    }
    void connectFailures()
    {
        const auto [port, peer, close] = fetchColumns<int, QByteArray, bool>("port", "peer", "close");
        std::optional<FakePeer> fake;
        if (port < 0)
            fake.emplace(peer, close);
        m_client->setTimeout(300);
        int handle = 0;
        QFETCH(QString, ip);
        QTEST(m_client->Tq90Initialize(handle, ip, fake ? fake->port() : port), "result");
        QCOMPARE(handle, 0);
        // the client goes on with other sessions, each its own handle
        Tq90Client& c = *m_client;
        QCOMPARE(QList<int>({c.Tq90Initialize(handle, Loopback, m_sim->port()), handle - m_handle,
                             c.Tq90Terminate(handle), c.Tq90Terminate(handle), c.Tq90OpenDoor(handle),
                             c.isOpen(handle), c.Tq90OpenDoor(m_handle)}),
                 QList<int>({0, 1, 0, BadArgument, BadArgument, false, 0}));
        QCOMPARE(m_sim->command(u"doors"_qs), u"ok doors 1"_qs);
    }

    void downloadsAndErasesLog()
    {
        QVERIFY(m_sim->ok(u"generate 3"_qs));
        int size = -1;
        QByteArray buffer(49, '\x55');
        QByteArray none;
        Tq90Client& c = *m_client;
        QCOMPARE(QList<int>({c.Tq90GetLogSize(m_handle, size), size, c.Tq90GetLogData(m_handle, 48, buffer),
                             c.Tq90EraseLogData(m_handle), c.Tq90GetLogSize(m_handle, size), size,
                             c.Tq90GetLogData(m_handle, 0, none)}),
                 QList<int>({0, 48, 0, 0, 0, 0, 0}));
        QCOMPARE(buffer, generateLog(3, 1) + '\x55');
    }

    void hostileTerminal_data()
    {
        addColumns<QString, int, bool>({"behaviour", "result", "sessionSurvives"});
        addRow("silent", "silent", Timeout, false);
        addRow("bad checksum", "corrupt", CrcError, true);
        addRow("drops mid-transfer", "drop", SocketError, false);
        addRow("answer without data", "short", SocketError, false);
        addRow("giant length", "giant", SocketError, false);
        addRow("trickles byte by byte", "trickle", Timeout, false);
    }
    void hostileTerminal()
    {
        const auto [behaviour, sessionSurvives] = fetchColumns<QString, bool>("behaviour", "sessionSurvives");
        QVERIFY(m_sim->ok(u"generate 20000"_qs));
        QVERIFY(m_sim->ok(u"misbehave GetLogData %1"_qs.arg(behaviour)));
        m_client->setTimeout(300);
        QByteArray buffer(20000 * 16, '\0');
        QTEST(m_client->Tq90GetLogData(m_handle, 20000 * 16, buffer), "result");
        QCOMPARE(m_client->isOpen(m_handle), sessionSurvives);
        int size = 0;
        QCOMPARE(m_client->Tq90GetLogSize(m_handle, size), sessionSurvives ? 0 : SocketError);
    }

    void sync_data()
    {
        // the simulator holds 30 punches and punch 4242; left: bytes on the terminal afterwards; a
        // summary ending in $ is the whole summary
        addColumns<QString, TerminalSync::Afterwards, Status, int, QString>(
            {"fault", "afterwards", "status", "left", "summary"});
        const auto keep = TerminalSync::Afterwards::Keep;
        const auto check = TerminalSync::Afterwards::Check;
        const auto erase = TerminalSync::Afterwards::Erase;
        const QString read = u"read 31, new 31, "_qs;
        const QString lost = u"Punch 31 of 31 of the log (user 4242"_qs;
        addRow("check", "", check, Status::Stored, 496, read + u"kept$"_qs);
        addRow("erase", "", erase, Status::Stored, 0, read + u"erased$"_qs);
        addRow("empty log", "clear-log", erase, Status::Empty, 0, "log empty$");
        addRow("a punch came during the download", "misbehave GetLogData grow", erase, Status::Stored, 512,
               read + u"not erased: The terminal's log changed during the download"_qs);
        addRow("a punch the database lost", "lose", erase, Status::Stored, 496,
               read + u"not erased: "_qs + lost);
        addRow("a punch the database lost, kept", "lose", keep, Status::Stored, 496, read + u"kept$"_qs);
        addRow("a punch the database lost, checked", "lose", check, Status::Stored, 496,
               read + u"kept ("_qs + lost);
        addRow("erase refused", "fail EraseLogData 88", erase, Status::Stored, 496,
               read +
                   u"not erased: Erasing the log failed: Hardware error! The log on the terminal was not"_qs);
        addRow("database refuses", "refuse", erase, Status::StoreError, 496, "failed: Converting the log");
        addRow("download refused", "fail GetLogData 70", erase, Status::TerminalError, 496,
               "failed: No space!");
        addRow("size no terminal holds", "fake-size 67108865", erase, Status::TerminalError, 496,
               "failed: The terminal reports a log of 67108865 bytes");
        addRow("log file is a folder", "folder", erase, Status::WriteError, 496, "failed: Cannot write ");
        addRow("full file system", "full", erase, Status::WriteError, 496, "failed: Cannot write ");
    }
    void sync()
    {
        auto [fault, status, summary] = fetchColumns<QString, Status, QString>("fault", "status", "summary");
        QTemporaryDir dir;
        const AppPaths paths(dir.path());
        QVERIFY(m_sim->ok(u"generate 30"_qs) && m_sim->ok(u"punch 4242"_qs));
        QVERIFY(TestFiles::write(paths.logFile(), "earlier log") && openLocalDatabase(paths).ok());
        if (fault == u"lose" || fault == u"refuse")
            QVERIFY(executeStatement(
                        Connections::get(Connections::LocalConnection),
                        u"CREATE TRIGGER t BEFORE INSERT ON tblexport WHEN NEW.HID = '4242' BEGIN "
                        "SELECT RAISE(%1); END"_qs.arg(fault == u"lose" ? u"IGNORE" : u"ABORT, 'no'"))
                        .ok());
        else if (fault == u"folder")
            QVERIFY(QFile::remove(paths.logFile()) && QDir().mkdir(paths.logFile()));
        else if (!fault.isEmpty() && fault != u"full")
            QVERIFY(m_sim->ok(fault));
        std::optional<FileSizeLimit> full;
        if (fault == u"full")
            full.emplace(100);
        QFETCH(TerminalSync::Afterwards, afterwards);
        const TerminalSyncResult result = TerminalSync(paths).run(*m_client, m_handle, afterwards);
        full.reset();
        QCOMPARE(result.status, status);
        if (summary.endsWith(u'$'))
            QCOMPARE(result.summary() + u'$', summary);
        QVERIFY2(result.summary().startsWith(summary.remove(u'$')), qPrintable(result.summary()));
        QCOMPARE(result.failed(), summary.startsWith(u"failed"_qs) || summary.contains(u"not erased"_qs));
        QCOMPARE(result.erased, summary.endsWith(u", erased"_qs));
        QVERIFY(m_sim->ok(u"fake-size off"_qs));
        int left = -1;
        QCOMPARE(m_client->Tq90GetLogSize(m_handle, left), 0);
        QTEST(left, "left");
        const bool downloaded = status == Status::Stored || status == Status::StoreError;
        if (fault != u"folder")
            QCOMPARE(TestFiles::read(paths.logFile()).size(), downloaded ? 31 * 16 + 1 : 11);
    }
};

QTEST_GUILESS_MAIN(TestTerminalClient)
#include "tst_it_terminal.moc"
