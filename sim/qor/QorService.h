#pragma once

#include "FacilityStore.h"
#include "RalogWriter.h"

#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>
#include <vector>

// The simulated access-control service: a TCP server on the loopback address that speaks the
// service protocol (docs/qor-protocol.md). It checks the password, and on a pull writes the
// facility's pending logs into RALog and, when asked, deletes them from the facility.
class QorService final : public QObject
{
    Q_OBJECT

public:
    QorService(FacilityStore facilities, RalogWriter& writer, QString password, QObject* parent = nullptr);
    ~QorService() override;

    bool listen(quint16 port);
    quint16 port() const { return m_server.serverPort(); }
    QString errorString() const { return m_server.errorString(); }
    // How long a connection may stay silent before it is closed.
    void setIdleTimeout(int ms) { m_idleTimeout = ms; }

private:
    struct Session
    {
        QPointer<QTcpSocket> socket;
        QTimer* idle = nullptr; // a child of the socket
        QByteArray buffer;
        bool authenticated = false;
    };

    void accept();
    void readFrom(Session* session);
    void drop(Session* session);
    QByteArray answer(Session& session, const QByteArray& line, bool* close);
    QByteArray pull(const QList<QByteArray>& words);
    QByteArray count(const QList<QByteArray>& words);

    QTcpServer m_server;
    FacilityStore m_facilities;
    RalogWriter& m_writer;
    QString m_password;
    std::vector<std::unique_ptr<Session>> m_sessions;
    int m_idleTimeout = 60000;
};
