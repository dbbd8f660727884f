#include "core/terminal/Tq90Client.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

// The simulator ends cleanly on "quit", also while terminal clients are still connected.
class TestTq90SimQuit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void quitWithClients_data();
    void quitWithClients();
};

void TestTq90SimQuit::quitWithClients_data()
{
    QTest::addColumn<int>("clients");
    QTest::newRow("none") << 0;
    QTest::newRow("one") << 1;
    QTest::newRow("three") << 3;
}

void TestTq90SimQuit::quitWithClients()
{
    QFETCH(int, clients);
    QProcess sim;
    sim.setProgram(QStringLiteral(TQ90_SIM_PATH));
    sim.setArguments({QStringLiteral("--port"), QStringLiteral("0")});
    sim.start();
    QVERIFY(sim.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine() || (sim.waitForReadyRead(100) && sim.canReadLine()), 10000);
    const QString banner = QString::fromUtf8(sim.readLine());
    const auto m = QRegularExpression(QStringLiteral("listening on [0-9.]+:(\\d+)")).match(banner);
    QVERIFY2(m.hasMatch(), qPrintable(banner));

    Tq90Client client;
    for (int i = 0; i < clients; ++i) {
        int handle = 0;
        QCOMPARE(client.Tq90Initialize(handle, QStringLiteral("127.0.0.1"), m.captured(1).toInt()), 0);
        QCOMPARE(client.Tq90CheckFinger(handle), 65);
    }
    sim.write("quit\n");
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestTq90SimQuit)
#include "tst_it_tq90simquit.moc"
