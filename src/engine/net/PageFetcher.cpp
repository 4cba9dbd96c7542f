#include "PageFetcher.h"

#include "AsciiText.h"
#include "SocketLines.h"
#include "UrlHelpers.h"

#include <QEventLoop>
#include <QLocale>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>

#include <cstdlib>

#include <cctype>

namespace vortalux {

namespace {

constexpr size_t ReadChunkSize = 256 * 1024;
constexpr qint64 ReadBufferSize = 1024 * 1024;

int DefaultPortOf(std::string_view url)
{
    if (StartsWithNoCase(url, "https://"))
        return 443;
    if (StartsWithNoCase(url, "ftp://"))
        return 21;
    return 80;
}

// SplitUrl answers the path "/" for an address with nothing after the host; the request line is
// then "GET / HTTP/1.0", not "GET // HTTP/1.0".
bool HasPathAfterHost(std::string_view url)
{
    const size_t scheme = url.find("://");
    return url.find('/', scheme + 3) != std::string_view::npos;
}

bool IsSchemeName(std::string_view text)
{
    if (text.empty() || !std::isalpha(static_cast<unsigned char>(text.front())))
        return false;
    for (const char c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
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

} // namespace

PageFetcher::PageFetcher(QObject* parent)
    : QObject(parent)
{
    m_silenceTimer.setSingleShot(true);
    connect(&m_silenceTimer, &QTimer::timeout, this, [this] { EndFetch({}); });
    m_cookieLookup
        = [store = CookieStore::FromEnvironment()](const std::string& url) { return store.ReadCookies(url); };
    // Authorities of private servers, trusted beside the system's.
    if (const char* file = std::getenv("VORTALUX_CA_CERTIFICATES"); file != nullptr && *file != '\0')
        m_extraCertificates = QSslCertificate::fromPath(QString::fromLocal8Bit(file));
}

PageFetcher::~PageFetcher()
{
    DropSocket();
    m_retiredSockets.clear();
}

std::string PageFetcher::OpenURL(const std::string& url)
{
    // One fetch at a time: a second call from inside the wait is refused.
    if (!m_Finished)
        return {};
    m_page.clear();
    m_redirectCount = 0;
    m_decimalSeparator = QLocale::system().decimalPoint().toStdString();
    if (!StartRequest(url))
        return {};

    QEventLoop loop;
    m_waitLoop = &loop;
    if (!m_Finished)
        loop.exec();
    m_waitLoop = nullptr;
    // The loop also ends when the application quits: the fetch is then abandoned.
    if (!m_Finished)
        EndFetch({});
    DropSocket();
    m_retiredSockets.clear();
    return std::exchange(m_page, std::string());
}

bool PageFetcher::StartRequest(const std::string& url)
{
    std::string host, path;
    int port = 0;
    if (!SplitUrl(url, host, port, path))
        return false;
    m_FetchedUrl = url;
    m_Finished = false;
    m_https = IsHttpsUrl(url);
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
    const QString hostName = QString::fromStdString(host);
    const auto portNumber = static_cast<quint16>(port);
    if (m_https)
        static_cast<QSslSocket*>(m_socket.get())->connectToHostEncrypted(hostName, portNumber);
    else
        m_socket->connectToHost(hostName, portNumber);
    return true;
}

std::vector<std::string> PageFetcher::RequestLines(const std::string& url, const std::string& cookie)
{
    std::string host, path;
    int port = 0;
    if (!SplitUrl(url, host, port, path))
        return {};
    if (!HasPathAfterHost(url))
        path.clear();
    if (port != DefaultPortOf(url))
        host += ":" + std::to_string(port);

    std::vector<std::string> lines;
    lines.push_back("GET /" + path + " HTTP/1.0");
    lines.push_back("Host: " + host);
    lines.push_back("User-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)");
    if (!TrimAsciiBlanks(cookie).empty())
        lines.push_back("Cookie: " + cookie);
    lines.push_back("Accept: */*, *,*");
    lines.push_back("Connection: close");
    lines.push_back("");
    return lines;
}

void PageFetcher::OnConnected()
{
    m_silenceTimer.start(m_silenceLimit);
    ShowStatus(" - Downloading page (connected)");
    // The progress callback may have ended the fetch (a window handling Esc while it repaints).
    if (m_Finished)
        return;
    m_response.emplace(m_maxBodySize);
    const std::string cookie = m_cookieLookup ? m_cookieLookup(UrlFolder(m_FetchedUrl)) : std::string();
    for (const std::string& line : RequestLines(m_FetchedUrl, cookie))
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
    m_readBuffer.resize(ReadChunkSize);
    while (m_socket->bytesAvailable() > 0) {
        const qint64 got = m_socket->read(m_readBuffer.data(), static_cast<qint64>(m_readBuffer.size()));
        if (got <= 0)
            break;
        state = m_response->Feed(std::string_view(m_readBuffer.data(), static_cast<size_t>(got)));
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
        EndFetch(m_response->TakeBody());
        break;
    case HttpResponseParser::State::Redirect:
        FollowRedirect();
        break;
    case HttpResponseParser::State::Rejected:
        EndFetch({});
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
    const bool hasBody = m_response && m_response->GetState() == HttpResponseParser::State::Body;
    EndFetch(hasBody ? m_response->TakeBody() : std::string());
}

void PageFetcher::OnSocketError()
{
    if (m_socket == nullptr)
        return;
    // A server closing the connection is how a response ends, not a failure; OnDisconnected
    // follows.
    if (m_socket->error() == QAbstractSocket::RemoteHostClosedError)
        return;
    EndFetch({});
}

void PageFetcher::FollowRedirect()
{
    if (m_redirectCount >= MaxRedirects) {
        EndFetch({});
        return;
    }
    ++m_redirectCount;
    const std::string target = RedirectTarget(m_FetchedUrl, m_response->Location());
    DropSocket();
    if (!StartRequest(target))
        EndFetch({});
}

void PageFetcher::Finish()
{
    if (m_Finished)
        return;
    const bool hasBody = m_response && m_response->HeaderComplete()
        && (m_response->GetState() == HttpResponseParser::State::Body
            || m_response->GetState() == HttpResponseParser::State::BodyFull);
    EndFetch(hasBody ? m_response->TakeBody() : std::string());
}

void PageFetcher::Cancel()
{
    if (m_Finished)
        return;
    EndFetch({});
}

void PageFetcher::EndFetch(std::string page)
{
    m_page = std::move(page);
    m_Finished = true;
    m_silenceTimer.stop();
    m_response.reset();
    DropSocket();
    if (m_waitLoop != nullptr)
        m_waitLoop->quit();
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
    std::string text = std::to_string(tenths / 10);
    if (tenths % 10 != 0)
        text += std::string(decimalSeparator) + std::to_string(tenths % 10);
    return text;
}

} // namespace vortalux
