#include "ScriptedServer.h"

#include "AsciiText.h"
#include "TestSupport.h"

#include <QPointer>
#include <QSslSocket>
#include <QTimer>

#include <charconv>
#include <memory>

namespace vortalux::test {

ScriptedServer::ScriptedServer(Responder responder)
    : m_responder(std::move(responder))
{
    if (!listen(QHostAddress::LocalHost, 0))
        throw std::runtime_error("the test server cannot listen");
}

ScriptedServer::~ScriptedServer() { close(); }

void ScriptedServer::UseTls()
{
    m_tls = true;
    const QByteArray certificate
        = QByteArray::fromStdString(ReadFileBytes(TestDataPath("tls-localhost.pem")));
    const QByteArray key = QByteArray::fromStdString(ReadFileBytes(TestDataPath("tls-localhost.key")));
    m_certificate = QSslCertificate(certificate, QSsl::Pem);
    m_key = QSslKey(key, QSsl::Rsa, QSsl::Pem);
}

bool ScriptedServer::Relisten(quint16 port)
{
    close();
    return listen(QHostAddress::LocalHost, port);
}

std::string ScriptedServer::Url(const std::string& pathAndQuery) const
{
    return std::string(m_tls ? "https" : "http") + "://127.0.0.1:" + std::to_string(Port()) + pathAndQuery;
}

void ScriptedServer::incomingConnection(qintptr descriptor)
{
    QTcpSocket* socket = nullptr;
    if (m_tls) {
        auto* secure = new QSslSocket(this);
        secure->setSocketDescriptor(descriptor);
        secure->setLocalCertificate(m_certificate);
        secure->setPrivateKey(m_key);
        secure->startServerEncryption();
        socket = secure;
    } else {
        socket = new QTcpSocket(this);
        socket->setSocketDescriptor(descriptor);
    }
    auto received = std::make_shared<std::string>();
    connect(socket, &QTcpSocket::readyRead, this,
        [this, socket, received] { OnReadyRead(socket, received.get()); });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
}

void ScriptedServer::OnReadyRead(QTcpSocket* socket, std::string* received)
{
    const bool complete = IsComplete(*received);
    received->append(socket->readAll().toStdString());
    if (complete || !IsComplete(*received))
        return;
    m_requests.push_back(*received);
    PlayStep(socket, m_responder(static_cast<int>(m_requests.size()) - 1, *received), 0);
}

bool ScriptedServer::IsComplete(const std::string& request)
{
    const size_t headerEnd = request.find("\r\n\r\n");
    if (headerEnd == std::string::npos)
        return false;
    // A request with a body (a form post, a JSON call) is answered once the body is in.
    size_t length = 0;
    const std::string head = AsciiLowerCopy(std::string_view(request).substr(0, headerEnd));
    if (const size_t at = head.find("\r\ncontent-length:"); at != std::string::npos) {
        const char* digits = head.c_str() + at + 17;
        while (*digits == ' ')
            ++digits;
        std::from_chars(digits, head.c_str() + head.size(), length);
    }
    return request.size() - headerEnd - 4 >= length;
}

void ScriptedServer::PlayStep(QTcpSocket* socket, ServerReply reply, size_t step)
{
    QPointer<QTcpSocket> guarded(socket);
    if (step == reply.steps.size()) {
        if (reply.closeAtEnd)
            socket->disconnectFromHost();
        return;
    }
    const int pause = reply.steps[step].pauseMs;
    QTimer::singleShot(pause, this, [this, guarded, reply = std::move(reply), step]() mutable {
        if (guarded.isNull() || guarded->state() != QAbstractSocket::ConnectedState)
            return;
        const std::string& bytes = reply.steps[step].bytes;
        guarded->write(bytes.data(), static_cast<qint64>(bytes.size()));
        guarded->flush();
        PlayStep(guarded.data(), std::move(reply), step + 1);
    });
}

} // namespace vortalux::test
