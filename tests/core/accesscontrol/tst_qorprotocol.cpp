#include "core/accesscontrol/QorProtocol.h"
#include "fixtures/TestRows.h"

using namespace QorProtocol;

class TestQorProtocol : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void takeLine_data();
    void takeLine();
    void numbers_data();
    void numbers();
    void hex_data();
    void hex();
    void answers_data();
    void answers();
    void errorLineIsOneShortPrintableLine();
};

void TestQorProtocol::takeLine_data()
{
    addColumns<QByteArray, QByteArray, QByteArray, bool>(
        {"buffer", "line", "rest", "tooLong"}); // line "-": none
    const QByteArray full(MaxLine, 'a');
    addRow("lf", QByteArray("OK\nQOR"), QByteArray("OK"), QByteArray("QOR"), false);
    addRow("crlf", QByteArray("OK 3\r\n"), QByteArray("OK 3"), QByteArray(), false);
    addRow("partial", QByteArray("OK 3"), QByteArray("-"), QByteArray("OK 3"), false);
    addRow("longest line", full.chopped(1) + '\n', full.chopped(1), QByteArray(), false);
    addRow("one byte too long", full + '\n', QByteArray("-"), full + '\n', true);
    addRow("no lf, full", full, QByteArray("-"), full, true);
    addRow("no lf, not yet full", full.chopped(1), QByteArray("-"), full.chopped(1), false);
}

void TestQorProtocol::takeLine()
{
    QFETCH(QByteArray, buffer);
    QFETCH(bool, tooLong);
    bool overlong = !tooLong;
    QTEST(QorProtocol::takeLine(buffer, &overlong).value_or("-"), "line");
    QTEST(buffer, "rest");
    QCOMPARE(overlong, tooLong);
}

void TestQorProtocol::numbers_data()
{
    addColumns<QByteArray, quint32, qint64>({"word", "max", "value"}); // value -1: refused
    addRow("zero", QByteArray("0"), 255u, qint64(0));
    addRow("max", QByteArray("255"), 255u, qint64(255));
    addRow("over max", QByteArray("256"), 255u, qint64(-1));
    addRow("sign", QByteArray("-1"), 255u, qint64(-1));
    addRow("empty", QByteArray(), 255u, qint64(-1));
    addRow("leading zeros", QByteArray("007"), 255u, qint64(7));
    addRow("ten digits", QByteArray("4294967295"), 0xFFFFFFFFu, qint64(4294967295));
    addRow("beyond 32 bits", QByteArray("4294967296"), 0xFFFFFFFFu, qint64(-1));
    addRow("eleven digits", QByteArray("00000000001"), 0xFFFFFFFFu, qint64(-1));
}

void TestQorProtocol::numbers()
{
    QFETCH(QByteArray, word);
    QFETCH(quint32, max);
    const std::optional<quint32> n = number(word, max);
    QTEST(n ? qint64(*n) : qint64(-1), "value");
}

void TestQorProtocol::hex_data()
{
    addColumns<QString, QByteArray>({"text", "hex"}); // text "-": no text
    addRow("service password", "tarnish", QByteArray("7461726E697368"));
    addRow("empty", "", QByteArray());
    addRow("every kind of digit", "\n๙", QByteArray("0AF9"));
    addRow("odd count", "-", QByteArray("746"));
    addRow("not hex", "-", QByteArray("7G"));
}

void TestQorProtocol::hex()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, hex);
    if (text == u"-") {
        QVERIFY(!fromHex(hex));
        return;
    }
    QCOMPARE(toHex(text), hex);
    QCOMPARE(fromHex(hex.toLower()), std::optional<QString>(text));
}

void TestQorProtocol::answers_data()
{
    addColumns<QByteArray, QString>({"line", "answer"}); // ok|count|code|text, "-" when it is no answer
    addRow("ok", QByteArray("OK"), "1|-|0|");
    addRow("ok count", QByteArray("OK 12"), "1|12|0|");
    addRow("ok junk", QByteArray("OK x"), "-");
    addRow("error", QByteArray("ERR 404 no facility 9~"), "0|-|404|no facility 9~");
    addRow("error without text", QByteArray("ERR 999"), "0|-|999|");
    addRow("code beyond three digits", QByteArray("ERR 1000 x"), "-");
    addRow("error bad code", QByteArray("ERR x y"), "-");
    addRow("control byte", QByteArray("OK\x1f"), "-");
    addRow("delete byte", QByteArray("OK\x7f"), "-");
    addRow("greeting", QByteArray("QOR 1"), "-");
}

void TestQorProtocol::answers()
{
    QFETCH(QByteArray, line);
    const std::optional<Answer> a = parseAnswer(line);
    QTEST(a ? u"%1|%2|%3|%4"_qs.arg(int(a->ok))
                  .arg(a->count ? QString::number(*a->count) : u"-"_qs)
                  .arg(a->code)
                  .arg(a->text)
            : u"-"_qs,
          "answer");
}

void TestQorProtocol::errorLineIsOneShortPrintableLine()
{
    const QByteArray line = error(DatabaseFailed, u"ข้อผิดพลาด\nsecond line\t"_qs + QString(2000, u'x'));
    QVERIFY(line.endsWith('\n') && line.count('\n') == 1);
    QCOMPARE(line.size(), MaxLine);
    QVERIFY(isPrintable(line.chopped(1)));
    const std::optional<Answer> answer = parseAnswer(line.chopped(1));
    QVERIFY(answer && answer->code == 500);
    QVERIFY(answer->text.startsWith(u"?"));
}

QTEST_GUILESS_MAIN(TestQorProtocol)
#include "tst_qorprotocol.moc"
