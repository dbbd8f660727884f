#include "core/layouts/LineBuilder.h"

#include <QTest>

// A layout for one case: rows written "name|width|alignment|pad".
struct CaseLayout
{
    ExportLayout layout;
    QList<LayoutRow> rows;
};

static CaseLayout makeLayout(const QStringList& rowSpecs,
                             const QString& datePattern = QStringLiteral("dd/MM/yyyy"),
                             const QString& timePattern = QStringLiteral("HH:mm"),
                             const QString& yearForm = {})
{
    CaseLayout c;
    for (const QString& rowText : rowSpecs) {
        const QStringList parts = rowText.split(u'|');
        c.rows.append({parts.value(0), parts.value(1)});
        c.layout.alignments.append(static_cast<qint16>(parts.value(2).toInt()));
        c.layout.pads.append(parts.value(3));
    }
    c.layout.alignments.append(0); // lists hold one position more than there are rows
    c.layout.pads.append(QString());
    c.layout.datePattern = datePattern;
    c.layout.timePattern = timePattern;
    c.layout.yearForm = yearForm;
    c.layout.inText = QStringLiteral("IN");
    c.layout.outText = QStringLiteral("OUT");
    return c;
}

static PunchRecord punch(const QString& hid = QStringLiteral("123"),
                         const QString& wDate = QStringLiteral("2024/05/31"),
                         const QString& wTime = QStringLiteral("08:05:03"),
                         const QString& status = QStringLiteral("1"))
{
    return {hid, QStringLiteral("2"), QStringLiteral("7"), wDate, wTime, status};
}

class TestLineBuilder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fitField_data();
    void fitField();
    void line_data();
    void line();
    void event_data();
    void event();
    void preview_data();
    void preview();
    void editorPreviewUsesItsSamples();
    void conVDate_data();
    void conVDate();
    void builderMatchesOneShotLines();
};

void TestLineBuilder::fitField_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QString>("pad");
    QTest::addColumn<QString>("expected");

    QTest::newRow("longer value is cut") << "123456789" << 9 << 4 << 0 << "0"
                                         << "1234";
    QTest::newRow("centre, odd shortfall is one pad longer") << "AB" << 2 << 5 << 2 << "*"
                                                             << "**AB**";
    QTest::newRow("centre, even shortfall") << "AB" << 2 << 6 << 2 << "*"
                                            << "**AB**";
    QTest::newRow("alignment 3 leaves it unfilled") << "AB" << 2 << 6 << 3 << "*"
                                                    << "AB";
    QTest::newRow("alignment -1 leaves it unfilled") << "AB" << 2 << 6 << -1 << "*"
                                                     << "AB";
    QTest::newRow("left") << "AB" << 2 << 5 << 0 << "."
                          << "AB...";
    QTest::newRow("right") << "AB" << 2 << 5 << 1 << "0"
                           << "000AB";
    QTest::newRow("width 0 leaves the field out") << "AB" << 2 << 0 << 1 << "0"
                                                  << "";
    QTest::newRow("negative width leaves the field out") << "AB" << 2 << -3 << 1 << "0"
                                                         << "";
    QTest::newRow("equal length is whole") << "ABCD" << 4 << 4 << 1 << "0"
                                           << "ABCD";
    QTest::newRow("counted length decides, not the real one") << "AB" << 12 << 5 << 1 << "0"
                                                              << "AB";
    QTest::newRow("pad added whole each time") << "AB" << 2 << 4 << 0 << "xy"
                                               << "ABxyxy";
    QTest::newRow("empty pad adds nothing") << "AB" << 2 << 4 << 1 << ""
                                            << "AB";
    QTest::newRow("Thai value") << "สมชาย" << 5 << 7 << 0 << "_"
                                << "สมชาย__";
}

void TestLineBuilder::fitField()
{
    QFETCH(QString, value);
    QFETCH(int, length);
    QFETCH(int, width);
    QFETCH(int, alignment);
    QFETCH(QString, pad);
    QFETCH(QString, expected);
    QCOMPARE(::fitField(value, static_cast<qint16>(length), static_cast<qint16>(width),
                        static_cast<qint16>(alignment), pad),
             expected);
}

void TestLineBuilder::line_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QString>("datePattern");
    QTest::addColumn<QString>("timePattern");
    QTest::addColumn<QString>("yearForm");
    QTest::addColumn<QString>("wDate");
    QTest::addColumn<QString>("wTime");
    QTest::addColumn<QString>("expected");

    const QStringList basic = {QStringLiteral("UID|8|1|0"), QStringLiteral("Date|10|0| "),
                               QStringLiteral("Time|5|0| ")};
    const QString dmy = QStringLiteral("dd/MM/yyyy");
    const QString hm = QStringLiteral("HH:mm");
    QTest::newRow("worked example") << basic << "," << dmy << hm << ""
                                    << "2024/05/31"
                                    << "08:05:03"
                                    << "00000123,31/05/2024,08:05";
    QTest::newRow("TH year form") << basic << "," << dmy << hm << "TH"
                                  << "2024/05/31"
                                  << "08:05:03"
                                  << "00000123,31/05/2567,08:05";
    QTest::newRow("Buddhist date with TH") << basic << "," << dmy << hm << "TH"
                                           << "2567/05/31"
                                           << "08:05:03"
                                           << "00000123,31/05/2567,08:05";
    QTest::newRow("Buddhist date without TH") << basic << "," << dmy << hm << ""
                                              << "2567/05/31"
                                              << "08:05:03"
                                              << "00000123,31/05/2024,08:05";
    QTest::newRow("EN year form is Christian") << basic << "," << dmy << hm << "EN"
                                               << "2567/05/31"
                                               << "08:05:03"
                                               << "00000123,31/05/2024,08:05";
    QTest::newRow("width 0 keeps the delimiter")
        << QStringList{QStringLiteral("UID|0|1|0"), QStringLiteral("Date|10|0| "),
                       QStringLiteral("Time|5|0| ")}
        << "," << dmy << hm << ""
        << "2024/05/31"
        << "08:05:03"
        << ",31/05/2024,08:05";
    QTest::newRow("width not a number")
        << QStringList{QStringLiteral("UID|abc|1|0"), QStringLiteral("Time|5|0| ")} << "," << dmy << hm << ""
        << "2024/05/31"
        << "08:05:03"
        << ",08:05";
    QTest::newRow("leading number of the width")
        << QStringList{QStringLiteral("UID|5x|1|0"), QStringLiteral("Time|5|0| ")} << "," << dmy << hm << ""
        << "2024/05/31"
        << "08:05:03"
        << "00123,08:05";
    QTest::newRow("TAB") << basic << "TAB" << dmy << hm << ""
                         << "2024/05/31"
                         << "08:05:03"
                         << "00000123\t31/05/2024\t08:05";
    QTest::newRow("other delimiter used as it is") << basic << "@@" << dmy << hm << ""
                                                   << "2024/05/31"
                                                   << "08:05:03"
                                                   << "00000123@@31/05/2024@@08:05";
    QTest::newRow("no delimiter") << basic << "" << dmy << hm << ""
                                  << "2024/05/31"
                                  << "08:05:03"
                                  << "0000012331/05/202408:05";
    QTest::newRow("ddMMyy in width 10 is one short") << QStringList{QStringLiteral("Date|10|0|.")} << ","
                                                     << "ddMMyy" << hm << ""
                                                     << "2024/05/31"
                                                     << "08:05:03"
                                                     << "310524...";
    QTest::newRow("date one shorter than width unfilled")
        << QStringList{QStringLiteral("Date|11|1|0")} << "," << dmy << hm << ""
        << "2024/05/31"
        << "08:05:03"
        << "31/05/2024";
    QTest::newRow("date right filled") << QStringList{QStringLiteral("Date|9|1|0")} << ","
                                       << "yyMMdd" << hm << ""
                                       << "2024/05/31"
                                       << "08:05:03"
                                       << "00240531";
    QTest::newRow("date cut") << QStringList{QStringLiteral("Date|4|1|0")} << ","
                              << "yyyy/MM/dd" << hm << ""
                              << "2024/05/31"
                              << "08:05:03"
                              << "2024";
    QTest::newRow("yy of a TH year") << QStringList{QStringLiteral("Date|20|3|0")} << ","
                                     << "yy/MM/dd" << hm << "TH"
                                     << "2024/05/31"
                                     << "08:05:03"
                                     << "67/05/31";
    QTest::newRow("ddMMyyyy") << QStringList{QStringLiteral("Date|20|3|0")} << ","
                              << "ddMMyyyy" << hm << ""
                              << "2024/01/09"
                              << "08:05:03"
                              << "09012024";
    QTest::newRow("2500 is Christian") << QStringList{QStringLiteral("Date|20|3|0")} << ","
                                       << "yyyy/MM/dd" << hm << ""
                                       << "2500/01/02"
                                       << "08:05:03"
                                       << "2500/01/02";
    QTest::newRow("2501 is Buddhist") << QStringList{QStringLiteral("Date|20|3|0")} << ","
                                      << "yyyy/MM/dd" << hm << ""
                                      << "2501/01/02"
                                      << "08:05:03"
                                      << "1958/01/02";
    QTest::newRow("2500 with TH") << QStringList{QStringLiteral("Date|20|3|0")} << ","
                                  << "yyyy/MM/dd" << hm << "TH"
                                  << "2500/01/02"
                                  << "08:05:03"
                                  << "3043/01/02";
    QTest::newRow("2501 with TH") << QStringList{QStringLiteral("Date|20|3|0")} << ","
                                  << "yyyy/MM/dd" << hm << "TH"
                                  << "2501/01/02"
                                  << "08:05:03"
                                  << "2501/01/02";
    QTest::newRow("29 February in the Buddhist era")
        << QStringList{QStringLiteral("Date|20|3|0")} << "," << dmy << hm << "TH"
        << "2024/02/29"
        << "08:05:03"
        << "29/02/2567";
    QTest::newRow("malformed date written as it stands")
        << QStringList{QStringLiteral("Date|20|3|0")} << "," << dmy << hm << ""
        << "31.05.2024"
        << "08:05:03"
        << "31.05.2024";
    QTest::newRow("time with seconds")
        << QStringList{QStringLiteral("Time|8|1|0")} << "," << dmy << "HH:mm:ss"
        << ""
        << "2024/05/31"
        << "08:05:03"
        << "08:05:03";
    QTest::newRow("time without leading zero read")
        << QStringList{QStringLiteral("Time|8|1|0")} << "," << dmy << "HH:mm:ss"
        << ""
        << "2024/05/31"
        << "8:5:3"
        << "08:05:03";
    QTest::newRow("time cut by width")
        << QStringList{QStringLiteral("Time|2|1|0")} << "," << dmy << "HH:mm:ss"
        << ""
        << "2024/05/31"
        << "23:59:59"
        << "23";
    QTest::newRow("malformed time as it stands")
        << QStringList{QStringLiteral("Time|8|0|0")} << "," << dmy << "HH:mm"
        << ""
        << "2024/05/31"
        << "25:00"
        << "25:00000";
    QTest::newRow("space field") << QStringList{QStringLiteral("UID|3|1|0"), QStringLiteral("Space|3|1|-"),
                                                QStringLiteral("UID|3|1|0")}
                                 << "" << dmy << hm << ""
                                 << "2024/05/31"
                                 << "08:05:03"
                                 << "123-- 123";
    QTest::newRow("other ID fields") << QStringList{QStringLiteral("Kestrum ID|3|1|0"),
                                                    QStringLiteral("Group|2|0|x")}
                                     << ";" << dmy << hm << ""
                                     << "2024/05/31"
                                     << "08:05:03"
                                     << "002;7x";
    QTest::newRow("unknown last row leaves the delimiter before it")
        << QStringList{QStringLiteral("UID|3|1|0"), QStringLiteral("Badge|4|1|0")} << "," << dmy << hm << ""
        << "2024/05/31"
        << "08:05:03"
        << "123,";
    QTest::newRow("unknown row in the middle adds nothing")
        << QStringList{QStringLiteral("UID|3|1|0"), QStringLiteral("uid|4|1|0"), QStringLiteral("Time|5|0|0")}
        << "," << dmy << hm << ""
        << "2024/05/31"
        << "08:05:03"
        << "123,08:05";
    QTest::newRow("repeated field") << QStringList{QStringLiteral("UID|4|1|0"), QStringLiteral("UID|4|0|_")}
                                    << "," << dmy << hm << ""
                                    << "2024/05/31"
                                    << "08:05:03"
                                    << "0123,123_";
    QTest::newRow("no rows") << QStringList{} << "," << dmy << hm << ""
                             << "2024/05/31"
                             << "08:05:03"
                             << "";
}

void TestLineBuilder::line()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, delimiter);
    QFETCH(QString, datePattern);
    QFETCH(QString, timePattern);
    QFETCH(QString, yearForm);
    QFETCH(QString, wDate);
    QFETCH(QString, wTime);
    QFETCH(QString, expected);
    const CaseLayout c = makeLayout(rows, datePattern, timePattern, yearForm);
    QCOMPARE(exportLine(c.layout, c.rows, punch(QStringLiteral("123"), wDate, wTime), delimiter,
                        ExportDataType::Filtered),
             expected);
}

void TestLineBuilder::event_data()
{
    QTest::addColumn<int>("inOnly");
    QTest::addColumn<int>("outOnly");
    QTest::addColumn<bool>("raw");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("expected");

    QTest::newRow("status 1 is IN") << 0 << 0 << false << "1"
                                    << "IN";
    QTest::newRow("status 2 is OUT") << 0 << 0 << false << "2"
                                     << "OUT";
    QTest::newRow("status 5 is 0") << 0 << 0 << false << "5"
                                   << "0";
    QTest::newRow("status 0 is 0") << 0 << 0 << false << "0"
                                   << "0";
    QTest::newRow("raw keeps 5") << 0 << 0 << true << "5"
                                 << "5";
    QTest::newRow("raw keeps 1") << 0 << 0 << true << "1"
                                 << "1";
    QTest::newRow("raw ignores IN-only") << 1 << 0 << true << "2"
                                         << "2";
    QTest::newRow("IN-only") << 1 << 0 << false << "2"
                             << "IN";
    QTest::newRow("OUT-only") << 0 << 1 << false << "1"
                              << "OUT";
    QTest::newRow("OUT-only on odd status") << 0 << 1 << false << "7"
                                            << "OUT";
    QTest::newRow("IN-only wins over OUT-only") << 1 << 1 << false << "2"
                                                << "IN";
}

void TestLineBuilder::event()
{
    QFETCH(int, inOnly);
    QFETCH(int, outOnly);
    QFETCH(bool, raw);
    QFETCH(QString, status);
    QFETCH(QString, expected);
    // width 1 and right filling: the event is neither cut nor filled
    CaseLayout c =
        makeLayout({QStringLiteral("UID|3|1|0"), QStringLiteral("Event|1|1|0"), QStringLiteral("UID|3|1|0")});
    c.layout.inOnly = static_cast<qint16>(inOnly);
    c.layout.outOnly = static_cast<qint16>(outOnly);
    const PunchRecord p =
        punch(QStringLiteral("123"), QStringLiteral("2024/05/31"), QStringLiteral("08:05:03"), status);
    QCOMPARE(exportLine(c.layout, c.rows, p, QStringLiteral(","),
                        raw ? ExportDataType::Raw : ExportDataType::Filtered),
             QStringLiteral("123,%1,123").arg(expected));
}

void TestLineBuilder::preview_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QString>("expected");

    QTest::newRow("default widths show the samples")
        << QStringList{QStringLiteral("UID|12|1|0"),  QStringLiteral("Kestrum ID|3|1|0"),
                       QStringLiteral("Group|3|1|0"), QStringLiteral("Date|10|1|0"),
                       QStringLiteral("Time|8|1|0"),  QStringLiteral("Event|2|1|0"),
                       QStringLiteral("Space|1|1|0")}
        << ","
        << "0000001,02,03,dd/MM/yyyy,HH:mm:ss,01, ";
    QTest::newRow("UID counted as 12") << QStringList{QStringLiteral("UID|14|1|0")} << ","
                                       << "000000001";
    QTest::newRow("event filled in the preview") << QStringList{QStringLiteral("Event|4|1|0")} << ","
                                                 << "0001";
    QTest::newRow("event cut in the preview") << QStringList{QStringLiteral("Event|1|1|0")} << ","
                                              << "0";
    QTest::newRow("date counted as 10") << QStringList{QStringLiteral("Date|12|0|.")} << ","
                                        << "dd/MM/yyyy..";
    QTest::newRow("time counted as 8") << QStringList{QStringLiteral("Time|9|1|0")} << ";"
                                       << "0HH:mm:ss";
    QTest::newRow("TAB") << QStringList{QStringLiteral("Group|3|1|0"), QStringLiteral("Group|3|1|0")} << "TAB"
                         << "03\t03";
    QTest::newRow("unknown names") << QStringList{QStringLiteral("Group|3|1|0"), QStringLiteral("X|3|1|0")}
                                   << ","
                                   << "03,";
    QTest::newRow("width 0") << QStringList{QStringLiteral("Group|0|1|0"), QStringLiteral("Space|1|1|0")}
                             << "|"
                             << "| ";
    QTest::newRow("empty") << QStringList{} << ","
                           << "";
}

void TestLineBuilder::preview()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, delimiter);
    QFETCH(QString, expected);
    const CaseLayout c = makeLayout(rows, QStringLiteral("dd/MM/yyyy"), QStringLiteral("HH:mm:ss"));
    QCOMPARE(previewLine(c.layout, c.rows, delimiter), expected);
}

void TestLineBuilder::editorPreviewUsesItsSamples()
{
    const CaseLayout c = makeLayout({QStringLiteral("Date|10|1|0"), QStringLiteral("Time|8|1|0")},
                                    QStringLiteral("dd/MM/yyyy"));
    QCOMPARE(
        previewLine(c.layout, c.rows, QStringLiteral(","), QStringLiteral("yyMMdd"), QStringLiteral("HH:mm")),
        QStringLiteral("yyMMdd,HH:mm"));
}

void TestLineBuilder::conVDate_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Buddhist era") << "2567/01/09"
                                  << "2024/01/09";
    QTest::newRow("Christian era") << "2024/01/09"
                                   << "2024/01/09";
    QTest::newRow("2500 stays") << "2500/12/31"
                                << "2500/12/31";
    QTest::newRow("2501 lowered") << "2501/12/31"
                                  << "1958/12/31";
    QTest::newRow("29 February of a Buddhist year") << "2567/02/29"
                                                    << "2024/02/29";
    QTest::newRow("one-digit month and day") << "2567/1/9"
                                             << "2024/01/09";
    QTest::newRow("not a date") << "2024/13/01"
                                << "";
    QTest::newRow("not a date either") << "31/01"
                                       << "";
    QTest::newRow("letters") << "abcd/01/01"
                             << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestLineBuilder::conVDate()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(christianDateText(input), expected);
}

void TestLineBuilder::builderMatchesOneShotLines()
{
    CaseLayout c = makeLayout(
        {QStringLiteral("UID|6|2|*"), QStringLiteral("Date|10|0| "), QStringLiteral("Event|2|1|0")});
    const LineBuilder builder(c.layout, c.rows, QStringLiteral("TAB"), ExportDataType::Filtered);
    c.layout.inText = QStringLiteral("changed later"); // the builder took its copy
    QCOMPARE(builder.build(punch(QStringLiteral("77"))), QStringLiteral("**77**\t31/05/2024\tIN"));
    QCOMPARE(builder.build(punch(QStringLiteral("1234567"), QStringLiteral("2567/01/02"),
                                 QStringLiteral("00:00:00"), QStringLiteral("2"))),
             QStringLiteral("123456\t02/01/2024\tOUT"));
}

QTEST_GUILESS_MAIN(TestLineBuilder)
#include "tst_linebuilder.moc"
