#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class Tq90Client;

// Fetches the terminal's attendance log and writes it as the log file: the log's bytes and one
// extra zero byte. The file is replaced as a whole, so a failed write leaves the earlier file.
struct LogDownload
{
    enum class Status {
        Done,          // the file holds the log
        Empty,         // the terminal's log is empty; the file was not touched
        TerminalError, // the terminal answered code, or reported a size no terminal holds; the
                       // file was not touched
        WriteError,    // the log was fetched but the file could not be written (message says why)
    };
    Status status = Status::Done;
    int code = 0;
    int size = 0;   // bytes of log fetched
    QByteArray log; // the bytes fetched, without the extra byte
    QString message;

    // yield, when given, is called every few milliseconds while the file is written, so that a
    // window can handle its events.
    static LogDownload run(Tq90Client& client, int handle, const QString& logFile,
                           const std::function<void()>& yield = {});
};
