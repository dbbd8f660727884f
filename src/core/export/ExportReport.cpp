#include "core/export/ExportReport.h"

namespace ExportMessages {

QString completed(const ExportReport& report)
{
    QString text = Success;
    if (report.incomplete > 0)
        text += QStringLiteral("\n%1 punch(es) without a person, date or direction were left out.")
                    .arg(report.incomplete);
    if (report.withoutDirection > 0)
        text += QStringLiteral("\n%1 punch(es) whose direction is neither IN nor OUT were left out.")
                    .arg(report.withoutDirection);
    return text;
}

} // namespace ExportMessages
