#pragma once

#include "core/terminal/Tq90Protocol.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <map>
#include <memory>

class QTcpSocket;

// The terminal functions: each call sends one request to the terminal and waits, blocking
// with bounded waits, for its reply, so the calls suit the window's thread and the command
// line alike. Handles are small numbers naming the sessions this client opened; a window owns
// its client and every session still open ends when the client is destroyed.
//
// Results: 0 success, otherwise one of the codes in Tq90Result.h. Besides the terminal's own
// codes the client gives 48 when the connection is refused, lost or garbled (the session is
// then unusable), 73 when a reply arrived damaged and 74 when the terminal stayed silent for
// longer than the timeout (the session is closed, so a late reply can never be mistaken for
// the answer to a later request).
class Tq90Client final
{
public:
    static constexpr int DefaultTimeoutMs = 5000;
    // A whole reply must arrive within this many timeouts, however steadily it trickles in.
    static constexpr int WholeReplyTimeouts = 10;

    explicit Tq90Client(int timeoutMs = DefaultTimeoutMs);
    ~Tq90Client();
    Tq90Client(const Tq90Client&) = delete;
    Tq90Client& operator=(const Tq90Client&) = delete;

    // The longest silence of the terminal a call waits out; a whole reply may take ten times it.
    void setTimeout(int ms) { m_timeoutMs = ms; }
    int timeout() const { return m_timeoutMs; }

    int Tq90Initialize(int& handle, const QString& ip, int port);
    int Tq90Terminate(int handle);
    int Tq90GetLogSize(int handle, int& size);
    // The log size exactly as the terminal reports it, unchecked, so that a caller can name a
    // size beyond what a terminal holds (Tq90GetLogSize answers 48 to it).
    int readLogSize(int handle, qint64& size);
    // Fills the first size bytes of buffer, which must hold at least size bytes.
    int Tq90GetLogData(int handle, int size, QByteArray& buffer);
    int Tq90EraseLogData(int handle);
    int Tq90ExchangeKey(int handle);
    int Tq90OpenDoor(int handle);
    int Tq90CheckFinger(int handle);
    int Tq90CaptureImage(int handle);
    // buffer must hold at least 153,601 bytes.
    int Tq90DownloadRawImage(int handle, QByteArray& buffer);
    int Tq90ProcessImage(int handle);
    int Tq90StoreSample(int handle, int sample);
    int Tq90StoreTemplate(int handle, const QString& userId, quint8 groupId, quint8 fingerNo, quint8 level);
    int Tq90Verify(int handle, const QString& userId, quint8 groupId, quint8 fingerNo);
    // buffer must hold at least 17 bytes; receives the matched user ID, NUL-terminated.
    int Tq90Identify(int handle, QByteArray& buffer);

    // Erases the log only when it still holds expectedSize bytes, in one step on the terminal,
    // so that a punch taken after the download is never erased unseen. 71 when the size differs.
    int Tq90EraseLogDataIfSize(int handle, int expectedSize);

    bool isOpen(int handle) const;

    // Called while a reply arrives with the bytes received so far and the reply's whole size.
    using ReceiveProgress = std::function<void(qint64 received, qint64 total)>;
    void setReceiveProgress(ReceiveProgress progress) { m_receiveProgress = std::move(progress); }
    // Called every few milliseconds while a reply is awaited, so that a window can handle its
    // events; the reply is then awaited in short slices instead of one long wait.
    void setWaiting(std::function<void()> waiting) { m_waiting = std::move(waiting); }

private:
    struct Session;

    // Runs a command whose answer is exactly size bytes and copies it into the caller's buffer.
    int fetchFixed(int handle, Tq90Protocol::Command command, qsizetype size, QByteArray& buffer);
    // Sends one request and waits for its reply; data receives the reply's data.
    int transact(int handle, Tq90Protocol::Command command, const QByteArray& arguments = {},
                 QByteArray* data = nullptr);
    int exchange(Session& session, Tq90Protocol::Command command, const QByteArray& arguments,
                 QByteArray* data);
    static QByteArray encodeUser(const QString& userId, bool* ok);
    // Waits up to timeoutMs for the peer's next bytes, in slices when a window waits as well.
    bool waitForReply(QTcpSocket& socket, int timeoutMs);

    std::map<int, std::unique_ptr<Session>> m_sessions;
    ReceiveProgress m_receiveProgress;
    std::function<void()> m_waiting;
    int m_nextHandle = 1;
    int m_timeoutMs;
};
