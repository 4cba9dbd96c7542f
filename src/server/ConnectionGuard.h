#pragma once

#include "RequestFramer.h"

#include <QObject>
#include <QTimer>

#include <chrono>

class QTcpSocket;

namespace vortalux::server {

// Watches one connection ahead of the HTTP library (its readyRead slot is connected first, so it
// sees every chunk before the library reads it). It ends the connection when the framer refuses
// a request, when more bytes arrive than one request may hold without an answer, and after a
// silence of `idleLimit`, so no client can make the server buffer without bound or keep a
// connection open for ever.
class ConnectionGuard : public QObject {
    Q_OBJECT
public:
    ConnectionGuard(QTcpSocket* socket, RequestFramer::Limits limits, std::chrono::milliseconds idleLimit);

    // Connects a guard to a socket that has not been read yet.
    static void Attach(QTcpSocket* socket, RequestFramer::Limits limits, std::chrono::milliseconds idleLimit);
    // The server answered a request on `socket`.
    static void Answered(QTcpSocket* socket);

private:
    void OnReadyRead();
    void RefuseAndClose(int status, const QByteArray& reason);

    QTcpSocket* m_socket;
    RequestFramer m_framer;
    RequestFramer::Limits m_limits;
    QTimer m_idleTimer;
    uint64_t m_unanswered = 0;
    bool m_closing = false;
};

} // namespace vortalux::server
