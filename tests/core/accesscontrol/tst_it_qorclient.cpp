#include "core/accesscontrol/QorClient.h"
#include "fixtures/QorSimProcess.h"
#include "fixtures/TestRows.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <optional>
#include <thread>

namespace {

// A database the simulator cannot open: no such ODBC driver.
const QString NoDatabase = u"Driver={TQ no such driver};Server=127.0.0.1"_qs;
const QByteArray TwoLogs = "# test facilities\nfacility 3\nlog 1 1024 2 1 2024/01/05 08:00:00 0\n"
                           "log 1 1024 2 1 2024/01/05 17:00:00 0\n";
const QString Host = u"127.0.0.1"_qs;
const QString Password = u"tarnish"_qs;

quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// A peer on a free loopback port that, a moment after a client connects, sends bytes and then waits
// for the client to go away. It runs on a thread of its own, since the client's waits block.
class FakePeer final
{
public:
    explicit FakePeer(QByteArray payload) : m_payload(std::move(payload)), m_port(closedPort())
    {
        m_thread = std::thread([this] { serve(); });
        while (!m_listening.load())
            QTest::qSleep(5);
    }
    ~FakePeer() { m_thread.join(); }
    quint16 port() const { return m_port; }

private:
    void serve()
    {
        QTcpServer server;
        const bool listening = server.listen(QHostAddress::LocalHost, m_port);
        m_listening = true;
        if (!listening || !server.waitForNewConnection(10000))
            return;
        std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
        QThread::msleep(100); // the client must wait for what comes late
        socket->write(m_payload);
        while (socket->bytesToWrite() > 0 && socket->waitForBytesWritten(3000)) {
        }
        socket->waitForDisconnected(10000);
    }

    QByteArray m_payload;
    quint16 m_port;
    std::atomic<bool> m_listening = false;
    std::thread m_thread;
};

} // namespace

class TestQorClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(startSim()); }
    void initialisesAndCounts();
    void initFailures_data();
    void initFailures();
    void pullFailuresKeepTheLogsAndTheConnection();

private:
    bool startSim()
    {
        m_sim = std::make_unique<QorSimProcess>();
        return m_sim->start(TwoLogs, NoDatabase);
    }
    std::unique_ptr<QorSimProcess> m_sim;
};

void TestQorClient::initialisesAndCounts()
{
    QorClient client;
    QCOMPARE(client.QorInitializeWithPassword(Host, m_sim->port(), Password), int(QorClient::Ready));
    QVERIFY(client.isReady() && client.lastError().isEmpty());
    QCOMPARE(client.pendingLogs(1), std::optional<quint32>(2));
    QCOMPARE(client.pendingLogs(3), std::optional<quint32>(0));
    QCOMPARE(client.pendingLogs(7), std::nullopt);
}

void TestQorClient::initFailures_data()
{
    // peer: "sim" for the simulator, else what a peer that is not the service sends; port 0: the peer's
    addColumns<QByteArray, QString, int, QString, int>({"peer", "host", "port", "password", "result"});
    addRow("wrong password", QByteArray("sim"), Host, 0, "Tarnish", int(QorClient::PasswordRefused));
    addRow("no host", QByteArray("sim"), " ", 0, Password, int(QorClient::Unreachable));
    addRow("port out of range", QByteArray("sim"), Host, 65536, Password, int(QorClient::Unreachable));
    addRow("nobody listening", QByteArray("sim"), Host, int(closedPort()), Password,
           int(QorClient::Unreachable));
    addRow("silent", QByteArray(), Host, 0, Password, int(QorClient::NotTheService));
    addRow("endless line", QByteArray(200000, 'A'), Host, 0, Password, int(QorClient::NotTheService));
    addRow("other greeting", QByteArray("SSH-2.0-x\r\n"), Host, 0, Password, int(QorClient::NotTheService));
    addRow("greeting then junk answer", QByteArray("QOR 1\nOK\x07\n"), Host, 0, Password,
           int(QorClient::Broken));
    addRow("greeting then close", QByteArray("QOR 1\n"), Host, 0, Password, int(QorClient::Broken));
    addRow("refused with another code", QByteArray("QOR 1\r\nERR 500 down\r\n"), Host, 0, Password,
           int(QorClient::Broken));
}

void TestQorClient::initFailures()
{
    QFETCH(QByteArray, peer);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, password);
    std::optional<FakePeer> fake;
    if (peer != "sim")
        fake.emplace(peer);
    QorClient client;
    client.setAnswerTimeout(1000);
    QTEST(client.QorInitializeWithPassword(host,
                                           port   ? port
                                           : fake ? fake->port()
                                                  : m_sim->port(),
                                           password),
          "result");
    QVERIFY(!client.isReady() && !client.lastError().isEmpty());
    QCOMPARE(client.QorGetFacRALToQor(1, 0), int(QorClient::NotConnected));
    QCOMPARE(client.pendingLogs(1), std::nullopt);
}

void TestQorClient::pullFailuresKeepTheLogsAndTheConnection()
{
    QorClient client;
    QCOMPARE(client.QorInitializeWithPassword(Host, m_sim->port(), Password), int(QorClient::Ready));
    QCOMPARE(client.QorGetFacRALToQor(200, 0), int(QorClient::UnknownFacility));
    QVERIFY(client.lastError().contains(u"facility 200"_qs));
    // the simulator cannot reach its database: the logs stay with the facility
    QCOMPARE(client.QorGetFacRALToQor(1, 1), int(QorClient::WriteFailed));
    QVERIFY2(client.lastError().contains(u"could not write the logs of facility 1"_qs),
             qPrintable(client.lastError()));
    QCOMPARE(client.lastCount(), 0u);
    QCOMPARE(client.pendingLogs(1), std::optional<quint32>(2));
    // peers that take the password but answer a pull without a count, or not at all
    for (const QByteArray& answer : {QByteArray("OK\n"), QByteArray()}) {
        FakePeer peer("QOR 1\nOK\n" + answer);
        client.setPullTimeout(500);
        QCOMPARE(client.QorInitializeWithPassword(Host, peer.port(), Password), int(QorClient::Ready));
        QCOMPARE(client.QorGetFacRALToQor(1, 0), int(QorClient::NoAnswer));
        QVERIFY2(!client.isReady() &&
                     client.lastError().contains(answer.isEmpty() ? u"did not answer"_qs : u"out of turn"_qs),
                 qPrintable(client.lastError()));
    }
}

QTEST_GUILESS_MAIN(TestQorClient)
#include "tst_it_qorclient.moc"
