#include "UpdateServer.h"

#include "ConnectionGuard.h"
#include "GuardedTcpServer.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QSslConfiguration>
#include <QSslServer>
#include <QSslSocket>

namespace vortalux::server {

namespace {

std::filesystem::path DatabasePath(const ServerSettings& settings)
{
    return settings.database.empty() ? settings.root / "reports.sqlite" : settings.database;
}

std::string AddressText(const QHostAddress& address)
{
    bool isIpv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIpv4);
    return (isIpv4 ? QHostAddress(ipv4) : address).toString().toStdString();
}

} // namespace

std::unique_ptr<UpdateServer> UpdateServer::Create(const ServerSettings& settings, std::string& error)
{
    auto reports = ReportStore::Open(DatabasePath(settings), ReportStore::OpenMode::CreateIfMissing, error);
    if (!reports) {
        error = "cannot open the report database " + DatabasePath(settings).string() + ": " + error;
        return nullptr;
    }
    return std::unique_ptr<UpdateServer>(new UpdateServer(settings, std::move(reports)));
}

UpdateServer::UpdateServer(const ServerSettings& settings, std::unique_ptr<ReportStore> reports)
    : m_settings(settings)
    , m_reports(std::move(reports))
    , m_folder(settings.root, settings.fullCheckInterval)
    , m_reportLimiter(settings.reportsPerMinute)
    , m_handler(m_folder, *m_reports, m_reportLimiter)
{
    const std::filesystem::path database = DatabasePath(settings);
    std::vector<std::filesystem::path> privateFiles;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        privateFiles.push_back(database.string() + suffix);
    m_folder.SetPrivateFiles(std::move(privateFiles));
}

quint16 UpdateServer::Listen(
    const QHostAddress& address, quint16 port, const QSslConfiguration* tls, std::string& error)
{
    QTcpServer* listener = nullptr;
    if (tls) {
        auto* sslServer = new QSslServer(this);
        sslServer->setSslConfiguration(*tls);
        const RequestFramer::Limits limits = m_settings.limits;
        const auto idleLimit = m_settings.idleLimit;
        // The guard goes on before the handshake, so it sees the first decrypted byte.
        connect(sslServer, &QSslServer::startedEncryptionHandshake, this,
            [limits, idleLimit](QSslSocket* socket) { ConnectionGuard::Attach(socket, limits, idleLimit); });
        listener = sslServer;
    } else {
        listener = new GuardedTcpServer(m_settings.limits, m_settings.idleLimit, this);
    }
    // Many clients connect at once when a release is published; the default queue of 50 drops some.
    listener->setListenBacklogSize(1024);
    if (!listener->listen(address, port)) {
        error = listener->errorString().toStdString();
        delete listener;
        return 0;
    }
    bind(listener);
    return listener->serverPort();
}

std::string UpdateServer::ClientAddress(const QHttpServerRequest& request, QTcpSocket* socket) const
{
    const QHostAddress peer = socket ? socket->peerAddress() : request.remoteAddress();
    if (m_settings.trustedProxy && peer.isEqual(*m_settings.trustedProxy, QHostAddress::TolerantConversion)) {
        // The proxy appends the address it saw last; entries before it came from the client.
        const QList<QByteArray> chain = request.value("X-Forwarded-For").split(',');
        const QHostAddress forwarded(QString::fromLatin1(chain.last().trimmed()));
        if (!forwarded.isNull())
            return AddressText(forwarded);
    }
    return AddressText(peer);
}

void UpdateServer::Reply(
    const QHttpServerRequest& request, QTcpSocket* socket, int status, const std::string& body)
{
    ConnectionGuard::Answered(socket);
    auto responder = makeResponder(request, socket);
    responder.write(
        QByteArray::fromStdString(body), "text/plain", static_cast<QHttpServerResponder::StatusCode>(status));
}

bool UpdateServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    if (request.url().path() != QStringLiteral("/vtl.php"))
        return false;
    if (request.method() != QHttpServerRequest::Method::Post) {
        Reply(request, socket, 405, "error: only POST is answered");
        return true;
    }
    const QByteArray body = request.body();
    const ExchangeReply reply
        = m_handler.Handle(std::string_view(body.constData(), static_cast<size_t>(body.size())),
            ClientAddress(request, socket), RateLimiter::Clock::now());
    Reply(request, socket, reply.status, reply.body);
    return true;
}

void UpdateServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    Reply(request, socket, 404, "error: not found");
}

} // namespace vortalux::server
