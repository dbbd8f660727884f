#include "QorService.h"

#include "core/accesscontrol/QorProtocol.h"

#include <QTextStream>

#include <algorithm>

namespace {

// At most this many connections at once; more are closed at once, so a flood of connections
// cannot exhaust the simulator.
constexpr std::size_t MaxSessions = 32;

} // namespace

QorService::QorService(FacilityStore facilities, RalogWriter& writer, QString password, QObject* parent)
    : QObject(parent), m_facilities(std::move(facilities)), m_writer(writer), m_password(std::move(password))
{
    connect(&m_server, &QTcpServer::newConnection, this, &QorService::accept);
}

QorService::~QorService()
{
    m_server.close();
    for (const std::unique_ptr<Session>& session : m_sessions) {
        if (session->socket) {
            session->socket->disconnect(this);
            session->socket->abort();
            delete session->socket;
        }
    }
}

bool QorService::listen(quint16 port)
{
    return m_server.listen(QHostAddress::LocalHost, port);
}

void QorService::accept()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (m_sessions.size() >= MaxSessions) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto session = std::make_unique<Session>();
        Session* s = session.get();
        s->socket = socket;
        s->idle = new QTimer(socket);
        s->idle->setSingleShot(true);
        s->idle->setInterval(m_idleTimeout);
        connect(s->idle, &QTimer::timeout, this, [this, s] { drop(s); });
        connect(socket, &QTcpSocket::readyRead, this, [this, s] { readFrom(s); });
        connect(socket, &QTcpSocket::disconnected, this, [this, s] { drop(s); });
        m_sessions.push_back(std::move(session));
        socket->write(QorProtocol::Greeting + '\n');
        s->idle->start();
    }
}

void QorService::drop(Session* session)
{
    const auto it = std::find_if(m_sessions.begin(), m_sessions.end(),
                                 [session](const std::unique_ptr<Session>& s) { return s.get() == session; });
    if (it == m_sessions.end())
        return;
    std::unique_ptr<Session> owned = std::move(*it);
    m_sessions.erase(it);
    if (owned->socket) {
        owned->idle->stop();
        owned->idle->disconnect(this);
        owned->socket->disconnect(this);
        owned->socket->disconnectFromHost();
        owned->socket->deleteLater();
    }
}

void QorService::readFrom(Session* session)
{
    QTcpSocket* socket = session->socket;
    if (!socket)
        return;
    session->idle->start();
    for (;;) {
        // Never hold more than one line's worth: a peer that sends no LF is cut off.
        session->buffer += socket->read(QorProtocol::MaxLine + 1 - session->buffer.size());
        bool tooLong = false;
        std::optional<QByteArray> line = QorProtocol::takeLine(session->buffer, &tooLong);
        if (tooLong) {
            socket->write(QorProtocol::error(QorProtocol::Malformed, QStringLiteral("line too long")));
            socket->flush();
            drop(session);
            return;
        }
        if (!line) {
            if (socket->bytesAvailable() > 0)
                continue;
            return;
        }
        bool close = false;
        socket->write(answer(*session, *line, &close));
        if (close) {
            socket->flush();
            drop(session);
            return;
        }
    }
}

QByteArray QorService::answer(Session& session, const QByteArray& line, bool* close)
{
    if (!QorProtocol::isPrintable(line))
        return QorProtocol::error(QorProtocol::Malformed,
                                  QStringLiteral("the line holds bytes that are not printable"));
    const QList<QByteArray> words = QorProtocol::words(line);
    const QByteArray& command = words[0];
    if (command == "QUIT") {
        *close = true;
        return QorProtocol::ok();
    }
    if (command == "AUTH") {
        if (words.size() != 2)
            return QorProtocol::error(QorProtocol::Malformed, QStringLiteral("expected AUTH <hex password>"));
        const std::optional<QString> password = QorProtocol::fromHex(words[1]);
        if (!password)
            return QorProtocol::error(QorProtocol::Malformed,
                                      QStringLiteral("the password is not hexadecimal"));
        session.authenticated = *password == m_password;
        if (!session.authenticated)
            return QorProtocol::error(QorProtocol::WrongPassword, QStringLiteral("wrong password"));
        return QorProtocol::ok();
    }
    if (command != "PULL" && command != "COUNT")
        return QorProtocol::error(QorProtocol::Malformed, QStringLiteral("unknown command"));
    if (!session.authenticated)
        return QorProtocol::error(QorProtocol::NotAuthenticated, QStringLiteral("authenticate first"));
    return command == "PULL" ? pull(words) : count(words);
}

QByteArray QorService::pull(const QList<QByteArray>& words)
{
    if (words.size() != 3)
        return QorProtocol::error(QorProtocol::Malformed, QStringLiteral("expected PULL <facility> <flag>"));
    const std::optional<quint32> facility = QorProtocol::number(words[1], 255);
    const std::optional<quint32> flag = QorProtocol::number(words[2], 1);
    if (!facility || !flag)
        return QorProtocol::error(QorProtocol::Malformed,
                                  QStringLiteral("facility 0..255 and flag 0 or 1 expected"));
    const quint8 fac = static_cast<quint8>(*facility);
    if (!m_facilities.contains(fac))
        return QorProtocol::error(QorProtocol::NoSuchFacility, QStringLiteral("no facility %1").arg(fac));
    const QList<RawAccessLog> logs = m_facilities.logs(fac);
    if (const Outcome written = m_writer.write(logs); !written) {
        QTextStream(stderr) << "qor-sim: facility " << fac << ": " << written.error() << Qt::endl;
        return QorProtocol::error(QorProtocol::DatabaseFailed, written.error());
    }
    if (*flag == 1)
        m_facilities.clear(fac);
    QTextStream(stdout) << "qor-sim: facility " << fac << ": " << logs.size() << " logs written"
                        << (*flag == 1 ? ", deleted from the facility" : "") << Qt::endl;
    return QorProtocol::ok(static_cast<quint32>(logs.size()));
}

QByteArray QorService::count(const QList<QByteArray>& words)
{
    if (words.size() != 2)
        return QorProtocol::error(QorProtocol::Malformed, QStringLiteral("expected COUNT <facility>"));
    const std::optional<quint32> facility = QorProtocol::number(words[1], 255);
    if (!facility)
        return QorProtocol::error(QorProtocol::Malformed, QStringLiteral("facility 0..255 expected"));
    const quint8 fac = static_cast<quint8>(*facility);
    if (!m_facilities.contains(fac))
        return QorProtocol::error(QorProtocol::NoSuchFacility, QStringLiteral("no facility %1").arg(fac));
    return QorProtocol::ok(static_cast<quint32>(m_facilities.logs(fac).size()));
}
