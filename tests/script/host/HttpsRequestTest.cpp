// The HTTP objects over TLS, against a loopback server with a self-signed certificate
// (tests/data/loopback-tls.*): refused by default, accepted when the script asks to ignore
// certificate errors.
#include "HttpRequestObject.h"
#include "ScriptHost.h"
#include "TestSupport.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>

#include <gtest/gtest.h>

using namespace vortalux;
using script::ScriptHost;
using script::Variant;

namespace {

QByteArray ReadData(const char* name)
{
    QFile file(QString::fromStdString(test::TestDataPath(name).string()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Answers every request with "hello over tls"; runs on the test's thread, served while the
// request object waits in its event loop.
class TlsServer {
public:
    TlsServer()
    {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(QSslCertificate(ReadData("loopback-tls.pem")));
        configuration.setPrivateKey(QSslKey(ReadData("loopback-tls.key"), QSsl::Rsa));
        m_server.setSslConfiguration(configuration);
        QObject::connect(&m_server, &QTcpServer::pendingConnectionAvailable, &m_server, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QIODevice::readyRead, socket, [socket] {
                    if (!socket->peek(65536).contains("\r\n\r\n"))
                        return;
                    socket->readAll();
                    socket->write(
                        "HTTP/1.1 200 OK\r\nContent-Length: 14\r\nConnection: close\r\n\r\nhello over tls");
                    socket->disconnectFromHost();
                });
                QObject::connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        m_server.listen(QHostAddress::LocalHost);
    }
    std::string Url() const { return "https://127.0.0.1:" + std::to_string(m_server.serverPort()) + "/"; }

private:
    QSslServer m_server;
};

// Runs `prepare` (statements on the object `h`), then a GET of `url`; the error number (0 when
// none) and the response text.
std::pair<int32_t, std::string> Get(
    const std::string& progId, const std::string& prepare, const std::string& url)
{
    ScriptHost host;
    RegisterHttpRequestObjects(host);
    const std::string code = "Function Fetch()\nSet h = CreateObject(\"" + progId + "\")\n" + prepare
        + "\nh.open \"GET\", \"" + url
        + "\", False\nh.send\nFetch = h.status & \" \" & h.responseText\nEnd Function";
    if (!host.AddCode(code))
        return {host.Error().Number, host.Error().Description};
    std::vector<Variant> args;
    Variant result;
    if (!host.Run("Fetch", args, &result))
        return {host.Error().Number, host.Error().Description};
    return {0, result.AsString()};
}

} // namespace

TEST(HttpsRequest, AnUntrustedCertificateFailsUnlessTheScriptAcceptsIt)
{
    if (!QSslSocket::supportsSsl())
        GTEST_SKIP() << "no TLS backend";
    TlsServer server;
    EXPECT_EQ(Get("MSXML2.XMLHTTP", "", server.Url()),
        (std::pair<int32_t, std::string> {-2147012721, "A security error occurred"}));
    EXPECT_EQ(Get("WinHttp.WinHttpRequest.5.1", "h.Option(4) = 13056", server.Url()),
        (std::pair<int32_t, std::string> {0, "200 hello over tls"}));
    EXPECT_EQ(Get("MSXML2.ServerXMLHTTP", "h.setOption 2, 13056", server.Url()),
        (std::pair<int32_t, std::string> {0, "200 hello over tls"}));
}
