// What the HTTP objects put on the wire when a script hands them control bytes: never a line
// break of its own making. A loopback server records each request byte for byte.
#include "HttpRequestObject.h"
#include "ScriptedServer.h"
#include "ScriptHost.h"

#include <gtest/gtest.h>

using namespace vortalux;
using script::ScriptHost;
using script::Variant;

namespace {

class HttpWire : public testing::Test {
protected:
    HttpWire()
        : m_server([](int, const std::string&) {
            return test::ServerReply::Whole("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
        })
    {
        RegisterHttpRequestObjects(m_host);
    }

    // Runs `statements` (on the object `h`, with `url` the server's root) and answers whether
    // they ran without error.
    bool Run(const std::string& statements)
    {
        if (!m_host.AddCode("Sub Go(url)\n"
                            "  Set h = CreateObject(\"WinHttp.WinHttpRequest.5.1\")\n"
                + statements + "\nEnd Sub\n"))
            return false;
        std::vector<Variant> args = {Variant::FromString(m_server.Url("/"))};
        return m_host.Run("Go", args);
    }

    test::ScriptedServer m_server;
    ScriptHost m_host;
};

} // namespace

TEST_F(HttpWire, ControlBytesAndBlanksOfTheUrlAreEncodedOnTheRequestLine)
{
    ASSERT_TRUE(
        Run("  h.open \"GET\", url & \"a b\" & vbCrLf & \"X-Evil: 1\" & vbTab & Chr(127) & Chr(233), False\n"
            "  h.send"))
        << m_host.Error().description;
    ASSERT_EQ(m_server.Requests().size(), 1u);
    const std::string& request = m_server.Requests()[0];
    EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET /a%20b%0D%0AX-Evil:%201%09%7F%E9 HTTP/1.1");
    EXPECT_EQ(request.find("\nX-Evil"), std::string::npos) << request;
}

TEST_F(HttpWire, HeaderNamesAndValuesWithControlBytesAreRefused)
{
    const char* const refused[] = {
        "\"X-Note\", \"a\" & vbCrLf & \"X-Evil: 1\"",
        "\"X-Note\", \"a\" & vbLf & \"X-Evil: 1\"",
        "\"X-Note\", \"a\" & vbCr & \"X-Evil: 1\"",
        "\"X-Note\", \"a\" & Chr(0) & \"b\"",
        "\"X-Evil: 1\" & vbCrLf & \"X-Note\", \"a\"",
        "\"X Note\", \"a\"",
        "\"\", \"a\"",
    };
    for (const char* arguments : refused) {
        EXPECT_FALSE(Run("  h.open \"GET\", url, False\n"
                         "  h.setRequestHeader "
            + std::string(arguments) + "\n  h.send"))
            << arguments;
        EXPECT_EQ(m_host.Error().number, -2147024809) << arguments;
        EXPECT_EQ(m_host.Error().description, "The parameter is incorrect.") << arguments;
        EXPECT_EQ(m_host.Error().line, 4) << arguments;
    }
    EXPECT_TRUE(m_server.Requests().empty());

    // A tab is part of a value; the rest of the request is untouched.
    ASSERT_TRUE(Run("  h.open \"GET\", url, False\n"
                    "  h.setRequestHeader \"X-Note\", \"a\" & vbTab & \"b\"\n"
                    "  h.send"))
        << m_host.Error().description;
    ASSERT_EQ(m_server.Requests().size(), 1u);
    EXPECT_NE(m_server.Requests()[0].find("\r\nX-Note: a\tb\r\n"), std::string::npos)
        << m_server.Requests()[0];
}

TEST_F(HttpWire, AMethodThatIsNoHttpTokenIsRefused)
{
    EXPECT_FALSE(
        Run("  h.open \"GET / HTTP/1.1\" & vbCrLf & \"X-Evil: 1\" & vbCrLf & vbCrLf & \"GET\", url, False\n"
            "  h.send"));
    EXPECT_EQ(m_host.Error().number, -2147024809);
    EXPECT_EQ(m_host.Error().line, 3);
    EXPECT_TRUE(m_server.Requests().empty());
}
