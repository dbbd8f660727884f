#include "core/terminal/TerminalSync.h"

#include "core/storage/Connections.h"
#include "core/terminal/LogDownload.h"
#include "core/terminal/Tq90Client.h"
#include "core/terminal/Tq90Result.h"

bool TerminalSyncResult::failed() const
{
    return (status != Status::Stored && status != Status::Empty) || !notErased.isEmpty();
}

QString TerminalSyncResult::summary() const
{
    switch (status) {
    case Status::Stored:
        break;
    case Status::Empty:
        return QStringLiteral("log empty");
    default:
        return QStringLiteral("failed: ") + message;
    }
    QString line = QStringLiteral("read %1, new %2").arg(stored.read).arg(stored.added);
    if (erased)
        line += QStringLiteral(", erased");
    else if (!notErased.isEmpty())
        line += QStringLiteral(", not erased: ") + notErased;
    else
        line += QStringLiteral(", kept");
    if (!incomplete.isEmpty() && notErased.isEmpty())
        line += QStringLiteral(" (") + incomplete + u')';
    return line;
}

TerminalSyncResult TerminalSync::run(Tq90Client& client, int handle, Afterwards afterwards)
{
    using Status = TerminalSyncResult::Status;
    TerminalSyncResult result;

    client.setReceiveProgress(m_downloadProgress);
    client.setWaiting(m_yield);
    const LogDownload download = LogDownload::run(client, handle, m_paths.logFile(), m_yield);
    client.setReceiveProgress({});
    client.setWaiting({});
    result.code = download.code;
    result.message = download.message;
    switch (download.status) {
    case LogDownload::Status::Done:
        break;
    case LogDownload::Status::Empty:
        result.status = Status::Empty;
        return result;
    case LogDownload::Status::TerminalError:
        result.status = Status::TerminalError;
        return result;
    case LogDownload::Status::WriteError:
        result.status = Status::WriteError;
        return result;
    }

    if (!Connections::get(Connections::LocalConnection).isOpen()) {
        if (const Outcome opened = openLocalDatabase(m_paths); !opened) {
            result.status = Status::StoreError;
            result.message = opened.error();
            return result;
        }
    }
    const QSqlDatabase db = Connections::get(Connections::LocalConnection);
    const Expected<ConversionResult> converted =
        convertLogToDatabase(m_paths.logFile(), db, m_conversionProgress, download.size, m_yield);
    if (!converted) {
        result.status = Status::StoreError;
        result.message = converted.error();
        return result;
    }
    result.message.clear();
    result.stored = *converted;
    result.incomplete = partialRecordText(result.stored);
    if (afterwards == Afterwards::Keep)
        return result;
    if (result.incomplete.isEmpty()) {
        if (const Outcome verified =
                verifyStoredLog(m_paths.logFile(), db, download.log, m_checkProgress, m_yield);
            !verified)
            result.incomplete = verified.error();
    }
    if (afterwards == Afterwards::Check)
        return result;

    const QString leftAlone = QStringLiteral(" The log on the terminal was not erased.");
    if (!result.incomplete.isEmpty()) {
        result.notErased = result.incomplete + leftAlone;
        return result;
    }
    const int code = client.Tq90EraseLogDataIfSize(handle, download.size);
    if (code == Tq90Result::BadArgument) {
        result.notErased =
            QStringLiteral("The terminal's log changed during the download, so it was not erased: "
                           "the new punches would be lost. Download again to take them.");
    } else if (code != Tq90Result::Ok) {
        result.code = code;
        result.notErased = QStringLiteral("Erasing the log failed: ") + Tq90ErrorText(code) + leftAlone;
    } else {
        result.erased = true;
    }
    return result;
}

TerminalSyncResult TerminalSync::run(const TerminalEntry& terminal, int timeoutMs)
{
    Tq90Client client(timeoutMs);
    int handle = 0;
    if (const int code = client.Tq90Initialize(handle, terminal.ip, terminal.port); code != Tq90Result::Ok) {
        TerminalSyncResult result;
        result.status = TerminalSyncResult::Status::ConnectError;
        result.code = code;
        result.message = QStringLiteral("Failed to connect to TQ90! ") + Tq90ErrorText(code);
        return result;
    }
    TerminalSyncResult result = run(client, handle, terminal.erase ? Afterwards::Erase : Afterwards::Keep);
    client.Tq90Terminate(handle);
    return result;
}
