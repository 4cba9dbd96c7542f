#include "PageFetcher.h"

#include "AsciiText.h"
#include "RequestTarget.h"
#include "SocketLines.h"
#include "UrlHelpers.h"

#include <QEventLoop>
#include <QLocale>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <limits>

namespace vortalux {

namespace {

constexpr qint64 ReadBufferSize = 1024 * 1024;

// Wire and status texts never follow the process locale.
std::string DecimalText(long long value)
{
    char digits[24];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    return error == std::errc() ? std::string(digits, end) : std::string();
}

std::string DurationText(std::chrono::milliseconds duration)
{
    const auto ms = static_cast<long long>(duration.count());
    return ms % 1000 == 0 ? DecimalText(ms / 1000) + " s" : DecimalText(ms) + " ms";
}

// A number of seconds from the environment; nothing when unset or not a positive number.
std::optional<std::chrono::milliseconds> SecondsFromEnvironment(const char* name)
{
    const char* text = std::getenv(name);
    if (text == nullptr)
        return std::nullopt;
    const std::string_view value(text);
    // QTimer counts in int milliseconds.
    constexpr long long MaxSeconds = std::numeric_limits<int>::max() / 1000;
    long long seconds = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
    if (value.empty() || error != std::errc() || end != value.data() + value.size() || seconds <= 0)
        return std::nullopt;
    return std::chrono::seconds(std::min(seconds, MaxSeconds));
}

// ASCII only: <cctype> answers by the process locale, where bytes past 0x7F may be letters.
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsSchemeName(std::string_view text)
{
    if (text.empty() || !IsAsciiLetter(text.front()))
        return false;
    return std::all_of(text.begin(), text.end(), [](char c) {
        return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    });
}

// The address a Location leads to, seen from the page that answered with it.
std::string RedirectTarget(const std::string& fetchedUrl, const std::string& location)
{
    const size_t schemeEnd = location.find("://");
    if (schemeEnd != std::string::npos && IsSchemeName(std::string_view(location).substr(0, schemeEnd)))
        return location;
    const size_t fetchedSchemeEnd = fetchedUrl.find("://");
    if (fetchedSchemeEnd != std::string::npos && location.starts_with('/')) {
        // "//host/path" keeps the scheme, "/path" the scheme and the server.
        if (location.starts_with("//"))
            return fetchedUrl.substr(0, fetchedSchemeEnd + 1) + location;
        const size_t hostEnd = fetchedUrl.find('/', fetchedSchemeEnd + 3);
        return fetchedUrl.substr(0, hostEnd) + location;
    }
    return UrlFolder(fetchedUrl) + location;
}

// The cookie text without the pairs that hold a control byte. The cookie stores leave such
// cookies out already; a lookup of another kind must not smuggle a line break in either.
std::string CleanCookie(std::string_view cookie)
{
    if (std::none_of(cookie.begin(), cookie.end(), IsAsciiControl))
        return std::string(cookie);
    std::string kept;
    while (!cookie.empty()) {
        const size_t end = cookie.find(';');
        const std::string_view pair = cookie.substr(0, end);
        cookie.remove_prefix(end == std::string_view::npos ? cookie.size() : end + 1);
        if (std::any_of(pair.begin(), pair.end(), IsAsciiControl))
            continue;
        if (!kept.empty())
            kept += ';';
        kept += pair;
    }
    return kept;
}

bool IsThreeDigits(std::string_view code)
{
    return code.size() == 3
        && std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

PageFetcher::PageFetcher(QObject* parent)
    : QObject(parent)
{
    m_silenceTimer.setSingleShot(true);
    connect(&m_silenceTimer, &QTimer::timeout, this, [this] { EndFetch({}, FetchError::SilenceLimit); });
    m_pageTimer.setSingleShot(true);
    connect(&m_pageTimer, &QTimer::timeout, this, [this] { EndWithPartialPage(FetchError::TimeLimit); });
    m_cookieLookup
        = [store = CookieStore::FromEnvironment()](const std::string& url) { return store.ReadCookies(url); };
    // Authorities of private servers, trusted beside the system's.
    if (const char* file = std::getenv("VORTALUX_CA_CERTIFICATES"); file != nullptr && *file != '\0')
        m_extraCertificates = QSslCertificate::fromPath(QString::fromLocal8Bit(file));
    if (const auto limit = SecondsFromEnvironment("VORTALUX_PAGE_TIME_LIMIT"))
        m_pageTimeLimit = *limit;
}

PageFetcher::~PageFetcher()
{
    DropSocket();
    m_retiredSockets.clear();
}

std::string PageFetcher::OpenURL(const std::string& url)
{
    // One fetch at a time: a second call from inside the wait is refused.
    if (!m_Finished) {
        m_lastError = FetchError::Busy;
        m_lastFailure = Describe(m_lastError);
        return {};
    }
    m_page.clear();
    m_redirectCount = 0;
    m_lastError = FetchError::None;
    m_lastFailure.clear();
    m_decimalSeparator = QLocale::system().decimalPoint().toStdString();
    // Started first, so that it also covers whatever StartRequest sets going.
    m_pageTimer.start(m_pageTimeLimit);
    if (StartRequest(url)) {
        QEventLoop loop;
        m_waitLoop = &loop;
        if (!m_Finished)
            loop.exec();
        m_waitLoop = nullptr;
        // The loop also ends when the application quits: the fetch is then abandoned.
        if (!m_Finished)
            EndFetch({}, FetchError::Cancelled);
        DropSocket();
        m_retiredSockets.clear();
    } else {
        m_pageTimer.stop();
        m_lastError = FetchError::AddressRefused;
        m_lastFailure = Describe(m_lastError);
    }
    if (m_lastError != FetchError::None && m_failureCallback)
        m_failureCallback(m_lastFailure);
    return std::exchange(m_page, std::string());
}

bool PageFetcher::StartRequest(const std::string& url)
{
    const std::optional<RequestTarget> target = RequestTarget::FromUrl(url);
    if (!target)
        return false;
    m_fetchedUrl = url;
    m_Finished = false;
    m_https = target->https;
    m_certificateRejected = false;
    m_response.reset();

    DropSocket();
    if (m_https) {
        auto socket = std::make_unique<QSslSocket>();
        if (!m_extraCertificates.isEmpty()) {
            QSslConfiguration configuration = socket->sslConfiguration();
            configuration.addCaCertificates(m_extraCertificates);
            socket->setSslConfiguration(configuration);
        }
        connect(socket.get(), &QSslSocket::encrypted, this, &PageFetcher::OnConnected);
        connect(socket.get(), &QSslSocket::sslErrors, this, [this] { m_certificateRejected = true; });
        m_socket = std::move(socket);
    } else {
        m_socket = std::make_unique<QTcpSocket>();
        connect(m_socket.get(), &QTcpSocket::connected, this, &PageFetcher::OnConnected);
    }
    // Bounded so that Qt keeps reusing one buffer instead of mapping fresh memory for each read.
    m_socket->setReadBufferSize(ReadBufferSize);
    connect(m_socket.get(), &QTcpSocket::readyRead, this, &PageFetcher::OnReadyRead);
    connect(m_socket.get(), &QTcpSocket::disconnected, this, &PageFetcher::OnDisconnected);
    connect(m_socket.get(), &QTcpSocket::errorOccurred, this, &PageFetcher::OnSocketError);

    m_silenceTimer.start(m_silenceLimit);
    const QString hostName = QString::fromStdString(target->host);
    const auto portNumber = static_cast<quint16>(target->port);
    if (m_https)
        static_cast<QSslSocket*>(m_socket.get())->connectToHostEncrypted(hostName, portNumber);
    else
        m_socket->connectToHost(hostName, portNumber);
    return true;
}

std::vector<std::string> PageFetcher::RequestLines(const std::string& url, const std::string& cookie)
{
    const std::optional<RequestTarget> target = RequestTarget::FromUrl(url);
    if (!target)
        return {};
    std::vector<std::string> lines;
    lines.push_back("GET " + target->path + " HTTP/1.0");
    lines.push_back("Host: " + target->HostHeader());
    lines.push_back("User-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)");
    const std::string cleanCookie = CleanCookie(cookie);
    if (!TrimAsciiBlanks(cleanCookie).empty())
        lines.push_back("Cookie: " + cleanCookie);
    lines.push_back("Accept: */*, *,*");
    lines.push_back("Connection: close");
    lines.push_back("");
    return lines;
}

int PageFetcher::ConnectionPort(const std::string& url)
{
    const std::optional<RequestTarget> target = RequestTarget::FromUrl(url);
    return target ? target->port : 0;
}

void PageFetcher::OnConnected()
{
    m_silenceTimer.start(m_silenceLimit);
    ShowStatus(" - Downloading page (connected)");
    // The progress callback may have ended the fetch (a window handling Esc while it repaints).
    if (m_Finished)
        return;
    m_response.emplace(m_maxBodySize);
    const std::string cookie = m_cookieLookup ? m_cookieLookup(UrlFolder(m_fetchedUrl)) : std::string();
    for (const std::string& line : RequestLines(m_fetchedUrl, cookie))
        SendLine(*m_socket, line);
}

void PageFetcher::OnReadyRead()
{
    if (m_socket == nullptr || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    m_silenceTimer.start(m_silenceLimit);
    ReadAvailable();
}

void PageFetcher::ReadAvailable()
{
    if (!m_response || m_socket->bytesAvailable() <= 0)
        return;
    if (!m_response->HeaderComplete()) {
        ShowStatus(" - Downloading page (header)");
        if (m_Finished)
            return;
    }

    HttpResponseParser::State state = m_response->GetState();
    while (m_socket->bytesAvailable() > 0) {
        // Asked for all it holds, the socket hands over its buffer as it is when that is one
        // block (one read from the system), instead of copying it.
        const QByteArray block = m_socket->read(m_socket->bytesAvailable());
        if (block.isEmpty())
            break;
        state = m_response->Feed(std::string_view(block.constData(), static_cast<size_t>(block.size())));
        if (state != HttpResponseParser::State::Incomplete && state != HttpResponseParser::State::Body)
            break;
    }

    switch (state) {
    case HttpResponseParser::State::Incomplete:
        break;
    case HttpResponseParser::State::Body:
        ShowStatus(
            " - Downloading page (" + KilobyteText(m_response->Body().size(), m_decimalSeparator) + " Kb)");
        break;
    case HttpResponseParser::State::BodyFull:
        ShowStatus(
            " - Downloading page (" + KilobyteText(m_response->Body().size(), m_decimalSeparator) + " Kb)");
        if (!m_Finished)
            EndFetch(m_response->TakeBody(), FetchError::PageTooLarge);
        break;
    case HttpResponseParser::State::Redirect:
        FollowRedirect();
        break;
    case HttpResponseParser::State::Rejected:
        EndRejected();
        break;
    }
}

void PageFetcher::EndRejected()
{
    switch (m_response->GetRejection()) {
    case HttpResponseParser::Rejection::NotHttp:
        EndFetch({}, FetchError::NotHttp);
        break;
    case HttpResponseParser::Rejection::HeaderTooLarge:
        EndFetch({}, FetchError::HeaderTooLarge);
        break;
    case HttpResponseParser::Rejection::None:
    case HttpResponseParser::Rejection::Status:
        m_statusCode = m_response->Code();
        EndFetch({}, FetchError::HttpStatus);
        break;
    }
}

void PageFetcher::OnDisconnected()
{
    const QTcpSocket* socket = m_socket.get();
    if (socket == nullptr)
        return;
    ReadAvailable();
    // What was left to read may have ended the fetch or started a redirect's request.
    if (m_Finished || m_socket.get() != socket)
        return;
    // The server closed the connection: the body is complete. A response that ended before its
    // header did carries no page.
    if (m_response && m_response->GetState() == HttpResponseParser::State::Body)
        EndFetch(m_response->TakeBody());
    else
        EndFetch({}, FetchError::ConnectionLost);
}

void PageFetcher::OnSocketError()
{
    if (m_socket == nullptr)
        return;
    switch (m_socket->error()) {
    case QAbstractSocket::RemoteHostClosedError:
        // A server closing the connection is how a response ends, not a failure; OnDisconnected
        // follows.
        return;
    case QAbstractSocket::HostNotFoundError:
        EndFetch({}, FetchError::HostNotFound);
        return;
    case QAbstractSocket::ConnectionRefusedError:
        EndFetch({}, FetchError::ConnectionRefused);
        return;
    case QAbstractSocket::SocketTimeoutError:
        EndFetch({}, FetchError::SilenceLimit);
        return;
    case QAbstractSocket::SslHandshakeFailedError:
        EndFetch({}, m_certificateRejected ? FetchError::UntrustedCertificate : FetchError::TlsFailure);
        return;
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        EndFetch({}, FetchError::TlsFailure);
        return;
    default:
        EndFetch({}, m_response ? FetchError::ConnectionLost : FetchError::NetworkError);
        return;
    }
}

void PageFetcher::FollowRedirect()
{
    if (m_redirectCount >= MaxRedirects) {
        EndFetch({}, FetchError::TooManyRedirects);
        return;
    }
    ++m_redirectCount;
    const std::string target = RedirectTarget(m_fetchedUrl, m_response->Location());
    DropSocket();
    if (!StartRequest(target))
        EndFetch({}, FetchError::AddressRefused);
}

void PageFetcher::Finish()
{
    if (!m_Finished)
        EndWithPartialPage(FetchError::Stopped);
}

void PageFetcher::Cancel()
{
    if (!m_Finished)
        EndFetch({}, FetchError::Cancelled);
}

void PageFetcher::EndWithPartialPage(FetchError error)
{
    const bool hasBody = m_response && m_response->HeaderComplete()
        && (m_response->GetState() == HttpResponseParser::State::Body
            || m_response->GetState() == HttpResponseParser::State::BodyFull);
    EndFetch(hasBody ? m_response->TakeBody() : std::string(), error);
}

void PageFetcher::EndFetch(std::string page, FetchError error)
{
    m_page = std::move(page);
    m_lastError = error;
    m_lastFailure = Describe(error);
    m_Finished = true;
    m_silenceTimer.stop();
    m_pageTimer.stop();
    m_response.reset();
    DropSocket();
    if (m_waitLoop != nullptr)
        m_waitLoop->quit();
}

std::string PageFetcher::Describe(FetchError error) const
{
    switch (error) {
    case FetchError::None:
        return {};
    case FetchError::AddressRefused:
        return "address refused";
    case FetchError::Busy:
        return "another download is under way";
    case FetchError::HostNotFound:
        return "host not found";
    case FetchError::ConnectionRefused:
        return "connection refused";
    case FetchError::ConnectionLost:
        return "connection lost before the response";
    case FetchError::SilenceLimit:
        return "timed out: no data for " + DurationText(m_silenceLimit);
    case FetchError::TimeLimit:
        return "timed out: the page took longer than " + DurationText(m_pageTimeLimit);
    case FetchError::UntrustedCertificate:
        return "untrusted certificate";
    case FetchError::TlsFailure:
        return "TLS failure";
    case FetchError::NotHttp:
        return "not an HTTP response";
    case FetchError::HeaderTooLarge:
        return "response header too large";
    case FetchError::PageTooLarge:
        return "page too large: cut at " + DecimalText(static_cast<long long>(m_maxBodySize)) + " bytes";
    case FetchError::TooManyRedirects:
        return "too many redirects (more than " + DecimalText(MaxRedirects) + ")";
    case FetchError::HttpStatus:
        // The status text comes from the server: only a plain three-digit code is repeated.
        if (!IsThreeDigits(m_statusCode))
            return "malformed HTTP status line";
        if (m_statusCode.starts_with('3'))
            return "HTTP status " + m_statusCode + " without a usable Location";
        return "HTTP status " + m_statusCode;
    case FetchError::Stopped:
        return "stopped before the end";
    case FetchError::Cancelled:
        return "cancelled";
    case FetchError::NetworkError:
        return "network error";
    }
    return {};
}

void PageFetcher::DropSocket()
{
    if (m_socket == nullptr)
        return;
    m_socket->disconnect(this);
    m_socket->abort();
    // The socket may be the sender of the signal being handled: it is deleted once the wait is
    // over, when none of its signals can be on the stack.
    m_retiredSockets.push_back(std::move(m_socket));
}

void PageFetcher::ShowStatus(std::string_view suffix) const
{
    if (m_statusCallback)
        m_statusCallback(m_tag + std::string(suffix));
}

std::string PageFetcher::KilobyteText(std::uint64_t bytes, std::string_view decimalSeparator)
{
    // Tenths of a kilobyte, the half rounded to the even neighbour; exact in integers.
    const std::uint64_t scaled = bytes * 10;
    std::uint64_t tenths = scaled / 1024;
    const std::uint64_t remainder = scaled % 1024;
    if (remainder > 512 || (remainder == 512 && tenths % 2 == 1))
        ++tenths;
    std::string text = DecimalText(static_cast<long long>(tenths / 10));
    if (tenths % 10 != 0)
        text += std::string(decimalSeparator) + DecimalText(static_cast<long long>(tenths % 10));
    return text;
}

} // namespace vortalux
