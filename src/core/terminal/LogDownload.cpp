#include "core/terminal/LogDownload.h"

#include "core/platform/CheckedFileWriter.h"
#include "core/terminal/Tq90Client.h"
#include "core/terminal/Tq90Result.h"

LogDownload LogDownload::run(Tq90Client& client, int handle, const QString& logFile)
{
    LogDownload d;
    int size = 0;
    d.code = client.Tq90GetLogSize(handle, size);
    if (d.code != Tq90Result::Ok) {
        d.status = Status::TerminalError;
        d.message = Tq90ErrorText(d.code);
        return d;
    }
    if (size == 0) {
        d.status = Status::Empty;
        d.message = QStringLiteral("User log is empty.");
        return d;
    }
    QByteArray buffer(size + 1, '\0');
    d.code = client.Tq90GetLogData(handle, size, buffer);
    if (d.code != Tq90Result::Ok) {
        d.status = Status::TerminalError;
        d.message = Tq90ErrorText(d.code);
        return d;
    }
    d.size = size;
    if (const Outcome written = writeFileAtomically(logFile, buffer); !written) {
        d.status = Status::WriteError;
        d.message =
            written.error() + QStringLiteral(". The log on the terminal was not changed; free some space "
                                             "or check the folder's permissions, then download again.");
    }
    return d;
}
