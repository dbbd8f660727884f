#include "core/terminal/LogDownload.h"

#include "core/platform/CheckedFileWriter.h"
#include "core/platform/RunAside.h"
#include "core/terminal/Tq90Client.h"
#include "core/terminal/Tq90Result.h"

LogDownload LogDownload::run(Tq90Client& client, int handle, const QString& logFile,
                             const std::function<void()>& yield)
{
    LogDownload d;
    qint64 reported = 0;
    d.code = client.readLogSize(handle, reported);
    if (d.code != Tq90Result::Ok) {
        d.status = Status::TerminalError;
        d.message = Tq90ErrorText(d.code);
        return d;
    }
    if (reported > Tq90Protocol::MaxLogBytes) {
        d.status = Status::TerminalError;
        d.code = Tq90Result::SocketError;
        d.message = QStringLiteral("The terminal reports a log of %1 bytes, more than a terminal can hold "
                                   "(%2 bytes). Nothing was downloaded and the terminal's log was left as "
                                   "it was; restart the terminal and try again.")
                        .arg(reported)
                        .arg(Tq90Protocol::MaxLogBytes);
        return d;
    }
    const int size = static_cast<int>(reported);
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
    if (const Outcome written = runAside([&] { return writeFileAtomically(logFile, buffer); }, yield);
        !written) {
        d.status = Status::WriteError;
        d.message =
            written.error() + QStringLiteral(". The log on the terminal was not changed; free some space "
                                             "or check the folder's permissions, then download again.");
    }
    buffer.chop(1);
    d.log = std::move(buffer);
    return d;
}
