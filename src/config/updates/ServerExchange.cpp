#include "ServerExchange.h"

#include "FormEncoding.h"
#include "SocketLines.h"

#include <QEventLoop>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace vortalux {

namespace {

constexpr qint64 ReadBufferSize = 1024 * 1024;

std::string DecimalText(long long value)
{
    char digits[24];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    return error == std::errc() ? std::string(digits, end) : std::string();
}

bool IsThreeDigits(std::string_view code)
{
    return code.size() == 3
        && std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

ServerExchange::ServerExchange(std::string serverUrl, QObject* parent)
    : QObject(parent)
    , m_url(std::move(serverUrl))
{
    m_silenceTimer.setSingleShot(true);
    connect(&m_silenceTimer, &QTimer::timeout, this, [this] { EndExchange(ExchangeError::SilenceLimit); });
    if (const char* file = std::getenv("VORTALUX_CA_CERTIFICATES"); file != nullptr && *file != '\0')
        m_extraCertificates = QSslCertificate::fromPath(QString::fromLocal8Bit(file));
}

ServerExchange::~ServerExchange()
{
    DropSocket();
    m_retiredSockets.clear();
}

void ServerExchange::AddVarToBuffer(std::string_view name, std::string_view value)
{
    vortalux::AddVarToBuffer(m_requestBody, name, value);
}

std::vector<std::string> ServerExchange::RequestLines(const ServerAddress& address, std::string_view body)
{
    return {
        "POST " + address.path + " HTTP/1.0",
        "Host: " + address.HostHeader(),
        "Content-Type: application/x-www-form-urlencoded",
        "User-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows 98; VTL)",
        "Accept: */*, *,*",
        "Content-Length: " + DecimalText(static_cast<long long>(body.size())),
        "Connection: Keep-Alive",
        "",
        std::string(body),
    };
}

ExchangeError ServerExchange::PostToServer(const ProgressCallback& progress)
{
    // One exchange at a time: a second call from inside the wait is refused.
    if (!m_Finished)
        return ExchangeError::Busy;
    m_replyText.clear();
    m_contentLength = 0;
    m_lastError = ExchangeError::None;
    m_lastFailure.clear();
    m_statusCode.clear();

    std::string why;
    m_address = ServerAddress::FromUrl(m_url, why);
    if (!m_address) {
        m_lastError = ExchangeError::AddressRefused;
        m_lastFailure = why;
        return m_lastError;
    }

    m_Finished = false;
    m_certificateRejected = false;
    m_reply.reset();
    m_progress = &progress;
    DropSocket();
    if (m_address->https) {
        auto socket = std::make_unique<QSslSocket>();
        if (!m_extraCertificates.isEmpty()) {
            QSslConfiguration configuration = socket->sslConfiguration();
            configuration.addCaCertificates(m_extraCertificates);
            socket->setSslConfiguration(configuration);
        }
        connect(socket.get(), &QSslSocket::encrypted, this, &ServerExchange::OnConnected);
        connect(socket.get(), &QSslSocket::sslErrors, this, [this] { m_certificateRejected = true; });
        m_socket = std::move(socket);
    } else {
        m_socket = std::make_unique<QTcpSocket>();
        connect(m_socket.get(), &QTcpSocket::connected, this, &ServerExchange::OnConnected);
    }
    m_socket->setReadBufferSize(ReadBufferSize);
    connect(m_socket.get(), &QTcpSocket::readyRead, this, &ServerExchange::OnReadyRead);
    connect(m_socket.get(), &QTcpSocket::disconnected, this, &ServerExchange::OnDisconnected);
    connect(m_socket.get(), &QTcpSocket::errorOccurred, this, &ServerExchange::OnSocketError);

    m_silenceTimer.start(m_silenceLimit);
    const QString host = QString::fromStdString(m_address->host);
    const auto port = static_cast<quint16>(m_address->port);
    if (m_address->https)
        static_cast<QSslSocket*>(m_socket.get())->connectToHostEncrypted(host, port);
    else
        m_socket->connectToHost(host, port);
    Report();

    if (!m_Finished) {
        QEventLoop loop;
        m_waitLoop = &loop;
        loop.exec();
        m_waitLoop = nullptr;
        // The loop also ends when the application quits: the exchange is then abandoned.
        if (!m_Finished)
            EndExchange(ExchangeError::Cancelled);
    }
    m_progress = nullptr;
    DropSocket();
    m_retiredSockets.clear();
    return m_lastError;
}

void ServerExchange::OnConnected()
{
    m_silenceTimer.start(m_silenceLimit);
    m_reply.emplace(m_maxReplySize);
    for (const std::string& line : RequestLines(*m_address, m_requestBody)) {
        SendLine(*m_socket, line);
        // Sending lets events run: a Cancel may have ended the exchange.
        if (m_Finished)
            return;
    }
}

void ServerExchange::OnReadyRead()
{
    if (m_socket == nullptr || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    m_silenceTimer.start(m_silenceLimit);
    ReadAvailable();
}

void ServerExchange::ReadAvailable()
{
    if (!m_reply || m_Finished)
        return;
    while (m_socket->bytesAvailable() > 0 && !m_reply->IsFinal()) {
        const QByteArray block = m_socket->read(m_socket->bytesAvailable());
        if (block.isEmpty())
            break;
        m_reply->Feed(std::string_view(block.constData(), static_cast<size_t>(block.size())));
    }
    m_contentLength = m_reply->ContentLength();
    Report();
    // The progress callback may have cancelled the exchange.
    if (!m_Finished && m_reply->IsFinal())
        EndFromParser();
}

void ServerExchange::Report()
{
    if (m_progress == nullptr || !*m_progress)
        return;
    const std::uint64_t received = m_reply ? m_reply->ReplyText().size() : 0;
    (*m_progress)(Progress {m_contentLength, received});
}

void ServerExchange::EndFromParser()
{
    switch (m_reply->GetState()) {
    case ServerReplyParser::State::Header:
    case ServerReplyParser::State::Body:
        return;
    case ServerReplyParser::State::Complete:
        m_replyText = m_reply->TakeReplyText();
        EndExchange(ExchangeError::None);
        return;
    case ServerReplyParser::State::Incomplete:
        m_replyText = m_reply->TakeReplyText();
        EndExchange(ExchangeError::IncompleteTransmission);
        return;
    case ServerReplyParser::State::NotHttp:
        EndExchange(ExchangeError::NotHttp);
        return;
    case ServerReplyParser::State::HeaderTooLarge:
        EndExchange(ExchangeError::HeaderTooLarge);
        return;
    case ServerReplyParser::State::HttpStatus:
        m_statusCode = m_reply->Code();
        EndExchange(ExchangeError::HttpStatus);
        return;
    case ServerReplyParser::State::TooLarge:
        EndExchange(ExchangeError::ReplyTooLarge);
        return;
    case ServerReplyParser::State::HeaderCut:
        EndExchange(ExchangeError::ConnectionLost);
        return;
    }
}

void ServerExchange::OnDisconnected()
{
    const QTcpSocket* socket = m_socket.get();
    if (socket == nullptr || m_Finished)
        return;
    ReadAvailable();
    if (m_Finished || m_socket.get() != socket)
        return;
    if (!m_reply) {
        EndExchange(ExchangeError::ConnectionLost);
        return;
    }
    m_reply->EndOfData();
    EndFromParser();
}

void ServerExchange::OnSocketError()
{
    if (m_socket == nullptr || m_Finished)
        return;
    switch (m_socket->error()) {
    case QAbstractSocket::RemoteHostClosedError:
        // The server closing the connection is how a reply without Content-Length ends;
        // OnDisconnected follows.
        return;
    case QAbstractSocket::HostNotFoundError:
        EndExchange(ExchangeError::HostNotFound);
        return;
    case QAbstractSocket::ConnectionRefusedError:
        EndExchange(ExchangeError::ConnectionRefused);
        return;
    case QAbstractSocket::SocketTimeoutError:
        EndExchange(ExchangeError::SilenceLimit);
        return;
    case QAbstractSocket::SslHandshakeFailedError:
        EndExchange(m_certificateRejected ? ExchangeError::UntrustedCertificate : ExchangeError::TlsFailure);
        return;
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        EndExchange(ExchangeError::TlsFailure);
        return;
    default:
        EndExchange(m_reply ? ExchangeError::ConnectionLost : ExchangeError::NetworkError);
        return;
    }
}

void ServerExchange::Cancel()
{
    if (!m_Finished)
        EndExchange(ExchangeError::Cancelled);
}

void ServerExchange::EndExchange(ExchangeError error)
{
    // Only a whole body, or the part of one that came short or long, is kept.
    if (error != ExchangeError::None && error != ExchangeError::IncompleteTransmission)
        m_replyText.clear();
    m_lastError = error;
    m_lastFailure = Describe(error);
    m_Finished = true;
    m_silenceTimer.stop();
    m_reply.reset();
    DropSocket();
    if (m_waitLoop != nullptr)
        m_waitLoop->quit();
}

std::string ServerExchange::Describe(ExchangeError error) const
{
    switch (error) {
    case ExchangeError::None:
        return {};
    case ExchangeError::AddressRefused:
        return "the update server's address is refused";
    case ExchangeError::Busy:
        return "another exchange with the update server is under way";
    case ExchangeError::HostNotFound:
        return "host not found";
    case ExchangeError::ConnectionRefused:
        return "connection refused";
    case ExchangeError::ConnectionLost:
        return "connection lost before the reply";
    case ExchangeError::SilenceLimit: {
        const auto ms = static_cast<long long>(m_silenceLimit.count());
        return "timed out: no data for "
            + (ms % 1000 == 0 ? DecimalText(ms / 1000) + " s" : DecimalText(ms) + " ms");
    }
    case ExchangeError::UntrustedCertificate:
        return "the server's certificate is not trusted by this system";
    case ExchangeError::TlsFailure:
        return "TLS failure";
    case ExchangeError::NotHttp:
        return "not an HTTP reply";
    case ExchangeError::HeaderTooLarge:
        return "reply header too large";
    case ExchangeError::HttpStatus:
        // The status text comes from the server: only a plain three-digit code is repeated.
        return IsThreeDigits(m_statusCode) ? "HTTP status " + m_statusCode : "malformed HTTP status line";
    case ExchangeError::ReplyTooLarge:
        return "reply larger than " + DecimalText(static_cast<long long>(m_maxReplySize)) + " bytes";
    case ExchangeError::IncompleteTransmission:
        return "the reply's body does not have the length its Content-Length announced";
    case ExchangeError::Cancelled:
        return "cancelled";
    case ExchangeError::NetworkError:
        return "network error";
    }
    return {};
}

void ServerExchange::DropSocket()
{
    if (m_socket == nullptr)
        return;
    m_socket->disconnect(this);
    m_socket->abort();
    // The socket may be the sender of the signal being handled: it is deleted once the wait is
    // over, when none of its signals can be on the stack.
    m_retiredSockets.push_back(std::move(m_socket));
}

} // namespace vortalux
