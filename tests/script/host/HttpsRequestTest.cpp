// The HTTP objects over TLS, against the loopback test server with its certificate from the test
// authority (tests/data/tls-*), which nothing trusts by default: refused, accepted when the script
// asks to ignore certificate errors.
#include "HttpRequestObject.h"
#include "ScriptedServer.h"
#include "ScriptHost.h"

#include <QSslSocket>

#include <gtest/gtest.h>

using namespace vortalux;
using script::ScriptHost;
using script::Variant;

namespace {

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
        return {host.Error().number, host.Error().description};
    std::vector<Variant> args;
    Variant result;
    if (!host.Run("Fetch", args, &result))
        return {host.Error().number, host.Error().description};
    return {0, result.AsString()};
}

} // namespace

TEST(HttpsRequest, AnUntrustedCertificateFailsUnlessTheScriptAcceptsIt)
{
    if (!QSslSocket::supportsSsl())
        GTEST_SKIP() << "no TLS backend";
    test::ScriptedServer server([](int, const std::string&) {
        return test::ServerReply::Whole(
            "HTTP/1.1 200 OK\r\nContent-Length: 14\r\nConnection: close\r\n\r\nhello over tls");
    });
    server.UseTls();
    EXPECT_EQ(Get("MSXML2.XMLHTTP", "", server.Url()),
        (std::pair<int32_t, std::string> {-2147012721, "A security error occurred"}));
    EXPECT_EQ(Get("WinHttp.WinHttpRequest.5.1", "h.Option(4) = 13056", server.Url()),
        (std::pair<int32_t, std::string> {0, "200 hello over tls"}));
    EXPECT_EQ(Get("MSXML2.ServerXMLHTTP", "h.setOption 2, 13056", server.Url()),
        (std::pair<int32_t, std::string> {0, "200 hello over tls"}));
}
