#include "core/accesscontrol/QorClient.h"
#include "core/accesscontrol/QorProtocol.h"
#include "fixtures/QorSimProcess.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <thread>

namespace {

// A database the simulator cannot open: no such ODBC driver.
const QString NoDatabase = QStringLiteral("Driver={TQ no such driver};Server=127.0.0.1");

const QByteArray TwoFacilities = "# test facilities\n"
                                 "facility 3\n"
                                 "log 1 1024 2 1 2024/01/05 08:00:00 0\n"
                                 "log 1 1024 2 1 2024/01/05 17:00:00 0\n";

// A peer on a free loopback port that, once a client connects, sends bytes and then waits for
// the client to go away. It runs on a thread of its own, since the client's waits block.
class FakePeer final
{
public:
    explicit FakePeer(QByteArray payload) : m_payload(std::move(payload))
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        m_port = probe.serverPort();
        probe.close();
        m_thread = std::thread([this] { serve(); });
        // Wait until the thread listens.
        for (int i = 0; i < 500 && !m_listening.load(); ++i)
            QTest::qSleep(10);
    }
    ~FakePeer() { m_thread.join(); }
    quint16 port() const { return m_port; }

private:
    void serve()
    {
        QTcpServer server;
        if (!server.listen(QHostAddress::LocalHost, m_port))
            return;
        m_listening = true;
        if (!server.waitForNewConnection(10000))
            return;
        QTcpSocket* socket = server.nextPendingConnection();
        socket->write(m_payload);
        while (socket->bytesToWrite() > 0 && socket->waitForBytesWritten(3000)) {
        }
        socket->waitForDisconnected(10000);
        delete socket;
    }

    QByteArray m_payload;
    quint16 m_port = 0;
    std::atomic<bool> m_listening = false;
    std::thread m_thread;
};

// A raw connection to the simulator for sending what the client never would.
class RawConnection final
{
public:
    explicit RawConnection(quint16 port)
    {
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        m_socket.waitForConnected(3000);
    }
    QByteArray readLine(int timeoutMs = 3000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!m_socket.canReadLine() && clock.elapsed() < timeoutMs) {
            if (!m_socket.waitForReadyRead(100) && m_socket.state() != QAbstractSocket::ConnectedState)
                break;
        }
        return m_socket.canReadLine() ? m_socket.readLine().trimmed() : QByteArray();
    }
    void send(const QByteArray& bytes)
    {
        m_socket.write(bytes);
        m_socket.waitForBytesWritten(3000);
    }
    bool closedWithin(int ms)
    {
        QElapsedTimer clock;
        clock.start();
        while (m_socket.state() == QAbstractSocket::ConnectedState && clock.elapsed() < ms) {
            m_socket.waitForReadyRead(100);
            m_socket.readAll();
        }
        return m_socket.state() != QAbstractSocket::ConnectedState;
    }
    QTcpSocket& socket() { return m_socket; }

private:
    QTcpSocket m_socket;
};

} // namespace

class TestQorClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initializes();
    void initFailures_data();
    void initFailures();
    void unreachableHostIsBounded();
    void silentPeerIsBounded();
    void hostilePeers_data();
    void hostilePeers();
    void pullBeforeInitialising();
    void unknownFacility();
    void databaseFailureKeepsTheLogs();
    void simulatorSurvivesHostileLines_data();
    void simulatorSurvivesHostileLines();
    void simulatorSurvivesConnectionFlood();
    void simulatorClosesIdleConnections();
    void simulatorRefusesBadFacilityFiles_data();
    void simulatorRefusesBadFacilityFiles();
};

void TestQorClient::initializes()
{
    QorSimProcess sim;
    QVERIFY2(sim.start(TwoFacilities, NoDatabase), qPrintable(sim.error()));
    QorClient client;
    QCOMPARE(
        client.QorInitializeWithPassword(QStringLiteral("127.0.0.1"), sim.port(), QStringLiteral("tarnish")),
        int(QorClient::Ready));
    QVERIFY(client.isReady());
    QCOMPARE(client.pendingLogs(1), std::optional<quint32>(2));
    QCOMPARE(client.pendingLogs(3), std::optional<quint32>(0));
    QCOMPARE(client.pendingLogs(7), std::nullopt);
}

void TestQorClient::initFailures_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("message");

    QTest::newRow("wrong password") << "127.0.0.1"
                                    << "Tarnish" << int(QorClient::PasswordRefused) << "refused the password";
    QTest::newRow("empty password") << "127.0.0.1"
                                    << "" << int(QorClient::PasswordRefused) << "refused the password";
    QTest::newRow("no host") << ""
                             << "tarnish" << int(QorClient::Unreachable) << "No access-control server host";
}

void TestQorClient::initFailures()
{
    QFETCH(QString, host);
    QFETCH(QString, password);
    QFETCH(int, result);
    QFETCH(QString, message);
    QorSimProcess sim;
    QVERIFY2(sim.start(TwoFacilities, NoDatabase), qPrintable(sim.error()));
    QorClient client;
    QCOMPARE(client.QorInitializeWithPassword(host, sim.port(), password), result);
    QVERIFY(!client.isReady());
    QVERIFY2(client.lastError().contains(message), qPrintable(client.lastError()));
    QCOMPARE(client.QorGetFacRALToQor(1, 0), int(QorClient::NotConnected));
}

void TestQorClient::unreachableHostIsBounded()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 closedPort = probe.serverPort();
    probe.close();
    QorClient client;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(
        client.QorInitializeWithPassword(QStringLiteral("127.0.0.1"), closedPort, QStringLiteral("tarnish")),
        int(QorClient::Unreachable));
    QVERIFY(clock.elapsed() < 6000);
    QVERIFY2(client.lastError().contains(QStringLiteral("Cannot reach")), qPrintable(client.lastError()));
    QCOMPARE(client.QorInitializeWithPassword(QStringLiteral("127.0.0.1"), 70000, QStringLiteral("tarnish")),
             int(QorClient::Unreachable));
}

void TestQorClient::silentPeerIsBounded()
{
    // The kernel completes the connection although the server never accepts it: a peer that
    // says nothing.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    QorClient client;
    client.setAnswerTimeout(800);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(client.QorInitializeWithPassword(QStringLiteral("127.0.0.1"), silent.serverPort(),
                                              QStringLiteral("tarnish")),
             int(QorClient::NotTheService));
    QVERIFY(clock.elapsed() >= 700);
    QVERIFY(clock.elapsed() < 5000);
}

void TestQorClient::hostilePeers_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("result");

    QTest::newRow("endless line") << QByteArray(200000, 'A') << int(QorClient::NotTheService);
    QTest::newRow("binary") << QByteArray("\x00\xff\x01\n", 4) << int(QorClient::NotTheService);
    QTest::newRow("other greeting") << QByteArray("SSH-2.0-x\r\n") << int(QorClient::NotTheService);
    QTest::newRow("greeting then junk answer") << QByteArray("QOR 1\nOK\x07\n") << int(QorClient::Broken);
    QTest::newRow("greeting then endless answer")
        << QByteArray("QOR 1\n") + QByteArray(100000, 'O') << int(QorClient::Broken);
    QTest::newRow("greeting then close") << QByteArray("QOR 1\n") << int(QorClient::Broken);
    QTest::newRow("refused with other code")
        << QByteArray("QOR 1\r\nERR 500 down\r\n") << int(QorClient::Broken);
}

void TestQorClient::hostilePeers()
{
    QFETCH(QByteArray, payload);
    QFETCH(int, result);
    FakePeer peer(payload);
    QorClient client;
    client.setAnswerTimeout(1500);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(
        client.QorInitializeWithPassword(QStringLiteral("127.0.0.1"), peer.port(), QStringLiteral("tarnish")),
        result);
    QVERIFY(!client.isReady());
    QVERIFY(clock.elapsed() < 5000);
    client.disconnect();
}

void TestQorClient::pullBeforeInitialising()
{
    QorClient client;
    QCOMPARE(client.QorGetFacRALToQor(1, 1), int(QorClient::NotConnected));
    QVERIFY(!client.lastError().isEmpty());
}

void TestQorClient::unknownFacility()
{
    QorSimProcess sim;
    QVERIFY2(sim.start(TwoFacilities, NoDatabase), qPrintable(sim.error()));
    QorClient client;
    QCOMPARE(
        client.QorInitializeWithPassword(QStringLiteral("127.0.0.1"), sim.port(), QStringLiteral("tarnish")),
        int(QorClient::Ready));
    QCOMPARE(client.QorGetFacRALToQor(200, 0), int(QorClient::UnknownFacility));
    QVERIFY(client.lastError().contains(QStringLiteral("200")));
    // The connection is still usable afterwards.
    QCOMPARE(client.pendingLogs(1), std::optional<quint32>(2));
}

void TestQorClient::databaseFailureKeepsTheLogs()
{
    QorSimProcess sim;
    QVERIFY2(sim.start(TwoFacilities, NoDatabase), qPrintable(sim.error()));
    QorClient client;
    QCOMPARE(
        client.QorInitializeWithPassword(QStringLiteral("127.0.0.1"), sim.port(), QStringLiteral("tarnish")),
        int(QorClient::Ready));
    QCOMPARE(client.QorGetFacRALToQor(1, 1), int(QorClient::WriteFailed));
    QVERIFY2(client.lastError().contains(QStringLiteral("could not write the logs of facility 1")),
             qPrintable(client.lastError()));
    QCOMPARE(client.pendingLogs(1), std::optional<quint32>(2));
    QVERIFY(sim.isRunning());
}

void TestQorClient::simulatorSurvivesHostileLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("closes");

    QTest::newRow("overlong line") << QByteArray(5000, 'P') + '\n'
                                   << QByteArray("ERR 400 line too long") << true;
    QTest::newRow("endless line") << QByteArray(5000, 'P') << QByteArray("ERR 400 line too long") << true;
    QTest::newRow("control bytes") << QByteArray("AUTH \x01\x02\n") << QByteArray("ERR 400") << false;
    QTest::newRow("nul bytes") << QByteArray("PULL\0 1 1\n", 10) << QByteArray("ERR 400") << false;
    QTest::newRow("high bytes") << QByteArray("\xe0\xb8\x81\n") << QByteArray("ERR 400") << false;
    QTest::newRow("odd hex") << QByteArray("AUTH 746\n") << QByteArray("ERR 400") << false;
    QTest::newRow("empty line") << QByteArray("\n") << QByteArray("ERR 400") << false;
    QTest::newRow("pull unauthenticated") << QByteArray("PULL 1 1\n") << QByteArray("ERR 403") << false;
    QTest::newRow("count unauthenticated") << QByteArray("COUNT 1\n") << QByteArray("ERR 403") << false;
    QTest::newRow("unknown") << QByteArray("DROP TABLE RALog\n") << QByteArray("ERR 400") << false;
    QTest::newRow("quit") << QByteArray("QUIT\r\n") << QByteArray("OK") << true;
}

void TestQorClient::simulatorSurvivesHostileLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, answer);
    QFETCH(bool, closes);
    QorSimProcess sim;
    QVERIFY2(sim.start(TwoFacilities, NoDatabase), qPrintable(sim.error()));
    {
        RawConnection raw(sim.port());
        QCOMPARE(raw.readLine(), QByteArray("QOR 1"));
        raw.send(bytes);
        QVERIFY2(raw.readLine().startsWith(answer), qPrintable(QString::fromLatin1(answer)));
        QCOMPARE(raw.closedWithin(closes ? 3000 : 300), closes);
    }
    // Bad arguments once authenticated.
    {
        RawConnection raw(sim.port());
        raw.readLine();
        raw.send("AUTH 7461726E697368\n");
        QCOMPARE(raw.readLine(), QByteArray("OK"));
        for (const QByteArray& bad :
             {QByteArray("PULL 1"), QByteArray("PULL 256 0"), QByteArray("PULL 1 2"), QByteArray("PULL -1 0"),
              QByteArray("PULL 1  0"), QByteArray("COUNT x")}) {
            raw.send(bad + '\n');
            QVERIFY2(raw.readLine().startsWith("ERR 400"), bad.constData());
        }
    }
    QVERIFY(sim.isRunning());
    QorClient client;
    QCOMPARE(
        client.QorInitializeWithPassword(QStringLiteral("127.0.0.1"), sim.port(), QStringLiteral("tarnish")),
        int(QorClient::Ready));
    QCOMPARE(client.pendingLogs(1), std::optional<quint32>(2));
}

void TestQorClient::simulatorSurvivesConnectionFlood()
{
    QorSimProcess sim;
    QVERIFY2(sim.start(TwoFacilities, NoDatabase), qPrintable(sim.error()));
    {
        std::vector<std::unique_ptr<QTcpSocket>> flood;
        for (int i = 0; i < 60; ++i) {
            flood.push_back(std::make_unique<QTcpSocket>());
            flood.back()->connectToHost(QHostAddress::LocalHost, sim.port());
            QVERIFY(flood.back()->waitForConnected(3000));
        }
        // Some are turned away, but the simulator keeps running.
        QTest::qWait(300);
        QVERIFY(sim.isRunning());
    }
    QorClient client;
    QTRY_COMPARE(
        client.QorInitializeWithPassword(QStringLiteral("127.0.0.1"), sim.port(), QStringLiteral("tarnish")),
        int(QorClient::Ready));
}

void TestQorClient::simulatorClosesIdleConnections()
{
    QorSimProcess sim;
    QVERIFY2(sim.start(TwoFacilities, NoDatabase, QProcessEnvironment::systemEnvironment(),
                       {QStringLiteral("--idle-timeout"), QStringLiteral("1")}),
             qPrintable(sim.error()));
    RawConnection raw(sim.port());
    QCOMPARE(raw.readLine(), QByteArray("QOR 1"));
    QVERIFY(raw.closedWithin(4000));
}

void TestQorClient::simulatorRefusesBadFacilityFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");

    QTest::newRow("facility out of range") << QByteArray("facility 256\n") << "line 1: the FacID";
    QTest::newRow("bad date") << QByteArray("# c\n\nlog 1 1 1 1 2024/02/30 08:00:00 0\n")
                              << "line 3: the date";
    QTest::newRow("missing field") << QByteArray("log 1 1 1 1 2024/02/03 08:00:00\n") << "line 1: expected";
    QTest::newRow("negative uid") << QByteArray("log 1 -5 1 1 2024/02/03 08:00:00 0\n") << "line 1: UID";
    QTest::newRow("unknown word") << QByteArray("facility 1\nfac 2\n") << "line 2: expected";
    QTest::newRow("option out of range")
        << QByteArray("log 1 5 1 1 2024/02/03 08:00:00 256\n") << "InOutOption";
}

void TestQorClient::simulatorRefusesBadFacilityFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    QorSimProcess sim;
    QVERIFY(!sim.start(file, NoDatabase));
    QVERIFY2(sim.error().contains(message), qPrintable(sim.error()));
}

QTEST_GUILESS_MAIN(TestQorClient)
#include "tst_it_qorclient.moc"
