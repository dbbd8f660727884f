#pragma once

#include "SimTerminal.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include <map>

class QTcpSocket;

// Accepts terminal clients and answers their frames from the terminal.
class SimServer final : public QObject
{
    Q_OBJECT

public:
    explicit SimServer(SimTerminal& terminal, QObject* parent = nullptr);
    bool listen(const QHostAddress& address, quint16 port);
    QString errorString() const { return m_server.errorString(); }
    quint16 port() const { return m_server.serverPort(); }
    int clients() const { return static_cast<int>(m_connections.size()); }

private:
    void acceptConnections();
    void serve(QTcpSocket* socket);
    void send(QTcpSocket* socket, Tq90Protocol::Command command, const SimTerminal::Reply& reply);

    // What each connection keeps between its frames.
    struct Connection
    {
        Tq90Protocol::FrameParser parser;
        SimTerminal::Session session;
    };

    SimTerminal& m_terminal;
    // Declared before the server: the server deletes the sockets it still owns when it goes,
    // and each socket's disconnected handler then erases its entry from this map.
    std::map<QTcpSocket*, Connection> m_connections;
    QTcpServer m_server;
};
