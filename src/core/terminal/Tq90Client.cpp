#include "core/terminal/Tq90Client.h"

#include "core/platform/Cp874.h"
#include "core/terminal/Tq90Result.h"

#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QTcpSocket>

#include <algorithm>

using Tq90Protocol::Command;

struct Tq90Client::Session
{
    std::unique_ptr<QTcpSocket> socket = std::make_unique<QTcpSocket>();
    Tq90Protocol::FrameParser parser;
    bool broken = false;

    void breakOff()
    {
        broken = true;
        socket->abort();
    }
};

Tq90Client::Tq90Client(int timeoutMs) : m_timeoutMs(timeoutMs) {}

Tq90Client::~Tq90Client()
{
    while (!m_sessions.empty())
        Tq90Terminate(m_sessions.begin()->first);
}

bool Tq90Client::isOpen(int handle) const
{
    const auto it = m_sessions.find(handle);
    return it != m_sessions.end() && !it->second->broken;
}

int Tq90Client::Tq90Initialize(int& handle, const QString& ip, int port)
{
    if (port < 1 || port > 65535 || ip.trimmed().isEmpty())
        return Tq90Result::BadArgument;
    auto session = std::make_unique<Session>();
    session->socket->connectToHost(ip.trimmed(), static_cast<quint16>(port));
    if (!session->socket->waitForConnected(m_timeoutMs)) {
        session->socket->abort();
        return session->socket->error() == QAbstractSocket::SocketTimeoutError ? Tq90Result::Timeout
                                                                               : Tq90Result::SocketError;
    }
    QByteArray hello;
    hello.append(char(1)); // protocol version
    const int result = exchange(*session, Command::Hello, hello, nullptr);
    if (result != Tq90Result::Ok) {
        session->socket->abort();
        return result;
    }
    handle = m_nextHandle++;
    if (m_nextHandle <= 0)
        m_nextHandle = 1;
    m_sessions[handle] = std::move(session);
    return Tq90Result::Ok;
}

int Tq90Client::Tq90Terminate(int handle)
{
    const auto it = m_sessions.find(handle);
    if (it == m_sessions.end())
        return Tq90Result::BadArgument;
    QTcpSocket& socket = *it->second->socket;
    if (!it->second->broken && socket.state() == QAbstractSocket::ConnectedState) {
        socket.write(Tq90Protocol::encodeRequest(Command::Bye));
        socket.waitForBytesWritten(std::min(m_timeoutMs, 500));
        socket.disconnectFromHost();
    }
    socket.abort();
    m_sessions.erase(it);
    return Tq90Result::Ok;
}

int Tq90Client::Tq90GetLogSize(int handle, int& size)
{
    qint64 reported = 0;
    const int result = readLogSize(handle, reported);
    if (result != Tq90Result::Ok)
        return result;
    if (reported > Tq90Protocol::MaxLogBytes)
        return Tq90Result::SocketError;
    size = static_cast<int>(reported);
    return Tq90Result::Ok;
}

int Tq90Client::readLogSize(int handle, qint64& size)
{
    QByteArray data;
    const int result = transact(handle, Command::GetLogSize, {}, &data);
    if (result != Tq90Result::Ok)
        return result;
    if (data.size() != 4)
        return Tq90Result::SocketError;
    size = Tq90Protocol::readU32(data.constData());
    return Tq90Result::Ok;
}

int Tq90Client::Tq90GetLogData(int handle, int size, QByteArray& buffer)
{
    if (size < 0 || size > Tq90Protocol::MaxLogBytes || buffer.size() < size)
        return Tq90Result::BadArgument;
    QByteArray args;
    Tq90Protocol::appendU32(args, static_cast<std::uint32_t>(size));
    QByteArray data;
    const int result = transact(handle, Command::GetLogData, args, &data);
    if (result != Tq90Result::Ok)
        return result;
    if (data.size() != size)
        return Tq90Result::SocketError;
    std::copy(data.cbegin(), data.cend(), buffer.begin());
    return Tq90Result::Ok;
}

int Tq90Client::Tq90EraseLogData(int handle)
{
    return transact(handle, Command::EraseLogData);
}

int Tq90Client::Tq90EraseLogDataIfSize(int handle, int expectedSize)
{
    if (expectedSize < 0)
        return Tq90Result::BadArgument;
    QByteArray args;
    Tq90Protocol::appendU32(args, static_cast<std::uint32_t>(expectedSize));
    return transact(handle, Command::EraseLogData, args);
}

int Tq90Client::Tq90ExchangeKey(int handle)
{
    QByteArray key(Tq90Protocol::KeyBytes, Qt::Uninitialized);
    for (char& c : key)
        c = static_cast<char>(QRandomGenerator::system()->bounded(256));
    QByteArray echo;
    const int result = transact(handle, Command::ExchangeKey, key, &echo);
    if (result != Tq90Result::Ok)
        return result;
    // The terminal proves it took the key by returning its checksum.
    QByteArray expected;
    Tq90Protocol::appendU32(expected, Tq90Protocol::crc32(key));
    return echo == expected ? Tq90Result::Ok : Tq90Result::CrcError;
}

int Tq90Client::Tq90OpenDoor(int handle)
{
    return transact(handle, Command::OpenDoor);
}

int Tq90Client::Tq90CheckFinger(int handle)
{
    return transact(handle, Command::CheckFinger);
}

int Tq90Client::Tq90CaptureImage(int handle)
{
    return transact(handle, Command::CaptureImage);
}

int Tq90Client::Tq90DownloadRawImage(int handle, QByteArray& buffer)
{
    return fetchFixed(handle, Command::DownloadRawImage, Tq90Protocol::RawImageBytes, buffer);
}

int Tq90Client::Tq90ProcessImage(int handle)
{
    return transact(handle, Command::ProcessImage);
}

int Tq90Client::Tq90StoreSample(int handle, int sample)
{
    if (sample < 0 || sample >= Tq90Protocol::SampleCount)
        return Tq90Result::BadArgument;
    QByteArray args;
    args.append(static_cast<char>(sample));
    return transact(handle, Command::StoreSample, args);
}

QByteArray Tq90Client::encodeUser(const QString& userId, bool* ok)
{
    bool fits = true;
    const QByteArray id = Cp874::encode(userId, &fits);
    *ok = fits && !id.isEmpty() && id.size() <= Tq90Protocol::MaxUserIdBytes && !id.contains('\0');
    QByteArray out;
    out.append(static_cast<char>(id.size()));
    out.append(id);
    return out;
}

int Tq90Client::Tq90StoreTemplate(int handle, const QString& userId, quint8 groupId, quint8 fingerNo,
                                  quint8 level)
{
    bool ok = false;
    QByteArray args = encodeUser(userId, &ok);
    if (!ok)
        return Tq90Result::BadArgument;
    args.append(static_cast<char>(groupId));
    args.append(static_cast<char>(fingerNo));
    args.append(static_cast<char>(level));
    return transact(handle, Command::StoreTemplate, args);
}

int Tq90Client::Tq90Verify(int handle, const QString& userId, quint8 groupId, quint8 fingerNo)
{
    bool ok = false;
    QByteArray args = encodeUser(userId, &ok);
    if (!ok)
        return Tq90Result::BadArgument;
    args.append(static_cast<char>(groupId));
    args.append(static_cast<char>(fingerNo));
    return transact(handle, Command::Verify, args);
}

int Tq90Client::Tq90Identify(int handle, QByteArray& buffer)
{
    return fetchFixed(handle, Command::Identify, Tq90Protocol::IdentifyBytes, buffer);
}

int Tq90Client::fetchFixed(int handle, Command command, qsizetype size, QByteArray& buffer)
{
    if (buffer.size() < size)
        return Tq90Result::BadArgument;
    QByteArray data;
    const int result = transact(handle, command, {}, &data);
    if (result != Tq90Result::Ok)
        return result;
    if (data.size() != size)
        return Tq90Result::SocketError;
    std::copy(data.cbegin(), data.cend(), buffer.begin());
    return Tq90Result::Ok;
}

int Tq90Client::transact(int handle, Command command, const QByteArray& arguments, QByteArray* data)
{
    const auto it = m_sessions.find(handle);
    if (it == m_sessions.end())
        return Tq90Result::BadArgument;
    return exchange(*it->second, command, arguments, data);
}

bool Tq90Client::waitForReply(QTcpSocket& socket, int timeoutMs)
{
    if (!m_waiting)
        return socket.waitForReadyRead(timeoutMs);
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (socket.waitForReadyRead(static_cast<int>(std::min<qint64>(10, deadline.remainingTime()))))
            return true;
        if (socket.error() != QAbstractSocket::SocketTimeoutError || deadline.hasExpired())
            return false;
        m_waiting();
        // what came in while the window handled its events is in already
        if (socket.bytesAvailable() > 0)
            return true;
    }
}

int Tq90Client::exchange(Session& session, Command command, const QByteArray& arguments, QByteArray* data)
{
    QTcpSocket& socket = *session.socket;
    if (session.broken || socket.state() != QAbstractSocket::ConnectedState) {
        session.broken = true;
        return Tq90Result::SocketError;
    }
    socket.write(Tq90Protocol::encodeRequest(command, arguments));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(m_timeoutMs)) {
            const bool timedOut = socket.error() == QAbstractSocket::SocketTimeoutError;
            session.breakOff();
            return timedOut ? Tq90Result::Timeout : Tq90Result::SocketError;
        }
    }
    // a peer that trickles its answer byte by byte is not waited for without end either
    const QDeadlineTimer whole(static_cast<qint64>(m_timeoutMs) * WholeReplyTimeouts);
    for (;;) {
        session.parser.append(socket.readAll());
        if (m_receiveProgress && session.parser.pending() > 0)
            m_receiveProgress(session.parser.buffered(),
                              session.parser.buffered() + session.parser.pending());
        switch (session.parser.next()) {
        case Tq90Protocol::FrameParser::State::Frame: {
            const QByteArray& payload = session.parser.payload();
            if (payload.size() < 5 ||
                static_cast<std::uint8_t>(payload[0]) != static_cast<std::uint8_t>(command)) {
                session.breakOff();
                return Tq90Result::SocketError;
            }
            const auto result = static_cast<qint32>(Tq90Protocol::readU32(payload.constData() + 1));
            if (data)
                *data = payload.mid(5);
            return result;
        }
        case Tq90Protocol::FrameParser::State::BadCrc:
            return Tq90Result::CrcError;
        case Tq90Protocol::FrameParser::State::Broken:
            session.breakOff();
            return Tq90Result::SocketError;
        case Tq90Protocol::FrameParser::State::NeedMore:
            break;
        }
        if (socket.state() != QAbstractSocket::ConnectedState) {
            session.breakOff();
            return Tq90Result::SocketError;
        }
        if (whole.hasExpired()) {
            session.breakOff();
            return Tq90Result::Timeout;
        }
        // data may have come in already while the progress was reported (a window handles its
        // events there); waiting would take only what comes after it
        if (socket.bytesAvailable() > 0)
            continue;
        if (!waitForReply(socket,
                          static_cast<int>(std::min<qint64>(m_timeoutMs, whole.remainingTime() + 1)))) {
            if (socket.bytesAvailable() > 0)
                continue;
            if (whole.hasExpired()) {
                session.breakOff();
                return Tq90Result::Timeout;
            }
            const bool timedOut = socket.error() == QAbstractSocket::SocketTimeoutError &&
                                  socket.state() == QAbstractSocket::ConnectedState;
            session.breakOff();
            return timedOut ? Tq90Result::Timeout : Tq90Result::SocketError;
        }
    }
}
