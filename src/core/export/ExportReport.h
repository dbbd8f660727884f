#pragma once

#include <QString>

// How an export ended, and the message the operator sees.
struct ExportReport
{
    enum class Status {
        Exported, // "Export successfully"
        NoData,   // " No data for export !!!"
        Busy,     // another export of the window is still running; nothing was done
    };
    Status status = Status::Exported;
    QString message;
    qint64 written = 0;
    // Source rows without a person, date or direction, left out by the search.
    qint64 incomplete = 0;
    // Punches whose direction is neither IN nor OUT, not written to the time-attendance database.
    qint64 withoutDirection = 0;

    static ExportReport busy()
    {
        ExportReport report;
        report.status = Status::Busy;
        return report;
    }
};

namespace ExportMessages {
inline const QString NoData = QStringLiteral(" No data for export !!!");
inline const QString Success = QStringLiteral("Export successfully");
// The success message with what was left out, when anything was.
QString completed(const ExportReport& report);
} // namespace ExportMessages
