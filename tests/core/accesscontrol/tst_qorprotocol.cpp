#include "core/accesscontrol/QorProtocol.h"

#include <QTest>

using namespace QorProtocol;

class TestQorProtocol : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void takeLine_data();
    void takeLine();
    void numbers_data();
    void numbers();
    void hexRoundTrip_data();
    void hexRoundTrip();
    void badHex_data();
    void badHex();
    void answers_data();
    void answers();
    void errorLinesStayOneShortPrintableLine();
};

void TestQorProtocol::takeLine_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("rest");
    QTest::addColumn<bool>("tooLong");

    QTest::newRow("lf") << QByteArray("OK\nQOR") << true << QByteArray("OK") << QByteArray("QOR") << false;
    QTest::newRow("crlf") << QByteArray("OK 3\r\n") << true << QByteArray("OK 3") << QByteArray() << false;
    QTest::newRow("partial") << QByteArray("OK 3") << false << QByteArray() << QByteArray("OK 3") << false;
    QTest::newRow("empty line") << QByteArray("\n") << true << QByteArray() << QByteArray() << false;
    QTest::newRow("longest line") << QByteArray(MaxLine - 1, 'a') + '\n'
                                  << true << QByteArray(MaxLine - 1, 'a') << QByteArray() << false;
    QTest::newRow("one byte too long") << QByteArray(MaxLine, 'a') + '\n'
                                       << false << QByteArray() << QByteArray(MaxLine, 'a') + '\n'
                                       << true;
    QTest::newRow("no lf, full") << QByteArray(MaxLine, 'a') << false << QByteArray()
                                 << QByteArray(MaxLine, 'a') << true;
    QTest::newRow("no lf, not yet full")
        << QByteArray(MaxLine - 1, 'a') << false << QByteArray() << QByteArray(MaxLine - 1, 'a') << false;
}

void TestQorProtocol::takeLine()
{
    QFETCH(QByteArray, buffer);
    QFETCH(bool, complete);
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, rest);
    QFETCH(bool, tooLong);
    bool overlong = !tooLong;
    const std::optional<QByteArray> taken = QorProtocol::takeLine(buffer, &overlong);
    QCOMPARE(taken.has_value(), complete);
    if (complete)
        QCOMPARE(*taken, line);
    QCOMPARE(buffer, rest);
    QCOMPARE(overlong, tooLong);
}

void TestQorProtocol::numbers_data()
{
    QTest::addColumn<QByteArray>("word");
    QTest::addColumn<quint32>("max");
    QTest::addColumn<int>("expected"); // -1: refused

    QTest::newRow("zero") << QByteArray("0") << 255u << 0;
    QTest::newRow("max") << QByteArray("255") << 255u << 255;
    QTest::newRow("over max") << QByteArray("256") << 255u << -1;
    QTest::newRow("sign") << QByteArray("-1") << 255u << -1;
    QTest::newRow("plus") << QByteArray("+1") << 255u << -1;
    QTest::newRow("blank") << QByteArray(" 1") << 255u << -1;
    QTest::newRow("empty") << QByteArray() << 255u << -1;
    QTest::newRow("hex") << QByteArray("0x1") << 255u << -1;
    QTest::newRow("leading zeros") << QByteArray("007") << 255u << 7;
    QTest::newRow("huge") << QByteArray("99999999999999999999") << 0xFFFFFFFFu << -1;
    QTest::newRow("wraps 32 bits") << QByteArray("4294967297") << 0xFFFFFFFFu << -1;
}

void TestQorProtocol::numbers()
{
    QFETCH(QByteArray, word);
    QFETCH(quint32, max);
    QFETCH(int, expected);
    const std::optional<quint32> n = number(word, max);
    QCOMPARE(n.has_value(), expected >= 0);
    if (n)
        QCOMPARE(static_cast<int>(*n), expected);
}

void TestQorProtocol::hexRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("hex");
    QTest::newRow("service password") << QStringLiteral("tarnish") << QByteArray("7461726E697368");
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("blank and newline") << QStringLiteral("a b\n") << QByteArray("6120620A");
    QTest::newRow("thai") << QStringLiteral("ก") << QByteArray("A1");
}

void TestQorProtocol::hexRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, hex);
    QCOMPARE(toHex(text), hex);
    QCOMPARE(fromHex(hex.toLower()), std::optional<QString>(text));
}

void TestQorProtocol::badHex_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::newRow("odd") << QByteArray("746");
    QTest::newRow("not hex") << QByteArray("7G");
    QTest::newRow("blank") << QByteArray("74 61");
}

void TestQorProtocol::badHex()
{
    QFETCH(QByteArray, hex);
    QVERIFY(!fromHex(hex));
}

void TestQorProtocol::answers_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("count"); // -1: none
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");

    QTest::newRow("ok") << QByteArray("OK") << true << true << -1 << 0 << QString();
    QTest::newRow("ok count") << QByteArray("OK 12") << true << true << 12 << 0 << QString();
    QTest::newRow("ok junk") << QByteArray("OK x") << false << false << -1 << 0 << QString();
    QTest::newRow("error") << QByteArray("ERR 404 no facility 9") << true << false << -1 << 404
                           << QStringLiteral("no facility 9");
    QTest::newRow("error without text") << QByteArray("ERR 401") << true << false << -1 << 401 << QString();
    QTest::newRow("error bad code") << QByteArray("ERR x y") << false << false << -1 << 0 << QString();
    QTest::newRow("control bytes") << QByteArray("OK\x01") << false << false << -1 << 0 << QString();
    QTest::newRow("greeting is no answer") << QByteArray("QOR 1") << false << false << -1 << 0 << QString();
    QTest::newRow("lower case") << QByteArray("ok") << false << false << -1 << 0 << QString();
}

void TestQorProtocol::answers()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, valid);
    QFETCH(bool, ok);
    QFETCH(int, count);
    QFETCH(int, code);
    QFETCH(QString, text);
    const std::optional<Answer> answer = parseAnswer(line);
    QCOMPARE(answer.has_value(), valid);
    if (!answer)
        return;
    QCOMPARE(answer->ok, ok);
    QCOMPARE(answer->count.has_value(), count >= 0);
    if (answer->count)
        QCOMPARE(static_cast<int>(*answer->count), count);
    QCOMPARE(answer->code, code);
    QCOMPARE(answer->text, text);
}

void TestQorProtocol::errorLinesStayOneShortPrintableLine()
{
    const QByteArray line =
        error(DatabaseFailed, QStringLiteral("ข้อผิดพลาด\nsecond line\t") + QString(2000, u'x'));
    QVERIFY(line.endsWith('\n'));
    QCOMPARE(line.count('\n'), 1);
    QVERIFY(line.size() <= MaxLine);
    QVERIFY(isPrintable(line.chopped(1)));
    const std::optional<Answer> answer = parseAnswer(line.chopped(1));
    QVERIFY(answer);
    QCOMPARE(answer->code, 500);
    QVERIFY(answer->text.startsWith(u"?"));
}

QTEST_GUILESS_MAIN(TestQorProtocol)
#include "tst_qorprotocol.moc"
