#include "core/layouts/DelimiterChoice.h"
#include "core/layouts/ExportFieldList.h"
#include "core/layouts/FieldPanel.h"
#include "core/layouts/LayoutDraft.h"
#include "core/layouts/LayoutFile.h"
#include "core/layouts/LayoutNumbers.h"
#include "core/layouts/LineBuilder.h"
#include "core/layouts/WidthEntry.h"
#include "core/platform/Cp874.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

// A layout from rows "name|width|alignment|pad" joined by ';'; settings: "TH" year form, "in" and
// "out" for the IN-only and OUT-only flags, "raw" for raw data.
struct Case
{
    ExportLayout layout;
    QList<LayoutRow> rows;
    Case(const QString& fields, const QString& patterns, const QString& settings = {})
    {
        for (const QString& field : fields.split(u';', Qt::SkipEmptyParts)) {
            const QStringList p = field.split(u'|');
            rows.append({p[0], p[1]});
            layout.alignments.append(qint16(p[2].toInt()));
            layout.pads.append(p[3]);
        }
        layout.datePattern = patterns.section(u' ', 0, 0);
        layout.timePattern = patterns.section(u' ', 1, 1);
        layout.yearForm = settings.contains(u"TH"_qs) ? u"TH"_qs : QString();
        layout.inOnly = settings.contains(u"in"_qs);
        layout.outOnly = settings.contains(u"out"_qs);
        layout.inText = u"IN"_qs;
        layout.outText = u"OUT"_qs;
    }
};

// Rows, lists, delimiter, patterns, year form, IN and OUT texts and flags of a layout as one text.
QString summary(const ExportLayout& l, const QList<LayoutRow>& rows)
{
    QStringList fields, lists;
    for (const LayoutRow& r : rows)
        fields << r.field + u':' + r.width;
    for (qsizetype i = 0; i < l.alignments.size(); ++i)
        lists << QString::number(l.alignments[i]) + l.pads.value(i);
    const auto n = [](qint16 v) {
        return QString::number(v);
    };
    return fields.join(u',') + u'|' + lists.join(u',') + u'|' + l.delimiter + u'|' + l.datePattern + u'|' +
           l.timePattern + u'|' + l.yearForm + u'|' + l.inText + u'|' + l.outText + u'|' + n(l.inOnly) +
           u'|' + n(l.outOnly);
}

// The layout the editor holds when saving: rows, lists and its own selections.
struct EditorCopy
{
    QList<LayoutRow> rows{{u"UID"_qs, u"8"_qs}, {u"Date"_qs, u"10"_qs}, {u"Event"_qs, u"2"_qs}};
    ExportLayout layout;
    EditorLayoutState editor{u"Week"_qs, u"ชื่อรูปแบบ"_qs, 3, 1};
    EditorCopy()
    {
        layout.alignments = {1, 0, 2, 0};
        layout.pads = {u"0"_qs, u"_"_qs, u"*"_qs, QString()};
        layout.delimiter = u";"_qs;
        layout.datePattern = u"yy/MM/dd"_qs;
        layout.timePattern = u"HH:mm"_qs;
        layout.yearForm = u"TH"_qs;
        layout.inText = u"เข้า"_qs;
        layout.outText = u"ออก"_qs;
        layout.outOnly = 1;
    }
};

} // namespace

class TestLayouts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fitField_data()
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
        addRow("width 1", "AB", 2, 1, 1, "0", "A");
        addRow("counted length decides", "AB", 12, 5, 1, "0", "AB");
        addRow("pad added whole", "AB", 2, 4, 0, "xy", "ABxyxy");
        addRow("counted length at the width: cut to it", "ABCD", 3, 3, 0, ".", "ABC");
    }
    void fitField()
    {
        const auto [value, length, width, alignment, pad] =
            fetchColumns<QString, int, int, int, QString>("value", "length", "width", "alignment", "pad");
        QTEST(::fitField(value, qint16(length), qint16(width), qint16(alignment), pad), "fitted");
    }
    void numbersAndDates_data()
    {
        // "width": a width box read; "whole": a whole number of a layout file ("-": none); "date": a date of
        // either era in the Christian era; "option": the delimiter option a loaded delimiter selects; "keys":
        // the last key pressed, then the width typed
        addColumns<QString, QString, QString>({"kind", "text", "result"});
        addRow("blanks and tab before", "width", " \t17", "17");
        addRow("leading number", "width", "5x", "5");
        addRow("no number", "width", "abc", "0");
        addRow("minus", "width", "-3", "-3");
        addRow("plus", "width", "+4", "4");
        addRow("half to even, down", "width", "2.5", "2");
        addRow("half to even, up", "width", "3.5", "4");
        addRow("whole number at the top", "whole", " 32767 ", "32767");
        addRow("whole number past it", "whole", "32768", "-");
        addRow("whole number at the bottom", "whole", "-32768", "-32768");
        addRow("whole numbers in tens", "whole", "a", "-");
        addRow("Buddhist era", "date", "2567/01/09", "2024/01/09");
        addRow("2500 stays", "date", "2500/12/31", "2500/12/31");
        addRow("2501 lowered", "date", "2501/12/31", "1958/12/31");
        addRow("checked in the Christian era", "date", "2567/02/29", "2024/02/29");
        addRow("one-digit month and day", "date", "2567/1/9", "2024/01/09");
        addRow("no such month", "date", "2024/13/01", "");
        addRow("two parts", "date", "31/01", "");
        addRow("no delimiter", "option", "", "5");
        addRow("semicolon", "option", ";", "0");
        addRow("tab", "option", "TAB", "3");
        addRow("a delimiter of its own", "option", "|", "4");
        addRow("digits", "keys", "09", "1");
        addRow("backspace to empty", "keys", "\b", "1");
        addRow("nothing typed", "keys", " 1", "0");
        addRow("key below 0", "keys", "/1", "0");
        addRow("key above 9", "keys", ":1", "0");
        addRow("pasted letter", "keys", "11x", "0");
        addRow("pasted colon", "keys", "11:", "0");
        addRow("pasted Thai digit", "keys", "1\u0E51", "0");
    }
    void numbersAndDates()
    {
        const auto [kind, text] = fetchColumns<QString, QString>("kind", "text");
        WidthEntry entry;
        if (kind == u"keys" && text[0] != u' ')
            entry.keyPressed(text[0].unicode());
        const std::optional<qint16> whole = LayoutNumbers::wholeInt16(text);
        QTEST(kind == u"width"    ? QString::number(LayoutNumbers::width(text))
              : kind == u"whole"  ? (whole ? QString::number(*whole) : u"-"_qs)
              : kind == u"date"   ? christianDateText(text)
              : kind == u"option" ? QString::number(DelimiterChoice::optionOf(text))
                                  : QString::number(entry.accepts(text.mid(1))),
              "result");
    }
    void line_data()
    {
        // punch: "wDate wTime status" of person 123 at terminal 2 in group 7
        addColumns<QString, QString, QString, QString, QString, QString>(
            {"rows", "delimiter", "patterns", "settings", "punch", "line"});
        const char* example = "UID|8|1|0;Date|10|0| ;Time|5|0| ";
        const char* date = "Date|20|3|";
        const char* time = "Time|20|3|";
        const char* event = "UID|3|1|0;Event|2|1|0;UID|3|1|0"; // an event is neither filled nor cut
        const char* dmy = "dd/MM/yyyy HH:mm";
        const char* iso = "yyyy/MM/dd HH:mm:ss";
        addRow("worked example", example, ",", dmy, "", "2024/05/31 08:05:03", "00000123,31/05/2024,08:05");
        addRow("worked example, TH", example, ",", dmy, "TH", "2024/05/31 08:05:03",
               "00000123,31/05/2567,08:05");
        addRow("2500 is Christian", date, ",", iso, "", "2500/01/02", "2500/01/02");
        addRow("2501 is Buddhist", date, ",", iso, "", "2501/01/02", "1958/01/02");
        addRow("2501 stays with TH", date, ",", iso, "TH", "2501/01/02", "2501/01/02");
        addRow("yy of a TH year", date, ",", "yy/MM/dd HH:mm", "TH", "2024/01/09", "67/01/09");
        addRow("single letters, a date at midnight", date, ",", "d/M/yyyy/H/m/s H:m:s", "", "2024/01/09",
               "9/1/2024/0/0/0");
        addRow("29 February in the Buddhist era", date, ",", dmy, "TH", "2024/02/29", "29/02/2567");
        addRow("date counted one longer", "Date|10|0|.", ",", "ddMMyy HH:mm", "", "2024/05/31", "310524...");
        addRow("year 0", date, ",", dmy, "", "0000/01/09", "09/01/0000");
        addRow("month not digits", date, ",", dmy, "", "2024/5x/31", "2024/5x/31");
        addRow("misplaced separator", date, ",", dmy, "", "2024/05-31", "2024/05-31");
        addRow("date too long", date, ",", dmy, "", "2024/05/311", "2024/05/311");
        addRow("time of two parts", time, ",", iso, "", "- 00:05", "00:05:00");
        addRow("time without leading zeros", time, ",", iso, "", "- 8:5:3", "08:05:03");
        addRow("single letters of a time", time, ",", "d H:m:s", "", "- 08:05:03", "8:5:3");
        addRow("last second of the day", time, ",", iso, "", "- 23:59:59", "23:59:59");
        addRow("one part", time, ",", iso, "", "- 08", "08");
        addRow("hour 24", time, ",", dmy, "", "- 24:00:00", "24:00:00");
        addRow("minute 60", time, ",", iso, "", "- 08:60", "08:60");
        addRow("second 60", time, ",", dmy, "", "- 08:05:60", "08:05:60");
        addRow("four parts", time, ",", iso, "", "- 08:05:03:01", "08:05:03:01");
        addRow("width not a number keeps the delimiter", "UID|abc|1|0;Time|5|0|0", ",", dmy, "", "- 08:05",
               ",08:05");
        addRow("TAB", "UID|3|1|0;Time|5|0|0", "TAB", dmy, "", "- 08:05:03", "123\t08:05");
        addRow("centre, even shortfall", "UID|5|2|*", ",", dmy, "", "", "*123*");
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
        // the preview: each field one wider than its sample's counted length
        addRow("preview",
               "UID|13|0|-;Kestrum ID|4|0|-;Group|4|0|-;Date|11|0|-;Time|9|0|-;Event|3|0|-;Space|2|0|-", ",",
               dmy, "", "preview", "0000001-,02-,03-,dd/MM/yyyy-,HH:mm-,01-, -");
    }
    void line()
    {
        const auto [rows, delimiter, patterns, settings, punch] =
            fetchColumns<QString, QString, QString, QString, QString>("rows", "delimiter", "patterns",
                                                                      "settings", "punch");
        const Case c(rows, patterns, settings);
        const QStringList p = punch.split(u' ');
        const PunchRecord record{u"123"_qs, u"2"_qs, u"7"_qs, p.value(0), p.value(1), p.value(2, u"1"_qs)};
        const ExportDataType type =
            settings.contains(u"raw"_qs) ? ExportDataType::Raw : ExportDataType::Filtered;
        QTEST(punch == u"preview" ? previewLine(c.layout, c.rows, delimiter)
                                  : exportLine(c.layout, c.rows, record, delimiter, type),
              "line");
    }
    void fieldListEdits_data()
    {
        // UID 12, Date 10, Time 8 as loaded, then IN-/OUT-only; "set" ticks IN-only, then OUT-only on field
        // rows
        addColumns<QString, int, QString, int>({"edit", "row", "fields", "selected"});
        addRow("remove first", "remove", 1, "Date10:1b Time8:2c 00", 2);
        addRow("remove last", "remove", 3, "UID12:0a Date10:1b 00", 2);
        addRow("remove past the end", "remove", 4, "UID12:0a Date10:1b Time8:2c 00", 4);
        addRow("up last", "up", 3, "UID12:0a Time8:2c Date10:1b 00", 2);
        addRow("up first", "up", 1, "UID12:0a Date10:1b Time8:2c 00", 1);
        addRow("down first", "down", 1, "Date10:1b UID12:0a Time8:2c 00", 2);
        addRow("down last", "down", 3, "UID12:0a Date10:1b Time8:2c 00", 3);
        addRow("settings of the last", "set", 3, "UID12:0a Date10:1b Time15:0* 01", 3);
        addRow("settings of the header", "set", 0, "UID12:0a Date10:1b Time8:2c 10", 0);
        addRow("added: right-aligned, filled with 0", "add", 0, "UID12:0a Date10:1b Time8:2c Space1:10 00",
               4);
        addRow("IN-only cleared", "clear", 1, "UID12:0a Date10:1b Time8:2c 00", 1);
        addRow("OUT-only cleared", "clear", 2, "UID12:0a Date10:1b Time8:2c 00", 2);
    }
    void fieldListEdits()
    {
        const auto [edit, row] = fetchColumns<QString, int>("edit", "row");
        LayoutGridModel grid;
        ExportLayout layout;
        layout.alignments = {0, 1, 2, 0};
        layout.pads = {u"a"_qs, u"b"_qs, u"c"_qs, QString()};
        ExportFieldList list(grid, layout);
        grid.setFields({{u"UID"_qs, u"12"_qs}, {u"Date"_qs, u"10"_qs}, {u"Time"_qs, u"8"_qs}});
        const int selected = edit == u"remove" ? list.remove(row)
                             : edit == u"up"   ? list.moveUp(row)
                             : edit == u"down" ? list.moveDown(row)
                             : edit == u"add"  ? list.add({u"Space"_qs, u"1"_qs})
                                               : row;
        if (edit == u"set") {
            list.setWidth(row, u"15"_qs);
            list.setAlignment(row, 0);
            list.setPad(row, u"*"_qs);
            list.setInOnly(true);
            list.setOutOnly(row != 0); // clearing the other box leaves this one
        }
        if (edit == u"clear" && row == 1) { // the IN-only box ticked, then cleared
            list.setInOnly(true);
            list.setInOnly(false);
        }
        if (edit == u"clear" && row == 2) { // the OUT-only box
            list.setOutOnly(true);
            list.setOutOnly(false);
        }
        QVERIFY(grid.row(0).field == u"ฟิลด์ข้อมูล" && grid.row(-1).field.isEmpty() &&
                grid.row(grid.rowCount()).field.isEmpty() && grid.rowCount(grid.index(0, 0)) == 0 &&
                grid.columnCount() == 2);
        QCOMPARE(grid.data(grid.index(0, 0)).toString() + grid.data(grid.index(0, 1)).toString(),
                 u"ฟิลด์ข้อมูลความกว้าง"_qs);
        QStringList fields;
        for (int r = 1; r <= grid.fieldCount(); ++r)
            fields << grid.row(r).field + grid.row(r).width + u':' + QString::number(layout.alignmentOf(r)) +
                          layout.padOf(r);
        QTEST(fields.join(u' ') + u' ' + QString::number(layout.inOnly) + QString::number(layout.outOnly),
              "fields");
        QTEST(selected, "selected");
    }
    void savedBytesAndRoundTrip()
    {
        EditorCopy c;
        c.rows.removeFirst();
        c.layout.alignments.removeFirst();
        c.layout.pads.removeFirst();
        QCOMPARE(save(c).status, LayoutSaveResult::Status::Written);
        QCOMPARE(c.layout.path, file());
        const QString expected =
            u"[ZUNDataView]\r\nRows=2\r\nDelimiter=;\r\nViewName=ชื่อรูปแบบ\r\n"
            "[ZUNData\\ROW\\1]\r\nTextMatrix=Date\r\nFixedWidth=10\r\nAlignmentData=0\r\n"
            "spData=_\r\nFormatDateType=3\r\nFormatTimeType=1\r\nFormatYear=TH\r\n"
            "IN=เข้า\r\nOUT=ออก\r\nDataFormat=Test\r\n"
            "[ZUNData\\ROW\\2]\r\nTextMatrix=Event\r\nFixedWidth=2\r\nAlignmentData=2\r\n"
            "spData=*\r\nFormatDateType=3\r\nFormatTimeType=1\r\nFormatYear=EN\r\n"
            "IN=เข้า\r\nOUT=ออก\r\nINOnly=0\r\nOUTOnly=1\r\nDataFormat=Test\r\n"_qs;
        QCOMPARE(TestFiles::read(file()), Cp874::encode(expected));

        // what is saved comes back, into the export window and into the editor, and saves alike
        QVERIFY(QFile::remove(file()));
        c = EditorCopy();
        c.layout.delimiter = u"TAB"_qs;
        c.layout.datePattern = u"dd/MM/yyyy"_qs;
        c.layout.timePattern = u"HH:mm:ss"_qs;
        c.layout.inOnly = 1;
        c.layout.outOnly = 0;
        c.editor = {u"Week"_qs, u"มุมมอง"_qs, 0, 0};
        QCOMPARE(save(c).status, LayoutSaveResult::Status::Written);
        LayoutGridModel grid;
        ExportLayout shown;
        const LayoutLoadResult loaded = loadExportLayout(file(), shown, grid);
        QVERIFY2(loaded.warnings.isEmpty(), qPrintable(loaded.warnings.join(u'\n')));
        QVERIFY(loaded.loaded && loaded.fileFound && loaded.rows == 3 && shown.path == file());
        QCOMPARE(summary(shown, grid.fieldRows()), summary(c.layout, c.rows));
    }
    void load_data()
    {
        // rows: Rows, then each section's keys ("" no path, "-" a missing file); shown and edited: the
        // summary after the window's and the editor's load, from Space:1, lists 10 0x, IN A, OUT B, OUT-only
        addColumns<QString, QString, QString>({"rows", "shown", "edited"});
        addRow("empty path: nothing changes", "", "Space:1|10,0x||yy/MM/dd|HH:mm|TH|A|B|0|1",
               "Space:1|10,0x||yy/MM/dd|HH:mm|TH|A|B|0|1|old,5,1");
        addRow("missing file: no rows", "-", "|10||yy/MM/dd|HH:mm|TH|A|B|0|1",
               "|10||yy/MM/dd|HH:mm|TH|A|B|0|1|Gone,5,1");
        addRow("no rows: only the delimiter and the lists change", "0\nTextMatrix=UID FormatDateType=0",
               "|10|;|yy/MM/dd|HH:mm|TH|A|B|0|1", "|10|;|yy/MM/dd|HH:mm|TH|A|B|0|1|Hand,5,1");
        addRow(
            "empty texts",
            "2\nTextMatrix=Date FixedWidth=10 AlignmentData=1 FormatDateType=0 FormatTimeType=0 FormatYear=\n"
            "TextMatrix=Event FixedWidth=2 AlignmentData=1 FormatDateType=0 FormatTimeType=0 IN= OUT= "
            "INOnly=1 OUTOnly=0",
            "Date:10,Event:2|1,1,0|;|dd/MM/yyyy|HH:mm:ss|TH|A|B|1|0",
            "Date:10,Event:2|1,1,0|;|dd/MM/yyyy|HH:mm:ss||||1|0|Hand,0,0");
        addRow("IN, OUT and flags only from an Event row",
               "1\nTextMatrix=UID FixedWidth=10 AlignmentData=1 FormatDateType=2 FormatTimeType=0 IN=X OUT=Y "
               "INOnly=1",
               "UID:10|1,0x|;|ddMMyyyy|HH:mm:ss|TH|A|B|0|1",
               "UID:10|1,0x|;|ddMMyyyy|HH:mm:ss|TH|A|B|0|1|Hand,2,0");
        addRow("last row's pattern indices win",
               "2\nTextMatrix=Date FixedWidth=10 AlignmentData=0 FormatDateType=1 FormatTimeType=1\n"
               "TextMatrix=UID FixedWidth=4 AlignmentData=1 FormatDateType=4 FormatTimeType=0",
               "Date:10,UID:4|0,1,0|;|yyMMdd|HH:mm:ss|TH|A|B|0|1",
               "Date:10,UID:4|0,1,0|;|yyMMdd|HH:mm:ss||A|B|0|1|Hand,4,0");
        addRow("a row without its field, a value cut at a NUL",
               "2\nFixedWidth=3\nTextMatrix=Event FixedWidth=2 AlignmentData=1 FormatDateType=0 "
               "FormatTimeType=0 "
               "IN=\\0X OUT=Y\\0Z",
               ":3,Event:2|-1,1,0|;|dd/MM/yyyy|HH:mm:ss|TH|A|Y|0|0",
               ":3,Event:2|-1,1,0|;|dd/MM/yyyy|HH:mm:ss|TH||Y|0|0|Hand,0,0");
        addRow("indices outside the tables",
               "1\nTextMatrix=Date FixedWidth=10 AlignmentData=1 FormatDateType=6 FormatTimeType=2",
               "Date:10|1,0x|;|yy/MM/dd|HH:mm:ss|TH|A|B|0|1",
               "Date:10|1,0x|;|ddMMyy|HH:mm:ss||A|B|0|1|Hand,5,0");
    }
    void load()
    {
        QFETCH(QString, rows);
        const QString path = rows.isEmpty() ? QString() : rows == u"-" ? file(u"Gone"_qs) : file(u"Hand"_qs);
        QStringList sections = rows.split(u'\n');
        QString text = u"[ZUNDataView]\nRows=%1\nDelimiter=;\n"_qs.arg(sections.takeFirst());
        for (qsizetype i = 0; i < sections.size(); ++i)
            text += u"[ZUNData\\ROW\\%1]\n%2\n"_qs.arg(i + 1).arg(sections[i].replace(u' ', u'\n'));
        text.replace(u"\\0"_qs, QString(QChar(0)));
        QVERIFY(writeLayout(text));
        ExportLayout previous = EditorCopy().layout;
        previous.alignments = {1, 0};
        previous.pads = {u"0"_qs, u"x"_qs};
        previous.delimiter.clear();
        previous.inText = u"A"_qs;
        previous.outText = u"B"_qs;
        ExportLayout shown = previous;
        LayoutGridModel grid;
        grid.appendField({u"Space"_qs, u"1"_qs});
        const LayoutLoadResult loaded = loadExportLayout(path, shown, grid);
        QCOMPARE(loaded.loaded, !path.isEmpty());
        QCOMPARE(loaded.fileFound, path == file(u"Hand"_qs));
        QCOMPARE(shown.path, path);
        QCOMPARE(grid.row(grid.fieldCount() + 1), LayoutRow{});
        QTEST(summary(shown, grid.fieldRows()), "shown");
        EditorLayoutState editor{u"old"_qs, {}, 5, 1};
        loadEditorLayout(path, previous, grid, editor);
        QTEST(summary(previous, grid.fieldRows()) +
                  u"|%1,%2,%3"_qs.arg(editor.fileName).arg(editor.dateIndex).arg(editor.timeIndex),
              "edited");
    }
    void limits_data()
    {
        // padding: blank lines added to the file
        addColumns<int, QString, QString, int, QString>({"rows", "width", "pad", "padding", "refusal"});
        addRow("at the limits", 100, "255", QString(10, u'ศ'), 0, "");
        addRow("too many rows", 101, "1", "0", 0, "it has 101 rows, more than the 100");
        addRow("pad too long", 2, "5", QString(11, u'*'), 0, "row 1 has 11 characters, more than the 10");
        addRow("file too large", 1, "5", "0", 600000, "bytes long, more than the 1048576 bytes");
    }
    void limits()
    {
        const auto [rows, width, pad, padding, refusal] =
            fetchColumns<int, QString, QString, int, QString>("rows", "width", "pad", "padding", "refusal");
        QString text = u"[ZUNDataView]\nRows=%1\nDelimiter=,\n"_qs.arg(rows) + QString(padding, u'\n');
        for (int i = 1; i <= rows; ++i)
            text +=
                u"[ZUNData\\ROW\\%1]\nTextMatrix=UID\nFixedWidth=%2\nAlignmentData=0\nspData=%3\n"_qs.arg(i)
                    .arg(width, pad);
        QVERIFY(writeLayout(text));
        ExportLayout layout;
        layout.delimiter = u"|"_qs;
        LayoutGridModel grid;
        grid.appendField({u"UID"_qs, u"3"_qs});
        const LayoutLoadResult loaded = loadExportLayout(file(u"Hand"_qs), layout, grid);
        QCOMPARE(loaded.refused, !refusal.isEmpty());
        if (refusal.isEmpty()) {
            QCOMPARE(grid.fieldCount(), rows);
            QCOMPARE(layout.padOf(rows), pad);
        } else {
            QCOMPARE(loaded.warnings.size(), 1);
            QVERIFY2(loaded.warnings[0].contains(u"Hand.ini"_qs) && loaded.warnings[0].contains(refusal),
                     qPrintable(loaded.warnings[0]));
            QCOMPARE(grid.fieldCount(), 0);
            QCOMPARE(layout.delimiter, u"|"_qs);
        }
    }
    // The field panel of an empty list and of the header row shows no pad box.
    void fieldPanelWithoutField()
    {
        LayoutGridModel grid;
        FieldPanel shown = FieldPanel::forRow({}, grid, {}, 0);
        shown.padShown = true;
        QVERIFY(!FieldPanel::forRow(shown, grid, {}, 1).padShown);
        grid.appendField({u"UID"_qs, u"8"_qs});
        const FieldPanel header = FieldPanel::forRow(shown, grid, {}, 0);
        QVERIFY(!header.padShown && !header.widthShown && !header.editable);
    }
    // The editor's draft becomes the export window's layout only when its file was written.
    void draftSave()
    {
        QVERIFY(QDir().mkpath(paths().exportFormatDir()));
        ExportLayout current;
        current.inText = u"old"_qs;
        LayoutDraft draft(current);
        draft.setInText(u"new"_qs);
        draft.setFileName(u"a/b"_qs);
        draft.selectField(1);
        QVERIFY(draft.addSelectedField());
        QCOMPARE(draft.save(paths(), current).status, LayoutSaveResult::Status::BadName);
        QCOMPARE(current.inText, u"old"_qs);
        draft.setFileName(u"Saved"_qs);
        QCOMPARE(draft.save(paths(), current).status, LayoutSaveResult::Status::Written);
        QCOMPARE(current.inText, u"new"_qs);
    }
    void saveRefusals_data()
    {
        // rows: how many (beyond three Space rows); width: the second row's; said: part of the message
        addColumns<QString, int, QString, LayoutSaveResult::Status, QString>(
            {"name", "rows", "width", "status", "said"});
        addRow("empty", "", 3, "10", LayoutSaveResult::Status::EmptyName,
               "ยังไม่ได้กรอกชื่อไฟล์รูปแบบกรุณากรอกชื่อไฟล์รูปแบบ");
        addRow("slash", "../Week", 3, "10", LayoutSaveResult::Status::BadName, "../Week");
        addRow("no rows: nothing written", " Week ", 0, "10", LayoutSaveResult::Status::NoRows, "");
        addRow("at the limits", "Week", 100, "255", LayoutSaveResult::Status::Written, "");
        addRow("too many rows", "Week", 101, "10", LayoutSaveResult::Status::Failed,
               "101 rows, more than the 100");
        addRow("too wide", "Week", 3, "256", LayoutSaveResult::Status::Failed,
               "row 2 is 256 characters wide");
    }
    void saveRefusals()
    {
        const auto [name, rows, width] = fetchColumns<QString, int, QString>("name", "rows", "width");
        EditorCopy c;
        c.editor.fileName = name;
        c.rows.resize(qMin(rows, 3));
        while (c.rows.size() < rows)
            c.rows.append({u"Space"_qs, u"1"_qs});
        if (rows > 1)
            c.rows[1].width = width;
        c.layout.path = u"before"_qs;
        const LayoutSaveResult saved = save(c);
        QTEST(saved.status, "status");
        QFETCH(QString, said);
        QVERIFY2((saved.title + saved.message).contains(said), qPrintable(saved.message));
        QCOMPARE(saved.refused(), rows == 3 && width == u"10");
        QCOMPARE(c.layout.path, saved.refused() ? u"before"_qs : file(name)); // the name as typed, when taken
        QCOMPARE(QFileInfo::exists(file(name)), saved.status == LayoutSaveResult::Status::Written);
    }
    void init() { QDir(paths().exportFormatDir()).removeRecursively(); }

private:
    AppPaths paths() const { return AppPaths(m_dir.path()); }
    QString file(const QString& name = u"Week"_qs) const { return paths().layoutFile(name); }
    LayoutSaveResult save(EditorCopy& c) const
    {
        return saveExportLayout(paths(), c.layout, c.rows, c.editor);
    }
    // A hand-made layout file Hand.ini: "\n" becomes CR LF, code page 874.
    bool writeLayout(QString text) const
    {
        QDir().mkpath(paths().exportFormatDir());
        return TestFiles::write(file(u"Hand"_qs), Cp874::encode(text.replace(u'\n', u"\r\n"_qs)));
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestLayouts)
#include "tst_layouts.moc"
