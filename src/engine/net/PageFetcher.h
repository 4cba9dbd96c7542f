#pragma once

#include "CookieStore.h"
#include "FetchError.h"
#include "HttpResponseParser.h"
#include "PageSource.h"

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

// Downloads web pages with one HTTP/1.0 GET each, the browser's cookies attached, following
// redirects, the body collected until the server closes the connection. OpenURL blocks its
// caller but keeps the thread's events running, so windows stay responsive and Finish or Cancel
// can end the wait at any moment. One fetch at a time; FetchedUrl outlives the fetches.
// Everything in an address, a response and a cookie is hostile: no control byte of theirs
// reaches the request, and every wait is bounded (silence limit, overall limit per page).
class PageFetcher : public QObject, public PageSource {
    Q_OBJECT

public:
    using StatusCallback = std::function<void(const std::string&)>;
    using CookieLookup = std::function<std::string(const std::string& url)>;
    using FailureCallback = std::function<void(const std::string& why)>;

    static constexpr int MaxRedirects = 20;
    static constexpr std::chrono::milliseconds DefaultSilenceLimit {60'000};
    // A server that trickles a byte now and then keeps the silence limit from ever running out;
    // this limit holds whatever arrives. It covers the page's redirects as well.
    static constexpr std::chrono::milliseconds DefaultPageTimeLimit {600'000};

    explicit PageFetcher(QObject* parent = nullptr);
    ~PageFetcher() override;

    // The body of the page at url ("http://", "https://" or "ftp://" with an HTTP server behind
    // it), or of the last response of its redirect chain; "" on every kind of failure. The body
    // is a byte string, never decoded.
    std::string OpenURL(const std::string& url) override;

    // Why the last OpenURL did not get the whole page ("connection refused", "HTTP status 404",
    // ...); empty when it did. A page cut short (by Finish, the overall limit or the size
    // limit) is returned all the same and its reason given here.
    std::string LastFailure() const override { return m_lastFailure; }
    FetchError LastError() const { return m_lastError; }

    // Ends the current wait; OpenURL returns the part of the body that has arrived.
    void Finish();
    // Ends the current wait and closes the connection; OpenURL returns "".
    void Cancel();

    // True when no fetch is waiting (the state a finished, failed or ended fetch leaves).
    bool IsFinished() const { return m_Finished; }
    // The address most recently fetched (after a redirect, its target). Unchanged by an address
    // the fetcher refuses.
    const std::string& FetchedUrl() const override { return m_fetchedUrl; }

    // Progress texts: the tag followed by " - Downloading page (connected)", "(header)" or
    // "(N Kb)".
    void SetTag(std::string tag) { m_tag = std::move(tag); }
    const std::string& Tag() const { return m_tag; }
    void SetStatusCallback(StatusCallback callback) { m_statusCallback = std::move(callback); }
    // Called with LastFailure() when a download ends without its whole page.
    void SetFailureCallback(FailureCallback callback) { m_failureCallback = std::move(callback); }

    // Where the Cookie line comes from; by default the CookieStore the environment names.
    void SetCookieLookup(CookieLookup lookup) { m_cookieLookup = std::move(lookup); }
    // How long a connection may stay silent before the fetch fails.
    void SetSilenceLimit(std::chrono::milliseconds limit) { m_silenceLimit = limit; }
    // How long one page, its redirects included, may take; then the fetch ends as Finish ends
    // it. By default the environment variable VORTALUX_PAGE_TIME_LIMIT (seconds), else 10
    // minutes.
    void SetPageTimeLimit(std::chrono::milliseconds limit) { m_pageTimeLimit = limit; }
    std::chrono::milliseconds PageTimeLimit() const { return m_pageTimeLimit; }
    // The body is no longer read past this size.
    void SetMaxBodySize(size_t bytes) { m_maxBodySize = bytes; }
    // Certificate authorities trusted beside the system's (for private servers and tests).
    void AddTrustedCertificates(const QList<QSslCertificate>& certificates)
    {
        m_extraCertificates += certificates;
    }

    // The size as the progress text shows it: bytes / 1024 rounded to one decimal, ties to
    // even, no trailing zero ("12.5", "12", "0.1").
    static std::string KilobyteText(std::uint64_t bytes, std::string_view decimalSeparator);

    // The lines of the request for url, each to be sent followed by CR LF; the last one is empty.
    // Control bytes and blanks of the path go out percent-encoded. The Host line carries the
    // port only when it is not the one of the connection's scheme; the Cookie line leaves out
    // pairs that hold a control byte, and is left out when nothing but blanks remains. Empty for
    // an address the fetcher refuses.
    static std::vector<std::string> RequestLines(const std::string& url, const std::string& cookie);

    // The port a download of url connects to: the address's own, else 443 for https and 80
    // otherwise (also for "ftp://"); 0 for an address the fetcher refuses.
    static int ConnectionPort(const std::string& url);

private:
    bool StartRequest(const std::string& url);
    void OnConnected();
    void OnReadyRead();
    void OnDisconnected();
    void OnSocketError();
    void ReadAvailable();
    void FollowRedirect();
    void EndFetch(std::string page, FetchError error = FetchError::None);
    // Ends the fetch with what has arrived of the body (Finish, the overall limit).
    void EndWithPartialPage(FetchError error);
    void EndRejected();
    std::string Describe(FetchError error) const;
    void DropSocket();
    void ShowStatus(std::string_view suffix) const;

    bool m_Finished = true;
    std::string m_fetchedUrl;
    std::string m_tag;
    StatusCallback m_statusCallback;
    FailureCallback m_failureCallback;
    CookieLookup m_cookieLookup;
    std::chrono::milliseconds m_silenceLimit = DefaultSilenceLimit;
    std::chrono::milliseconds m_pageTimeLimit = DefaultPageTimeLimit;
    size_t m_maxBodySize = HttpResponseParser::DefaultMaxBodySize;
    QList<QSslCertificate> m_extraCertificates;

    // The request under way.
    bool m_https = false;
    std::unique_ptr<QTcpSocket> m_socket;
    std::vector<std::unique_ptr<QTcpSocket>> m_retiredSockets;
    std::optional<HttpResponseParser> m_response;
    std::string m_decimalSeparator;
    int m_redirectCount = 0;
    bool m_certificateRejected = false;
    std::string m_statusCode;
    FetchError m_lastError = FetchError::None;
    std::string m_lastFailure;
    QTimer m_silenceTimer;
    QTimer m_pageTimer;
    QEventLoop* m_waitLoop = nullptr;
    std::string m_page;
};

} // namespace vortalux
