#include "core/terminal/TerminalsFile.h"
#include "fixtures/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

class TestTerminalsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsTerminals();
    void refusals_data();
    void refusals();
};

void TestTerminalsFile::readsTerminals()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("terminals.ini"));
    QVERIFY(TestFiles::write(path,
                             "; two doors\r\n[Front door]\r\nIP = 10.0.0.5\r\nPort=5005\r\nErase=YES\r\n"
                             "[Back]\r\nip=10.0.0.6\r\n"));
    const auto terminals = readTerminalsFile(path);
    QVERIFY2(terminals.ok(), qPrintable(terminals.error()));
    QCOMPARE(terminals->size(), 2);
    const TerminalEntry& front = terminals->at(0);
    QCOMPARE(front.name, QStringLiteral("Front door"));
    QCOMPARE(front.ip, QStringLiteral("10.0.0.5"));
    QCOMPARE(front.port, 5005);
    QVERIFY(front.erase);
    const TerminalEntry& back = terminals->at(1);
    QCOMPARE(back.port, 5001);
    QVERIFY(!back.erase);
}

void TestTerminalsFile::refusals_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("no terminal") << QByteArray("IP=10.0.0.5\r\n") << QStringLiteral("names no terminal");
    QTest::newRow("no IP") << QByteArray("[A]\r\nPort=5001\r\n") << QStringLiteral("[A]: IP is missing");
    QTest::newRow("port out of range")
        << QByteArray("[A]\r\nIP=h\r\nPort=65536\r\n") << QStringLiteral("[A]: Port is 65536");
    QTest::newRow("erase neither yes nor no")
        << QByteArray("[A]\r\nIP=h\r\nErase=true\r\n") << QStringLiteral("[A]: Erase is true");
    QTest::newRow("same name twice") << QByteArray("[A]\r\nIP=h\r\n[a]\r\nIP=g\r\n")
                                     << QStringLiteral("[a]: the name is used twice");
    QTest::newRow("missing file") << QByteArray() << QStringLiteral("does not exist");
}

void TestTerminalsFile::refusals()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("terminals.ini"));
    if (!content.isEmpty())
        QVERIFY(TestFiles::write(path, content));
    const auto terminals = readTerminalsFile(path);
    QVERIFY(!terminals.ok());
    QVERIFY2(terminals.error().contains(message) &&
                 terminals.error().contains(QStringLiteral("terminals.ini")),
             qPrintable(terminals.error()));
}

QTEST_GUILESS_MAIN(TestTerminalsFile)
#include "tst_terminalsfile.moc"
