#include "gui/accesscontrol/AccessLogPullStep.h"

#include "core/accesscontrol/AccessLogPull.h"
#include "gui/platform/AppContext.h"

#include <QApplication>

bool askAndPullAccessLogs(AppContext& context, QorClient& client, int servicePort)
{
    const Prompter::Answer answer = context.prompter.message(
        Prompter::Icon::Question, QStringLiteral("จัดการข้อมูลในเครื่องสแกน"),
        QStringLiteral("ลบข้อมูลในเครื่องสแกนหลังนำเข้าข้อมูลแล้ว"), Prompter::Buttons::YesNo);
    const qint16 deleteFlag = answer == Prompter::Answer::Yes ? 1 : 0;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Expected<AccessLogPullReport> report =
        pullAccessLogs(deleteFlag, context.paths, client, servicePort);
    QApplication::restoreOverrideCursor();
    if (!report) {
        context.prompter.message(Prompter::Icon::Critical, context.title, report.error());
        return false;
    }
    if (const QString warnings = report->warnings(); !warnings.isEmpty())
        context.prompter.message(Prompter::Icon::Information, context.title, warnings);
    return true;
}
