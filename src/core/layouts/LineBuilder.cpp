#include "core/layouts/LineBuilder.h"

#include "core/layouts/LayoutNumbers.h"

#include <QDate>

#include <string>

namespace {

// Lines are put together in a plain buffer: appending to a QString a character at a time costs
// a call and a capacity check for each.
using Line = std::u16string;

void add(Line& out, const QString& text)
{
    out.append(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

QString toQString(const Line& line)
{
    return QString(reinterpret_cast<const QChar*>(line.data()), static_cast<qsizetype>(line.size()));
}

const QString& tabWord()
{
    static const QString word = QStringLiteral("TAB");
    return word;
}

QString effectiveDelimiter(const QString& delimiterMsg)
{
    return delimiterMsg == tabWord() ? QStringLiteral("\t") : delimiterMsg;
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Digits of a text that holds only digits, or -1.
int digitsValue(QStringView text)
{
    if (text.isEmpty() || text.size() > 6)
        return -1;
    int value = 0;
    for (QChar c : text) {
        if (!isDigit(c))
            return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

// value >= 0, written with at least `digits` digits
void appendPadded(Line& out, int value, int digits)
{
    char16_t text[12];
    int length = 0;
    do {
        text[length++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (int i = length; i < digits; ++i)
        out += u'0';
    while (length > 0)
        out += text[--length];
}

// Appends the pattern with the letters dd, MM, yyyy, yy, HH, mm, ss rendered (single letters without
// a leading zero); every other character is copied. Written here rather than through QDate/QTime because
// the year is written exactly as given: a Buddhist-era year is not a date QDate could check
// (29 February 2567 is a real day, 2567 is not a leap year), and an export renders every punch.
void appendPattern(Line& out, const QString& pattern, int year, int month, int day, int hour, int minute,
                   int second)
{
    qsizetype i = 0;
    while (i < pattern.size()) {
        const QChar c = pattern[i];
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        switch (c.unicode()) {
        case u'y':
            if (run >= 4)
                appendPadded(out, year, 4);
            else
                appendPadded(out, year % 100, 2);
            break;
        case u'M':
            appendPadded(out, month, run >= 2 ? 2 : 1);
            break;
        case u'd':
            appendPadded(out, day, run >= 2 ? 2 : 1);
            break;
        case u'H':
            appendPadded(out, hour, run >= 2 ? 2 : 1);
            break;
        case u'm':
            appendPadded(out, minute, run >= 2 ? 2 : 1);
            break;
        case u's':
            appendPadded(out, second, run >= 2 ? 2 : 1);
            break;
        default:
            out.append(static_cast<size_t>(run), c.unicode());
            break;
        }
        i += run;
    }
}

// Appends the "Date" value of a line: wDate ("yyyy/MM/dd") rendered with the pattern; a year below
// 2501 is a Christian-era year, from 2501 up a Buddhist-era one, and buddhistEra (the layout's year
// form "TH") writes Buddhist-era years, else Christian-era years. A wDate not of that form is
// written as it stands.
void appendLayoutDate(Line& out, const QString& wDate, const QString& pattern, bool buddhistEra)
{
    if (wDate.size() != 10 || wDate[4] != u'/' || wDate[7] != u'/') {
        add(out, wDate);
        return;
    }
    int year = digitsValue(QStringView(wDate).left(4));
    const int month = digitsValue(QStringView(wDate).mid(5, 2));
    const int day = digitsValue(QStringView(wDate).right(2));
    if (year < 0 || month < 0 || day < 0) {
        add(out, wDate);
        return;
    }
    if (buddhistEra) {
        if (year < 2501)
            year += 543;
    } else if (year >= 2501) {
        year -= 543;
    }
    appendPattern(out, pattern, year, month, day, 0, 0, 0);
}

// Appends the "Time" value: wTime ("H:m" or "H:m:s") rendered with the pattern; a wTime that is
// not a time of day is written as it stands.
void appendLayoutTime(Line& out, const QString& wTime, const QString& pattern)
{
    const QStringView text = QStringView(wTime).trimmed();
    int parts[3] = {0, 0, 0};
    int count = 0;
    qsizetype from = 0;
    while (count < 3) {
        const qsizetype colon = text.indexOf(u':', from);
        parts[count++] = digitsValue(text.sliced(from, (colon < 0 ? text.size() : colon) - from));
        if (colon < 0)
            break;
        from = colon + 1;
        if (count == 3) {
            count = 4; // more than three parts
            break;
        }
    }
    const int hour = parts[0];
    const int minute = parts[1];
    const int second = parts[2];
    if (count < 2 || count > 3 || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
        second > 59) {
        add(out, wTime);
        return;
    }
    appendPattern(out, pattern, 0, 0, 0, hour, minute, second);
}

// Fits the value that line holds from `start` on, as fitField does with its counted length.
void fitInPlace(Line& line, size_t start, qint16 length, qint16 width, qint16 alignment, const QString& pad)
{
    if (width <= 0) {
        line.resize(start);
        return;
    }
    if (length >= width) {
        line.resize(qMin(line.size(), start + static_cast<size_t>(width)));
        return;
    }
    const int shortfall = width - length;
    const auto padding = [&pad](int times) {
        Line side;
        for (int i = 0; i < times; ++i)
            add(side, pad);
        return side;
    };
    switch (alignment) {
    case 0:
        for (int i = 0; i < shortfall; ++i)
            add(line, pad);
        break;
    case 1:
        line.insert(start, padding(shortfall));
        break;
    case 2: {
        const int times = (shortfall + 1) / 2;
        line.insert(start, padding(times));
        for (int i = 0; i < times; ++i)
            add(line, pad);
        break;
    }
    default:
        break;
    }
}

} // namespace

QString fitField(const QString& value, qint16 length, qint16 width, qint16 alignment, const QString& pad)
{
    if (width <= 0)
        return {};
    if (length >= width)
        return value.left(width);
    const int shortfall = width - length;
    switch (alignment) {
    case 0:
        return value + pad.repeated(shortfall);
    case 1:
        return pad.repeated(shortfall) + value;
    case 2: {
        const QString side = pad.repeated((shortfall + 1) / 2);
        return side + value + side;
    }
    default:
        return value;
    }
}

LineBuilder::LineBuilder(const ExportLayout& layout, const QList<LayoutRow>& rows,
                         const QString& delimiterMsg, ExportDataType dataType)
    : m_datePattern(layout.datePattern), m_timePattern(layout.timePattern),
      m_buddhistEra(layout.yearForm == QStringLiteral("TH")), m_inText(layout.inText),
      m_outText(layout.outText), m_inOnly(layout.inOnly), m_outOnly(layout.outOnly), m_dataType(dataType)
{
    const QString delimiter = effectiveDelimiter(delimiterMsg);
    m_columns.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QString& name = rows[i].field;
        Kind kind = Kind::Unknown;
        if (name == QStringLiteral("UID"))
            kind = Kind::Uid;
        else if (name == QStringLiteral("Kestrum ID"))
            kind = Kind::KestrumId;
        else if (name == QStringLiteral("Group"))
            kind = Kind::Group;
        else if (name == QStringLiteral("Date"))
            kind = Kind::Date;
        else if (name == QStringLiteral("Time"))
            kind = Kind::Time;
        else if (name == QStringLiteral("Event"))
            kind = Kind::Event;
        else if (name == QStringLiteral("Space"))
            kind = Kind::Space;
        if (kind == Kind::Unknown)
            continue; // adds nothing, not even a delimiter
        const int row = static_cast<int>(i) + 1;
        m_columns.append({kind, LayoutNumbers::width(rows[i].width), layout.alignmentOf(row),
                          layout.padOf(row), i + 1 == rows.size() ? QString() : delimiter});
    }
}

QString LineBuilder::eventText(const QString& status) const
{
    if (m_dataType == ExportDataType::Raw)
        return status;
    if (m_inOnly == 1)
        return m_inText;
    if (m_outOnly == 1)
        return m_outText;
    if (status == QStringLiteral("1"))
        return m_inText;
    if (status == QStringLiteral("2"))
        return m_outText;
    return QStringLiteral("0");
}

QString LineBuilder::build(const PunchRecord& punch) const
{
    Line& line = m_line;
    line.clear();
    for (const Column& column : m_columns) {
        const size_t start = line.size();
        switch (column.kind) {
        case Kind::Uid:
        case Kind::KestrumId:
        case Kind::Group: {
            const QString& value = column.kind == Kind::Uid         ? punch.hid
                                   : column.kind == Kind::KestrumId ? punch.fid
                                                                    : punch.gid;
            add(line, value);
            fitInPlace(line, start, LayoutNumbers::toInt16(value.size()), column.width, column.alignment,
                       column.pad);
            break;
        }
        case Kind::Date:
            appendLayoutDate(line, punch.wDate, m_datePattern, m_buddhistEra);
            fitInPlace(line, start, LayoutNumbers::toInt16(static_cast<double>(line.size() - start + 1)),
                       column.width, column.alignment, column.pad);
            break;
        case Kind::Time:
            appendLayoutTime(line, punch.wTime, m_timePattern);
            fitInPlace(line, start, LayoutNumbers::toInt16(static_cast<double>(line.size() - start)),
                       column.width, column.alignment, column.pad);
            break;
        case Kind::Event:
            // written as it is: neither filled nor cut, whatever the row's width
            add(line, eventText(punch.status));
            break;
        case Kind::Space:
            line += u' ';
            fitInPlace(line, start, 1, column.width, column.alignment, column.pad);
            break;
        case Kind::Unknown:
            break;
        }
        add(line, column.delimiter);
    }
    return toQString(line);
}

QString exportLine(const ExportLayout& layout, const QList<LayoutRow>& rows, const PunchRecord& punch,
                   const QString& delimiterMsg, ExportDataType dataType)
{
    return LineBuilder(layout, rows, delimiterMsg, dataType).build(punch);
}

QString previewLine(const ExportLayout& layout, const QList<LayoutRow>& rows, const QString& delimiterMsg)
{
    return previewLine(layout, rows, delimiterMsg, layout.datePattern, layout.timePattern);
}

QString previewLine(const ExportLayout& layout, const QList<LayoutRow>& rows, const QString& delimiterMsg,
                    const QString& dateSample, const QString& timeSample)
{
    const QString delimiter = effectiveDelimiter(delimiterMsg);
    QString line;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QString& name = rows[i].field;
        QString sample;
        qint16 length = 0;
        if (name == QStringLiteral("UID")) {
            sample = QStringLiteral("0000001");
            length = 12;
        } else if (name == QStringLiteral("Kestrum ID")) {
            sample = QStringLiteral("02");
            length = 3;
        } else if (name == QStringLiteral("Group")) {
            sample = QStringLiteral("03");
            length = 3;
        } else if (name == QStringLiteral("Date")) {
            sample = dateSample;
            length = 10;
        } else if (name == QStringLiteral("Time")) {
            sample = timeSample;
            length = 8;
        } else if (name == QStringLiteral("Event")) {
            sample = QStringLiteral("01");
            length = 2;
        } else if (name == QStringLiteral("Space")) {
            sample = QStringLiteral(" ");
            length = 1;
        } else {
            continue;
        }
        const int row = static_cast<int>(i) + 1;
        line += fitField(sample, length, LayoutNumbers::width(rows[i].width), layout.alignmentOf(row),
                         layout.padOf(row));
        if (i + 1 < rows.size())
            line += delimiter;
    }
    return line;
}

QString christianDateText(const QString& d)
{
    const QList<QStringView> parts = QStringView(d).trimmed().split(u'/');
    if (parts.size() != 3)
        return {};
    int year = digitsValue(parts[0]);
    const int month = digitsValue(parts[1]);
    const int day = digitsValue(parts[2]);
    if (year < 0 || month < 0 || day < 0)
        return {};
    if (year > 2500)
        year -= 543;
    if (!QDate::isValid(year, month, day))
        return {};
    Line out;
    appendPadded(out, year, 4);
    out += u'/';
    appendPadded(out, month, 2);
    out += u'/';
    appendPadded(out, day, 2);
    return toQString(out);
}
