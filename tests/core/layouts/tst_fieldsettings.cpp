#include "core/layouts/DelimiterChoice.h"
#include "core/layouts/WidthEntry.h"

#include <QTest>

class TestFieldSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void optionsSetTheirDelimiter_data();
    void optionsSetTheirDelimiter();
    void delimiterSelectsItsOption_data();
    void delimiterSelectsItsOption();
    void widthKeys_data();
    void widthKeys();
    void acceptedKeyDoesNotAdmitLetters();
};

void TestFieldSettings::optionsSetTheirDelimiter_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("delimiter");
    QTest::newRow("semicolon") << 0 << QStringLiteral("Semicolon(;)") << QStringLiteral(";");
    QTest::newRow("comma") << 1 << QStringLiteral("Comma(,)") << QStringLiteral(",");
    QTest::newRow("space") << 2 << QStringLiteral("Space( )") << QStringLiteral(" ");
    QTest::newRow("tab") << 3 << QStringLiteral("Tab(      )") << QStringLiteral("TAB");
    QTest::newRow("custom") << 4 << QStringLiteral("Custom..") << QStringLiteral("@@");
    QTest::newRow("none") << 5 << QStringLiteral("Non") << QString();
}

void TestFieldSettings::optionsSetTheirDelimiter()
{
    QFETCH(int, option);
    QFETCH(QString, caption);
    QFETCH(QString, delimiter);
    QCOMPARE(DelimiterChoice::captions().value(option), caption);
    QCOMPARE(DelimiterChoice::delimiterOf(option, QStringLiteral("@@")), delimiter);
}

void TestFieldSettings::delimiterSelectsItsOption_data()
{
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<int>("option");
    QTest::newRow(";") << QStringLiteral(";") << 0;
    QTest::newRow(",") << QStringLiteral(",") << 1;
    QTest::newRow("blank") << QStringLiteral(" ") << 2;
    QTest::newRow("TAB") << QStringLiteral("TAB") << 3;
    QTest::newRow("empty") << QString() << 5;
    QTest::newRow("bar") << QStringLiteral("|") << 4;
    QTest::newRow("tab character") << QStringLiteral("\t") << 4;
    QTest::newRow("two blanks") << QStringLiteral("  ") << 4;
    QTest::newRow("tab lower case") << QStringLiteral("tab") << 4;
}

void TestFieldSettings::delimiterSelectsItsOption()
{
    QFETCH(QString, delimiter);
    QFETCH(int, option);
    QCOMPARE(DelimiterChoice::optionOf(delimiter), option);
}

void TestFieldSettings::widthKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("digit") << int('5') << QStringLiteral("15") << true;
    QTest::newRow("zero") << int('0') << QStringLiteral("10") << true;
    QTest::newRow("nine") << int('9') << QStringLiteral("9") << true;
    QTest::newRow("backspace") << int(WidthEntry::Backspace) << QStringLiteral("1") << true;
    QTest::newRow("backspace to empty") << int(WidthEntry::Backspace) << QString() << true;
    QTest::newRow("letter") << int('a') << QStringLiteral("15a") << false;
    QTest::newRow("minus") << int('-') << QStringLiteral("-15") << false;
    QTest::newRow("thai digit") << 0x0E51 << QStringLiteral("1\u0E51") << false;
    QTest::newRow("blank") << int(' ') << QStringLiteral("1 ") << false;
}

void TestFieldSettings::widthKeys()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    WidthEntry entry;
    QVERIFY(!entry.accepts(QStringLiteral("1"))); // nothing typed yet
    entry.keyPressed(key);
    QCOMPARE(entry.accepts(text), accepted);
}

void TestFieldSettings::acceptedKeyDoesNotAdmitLetters()
{
    // the flag stays on from the last digit, but a pasted text must still be a number
    WidthEntry entry;
    entry.keyPressed('1');
    QVERIFY(entry.keyAccepted());
    QVERIFY(entry.accepts(QStringLiteral("1")));
    QVERIFY(!entry.accepts(QStringLiteral("1x")));
    QVERIFY(!entry.accepts(QStringLiteral("١")));
    entry.keyPressed('x');
    QVERIFY(!entry.keyAccepted());
    QVERIFY(!entry.accepts(QStringLiteral("12")));
}

QTEST_GUILESS_MAIN(TestFieldSettings)
#include "tst_fieldsettings.moc"
