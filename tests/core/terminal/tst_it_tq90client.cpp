#include "core/terminal/LogRecord.h"
#include "core/terminal/Tq90Client.h"
#include "core/terminal/Tq90Result.h"
#include "fixtures/Tq90SimProcess.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {
const QString Loopback = QStringLiteral("127.0.0.1");
}

class TestTq90Client : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void rejectsBadArguments_data();
    void rejectsBadArguments();
    void refusedConnection();
    void handlesAreDistinct();
    void downloadsAndErasesLog();
    void eraseIfSizeKeepsNewPunch();
    void keyIsDemanded();
    void injectedCodesReachCaller_data();
    void injectedCodesReachCaller();
    void hostilePeer_data();
    void hostilePeer();
    void oversizedLogIsRefused_data();
    void oversizedLogIsRefused();
    void silentListenerTimesOut();
    void doorOpenings();
    void fingerEnrolVerifyIdentify();
    void captureFailuresAndNoFinger();
    void controlPortTakesCommands();

private:
    std::unique_ptr<Tq90SimProcess> m_sim;
    std::unique_ptr<Tq90Client> m_client;
    int m_handle = 0;
};

void TestTq90Client::init()
{
    m_sim = std::make_unique<Tq90SimProcess>();
    QVERIFY(m_sim->start());
    m_client = std::make_unique<Tq90Client>(1500);
    m_handle = 0;
    QCOMPARE(m_client->Tq90Initialize(m_handle, Loopback, m_sim->port()), 0);
    QVERIFY(m_handle != 0);
}

void TestTq90Client::cleanup()
{
    m_client.reset();
    m_sim.reset();
}

void TestTq90Client::rejectsBadArguments_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<int>("port");
    QTest::newRow("port 0") << Loopback << 0;
    QTest::newRow("port 65536") << Loopback << 65536;
    QTest::newRow("port -1") << Loopback << -1;
    QTest::newRow("blank ip") << QStringLiteral("   ") << 5001;
}

void TestTq90Client::rejectsBadArguments()
{
    QFETCH(QString, ip);
    QFETCH(int, port);
    int handle = 0;
    QCOMPARE(m_client->Tq90Initialize(handle, ip, port), Tq90Result::BadArgument);
    QCOMPARE(handle, 0);
    int size = -5;
    QCOMPARE(m_client->Tq90GetLogSize(12345, size), Tq90Result::BadArgument);
    QByteArray small(10, '\0');
    QCOMPARE(m_client->Tq90GetLogData(m_handle, 11, small), Tq90Result::BadArgument);
    QCOMPARE(m_client->Tq90DownloadRawImage(m_handle, small), Tq90Result::BadArgument);
    QCOMPARE(m_client->Tq90Identify(m_handle, small), Tq90Result::BadArgument);
    QCOMPARE(m_client->Tq90StoreSample(m_handle, 5), Tq90Result::BadArgument);
    QCOMPARE(m_client->Tq90Verify(m_handle, QString(17, u'1'), 0, 0), Tq90Result::BadArgument);
}

void TestTq90Client::refusedConnection()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    int handle = 0;
    QCOMPARE(m_client->Tq90Initialize(handle, Loopback, port), Tq90Result::SocketError);
    QCOMPARE(handle, 0);
}

void TestTq90Client::handlesAreDistinct()
{
    int second = 0;
    QCOMPARE(m_client->Tq90Initialize(second, Loopback, m_sim->port()), 0);
    QVERIFY(second != m_handle && second != 0);
    QCOMPARE(m_client->Tq90Terminate(second), 0);
    QVERIFY(!m_client->isOpen(second));
    QCOMPARE(m_client->Tq90OpenDoor(second), Tq90Result::BadArgument);
    QCOMPARE(m_client->Tq90OpenDoor(m_handle), 0);
}

void TestTq90Client::downloadsAndErasesLog()
{
    const QByteArray log = generateLog(1000, 7);
    for (int i = 0; i < 1000; i += 250) {
        LogRecord r = LogRecord::decode(log.constData() + i * LogRecord::Size);
        QVERIFY(m_sim->ok(
            QStringLiteral("punch %1 %2 %3 %4").arg(r.userId).arg(r.terminal).arg(r.group).arg(r.status)));
    }
    int size = -1;
    QCOMPARE(m_client->Tq90GetLogSize(m_handle, size), 0);
    QCOMPARE(size, 4 * LogRecord::Size);
    QByteArray buffer(size + 1, '\0');
    QCOMPARE(m_client->Tq90GetLogData(m_handle, size, buffer), 0);
    QCOMPARE(buffer.at(size), '\0');
    QCOMPARE(LogRecord::decode(buffer.constData() + 16).userId,
             LogRecord::decode(log.constData() + 250 * 16).userId);
    QCOMPARE(m_client->Tq90EraseLogData(m_handle), 0);
    QCOMPARE(m_client->Tq90GetLogSize(m_handle, size), 0);
    QCOMPARE(size, 0);
    QByteArray none;
    QCOMPARE(m_client->Tq90GetLogData(m_handle, 0, none), 0);
}

void TestTq90Client::eraseIfSizeKeepsNewPunch()
{
    QVERIFY(m_sim->ok(QStringLiteral("generate 10")));
    QVERIFY(m_sim->ok(QStringLiteral("punch 77")));
    QCOMPARE(m_client->Tq90EraseLogDataIfSize(m_handle, 160), Tq90Result::BadArgument);
    int size = 0;
    QCOMPARE(m_client->Tq90GetLogSize(m_handle, size), 0);
    QCOMPARE(size, 176);
    QCOMPARE(m_client->Tq90EraseLogDataIfSize(m_handle, 176), 0);
    QCOMPARE(m_client->Tq90GetLogSize(m_handle, size), 0);
    QCOMPARE(size, 0);
}

void TestTq90Client::keyIsDemanded()
{
    QVERIFY(m_sim->ok(QStringLiteral("require-key on")));
    int other = 0;
    QCOMPARE(m_client->Tq90Initialize(other, Loopback, m_sim->port()), 0);
    int size = 0;
    QCOMPARE(m_client->Tq90GetLogSize(other, size), Tq90Result::KeyNotSet);
    QCOMPARE(m_client->Tq90OpenDoor(other), Tq90Result::KeyNotSet);
    QCOMPARE(m_client->Tq90ExchangeKey(other), 0);
    QCOMPARE(m_client->Tq90GetLogSize(other, size), 0);
    QCOMPARE(m_client->Tq90OpenDoor(other), 0);
    // the key belongs to the session: a fresh connection must exchange again
    QCOMPARE(m_client->Tq90Terminate(other), 0);
    QCOMPARE(m_client->Tq90Initialize(other, Loopback, m_sim->port()), 0);
    QCOMPARE(m_client->Tq90OpenDoor(other), Tq90Result::KeyNotSet);
}

void TestTq90Client::injectedCodesReachCaller_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<int>("code");
    int code = 65;
    for (const char* f : {"GetLogSize", "GetLogData", "EraseLogData", "ExchangeKey", "OpenDoor",
                          "CheckFinger", "CaptureImage", "DownloadRawImage", "ProcessImage", "StoreSample",
                          "StoreTemplate", "Verify", "Identify"})
        QTest::newRow(f) << QString::fromLatin1(f) << code++;
}

void TestTq90Client::injectedCodesReachCaller()
{
    QFETCH(QString, function);
    QFETCH(int, code);
    QVERIFY(m_sim->ok(QStringLiteral("generate 3")));
    QVERIFY(m_sim->ok(QStringLiteral("fail %1 %2").arg(function).arg(code)));
    QByteArray buffer(153601, '\0');
    int size = 0;
    int result = -1;
    const auto call = [&] {
        if (function == u"GetLogSize")
            return m_client->Tq90GetLogSize(m_handle, size);
        if (function == u"GetLogData")
            return m_client->Tq90GetLogData(m_handle, 48, buffer);
        if (function == u"EraseLogData")
            return m_client->Tq90EraseLogData(m_handle);
        if (function == u"ExchangeKey")
            return m_client->Tq90ExchangeKey(m_handle);
        if (function == u"OpenDoor")
            return m_client->Tq90OpenDoor(m_handle);
        if (function == u"CheckFinger")
            return m_client->Tq90CheckFinger(m_handle);
        if (function == u"CaptureImage")
            return m_client->Tq90CaptureImage(m_handle);
        if (function == u"DownloadRawImage")
            return m_client->Tq90DownloadRawImage(m_handle, buffer);
        if (function == u"ProcessImage")
            return m_client->Tq90ProcessImage(m_handle);
        if (function == u"StoreSample")
            return m_client->Tq90StoreSample(m_handle, 0);
        if (function == u"StoreTemplate")
            return m_client->Tq90StoreTemplate(m_handle, QStringLiteral("1"), 0, 0, 0);
        if (function == u"Verify")
            return m_client->Tq90Verify(m_handle, QStringLiteral("1"), 0, 0);
        return m_client->Tq90Identify(m_handle, buffer);
    };
    result = call();
    QCOMPARE(result, code);
    // the fault was for one call only; the session goes on
    QVERIFY(m_client->isOpen(m_handle));
    QCOMPARE(m_client->Tq90GetLogSize(m_handle, size), 0);
    QCOMPARE(size, 48);
}

void TestTq90Client::hostilePeer_data()
{
    QTest::addColumn<QString>("behaviour");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("sessionSurvives");
    QTest::newRow("silent") << QStringLiteral("silent") << Tq90Result::Timeout << false;
    QTest::newRow("damaged checksum") << QStringLiteral("corrupt") << Tq90Result::CrcError << true;
    QTest::newRow("drops mid-transfer") << QStringLiteral("drop") << Tq90Result::SocketError << false;
    QTest::newRow("short frame") << QStringLiteral("short") << Tq90Result::SocketError << false;
    QTest::newRow("giant length") << QStringLiteral("giant") << Tq90Result::SocketError << false;
    QTest::newRow("trickles byte by byte") << QStringLiteral("trickle") << Tq90Result::Timeout << false;
}

void TestTq90Client::hostilePeer()
{
    QFETCH(QString, behaviour);
    QFETCH(int, expected);
    QFETCH(bool, sessionSurvives);
    QVERIFY(m_sim->ok(QStringLiteral("generate 20000")));
    QVERIFY(m_sim->ok(QStringLiteral("misbehave GetLogData %1").arg(behaviour)));
    m_client->setTimeout(300);
    QByteArray buffer(20000 * 16 + 1, '\0');
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(m_client->Tq90GetLogData(m_handle, 20000 * 16, buffer), expected);
    QVERIFY(timer.elapsed() < 10 * 300 + 2000);
    QCOMPARE(m_client->isOpen(m_handle), sessionSurvives);
    int size = 0;
    QCOMPARE(m_client->Tq90GetLogSize(m_handle, size), sessionSurvives ? 0 : Tq90Result::SocketError);
    // a fresh connection works again
    int fresh = 0;
    QCOMPARE(m_client->Tq90Initialize(fresh, Loopback, m_sim->port()), 0);
    QCOMPARE(m_client->Tq90GetLogData(fresh, 20000 * 16, buffer), 0);
}

void TestTq90Client::oversizedLogIsRefused_data()
{
    QTest::addColumn<QString>("size");
    QTest::newRow("2^31") << QStringLiteral("2147483648");
    QTest::newRow("4 GiB - 1") << QStringLiteral("4294967295");
    QTest::newRow("just above 64 MiB") << QStringLiteral("67108865");
}

void TestTq90Client::oversizedLogIsRefused()
{
    QFETCH(QString, size);
    QVERIFY(m_sim->ok(QStringLiteral("fake-size ") + size));
    int reported = 123;
    QCOMPARE(m_client->Tq90GetLogSize(m_handle, reported), Tq90Result::SocketError);
    QCOMPARE(reported, 123);
}

void TestTq90Client::silentListenerTimesOut()
{
    // a peer that accepts connections and never says a word
    QTcpServer mute;
    QVERIFY(mute.listen(QHostAddress::LocalHost));
    m_client->setTimeout(200);
    int handle = 0;
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(m_client->Tq90Initialize(handle, Loopback, mute.serverPort()), Tq90Result::Timeout);
    QVERIFY(timer.elapsed() < 3000);
    QCOMPARE(handle, 0);
}

void TestTq90Client::doorOpenings()
{
    QCOMPARE(m_client->Tq90OpenDoor(m_handle), 0);
    QCOMPARE(m_client->Tq90OpenDoor(m_handle), 0);
    QCOMPARE(m_sim->command(QStringLiteral("doors")), QStringLiteral("ok doors 2"));
}

void TestTq90Client::fingerEnrolVerifyIdentify()
{
    QByteArray image(153601, '\x7f');
    QByteArray id(17, 'x');
    QCOMPARE(m_client->Tq90Identify(m_handle, id), Tq90Result::NoImage);
    QCOMPARE(m_client->Tq90CheckFinger(m_handle), Tq90Result::NoImage);
    QVERIFY(m_sim->ok(QStringLiteral("place 123456 2")));
    QVERIFY(m_client->Tq90CheckFinger(m_handle) != Tq90Result::NoImage);
    for (int s = 0; s < 5; ++s) {
        QCOMPARE(m_client->Tq90CaptureImage(m_handle), 0);
        QCOMPARE(m_client->Tq90DownloadRawImage(m_handle, image), 0);
        QCOMPARE(m_client->Tq90ProcessImage(m_handle), 0);
        QCOMPARE(m_client->Tq90StoreSample(m_handle, s), 0);
    }
    QCOMPARE(image.at(153600), '\0');
    QVERIFY(image.count('\x28') > 1000); // ridges were drawn
    QCOMPARE(m_client->Tq90Verify(m_handle, QStringLiteral("123456"), 1, 2), Tq90Result::UserDatabaseEmpty);
    QCOMPARE(m_client->Tq90StoreTemplate(m_handle, QStringLiteral("123456"), 1, 2, 0), 0);
    QCOMPARE(m_client->Tq90Verify(m_handle, QStringLiteral("123456"), 1, 2), 0);
    QCOMPARE(m_client->Tq90Verify(m_handle, QStringLiteral("999"), 1, 2), Tq90Result::UserNotFound);
    QCOMPARE(m_client->Tq90Identify(m_handle, id), 0);
    QCOMPARE(QByteArray(id.constData()), QByteArrayLiteral("123456"));
    QCOMPARE(id.at(16), '\0');
    // a stored template used up its samples
    QCOMPARE(m_client->Tq90StoreTemplate(m_handle, QStringLiteral("123456"), 1, 2, 0),
             Tq90Result::BadArgument);
    // another finger is not this user's
    QVERIFY(m_sim->ok(QStringLiteral("place 123456 3")));
    QCOMPARE(m_client->Tq90CaptureImage(m_handle), 0);
    QCOMPARE(m_client->Tq90ProcessImage(m_handle), 0);
    QCOMPARE(m_client->Tq90Verify(m_handle, QStringLiteral("123456"), 1, 2), Tq90Result::UnknownUser);
    QCOMPARE(m_client->Tq90Identify(m_handle, id), Tq90Result::UnknownUser);
    for (int s = 0; s < 5; ++s)
        QCOMPARE(m_client->Tq90StoreSample(m_handle, s), 0);
    QCOMPARE(m_client->Tq90StoreTemplate(m_handle, QStringLiteral("123456"), 1, 2, 0),
             Tq90Result::UserExists);
    QVERIFY(m_sim->command(QStringLiteral("templates"))
                .startsWith(QStringLiteral("ok templates 1 123456:1:2:0")));
}

void TestTq90Client::captureFailuresAndNoFinger()
{
    QCOMPARE(m_client->Tq90CaptureImage(m_handle), Tq90Result::NoImage);
    QVERIFY(m_sim->ok(QStringLiteral("place 5")));
    QVERIFY(m_sim->ok(QStringLiteral("capture-fail 66 2")));
    QCOMPARE(m_client->Tq90CaptureImage(m_handle), Tq90Result::BadQuality);
    QCOMPARE(m_client->Tq90CaptureImage(m_handle), Tq90Result::BadQuality);
    QCOMPARE(m_client->Tq90CaptureImage(m_handle), 0);
    QVERIFY(m_sim->ok(QStringLiteral("lift")));
    QCOMPARE(m_client->Tq90CheckFinger(m_handle), Tq90Result::NoImage);
}

void TestTq90Client::controlPortTakesCommands()
{
    Tq90SimProcess sim;
    QVERIFY(
        sim.start({QStringLiteral("--control-port"), QStringLiteral("0"), QStringLiteral("--require-key")}));
    QVERIFY(sim.controlPort() != 0);
    QTcpSocket control;
    control.connectToHost(QHostAddress::LocalHost, sim.controlPort());
    QVERIFY(control.waitForConnected(3000));
    const auto ask = [&control](const QByteArray& line) {
        control.write(line + '\n');
        while (!control.canReadLine()) {
            if (!control.waitForReadyRead(3000))
                return QByteArray();
        }
        return control.readLine().trimmed();
    };
    QCOMPARE(ask("punch 42 3 1 2"), QByteArrayLiteral("ok log 16 bytes"));
    QCOMPARE(ask("require-key off"), QByteArrayLiteral("ok require-key off"));
    QVERIFY(ask("nonsense").startsWith("error:"));
    int handle = 0;
    QCOMPARE(m_client->Tq90Initialize(handle, Loopback, sim.port()), 0);
    int size = 0;
    QCOMPARE(m_client->Tq90GetLogSize(handle, size), 0);
    QByteArray log(16, '\0');
    QCOMPARE(m_client->Tq90GetLogData(handle, 16, log), 0);
    const LogRecord r = LogRecord::decode(log.constData());
    QCOMPARE(r.userId, 42U);
    QCOMPARE(r.terminal, 3);
    QCOMPARE(r.group, 1);
    QCOMPARE(r.status, 2);
    QCOMPARE(ask("quit"), QByteArrayLiteral("ok bye"));
}

QTEST_GUILESS_MAIN(TestTq90Client)
#include "tst_it_tq90client.moc"
