#pragma once

#include <QByteArray>
#include <QString>
#include <QTcpSocket>

#include <optional>

// The program's side of the access-control service (docs/qor-protocol.md): initialise with the
// service's host, port and password, then ask it facility by facility to bring the facilities'
// raw access logs into RALog. Every wait is bounded, so a silent or hostile peer cannot hold
// the caller; blocking waits are used because the pull runs its calls one after the other.
class QorClient final
{
public:
    // Results of QorInitializeWithPassword.
    enum InitResult : int { Ready = 0, Unreachable = 1, NotTheService = 2, PasswordRefused = 3, Broken = 4 };
    // Results of QorGetFacRALToQor.
    enum PullResult : int {
        Pulled = 0,
        NotConnected = 1,
        UnknownFacility = 2,
        WriteFailed = 3,
        NoAnswer = 4
    };

    QorClient() = default;
    QorClient(const QorClient&) = delete;
    QorClient& operator=(const QorClient&) = delete;

    int QorInitializeWithPassword(const QString& host, int port, const QString& password);
    int QorGetFacRALToQor(quint8 facility, quint8 deleteFlag);
    // The pending logs a facility holds, or nothing when the service could not say.
    std::optional<quint32> pendingLogs(quint8 facility);
    void disconnect();

    bool isReady() const { return m_ready; }
    // The number of logs the last successful QorGetFacRALToQor wrote.
    quint32 lastCount() const { return m_lastCount; }
    // What went wrong last, in words for the operator.
    const QString& lastError() const { return m_lastError; }

    void setConnectTimeout(int ms) { m_connectTimeout = ms; }
    void setAnswerTimeout(int ms) { m_answerTimeout = ms; }
    void setPullTimeout(int ms) { m_pullTimeout = ms; }

private:
    enum class Read { Line, Timeout, Closed, TooLong };
    Read readLine(QByteArray& line, int timeoutMs);
    bool send(const QByteArray& line);
    int fail(int result, const QString& message);

    QTcpSocket m_socket;
    QByteArray m_buffer;
    QString m_host;
    QString m_lastError;
    quint32 m_lastCount = 0;
    bool m_ready = false;
    int m_connectTimeout = 5000;
    int m_answerTimeout = 10000;
    int m_pullTimeout = 60000;
};
