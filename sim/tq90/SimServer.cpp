#include "SimServer.h"

#include "core/terminal/Tq90Result.h"

#include <QTcpSocket>
#include <QTimer>

#include <memory>

SimServer::SimServer(SimTerminal& terminal, QObject* parent) : QObject(parent), m_terminal(terminal)
{
    connect(&m_server, &QTcpServer::newConnection, this, &SimServer::acceptConnections);
}

bool SimServer::listen(const QHostAddress& address, quint16 port)
{
    return m_server.listen(address, port);
}

void SimServer::acceptConnections()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        m_connections[socket];
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_connections.erase(socket);
            socket->deleteLater();
        });
    }
}

void SimServer::serve(QTcpSocket* socket)
{
    const auto it = m_connections.find(socket);
    if (it == m_connections.end())
        return;
    Connection* state = &it->second;
    state->parser.append(socket->readAll());
    for (;;) {
        switch (state->parser.next()) {
        case Tq90Protocol::FrameParser::State::NeedMore:
            return;
        case Tq90Protocol::FrameParser::State::Broken:
            socket->abort();
            return;
        case Tq90Protocol::FrameParser::State::BadCrc:
            // the command is unknown; the client hears a CRC error for whatever it asked
            socket->write(Tq90Protocol::encodeReply(Tq90Protocol::Command::Hello, Tq90Result::CrcError));
            continue;
        case Tq90Protocol::FrameParser::State::Frame:
            break;
        }
        const QByteArray payload = state->parser.payload();
        const auto command = Tq90Protocol::commandFromByte(static_cast<std::uint8_t>(payload[0]));
        if (!command) {
            QByteArray reply;
            reply.append(payload[0]);
            Tq90Protocol::appendU32(reply, static_cast<std::uint32_t>(Tq90Result::UnknownCommand));
            socket->write(Tq90Protocol::encodeFrame(reply));
            continue;
        }
        const SimTerminal::Reply reply = m_terminal.handle(state->session, *command, payload.mid(1));
        if (*command == Tq90Protocol::Command::Bye) {
            socket->disconnectFromHost();
            return;
        }
        send(socket, *command, reply);
        if (socket->state() != QAbstractSocket::ConnectedState)
            return;
    }
}

void SimServer::send(QTcpSocket* socket, Tq90Protocol::Command command, const SimTerminal::Reply& reply)
{
    QByteArray frame = Tq90Protocol::encodeReply(command, reply.result, reply.data);
    if (!reply.misbehave) {
        socket->write(frame);
        return;
    }
    switch (*reply.misbehave) {
    case SimFaults::Kind::Code:
    case SimFaults::Kind::Grow:
        socket->write(frame);
        break;
    case SimFaults::Kind::Silent:
        break;
    case SimFaults::Kind::Corrupt:
        frame[Tq90Protocol::HeaderBytes] = static_cast<char>(frame[Tq90Protocol::HeaderBytes] ^ 0x5A);
        socket->write(frame);
        break;
    case SimFaults::Kind::Drop:
        socket->write(frame.left(frame.size() / 2));
        socket->flush();
        socket->disconnectFromHost();
        break;
    case SimFaults::Kind::Short: {
        QByteArray payload;
        payload.append(static_cast<char>(command));
        socket->write(Tq90Protocol::encodeFrame(payload));
        break;
    }
    case SimFaults::Kind::Trickle: {
        auto* timer = new QTimer(socket);
        auto sent = std::make_shared<qsizetype>(0);
        connect(timer, &QTimer::timeout, socket, [socket, timer, frame, sent] {
            if (*sent >= frame.size() || socket->state() != QAbstractSocket::ConnectedState) {
                timer->deleteLater();
                return;
            }
            socket->write(frame.mid((*sent)++, 1));
        });
        timer->start(100);
        break;
    }
    case SimFaults::Kind::Giant: {
        QByteArray head(Tq90Protocol::Magic, 2);
        Tq90Protocol::appendU32(head, 0xFFFFFFFFU);
        socket->write(head);
        break;
    }
    }
}
