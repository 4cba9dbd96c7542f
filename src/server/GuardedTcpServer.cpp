#include "GuardedTcpServer.h"

#include "ConnectionGuard.h"

#include <QTcpSocket>

namespace vortalux::server {

void GuardedTcpServer::incomingConnection(qintptr descriptor)
{
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    ConnectionGuard::Attach(socket, m_limits, m_idleLimit);
    addPendingConnection(socket);
}

} // namespace vortalux::server
