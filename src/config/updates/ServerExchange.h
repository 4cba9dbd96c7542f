#pragma once

#include "ExchangeError.h"
#include "ServerAddress.h"
#include "ServerReplyParser.h"

#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QEventLoop;
class QTcpSocket;

namespace vortalux {

// The configuration program's one line to the update server: one HTTP/1.0 POST of a form body
// per exchange, on a fresh connection, and the reply collected while the caller waits. The wait
// keeps the thread's events running (a QEventLoop), so windows stay responsive and Cancel ends
// it at any moment. One exchange at a time.
//
// How a window or a command uses it:
//   exchange.ClearRequest();
//   exchange.AddVarToBuffer("action", "getfile");
//   exchange.AddVarToBuffer("name", "Rules/" + name + ".vtl");
//   const ExchangeError error = exchange.PostToServer(progress);
//   then ReplyText() (the body as received, after the header) and ContentLength().
//
// Outcomes: None means the whole body arrived (as many bytes as Content-Length said, or, without
// that header, all until the server closed). IncompleteTransmission keeps what arrived in
// ReplyText() so the install can say "Error! Incomplete transmission: " + the name. Every other
// error leaves ReplyText() empty, so a caller that only looks for "ok" at its start reports the
// failure as incorrect data; LastFailure() says what happened in plain words (for a refused
// address: why it is refused).
//
// The limits hold whatever the server does: no redirect is followed (a 302 is an HttpStatus
// failure), the body is not read past 64 MiB, and a connection silent for 60 seconds fails.
class ServerExchange : public QObject {
    Q_OBJECT

public:
    // Where the reply stands: the Content-Length value (0 when the reply has none, or before
    // the header arrived) and the body bytes received so far.
    struct Progress {
        std::int64_t contentLength = 0;
        std::uint64_t received = 0;
    };
    // Called once when the connection has been started ({0, 0}) and after each read of the
    // reply. It may call Cancel().
    using ProgressCallback = std::function<void(const Progress&)>;

    static constexpr std::chrono::milliseconds DefaultSilenceLimit {60'000};

    // Talks to `serverUrl`; by default ServerUrl(). The address is checked by PostToServer.
    explicit ServerExchange(std::string serverUrl = ServerUrl(), QObject* parent = nullptr);
    ~ServerExchange() override;

    const std::string& Url() const { return m_url; }

    // The request body: ClearRequest, then one AddVarToBuffer per field, in order.
    void ClearRequest() { m_requestBody.clear(); }
    void AddVarToBuffer(std::string_view name, std::string_view value);
    const std::string& RequestBody() const { return m_requestBody; }

    // Sends the request and waits for the reply; see the outcomes above. Busy when called while
    // an exchange is waiting (from a window's event during the wait): that exchange goes on.
    [[nodiscard]] ExchangeError PostToServer(const ProgressCallback& progress = {});

    // Ends the waiting exchange at once with Cancelled; nothing when none waits.
    void Cancel();
    bool IsBusy() const { return !m_Finished; }

    const std::string& ReplyText() const { return m_replyText; }
    std::string TakeReplyText() { return std::move(m_replyText); }
    // The reply's Content-Length; 0 when it had none.
    std::int64_t ContentLength() const { return m_contentLength; }
    ExchangeError LastError() const { return m_lastError; }
    std::string LastFailure() const { return m_lastFailure; }

    void SetSilenceLimit(std::chrono::milliseconds limit) { m_silenceLimit = limit; }
    void SetMaxReplySize(size_t bytes) { m_maxReplySize = bytes; }
    // Certificate authorities trusted beside the system's; by default those of the PEM file the
    // environment variable VORTALUX_CA_CERTIFICATES names (private servers, tests).
    void AddTrustedCertificates(const QList<QSslCertificate>& certificates)
    {
        m_extraCertificates += certificates;
    }

    // The request's lines, each sent followed by CR LF: the POST line, Host (with ":port" for a
    // port that is not the scheme's own), Content-Type, User-Agent, Accept, Content-Length (the
    // body's length, without the CR LF after it), Connection, the empty line, and the body.
    static std::vector<std::string> RequestLines(const ServerAddress& address, std::string_view body);

private:
    void OnConnected();
    void OnReadyRead();
    void OnDisconnected();
    void OnSocketError();
    void ReadAvailable();
    void Report();
    void EndFromParser();
    void EndExchange(ExchangeError error);
    std::string Describe(ExchangeError error) const;
    void DropSocket();

    std::string m_url;
    std::string m_requestBody;
    std::chrono::milliseconds m_silenceLimit = DefaultSilenceLimit;
    size_t m_maxReplySize = ServerReplyParser::DefaultMaxReplySize;
    QList<QSslCertificate> m_extraCertificates;

    bool m_Finished = true;
    std::optional<ServerAddress> m_address;
    std::optional<ServerReplyParser> m_reply;
    const ProgressCallback* m_progress = nullptr;
    std::unique_ptr<QTcpSocket> m_socket;
    std::vector<std::unique_ptr<QTcpSocket>> m_retiredSockets;
    bool m_certificateRejected = false;
    QTimer m_silenceTimer;
    QEventLoop* m_waitLoop = nullptr;

    std::string m_replyText;
    std::int64_t m_contentLength = 0;
    ExchangeError m_lastError = ExchangeError::None;
    std::string m_lastFailure;
    std::string m_statusCode;
};

} // namespace vortalux
