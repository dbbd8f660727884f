#include "core/layouts/DelimiterChoice.h"
#include "core/layouts/WidthEntry.h"
#include "fixtures/TestRows.h"

class TestFieldSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void delimiterOptions_data();
    void delimiterOptions();
    void widthKeys_data();
    void widthKeys();
};

void TestFieldSettings::delimiterOptions_data()
{
    addColumns<int, QString, QString>({"option", "caption", "delimiter"}); // with "|" in the custom box
    addRow("semicolon", 0, "Semicolon(;)", ";");
    addRow("comma", 1, "Comma(,)", ",");
    addRow("space", 2, "Space( )", " ");
    addRow("tab", 3, "Tab(      )", "TAB");
    addRow("custom", 4, "Custom..", "|");
    addRow("none", 5, "Non", "");
}

void TestFieldSettings::delimiterOptions()
{
    QFETCH(int, option);
    QFETCH(QString, delimiter);
    QTEST(DelimiterChoice::captions().value(option), "caption");
    QCOMPARE(DelimiterChoice::delimiterOf(option, QStringLiteral("|")), delimiter);
    // and a loaded delimiter selects the option that sets it
    QCOMPARE(DelimiterChoice::optionOf(delimiter), option);
}

void TestFieldSettings::widthKeys_data()
{
    addColumns<int, QString, bool>({"key", "text", "accepted"}); // the last key pressed, 0 for none
    addRow("0", int('0'), "10", true);
    addRow("9", int('9'), "9", true);
    addRow("backspace to empty", int(WidthEntry::Backspace), "", true);
    addRow("nothing typed", 0, "1", false);
    addRow("letter", int('a'), "15a", false);
    addRow("pasted letter after a digit", int('1'), "1x", false);
    addRow("pasted Thai digit", int('1'), "1\u0E51", false);
}

void TestFieldSettings::widthKeys()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    WidthEntry entry;
    if (key != 0)
        entry.keyPressed(key);
    QTEST(entry.accepts(text), "accepted");
}

QTEST_GUILESS_MAIN(TestFieldSettings)
#include "tst_fieldsettings.moc"
