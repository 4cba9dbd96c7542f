#include "ConnectionGuard.h"

#include <QTcpSocket>

namespace vortalux::server {

namespace {

QByteArray StatusText(int status)
{
    switch (status) {
    case 400:
        return "Bad Request";
    case 408:
        return "Request Timeout";
    case 413:
        return "Payload Too Large";
    case 431:
        return "Request Header Fields Too Large";
    case 501:
        return "Not Implemented";
    default:
        return "Error";
    }
}

} // namespace

ConnectionGuard::ConnectionGuard(
    QTcpSocket* socket, RequestFramer::Limits limits, std::chrono::milliseconds idleLimit)
    : QObject(socket)
    , m_socket(socket)
    , m_framer(limits)
    , m_limits(limits)
{
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(idleLimit);
    connect(&m_idleTimer, &QTimer::timeout, this, [this] { m_socket->abort(); });
    m_idleTimer.start();
    connect(socket, &QTcpSocket::readyRead, this, &ConnectionGuard::OnReadyRead);
    connect(socket, &QTcpSocket::bytesWritten, this, [this] { m_idleTimer.start(); });
}

void ConnectionGuard::Attach(
    QTcpSocket* socket, RequestFramer::Limits limits, std::chrono::milliseconds idleLimit)
{
    new ConnectionGuard(socket, limits, idleLimit);
}

void ConnectionGuard::Answered(QTcpSocket* socket)
{
    if (auto* guard
        = socket ? socket->findChild<ConnectionGuard*>(QString(), Qt::FindDirectChildrenOnly) : nullptr)
        guard->m_unanswered = 0;
}

void ConnectionGuard::OnReadyRead()
{
    m_idleTimer.start();
    if (m_closing) {
        m_socket->readAll();
        return;
    }
    const QByteArray chunk = m_socket->peek(m_socket->bytesAvailable());
    m_unanswered += static_cast<uint64_t>(chunk.size());
    if (m_framer.Feed(std::string_view(chunk.constData(), static_cast<size_t>(chunk.size())))
        == RequestFramer::Verdict::Refuse) {
        RefuseAndClose(m_framer.RefusalStatus(), QByteArray::fromStdString(m_framer.RefusalReason()));
        return;
    }
    // Whatever the library makes of the bytes, it never holds more than one request's worth
    // that the server has not answered yet.
    if (m_unanswered > m_limits.maxHeaderBytes + m_limits.maxBodyBytes + 4096)
        RefuseAndClose(413, "too many bytes without an answer");
}

void ConnectionGuard::RefuseAndClose(int status, const QByteArray& reason)
{
    m_closing = true;
    // The library must not see these bytes: they are taken off the socket here, before its slot.
    m_socket->readAll();
    const QByteArray body = "error: " + reason;
    m_socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + StatusText(status)
        + "\r\nContent-Type: text/plain\r\nContent-Length: " + QByteArray::number(body.size())
        + "\r\nConnection: close\r\n\r\n" + body);
    m_socket->disconnectFromHost();
}

} // namespace vortalux::server
