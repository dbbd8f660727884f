#include "core/export/ExportFilter.h"

#include <QDateTime>

#include <array>

namespace {

// Statement shapes by [employees chosen][date range][terminals chosen], with E and F standing
// for a list of parameters and each date a parameter of its own.
struct Shapes
{
    const char* raw;
    const char* filtered;
    const char* timeAttendance;
};

constexpr Shapes LocalShapes[2][2][2] = {
    {{{"select * from tblExport order by HID", "select * from tblExport order by HID ASC,wdate ASC,wtime ASC",
       "select * from tblExport order by HID ASC,wdate ASC,wtime ASC"},
      {"select * from tblExport where FID in (F) order by HID",
       "select * from tblExport where FID in (F) order by HID ASC,wdate ASC,wtime ASC",
       "select * from tblExport where FID in (F) order by HID ASC,wdate ASC,wtime ASC"}},
     {{"select * from tblExport  where wdate between ? and ? order by HID",
       "select * from tblExport  where wdate between ? and ? order by HID ASC,wdate ASC,wtime ASC",
       "select * from tblExport  where wdate between ? and ? order by HID ASC,wdate ASC,wtime ASC"},
      {"select * from tblExport  where FID in (F) and wdate between ? and ? order by HID",
       "select * from tblExport  where  FID in (F) and wdate between ? and ? order by HID ASC,wdate "
       "ASC,wtime ASC",
       "select * from tblExport  where FID in (F) and wdate between ? and ? order by HID ASC,wdate ASC,wtime "
       "ASC"}}},
    {{{"select * from tblExport where HID in (E) ORDER BY HID",
       "select * from tblExport where HID in (E) order by HID ASC,wdate ASC,wtime ASC",
       "select * from tblExport where HID in (E) order by HID ASC,wdate ASC,wtime ASC"},
      {"select * from tblExport where HID in (E) and FID in (F) ORDER BY HID",
       "select * from tblExport where HID in (E) and FID in (F) order by HID ASC,wdate ASC,wtime ASC",
       "select * from tblExport where HID in (E) and FID in (F) order by HID ASC,wdate ASC,wtime ASC"}},
     {{"select * from tblExport where HID in (E) and wDate BETWEEN ? AND ? ORDER BY HID",
       "select * from tblExport  where HID in (E) and wDate BETWEEN ? AND ? order by HID ASC,wdate ASC,wtime "
       "ASC",
       "select * from tblExport  where HID in (E) and wDate BETWEEN ? AND ? order by HID ASC,wdate ASC,wtime "
       "ASC"},
      {"select * from tblExport where HID in (E) and FID in (F) and wDate BETWEEN ? AND ? ORDER BY HID",
       "select * from tblExport  where HID in (E) and FID in (F) and wDate BETWEEN ? AND ? order by HID "
       "ASC,wdate ASC,wtime ASC",
       "select * from tblExport  where HID in (E) and FID in (F) and wDate BETWEEN ? AND ? order by HID "
       "ASC,wdate ASC,wtime ASC"}}}};

QString placeholders(qsizetype count)
{
    QString text;
    for (qsizetype i = 0; i < count; ++i)
        text += i == 0 ? QStringLiteral("?") : QStringLiteral(",?");
    return text;
}

} // namespace

QStringList splitIdList(const QString& box)
{
    QStringList ids = box.trimmed().split(u',');
    for (QString& id : ids)
        id = id.trimmed();
    return ids;
}

SourceQuery buildLocalPunchQuery(const ExportFilter& filter, PunchQueryKind kind)
{
    const Shapes& shapes = LocalShapes[filter.chosenEmployees][filter.dateRange][filter.chosenTerminals];
    const char* shape = kind == PunchQueryKind::Raw        ? shapes.raw
                        : kind == PunchQueryKind::Filtered ? shapes.filtered
                                                           : shapes.timeAttendance;
    SourceQuery query;
    query.statement = QString::fromLatin1(shape);
    // The pieces stand in the statement in the order employees, terminals, dates.
    if (filter.chosenEmployees) {
        const QStringList ids = splitIdList(filter.employees);
        query.statement.replace(QStringLiteral("(E)"), u'(' + placeholders(ids.size()) + u')');
        for (const QString& id : ids)
            query.values.append(id);
    }
    if (filter.chosenTerminals) {
        const QStringList ids = splitIdList(filter.terminals);
        query.statement.replace(QStringLiteral("(F)"), u'(' + placeholders(ids.size()) + u')');
        for (const QString& id : ids)
            query.values.append(id);
    }
    if (filter.dateRange) {
        query.values.append(filter.from);
        query.values.append(filter.to);
    }
    return query;
}

namespace {

// RALog's statement shapes by [employees chosen][date range][terminals chosen].
constexpr Shapes AccessControlShapes[2][2][2] = {
    {{{"select * from RALog order by UID", "select * from RALog order by UID ASC,Date ASC",
       "select * from RALog order by UID ASC,Date ASC"},
      {"select * from RALog where FID in (F) order by UID",
       "select * from RALog where FID in (F) order by UID ASC,Date ASC",
       "select * from RALog where FID in (F) order by UID ASC,Date ASC"}},
     {{"select * from RALog  where Date between ? and ? order by UID",
       "select * from RALog  where Date between ? and ? order by UID ASC,Date ASC",
       "select * from RALog  where Date between ? and ? order by UID ASC,Date ASC"},
      {"select * from RALog  where FID in (F) and Date between ? and ? order by UID",
       "select * from RALog  where  FID in (F) and Date between ? and ? order by UID ASC,Date ASC",
       "select * from RALog  where FID in (F) and Date between ? and ? order by UID ASC,Date ASC"}}},
    {{{"select * from RALog where UID in (E) ORDER BY UID",
       "select * from RALog where UID in (E) order by UID ASC,Date ASC",
       "select * from RALog where UID in (E) order by UID ASC,Date ASC"},
      {"select * from RALog where UID in (E) and FID in (F) ORDER BY UID",
       "select * from RALog where UID in (E) and FID in (F) order by UID ASC,Date ASC",
       "select * from RALog where UID in (E) and FID in (F) order by UID ASC,Date ASC"}},
     {{"select * from RALog where UID in (E) and Date BETWEEN ? and ? ORDER BY UID",
       "select * from RALog  where UID in (E) and Date BETWEEN ? and ? order by UID ASC,Date ASC",
       "select * from RALog  where UID in (E) and Date between ? and ? order by UID ASC,Date ASC"},
      {"select * from RALog where UID in (E) and FID in (F) and Date BETWEEN ? and ? ORDER BY UID",
       "select * from RALog  where UID in (E) and FID in (F) and Date BETWEEN ? and ? order by UID ASC,Date "
       "ASC",
       "select * from RALog  where UID in (E) and FID in (F) and Date between ? and ? order by UID ASC,Date "
       "ASC"}}}};

// A range bound: the day "yyyy/MM/dd" at the given time; a day that is no date stays text, so
// the server refuses it with its own message.
QVariant rangeBound(const QString& day, const QString& time)
{
    const QDateTime bound =
        QDateTime::fromString(day.trimmed() + u' ' + time, QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    if (!bound.isValid())
        return day + u' ' + time;
    return bound;
}

bool isNumber(const QString& id)
{
    bool digits = !id.isEmpty() && id.size() <= 18;
    for (const QChar c : id)
        digits = digits && c >= u'0' && c <= u'9';
    return digits;
}

// An ID of digits is bound as a number against a number column, which some servers refuse to
// compare with text; anything else, or any ID against a text column, is bound as text.
QVariant idValue(const QString& id, bool numericColumn)
{
    return numericColumn && isNumber(id) ? QVariant(id.toLongLong()) : QVariant(id);
}

} // namespace

QString personKey(const QString& id)
{
    return isNumber(id) ? QString::number(id.toLongLong()) : id;
}

SourceQuery buildAccessControlPunchQuery(const ExportFilter& filter, PunchQueryKind kind,
                                         IdColumnTypes columns)
{
    const Shapes& shapes =
        AccessControlShapes[filter.chosenEmployees][filter.dateRange][filter.chosenTerminals];
    const char* shape = kind == PunchQueryKind::Raw        ? shapes.raw
                        : kind == PunchQueryKind::Filtered ? shapes.filtered
                                                           : shapes.timeAttendance;
    SourceQuery query;
    query.statement = QString::fromLatin1(shape);
    if (filter.chosenEmployees) {
        const QStringList ids = splitIdList(filter.employees);
        query.statement.replace(QStringLiteral("(E)"), u'(' + placeholders(ids.size()) + u')');
        for (const QString& id : ids)
            query.values.append(idValue(id, columns.numericPerson));
    }
    if (filter.chosenTerminals) {
        const QStringList ids = splitIdList(filter.terminals);
        query.statement.replace(QStringLiteral("(F)"), u'(' + placeholders(ids.size()) + u')');
        for (const QString& id : ids)
            query.values.append(idValue(id, columns.numericTerminal));
    }
    if (filter.dateRange) {
        query.values.append(rangeBound(filter.from, QStringLiteral("00:00:00")));
        query.values.append(rangeBound(filter.to, QStringLiteral("23:59:59")));
    }
    return query;
}
