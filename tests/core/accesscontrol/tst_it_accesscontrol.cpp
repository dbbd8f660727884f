#include "core/accesscontrol/QorClient.h"
#include "fixtures/FakePeer.h"
#include "fixtures/QorSimProcess.h"
#include "fixtures/TestRows.h"

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
} // namespace

// The access-control service's client against qor-sim and hostile peers.
class TestItAccessControl : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void initialisesCountsAndPulls()
    {
        QorSimProcess sim;
        QVERIFY2(sim.start(TwoLogs, NoDatabase), qPrintable(sim.error()));
        QorClient c;
        using O = std::optional<quint32>;
        QCOMPARE(c.QorGetFacRALToQor(1, 0), int(QorClient::NotConnected));
        QCOMPARE(c.QorInitializeWithPassword(Host, sim.port(), Password), int(QorClient::Ready));
        QCOMPARE(QList<O>({c.pendingLogs(1), c.pendingLogs(3), c.pendingLogs(7)}),
                 QList<O>({2, 0, std::nullopt}));
        QCOMPARE(c.QorGetFacRALToQor(200, 0), int(QorClient::UnknownFacility));
        QVERIFY(c.lastError().contains(u"facility 200"_qs));
        // the simulator cannot reach its database: the logs stay with the facility
        QCOMPARE(c.QorGetFacRALToQor(1, 1), int(QorClient::WriteFailed));
        QVERIFY2(c.lastError().contains(u"could not write the logs of facility 1"_qs),
                 qPrintable(c.lastError()));
        QCOMPARE(QList<O>({c.lastCount(), c.pendingLogs(1), c.isReady()}), QList<O>({0, 2, 1}));
        sim.stop();
        QCOMPARE(QList<int>({c.QorGetFacRALToQor(1, 0), c.isReady()}),
                 QList<int>({QorClient::NotConnected, 0}));
    }

    void initFailures_data()
    {
        // peer: "sim" for the simulator, else what a hostile peer sends; port -1: the peer's
        addColumns<QByteArray, int, QString, int>({"peer", "port", "password", "result"});
        addRow("wrong password", QByteArray("sim"), -1, "Tarnish", int(QorClient::PasswordRefused));
        addRow("port 65536", QByteArray("sim"), 65536, Password, int(QorClient::Unreachable));
        addRow("nobody listening", QByteArray("sim"), int(closedPort()), Password,
               int(QorClient::Unreachable));
        addRow("silent", QByteArray(), -1, Password, int(QorClient::NotTheService));
        addRow("garbage", QByteArray("SSH-2.0-x\r\n"), -1, Password, int(QorClient::NotTheService));
        addRow("endless line", QByteArray(200000, 'A'), -1, Password, int(QorClient::NotTheService));
        addRow("greeting then junk answer", QByteArray("QOR 1\nOK\x07\n"), -1, Password,
               int(QorClient::Broken));
        addRow("greeting then close", QByteArray("QOR 1\n"), -1, Password, int(QorClient::Broken));
        addRow("refused with another code", QByteArray("QOR 1\r\nERR 500 down\r\n"), -1, Password,
               int(QorClient::Broken));
    }
    void initFailures()
    {
        const auto [peer, port, password] =
            fetchColumns<QByteArray, int, QString>("peer", "port", "password");
        QorSimProcess sim;
        std::optional<FakePeer> fake;
        if (peer == "sim")
            QVERIFY2(sim.start(TwoLogs, NoDatabase), qPrintable(sim.error()));
        else
            fake.emplace(peer, peer == "QOR 1\n");
        QorClient client;
        client.setAnswerTimeout(1000);
        const int p = port >= 0 ? port : fake ? fake->port() : sim.port();
        QTEST(client.QorInitializeWithPassword(Host, p, password), "result");
        QVERIFY(!client.isReady() && !client.lastError().isEmpty() &&
                !client.lastError().contains(u"no answer within"_qs));
        QCOMPARE(client.pendingLogs(1), std::nullopt);
    }

    void pullAnswers_data()
    {
        addColumns<QByteArray, int, QString>({"answer", "result", "error"});
        addRow("count", QByteArray("OK 5\n"), int(QorClient::Pulled), "");
        addRow("no count", QByteArray("OK\n"), int(QorClient::NoAnswer), "out of turn");
        addRow("another error code", QByteArray("ERR 403 who\n"), int(QorClient::NoAnswer),
               "refused facility 1: who");
        addRow("silent", QByteArray(), int(QorClient::NoAnswer), "did not answer");
        addRow("endless line", QByteArray(5000, '1'), int(QorClient::NoAnswer), "out of turn");
    }
    void pullAnswers()
    {
        const auto [answer, result, error] =
            fetchColumns<QByteArray, int, QString>("answer", "result", "error");
        const bool ready = result == QorClient::Pulled || error.startsWith(u"refused"_qs);
        // a session that goes on is then asked for a count, which it gets out of form
        FakePeer peer("QOR 1\nOK\n" + answer + (ready ? "OK x\n" : ""));
        QorClient client;
        client.setPullTimeout(500);
        QCOMPARE(client.QorInitializeWithPassword(Host, peer.port(), Password), int(QorClient::Ready));
        QCOMPARE(client.QorGetFacRALToQor(1, 0), result);
        QCOMPARE(client.lastCount(), result == QorClient::Pulled ? 5u : 0u);
        QCOMPARE(client.isReady(), ready);
        QVERIFY2(client.lastError().contains(error), qPrintable(client.lastError()));
        QCOMPARE(client.pendingLogs(1), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestItAccessControl)
#include "tst_it_accesscontrol.moc"
