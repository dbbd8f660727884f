#include "SimControlServer.h"

#include "SimConsole.h"

#include <QTcpSocket>

SimControlServer::SimControlServer(SimConsole& console, QObject* parent) : QObject(parent), m_console(console)
{
    connect(&m_server, &QTcpServer::newConnection, this, &SimControlServer::acceptConnections);
}

void SimControlServer::acceptConnections()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                const QString line = QString::fromUtf8(socket->readLine()).trimmed();
                socket->write(m_console.execute(line).toUtf8() + '\n');
                if (m_console.quitRequested()) {
                    socket->flush();
                    Q_EMIT quitRequested();
                    return;
                }
            }
            // a line longer than any command is not a command; drop the connection
            if (socket->bytesAvailable() > 4096)
                socket->abort();
        });
    }
}
