#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

class SimConsole;

// The console over TCP: each connection sends command lines and reads one answer line each.
class SimControlServer final : public QObject
{
    Q_OBJECT

public:
    explicit SimControlServer(SimConsole& console, QObject* parent = nullptr);
    bool listen(const QHostAddress& address, quint16 port) { return m_server.listen(address, port); }
    quint16 port() const { return m_server.serverPort(); }
    QString errorString() const { return m_server.errorString(); }

Q_SIGNALS:
    void quitRequested();

private:
    void acceptConnections();

    SimConsole& m_console;
    QTcpServer m_server;
};
