#include "core/terminal/Tq90Protocol.h"
#include "core/terminal/Tq90Result.h"

#include <QTest>

using namespace Tq90Protocol;

class TestTq90Protocol : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void errorText_data();
    void errorText();
    void crcOfCheckString();
    void frameRoundTrip();
    void parserWaitsForWholeFrame();
    void parserRejects_data();
    void parserRejects();
    void damagedFrameKeepsStreamInStep();
    void commandNames();
};

void TestTq90Protocol::errorText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    const QList<std::pair<int, const char*>> table = {
        {48, "Internal socket error!"},
        {49, "Encryption Key is not set!"},
        {65, "No image!"},
        {66, "Captured image bad quality!"},
        {67, "Captured image is too little points!"},
        {68, "User database is empty!"},
        {69, "Unknown user!"},
        {70, "No space!"},
        {71, "Bad argument!"},
        {73, "CRC error!"},
        {74, "Receive data time out!"},
        {77, "The user does not exist!"},
        {78, "The User ID existed!"},
        {79, "The sample is very similar!"},
        {85, "Unknown command!"},
        {88, "Hardware error!"},
        {90, "Bad flash!"},
        {91, "Too many VIP Users!"},
        {0, "Unknown error!"},
        {50, "Unknown error!"},
        {72, "Unknown error!"},
        {-1, "Unknown error!"},
        {1 << 30, "Unknown error!"},
    };
    for (const auto& [code, text] : table)
        QTest::addRow("%d", code) << code << QString::fromLatin1(text);
}

void TestTq90Protocol::errorText()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(Tq90ErrorText(code), text);
}

void TestTq90Protocol::crcOfCheckString()
{
    QCOMPARE(crc32(QByteArrayLiteral("123456789")), 0xCBF43926U);
    QCOMPARE(crc32(QByteArray()), 0U);
}

void TestTq90Protocol::frameRoundTrip()
{
    const QByteArray frame = encodeReply(Command::GetLogSize, -7, QByteArrayLiteral("abc"));
    QCOMPARE(frame.size(), HeaderBytes + 5 + 3 + TrailerBytes);
    QVERIFY(frame.startsWith("TQ"));
    FrameParser parser;
    parser.append(frame);
    QCOMPARE(parser.next(), FrameParser::State::Frame);
    const QByteArray payload = parser.payload();
    QCOMPARE(static_cast<std::uint8_t>(payload[0]), static_cast<std::uint8_t>(Command::GetLogSize));
    QCOMPARE(static_cast<qint32>(readU32(payload.constData() + 1)), -7);
    QCOMPARE(payload.mid(5), QByteArrayLiteral("abc"));
    QCOMPARE(parser.next(), FrameParser::State::NeedMore);
}

void TestTq90Protocol::parserWaitsForWholeFrame()
{
    const QByteArray frame = encodeRequest(Command::OpenDoor, QByteArray(100, 'x'));
    FrameParser parser;
    for (qsizetype i = 0; i + 1 < frame.size(); ++i) {
        parser.append(frame.mid(i, 1));
        QCOMPARE(parser.next(), FrameParser::State::NeedMore);
    }
    QCOMPARE(parser.pending(), 1);
    parser.append(frame.right(1));
    QCOMPARE(parser.next(), FrameParser::State::Frame);
    QCOMPARE(parser.payload().size(), 101);
}

void TestTq90Protocol::parserRejects_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray giant("TQ");
    appendU32(giant, 0xFFFFFFFFU);
    QByteArray justOver("TQ");
    appendU32(justOver, static_cast<std::uint32_t>(MaxPayloadBytes + 1));
    QByteArray empty("TQ");
    appendU32(empty, 0);
    QTest::newRow("length of 4 GiB") << giant;
    QTest::newRow("just above the largest log") << justOver;
    QTest::newRow("empty payload") << empty;
    QTest::newRow("not our protocol") << QByteArrayLiteral("HTTP/1.1 200 OK\r\n");
}

void TestTq90Protocol::parserRejects()
{
    QFETCH(QByteArray, bytes);
    FrameParser parser;
    parser.append(bytes);
    QCOMPARE(parser.next(), FrameParser::State::Broken);
    QVERIFY(!parser.brokenReason().isEmpty());
}

void TestTq90Protocol::damagedFrameKeepsStreamInStep()
{
    QByteArray damaged = encodeRequest(Command::OpenDoor, QByteArrayLiteral("xyz"));
    damaged[HeaderBytes + 1] = 'Q';
    FrameParser parser;
    parser.append(damaged + encodeRequest(Command::Hello));
    QCOMPARE(parser.next(), FrameParser::State::BadCrc);
    QCOMPARE(parser.next(), FrameParser::State::Frame);
    QCOMPARE(static_cast<std::uint8_t>(parser.payload()[0]), static_cast<std::uint8_t>(Command::Hello));
}

void TestTq90Protocol::commandNames()
{
    QCOMPARE(commandFromName(QStringLiteral("Tq90GetLogData")), Command::GetLogData);
    QCOMPARE(commandFromName(QStringLiteral("eraselogdata")), Command::EraseLogData);
    QVERIFY(!commandFromName(QStringLiteral("Format")).has_value());
    QCOMPARE(commandName(Command::Identify), QStringLiteral("Identify"));
}

QTEST_GUILESS_MAIN(TestTq90Protocol)
#include "tst_tq90protocol.moc"
