#include "core/accesscontrol/QorClient.h"

#include "core/accesscontrol/QorProtocol.h"

#include <QDeadlineTimer>

int QorClient::fail(int result, const QString& message)
{
    m_lastError = message;
    return result;
}

void QorClient::disconnect()
{
    m_ready = false;
    m_buffer.clear();
    m_socket.abort();
}

bool QorClient::send(const QByteArray& line)
{
    if (m_socket.state() != QAbstractSocket::ConnectedState)
        return false;
    if (m_socket.write(line) != line.size())
        return false;
    QDeadlineTimer deadline(m_answerTimeout);
    while (m_socket.bytesToWrite() > 0) {
        if (!m_socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
            return false;
    }
    return true;
}

QorClient::Read QorClient::readLine(QByteArray& line, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        bool tooLong = false;
        if (std::optional<QByteArray> taken = QorProtocol::takeLine(m_buffer, &tooLong)) {
            line = *taken;
            return Read::Line;
        }
        if (tooLong)
            return Read::TooLong;
        if (m_socket.state() != QAbstractSocket::ConnectedState && m_socket.bytesAvailable() == 0)
            return Read::Closed;
        if (m_socket.bytesAvailable() == 0 &&
            !m_socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            if (m_socket.state() != QAbstractSocket::ConnectedState)
                return Read::Closed;
            if (deadline.hasExpired())
                return Read::Timeout;
            continue;
        }
        // Read only what fits into one line more, so a peer that never sends LF cannot grow the
        // buffer without bound.
        m_buffer += m_socket.read(QorProtocol::MaxLine + 1 - m_buffer.size());
    }
}

int QorClient::QorInitializeWithPassword(const QString& host, int port, const QString& password)
{
    disconnect();
    m_lastCount = 0;
    m_host = QStringLiteral("%1:%2").arg(host).arg(port);
    if (host.trimmed().isEmpty())
        return fail(Unreachable,
                    QStringLiteral("No access-control server host is set. Connect to the server first."));
    if (port < 1 || port > 65535)
        return fail(Unreachable,
                    QStringLiteral("The access-control service port %1 is not valid.").arg(port));

    m_socket.connectToHost(host, static_cast<quint16>(port));
    if (!m_socket.waitForConnected(m_connectTimeout)) {
        const QString why = m_socket.error() == QAbstractSocket::SocketTimeoutError
                                ? QStringLiteral("no answer within %1 seconds").arg(m_connectTimeout / 1000.0)
                                : m_socket.errorString();
        disconnect();
        return fail(Unreachable,
                    QStringLiteral("Cannot reach the access-control service at %1: %2.").arg(m_host, why));
    }

    QByteArray line;
    const Read greeting = readLine(line, m_answerTimeout);
    if (greeting != Read::Line || line != QorProtocol::Greeting) {
        disconnect();
        return fail(
            NotTheService,
            QStringLiteral("The program at %1 is not the access-control service (no greeting).").arg(m_host));
    }
    if (!send(QByteArrayLiteral("AUTH ") + QorProtocol::toHex(password) + '\n')) {
        disconnect();
        return fail(Broken,
                    QStringLiteral("The connection to the access-control service at %1 broke.").arg(m_host));
    }
    if (readLine(line, m_answerTimeout) != Read::Line) {
        disconnect();
        return fail(Broken, QStringLiteral("The access-control service at %1 did not answer.").arg(m_host));
    }
    const std::optional<QorProtocol::Answer> answer = QorProtocol::parseAnswer(line);
    if (!answer) {
        disconnect();
        return fail(Broken,
                    QStringLiteral("The access-control service at %1 answered out of turn.").arg(m_host));
    }
    if (!answer->ok) {
        disconnect();
        if (answer->code == QorProtocol::WrongPassword)
            return fail(PasswordRefused,
                        QStringLiteral("The access-control service at %1 refused the password.").arg(m_host));
        return fail(Broken,
                    QStringLiteral("The access-control service at %1 refused: %2").arg(m_host, answer->text));
    }
    m_ready = true;
    m_lastError.clear();
    return Ready;
}

int QorClient::QorGetFacRALToQor(quint8 facility, quint8 deleteFlag)
{
    m_lastCount = 0;
    if (!m_ready)
        return fail(NotConnected, QStringLiteral("The access-control service is not initialised."));
    const QByteArray request = QByteArrayLiteral("PULL ") + QByteArray::number(facility) + ' ' +
                               QByteArray::number(deleteFlag == 0 ? 0 : 1) + '\n';
    if (!send(request)) {
        disconnect();
        return fail(NotConnected,
                    QStringLiteral("The connection to the access-control service at %1 broke.").arg(m_host));
    }
    QByteArray line;
    const Read read = readLine(line, m_pullTimeout);
    if (read == Read::Closed) {
        disconnect();
        return fail(NotConnected,
                    QStringLiteral("The access-control service at %1 closed the connection.").arg(m_host));
    }
    const std::optional<QorProtocol::Answer> answer =
        read == Read::Line ? QorProtocol::parseAnswer(line) : std::nullopt;
    if (!answer || (answer->ok && !answer->count)) {
        disconnect();
        return fail(
            NoAnswer,
            read == Read::Timeout
                ? QStringLiteral("The access-control service at %1 did not answer within %2 seconds.")
                      .arg(m_host)
                      .arg(m_pullTimeout / 1000)
                : QStringLiteral("The access-control service at %1 answered out of turn.").arg(m_host));
    }
    if (answer->ok) {
        m_lastCount = *answer->count;
        m_lastError.clear();
        return Pulled;
    }
    if (answer->code == QorProtocol::NoSuchFacility)
        return fail(UnknownFacility,
                    QStringLiteral("The access-control service does not know facility %1.").arg(facility));
    if (answer->code == QorProtocol::DatabaseFailed)
        return fail(WriteFailed,
                    QStringLiteral("The access-control service could not write the logs of facility %1: %2")
                        .arg(facility)
                        .arg(answer->text));
    return fail(
        NoAnswer,
        QStringLiteral("The access-control service refused facility %1: %2").arg(facility).arg(answer->text));
}

std::optional<quint32> QorClient::pendingLogs(quint8 facility)
{
    if (!m_ready || !send(QByteArrayLiteral("COUNT ") + QByteArray::number(facility) + '\n'))
        return std::nullopt;
    QByteArray line;
    if (readLine(line, m_answerTimeout) != Read::Line) {
        disconnect();
        return std::nullopt;
    }
    const std::optional<QorProtocol::Answer> answer = QorProtocol::parseAnswer(line);
    if (!answer || !answer->ok)
        return std::nullopt;
    return answer->count;
}
