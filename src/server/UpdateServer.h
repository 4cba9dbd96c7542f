#pragma once

#include "ExchangeHandler.h"
#include "PublishedFolder.h"
#include "RateLimiter.h"
#include "ReportStore.h"
#include "RequestFramer.h"

#include <QAbstractHttpServer>
#include <QHostAddress>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

class QSslConfiguration;

namespace vortalux::server {

struct ServerSettings {
    std::filesystem::path root;
    std::filesystem::path database; // empty: root / "reports.sqlite"
    RequestFramer::Limits limits;
    unsigned reportsPerMinute = 30; // per address; 0: no limit
    std::chrono::milliseconds idleLimit = std::chrono::seconds(30);
    std::chrono::milliseconds fullCheckInterval = std::chrono::seconds(1);
    // Requests from this address carry the client's address in X-Forwarded-For (a reverse proxy).
    std::optional<QHostAddress> trustedProxy;
};

// The update and report server: answers POST "/vtl.php" (ExchangeHandler), anything else with
// 404 or 405. Runs on the thread that owns it.
class UpdateServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    // Nullptr with the reason in `error` when the report database cannot be opened.
    static std::unique_ptr<UpdateServer> Create(const ServerSettings& settings, std::string& error);

    // Listens on `address`:`port` (0: any free port), with TLS when `tls` is given; the port
    // listened on, or 0 with the reason in `error`.
    quint16 Listen(
        const QHostAddress& address, quint16 port, const QSslConfiguration* tls, std::string& error);

    ReportStore& Reports() { return *m_reports; }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    UpdateServer(const ServerSettings& settings, std::unique_ptr<ReportStore> reports);
    std::string ClientAddress(const QHttpServerRequest& request, QTcpSocket* socket) const;
    void Reply(const QHttpServerRequest& request, QTcpSocket* socket, int status, const std::string& body);

    ServerSettings m_settings;
    std::unique_ptr<ReportStore> m_reports;
    PublishedFolder m_folder;
    RateLimiter m_reportLimiter;
    ExchangeHandler m_handler;
};

} // namespace vortalux::server
