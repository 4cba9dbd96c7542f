#include "BackgroundServer.h"

#include <QHostAddress>

namespace vortalux::server {

BackgroundServer::BackgroundServer(const ServerSettings& settings)
    : m_context(new QObject)
{
    m_context->moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(
        m_context,
        [&] {
            m_server = UpdateServer::Create(settings, m_error);
            if (m_server)
                m_port = m_server->Listen(QHostAddress(QHostAddress::LocalHost), 0, nullptr, m_error);
        },
        Qt::BlockingQueuedConnection);
}

BackgroundServer::~BackgroundServer()
{
    QMetaObject::invokeMethod(
        m_context, [&] { m_server.reset(); }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_context;
}

} // namespace vortalux::server
