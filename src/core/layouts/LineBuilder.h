#pragma once

#include "core/layouts/ExportLayout.h"
#include "core/search/PunchRecord.h"

#include <QList>
#include <QString>

#include <string>

// Turning a punch into a line by a layout, and the layout's one-line preview.

// The export window's data-type choice: raw punches keep their stored status as the event text.
enum class ExportDataType { Raw, Filtered };

// Fills a value out to `width` or cuts it, judged by the counted `length` (not the value's real
// length). width <= 0 gives the empty text. Alignment 0 pads after, 1 before, 2 on both sides
// (an odd shortfall puts one pad more than needed), any other value leaves the value as it is.
QString fitField(const QString& value, qint16 length, qint16 width, qint16 alignment, const QString& pad);

// Builds lines for one layout and delimiter. The layout's widths and names are read once, so
// an export builds its lines without reading them again for every punch.
class LineBuilder final
{
public:
    // delimiterMsg "TAB" stands for one tab character; any other text is used as it is.
    LineBuilder(const ExportLayout& layout, const QList<LayoutRow>& rows, const QString& delimiterMsg,
                ExportDataType dataType);

    // The line for a punch, without a line end.
    QString build(const PunchRecord& punch) const;

private:
    enum class Kind { Uid, KestrumId, Group, Date, Time, Event, Space, Unknown };
    struct Column
    {
        Kind kind;
        qint16 width;
        qint16 alignment;
        QString pad;
        QString delimiter; // what follows the field: empty after the last row
    };

    QString eventText(const QString& status) const;

    QList<Column> m_columns;
    QString m_datePattern;
    QString m_timePattern;
    bool m_buddhistEra;
    QString m_inText;
    QString m_outText;
    qint16 m_inOnly;
    qint16 m_outOnly;
    ExportDataType m_dataType;
    // Room for the line being built, kept from one line to the next.
    mutable std::u16string m_line;
};

// The line of one punch by the layout and the grid rows (see LineBuilder).
QString exportLine(const ExportLayout& layout, const QList<LayoutRow>& rows, const PunchRecord& punch,
                   const QString& delimiterMsg, ExportDataType dataType);

// The preview line: every field filled with its sample value ("0000001", "02", "03", the date
// pattern, the time pattern, "01", " ") and fitted by the row's width, alignment and pad.
QString previewLine(const ExportLayout& layout, const QList<LayoutRow>& rows, const QString& delimiterMsg);
// The same with other samples for "Date" and "Time" (the editor shows its selected patterns).
QString previewLine(const ExportLayout& layout, const QList<LayoutRow>& rows, const QString& delimiterMsg,
                    const QString& dateSample, const QString& timeSample);

// Normalises a "yyyy/MM/dd" date to the Christian era: a year above 2500 is taken to be a
// Buddhist-era year and lowered by 543. Month and day are written with two digits. Returns the
// empty text when d is not such a date.
QString christianDateText(const QString& d);
