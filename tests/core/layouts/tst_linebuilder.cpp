#include "core/layouts/LayoutNumbers.h"
#include "core/layouts/LineBuilder.h"
#include "fixtures/TestRows.h"

namespace {

struct CaseLayout
{
    ExportLayout layout;
    QList<LayoutRow> rows;
};

// A layout from rows "name|width|alignment|pad" joined by ';' and "datePattern timePattern"; the
// alignment and pad lists hold a position for each row and no more.
// Words of `settings`: "TH" for the year form, "in" and "out" for the IN-only and OUT-only flags.
CaseLayout makeLayout(const QString& rowSpecs, const QString& patterns, const QString& settings = {})
{
    CaseLayout c;
    for (const QString& spec : rowSpecs.split(u';', Qt::SkipEmptyParts)) {
        const QStringList parts = spec.split(u'|');
        c.rows.append({parts[0], parts[1]});
        c.layout.alignments.append(qint16(parts[2].toInt()));
        c.layout.pads.append(parts[3]);
    }
    c.layout.datePattern = patterns.section(u' ', 0, 0);
    c.layout.timePattern = patterns.section(u' ', 1, 1);
    const QStringList words = settings.split(u' ');
    c.layout.yearForm = words.contains(u"TH"_qs) ? u"TH"_qs : QString();
    c.layout.inOnly = words.contains(u"in"_qs);
    c.layout.outOnly = words.contains(u"out"_qs);
    c.layout.inText = u"IN"_qs;
    c.layout.outText = u"OUT"_qs;
    return c;
}

} // namespace

class TestLineBuilder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fitField_data();
    void fitField();
    void width_data();
    void width();
    void line_data();
    void line();
    void preview_data();
    void preview();
    void christianDate_data();
    void christianDate();
};

void TestLineBuilder::fitField_data()
{
    addColumns<QString, int, int, int, QString, QString>(
        {"value", "length", "width", "alignment", "pad", "fitted"});
    addRow("longer value is cut", "123456789", 9, 4, 0, "0", "1234");
    addRow("left", "AB", 2, 5, 0, ".", "AB...");
    addRow("right", "AB", 2, 5, 1, "0", "000AB");
    addRow("centre, odd shortfall is one pad longer", "AB", 2, 5, 2, "*", "**AB**");
    addRow("centre, even shortfall", "AB", 2, 6, 2, "*", "**AB**");
    addRow("alignment 3 leaves it unfilled", "AB", 2, 6, 3, "*", "AB");
    addRow("width 0 leaves it out", "AB", 2, 0, 1, "0", "");
    addRow("counted length decides", "AB", 12, 5, 1, "0", "AB");
    addRow("pad added whole", "AB", 2, 4, 0, "xy", "ABxyxy");
}

void TestLineBuilder::fitField()
{
    QFETCH(QString, value);
    QFETCH(int, length);
    QFETCH(int, width);
    QFETCH(int, alignment);
    QFETCH(QString, pad);
    QTEST(::fitField(value, qint16(length), qint16(width), qint16(alignment), pad), "fitted");
}

void TestLineBuilder::width_data()
{
    addColumns<QString, int>({"text", "width"});
    addRow("blanks and tab before", " \t17", 17);
    addRow("leading number", "5x", 5);
    addRow("no number", "abc", 0);
    addRow("minus", "-3", -3);
    addRow("plus", "+4", 4);
    addRow("half to even, down", "2.5", 2);
    addRow("half to even, up", "3.5", 4);
}

void TestLineBuilder::width()
{
    QFETCH(QString, text);
    QTEST(int(LayoutNumbers::width(text)), "width");
}

void TestLineBuilder::line_data()
{
    // settings: besides the words of makeLayout, "raw" for raw data; punch: "wDate wTime status" of
    // person 123 at terminal 2 in group 7
    addColumns<QString, QString, QString, QString, QString, QString>(
        {"rows", "delimiter", "patterns", "settings", "punch", "line"});
    const char* example = "UID|8|1|0;Date|10|0| ;Time|5|0| ";
    const char* date = "Date|20|3|";
    const char* time = "Time|20|3|";
    const char* event = "UID|3|1|0;Event|2|1|0;UID|3|1|0"; // an event is neither filled nor cut
    const char* dmy = "dd/MM/yyyy HH:mm";
    const char* iso = "yyyy/MM/dd HH:mm:ss";
    addRow("worked example", example, ",", dmy, "", "2024/05/31 08:05:03", "00000123,31/05/2024,08:05");
    addRow("worked example, TH", example, ",", dmy, "TH", "2024/05/31 08:05:03", "00000123,31/05/2567,08:05");
    addRow("Buddhist date, TH", example, ",", dmy, "TH", "2567/05/31 08:05:03", "00000123,31/05/2567,08:05");
    addRow("Buddhist date", example, ",", dmy, "", "2567/05/31 08:05:03", "00000123,31/05/2024,08:05");
    addRow("2501 is Buddhist", date, ",", iso, "", "2501/01/02", "1958/01/02");
    addRow("2501 stays with TH", date, ",", iso, "TH", "2501/01/02", "2501/01/02");
    addRow("yy of a TH year", date, ",", "yy/MM/dd HH:mm", "TH", "2024/01/09", "67/01/09");
    addRow("29 February in the Buddhist era", date, ",", dmy, "TH", "2024/02/29", "29/02/2567");
    addRow("date counted one longer", "Date|10|0|.", ",", "ddMMyy HH:mm", "", "2024/05/31", "310524...");
    addRow("month not digits", date, ",", dmy, "", "2024/5x/31", "2024/5x/31");
    addRow("misplaced separator", date, ",", dmy, "", "2024/05-31", "2024/05-31");
    addRow("time of two parts", time, ",", iso, "", "- 00:05", "00:05:00");
    addRow("time without leading zeros", time, ",", iso, "", "- 8:5:3", "08:05:03");
    addRow("last second of the day", time, ",", dmy, "", "- 23:59:59", "23:59");
    addRow("hour 24", time, ",", dmy, "", "- 24:00:00", "24:00:00");
    addRow("minute 60", time, ",", iso, "", "- 08:60", "08:60");
    addRow("second 60", time, ",", dmy, "", "- 08:05:60", "08:05:60");
    addRow("four parts", time, ",", iso, "", "- 08:05:03:01", "08:05:03:01");
    addRow("width not a number keeps the delimiter", "UID|abc|1|0;Time|5|0|0", ",", dmy, "", "- 08:05",
           ",08:05");
    addRow("TAB", "UID|3|1|0;Time|5|0|0", "TAB", dmy, "", "- 08:05:03", "123\t08:05");
    addRow("space field", "UID|3|1|0;Space|3|1|-;UID|3|1|0", "", dmy, "", "", "123-- 123");
    addRow("terminal and group", "Kestrum ID|3|1|0;Group|2|0|x", ";", dmy, "", "", "002;7x");
    addRow("unknown last row: the delimiter before it stays", "UID|3|1|0;Badge|4|1|0", ",", dmy, "", "",
           "123,");
    addRow("unknown row adds nothing", "UID|3|1|0;uid|4|1|0;Time|5|0|0", ",", dmy, "", "- 08:05",
           "123,08:05");
    addRow("status 1 is IN", event, ",", dmy, "", "- - 1", "123,IN,123");
    addRow("status 2 is OUT", event, ",", dmy, "", "- - 2", "123,OUT,123");
    addRow("status 5 is 0", event, ",", dmy, "", "- - 5", "123,0,123");
    addRow("raw data keeps 5", event, ",", dmy, "raw in", "- - 5", "123,5,123");
    addRow("IN-only", event, ",", dmy, "in", "- - 2", "123,IN,123");
    addRow("OUT-only", event, ",", dmy, "out", "- - 1", "123,OUT,123");
    addRow("IN-only wins", event, ",", dmy, "in out", "- - 2", "123,IN,123");
}

void TestLineBuilder::line()
{
    QFETCH(QString, rows);
    QFETCH(QString, delimiter);
    QFETCH(QString, patterns);
    QFETCH(QString, settings);
    QFETCH(QString, punch);
    const CaseLayout c = makeLayout(rows, patterns, settings);
    const QStringList p = punch.split(u' ');
    const PunchRecord record{u"123"_qs, u"2"_qs, u"7"_qs, p.value(0), p.value(1), p.value(2, u"1"_qs)};
    const ExportDataType type = settings.contains(u"raw"_qs) ? ExportDataType::Raw : ExportDataType::Filtered;
    QTEST(exportLine(c.layout, c.rows, record, delimiter, type), "line");
}

void TestLineBuilder::preview_data()
{
    // samples: the editor's selected patterns; empty for the layout's own
    addColumns<QString, QString, QString>({"rows", "samples", "line"});
    addRow("every field, wider than its default",
           "UID|14|1|0;Kestrum ID|5|0|_;Group|5|1|0;Date|12|0|.;Time|10|1|0;Event|4|1|*;Space|3|1|0", "",
           "000000001,02__,0003,dd/MM/yyyy..,00HH:mm:ss,**01,00 ");
    addRow("event cut by its width", "Event|1|1|0", "", "0");
    addRow("unknown name adds nothing", "Group|3|1|0;X|3|1|0", "", "03,");
    addRow("editor's samples", "Date|10|1|0;Time|8|1|0", "yyMMdd HH:mm", "yyMMdd,HH:mm");
}

void TestLineBuilder::preview()
{
    QFETCH(QString, rows);
    QFETCH(QString, samples);
    const CaseLayout c = makeLayout(rows, u"dd/MM/yyyy HH:mm:ss"_qs);
    const QString comma = u","_qs;
    QTEST(samples.isEmpty() ? previewLine(c.layout, c.rows, comma)
                            : previewLine(c.layout, c.rows, comma, samples.section(u' ', 0, 0),
                                          samples.section(u' ', 1, 1)),
          "line");
}

void TestLineBuilder::christianDate_data()
{
    addColumns<QString, QString>({"date", "christian"});
    addRow("Buddhist era", "2567/01/09", "2024/01/09");
    addRow("Christian era", "2024/01/09", "2024/01/09");
    addRow("2500 stays", "2500/12/31", "2500/12/31");
    addRow("2501 lowered", "2501/12/31", "1958/12/31");
    addRow("checked in the Christian era", "2567/02/29", "2024/02/29");
    addRow("one-digit month and day", "2567/1/9", "2024/01/09");
    addRow("no such month", "2024/13/01", "");
    addRow("two parts", "31/01", "");
    addRow("letters", "abcd/01/01", "");
}

void TestLineBuilder::christianDate()
{
    QFETCH(QString, date);
    QTEST(christianDateText(date), "christian");
}

QTEST_GUILESS_MAIN(TestLineBuilder)
#include "tst_linebuilder.moc"
