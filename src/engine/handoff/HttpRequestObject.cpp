#include "HttpRequestObject.h"

#include "AsciiText.h"
#include "Coercion.h"
#include "HostArguments.h"
#include "ScriptError.h"
#include "ScriptHost.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <climits>

namespace vortalux {

using script::Variant;

namespace {

constexpr std::string_view Source = "WinHttp.WinHttpRequest";

// WinHTTP's own failures, as the COM objects report them: HRESULT_FROM_WIN32(code).
enum WinHttpError : uint32_t {
    Timeout = 12002,
    InvalidUrl = 12005,
    UnrecognizedScheme = 12006,
    NameNotResolved = 12007,
    IncorrectHandleState = 12019,
    CannotConnect = 12029,
    ConnectionError = 12030,
    InvalidServerResponse = 12152,
    RedirectFailed = 12156,
    SecureFailure = 12175,
};

std::string_view DescriptionOf(WinHttpError error)
{
    switch (error) {
    case Timeout:
        return "The operation timed out";
    case InvalidUrl:
        return "The URL is invalid";
    case UnrecognizedScheme:
        return "The URL does not use a recognized protocol";
    case NameNotResolved:
        return "The server name or address could not be resolved";
    case IncorrectHandleState:
        return "The requested operation cannot be carried out because the handle supplied is not in "
               "the correct state";
    case CannotConnect:
        return "A connection with the server could not be established";
    case ConnectionError:
        return "The connection with the server was terminated abnormally";
    case InvalidServerResponse:
        return "The server returned an invalid or unrecognized response";
    case RedirectFailed:
        return "The redirection failed";
    case SecureFailure:
        return "A security error occurred";
    }
    return "Unknown error";
}

[[noreturn]] void RaiseWinHttp(WinHttpError error)
{
    throw script::ScriptError(
        static_cast<int32_t>(0x80070000u | error), std::string(DescriptionOf(error)), std::string(Source));
}

// E_INVALIDARG: a method, header name or header value that could not go on the wire as it is.
[[noreturn]] void RaiseInvalidArgument()
{
    throw script::ScriptError(
        static_cast<int32_t>(0x80070057u), "The parameter is incorrect.", std::string(Source));
}

// An HTTP token (RFC 9110): what a method and a header name consist of.
bool IsToken(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text) {
        const bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit && std::string_view("!#$%&'*+-.^_`|~").find(c) == std::string_view::npos)
            return false;
    }
    return true;
}

// A header value may hold tabs, never another control byte (CR and LF above all).
bool IsHeaderValue(std::string_view text)
{
    return std::none_of(text.begin(), text.end(), [](char c) { return c != '\t' && IsAsciiControl(c); });
}

// E_PENDING: the response is read before a request was sent.
[[noreturn]] void RaiseNotYetAvailable()
{
    throw script::ScriptError(static_cast<int32_t>(0x8000000Au),
        "The data necessary to complete this operation is not yet available", std::string(Source));
}

WinHttpError ErrorOf(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::ProxyConnectionRefusedError:
        return CannotConnect;
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::ProxyNotFoundError:
        return NameNotResolved;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::ProxyTimeoutError:
        return Timeout;
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::ProxyConnectionClosedError:
        return ConnectionError;
    case QNetworkReply::SslHandshakeFailedError:
        return SecureFailure;
    case QNetworkReply::ProtocolUnknownError:
        return UnrecognizedScheme;
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return RedirectFailed;
    default:
        return InvalidServerResponse;
    }
}

// Errors Qt derives from an HTTP status (content, protocol and server errors, 201 and up): the
// response itself arrived. Lower numbers are network and proxy failures.
bool IsStatusError(QNetworkReply::NetworkError error) { return error >= QNetworkReply::ContentAccessDenied; }

} // namespace

HttpRequestObject::HttpRequestObject(std::string typeName)
    : m_typeName(std::move(typeName))
{
}

void HttpRequestObject::Open(std::vector<Variant>& args)
{
    script::RequireArgumentCount(args, 2, 5);
    std::string method = script::ToString(args[0]);
    if (method.empty())
        script::Raise(script::errc::InvalidProcedureCall);
    if (!IsToken(method))
        RaiseInvalidArgument();
    m_method = std::move(method);
    // As the page fetcher does with a link: what may not stand in a request line is encoded.
    m_url = PercentEncodeUnsafeBytes(script::ToString(args[1]));
    m_requestHeaders.clear();
    ForgetResponse();
    m_state = State::Opened;
}

void HttpRequestObject::ForgetResponse()
{
    m_status = 0;
    m_statusText.clear();
    std::string().swap(m_responseText);
    m_responseCharge.Settle(0);
    m_responseHeaders.clear();
}

void HttpRequestObject::SetRequestHeader(std::vector<Variant>& args)
{
    script::RequireArgumentCount(args, 2, 2);
    if (m_state != State::Opened)
        RaiseWinHttp(IncorrectHandleState);
    std::string name = script::ToString(args[0]);
    std::string value = script::ToString(args[1]);
    if (!IsToken(name) || !IsHeaderValue(value))
        RaiseInvalidArgument();
    m_requestHeaders.emplace_back(std::move(name), std::move(value));
}

void HttpRequestObject::Send(const std::string& body)
{
    if (m_state != State::Opened)
        RaiseWinHttp(IncorrectHandleState);
    const QUrl url = QUrl::fromEncoded(QByteArray::fromStdString(m_url), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        RaiseWinHttp(InvalidUrl);
    if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        RaiseWinHttp(UnrecognizedScheme);
    if (QCoreApplication::instance() == nullptr)
        throw script::ScriptError(51, "HTTP requests need a running application", std::string(Source));

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(20);
    request.setTransferTimeout(static_cast<int>(m_timeout.count()));
    bool hasContentType = false;
    for (const auto& [name, value] : m_requestHeaders) {
        request.setRawHeader(QByteArray::fromStdString(name), QByteArray::fromStdString(value));
        hasContentType = hasContentType || EqualsNoCase(name, "Content-Type");
    }
    if (!body.empty() && !hasContentType)
        request.setRawHeader("Content-Type", "text/plain; charset=UTF-8");

    // The whole request ends at the script's deadline, whatever the server sends.
    const auto deadline = script::RunBudget::Deadline();
    script::RunBudget::CheckDeadline();

    QNetworkAccessManager manager;
    QNetworkReply* reply = manager.sendCustomRequest(
        request, QByteArray::fromStdString(m_method), QByteArray::fromStdString(body));
    if (m_ignoreCertificateErrors)
        QObject::connect(reply, &QNetworkReply::sslErrors, reply, [reply] { reply->ignoreSslErrors(); });
    std::string received;
    script::RunBudget::Reservation receivedCharge;
    bool cut = false;
    bool outOfMemory = false;
    // Keeps what arrived, up to the size limit and within the memory limit; no exception may
    // leave a Qt slot, so a refused charge aborts the reply and is raised after the loop.
    const auto keep = [&](const QByteArray& chunk) {
        const size_t room = MaxResponseBytes - received.size();
        const size_t take = std::min(room, static_cast<size_t>(chunk.size()));
        if (take > 0 && !outOfMemory) {
            const size_t needed = received.size() + take;
            if (needed > received.capacity()) {
                const size_t capacity = std::min(std::max(needed, 2 * received.capacity()), MaxResponseBytes);
                try {
                    receivedCharge.Reserve(capacity);
                    received.reserve(capacity);
                } catch (const script::ScriptError&) {
                    outOfMemory = true;
                    reply->abort();
                    return;
                }
            }
            received.append(chunk.constData(), take);
        }
        if (static_cast<size_t>(chunk.size()) > room && !cut) {
            cut = true;
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [&] { keep(reply->readAll()); });
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    bool timedOut = false;
    QTimer deadlineTimer;
    deadlineTimer.setSingleShot(true);
    deadlineTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadlineTimer, &QTimer::timeout, reply, [&] {
        timedOut = true;
        reply->abort();
    });
    if (deadline != script::RunBudget::Clock::time_point::max()) {
        const auto left
            = std::chrono::ceil<std::chrono::milliseconds>(deadline - script::RunBudget::Clock::now());
        deadlineTimer.start(static_cast<int>(std::clamp<decltype(left.count())>(left.count(), 0, INT_MAX)));
    }
    if (!reply->isFinished())
        loop.exec();
    deadlineTimer.stop();
    if (!cut && !timedOut && reply->isOpen())
        keep(reply->readAll());
    if (timedOut || outOfMemory) {
        delete reply;
        m_state = State::Unsent;
        if (timedOut)
            script::RunBudget::RaiseTimedOut();
        script::Raise(script::errc::OutOfMemory);
    }

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QNetworkReply::NetworkError error = reply->error();
    if (!cut && (!status.isValid() || (error != QNetworkReply::NoError && !IsStatusError(error)))) {
        const WinHttpError failure = ErrorOf(error);
        delete reply;
        m_state = State::Unsent;
        RaiseWinHttp(failure);
    }
    m_status = status.toInt();
    m_statusText = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray().toStdString();
    for (const auto& [name, value] : reply->rawHeaderPairs())
        m_responseHeaders.emplace_back(name.toStdString(), value.toStdString());
    // Kept for as long as the object lives: no room to spare.
    received.shrink_to_fit();
    m_responseText = std::move(received);
    m_responseCharge.Settle(m_responseText.capacity());
    receivedCharge.Settle(0);
    m_state = State::Done;
    delete reply;
}

void HttpRequestObject::RequireResponse() const
{
    if (m_state != State::Done)
        RaiseNotYetAvailable();
}

std::string HttpRequestObject::ResponseHeader(std::string_view name) const
{
    std::string value;
    for (const auto& [header, text] : m_responseHeaders) {
        if (EqualsNoCase(header, name))
            value += (value.empty() ? "" : ", ") + text;
    }
    return value;
}

Variant HttpRequestObject::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "status")) {
        RequireResponse();
        return Variant::FromLong(m_status);
    }
    if (EqualsNoCase(name, "statusText")) {
        RequireResponse();
        return Variant::FromString(m_statusText);
    }
    if (EqualsNoCase(name, "responseText")) {
        RequireResponse();
        return Variant::FromString(m_responseText);
    }
    if (EqualsNoCase(name, "readyState"))
        return Variant::FromLong(static_cast<int32_t>(m_state));
    if (EqualsNoCase(name, "Option")) {
        script::RequireArgumentCount(args, 1, 1);
        return Variant::FromLong(script::ToLong(args[0]) == 4 && m_ignoreCertificateErrors ? 13056 : 0);
    }
    return CallMethod(name, args);
}

void HttpRequestObject::SetProperty(std::string_view name, std::vector<Variant>& args, const Variant& value)
{
    // WinHttpRequest.Option(WinHttpRequestOption_SslErrorIgnoreFlags) = flags
    if (EqualsNoCase(name, "Option")) {
        script::RequireArgumentCount(args, 1, 1);
        if (script::ToLong(args[0]) == 4)
            m_ignoreCertificateErrors = script::ToLong(value) != 0;
        return;
    }
    script::Raise(script::errc::NoSuchMember);
}

Variant HttpRequestObject::CallMethod(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "open")) {
        Open(args);
        return {};
    }
    if (EqualsNoCase(name, "setRequestHeader")) {
        SetRequestHeader(args);
        return {};
    }
    if (EqualsNoCase(name, "send")) {
        script::RequireArgumentCount(args, 0, 1);
        Send(args.empty() || args[0].IsEmpty() ? std::string() : script::ToString(args[0]));
        return {};
    }
    if (EqualsNoCase(name, "abort")) {
        script::RequireArgumentCount(args, 0, 0);
        return {};
    }
    if (EqualsNoCase(name, "waitForResponse")) {
        script::RequireArgumentCount(args, 0, 1);
        return Variant::FromBool(true);
    }
    if (EqualsNoCase(name, "getResponseHeader")) {
        script::RequireArgumentCount(args, 1, 1);
        RequireResponse();
        return Variant::FromString(ResponseHeader(script::ToString(args[0])));
    }
    if (EqualsNoCase(name, "getAllResponseHeaders")) {
        script::RequireArgumentCount(args, 0, 0);
        RequireResponse();
        std::string all;
        for (const auto& [header, text] : m_responseHeaders)
            all += header + ": " + text + "\r\n";
        return Variant::FromString(all);
    }
    if (EqualsNoCase(name, "setTimeouts")) {
        script::RequireArgumentCount(args, 4, 4);
        int32_t longest = 0;
        for (const Variant& value : args)
            longest = std::max(longest, script::ToLong(value));
        if (longest < 0)
            script::Raise(script::errc::InvalidProcedureCall);
        // Zero means "no limit" in WinHTTP; the script's own time limit still applies.
        m_timeout = std::chrono::milliseconds(longest);
        return {};
    }
    if (EqualsNoCase(name, "setOption")) {
        // ServerXMLHTTP: SXH_OPTION_IGNORE_SERVER_SSL_CERT_ERROR_FLAGS
        script::RequireArgumentCount(args, 2, 2);
        if (script::ToLong(args[0]) == 2)
            m_ignoreCertificateErrors = script::ToLong(args[1]) != 0;
        return {};
    }
    if (EqualsNoCase(name, "Option"))
        return GetProperty(name, args);
    script::Raise(script::errc::NoSuchMember);
}

void RegisterHttpRequestObjects(script::ScriptHost& host)
{
    host.RegisterObjectFactory(
        "MSXML2.XMLHTTP", [] { return std::make_shared<HttpRequestObject>("IXMLHTTPRequest"); });
    host.RegisterObjectFactory(
        "MSXML2.ServerXMLHTTP", [] { return std::make_shared<HttpRequestObject>("IServerXMLHTTPRequest2"); });
    host.RegisterObjectFactory(
        "WinHttp.WinHttpRequest.5.1", [] { return std::make_shared<HttpRequestObject>("IWinHttpRequest"); });
}

} // namespace vortalux
