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
        : server([](int, const std::string&) {
            return test::ServerReply::Whole("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
        })
    {
        RegisterHttpRequestObjects(host);
    }

    // Runs `statements` (on the object `h`, with `url` the server's root) and answers whether
    // they ran without error.
    bool Run(const std::string& statements)
    {
        if (!host.AddCode("Sub Go(url)\n"
                          "  Set h = CreateObject(\"WinHttp.WinHttpRequest.5.1\")\n"
                + statements + "\nEnd Sub\n"))
            return false;
        std::vector<Variant> args = {Variant::FromString(server.Url("/"))};
        return host.Run("Go", args);
    }

    test::ScriptedServer server;
    ScriptHost host;
};

} // namespace

TEST_F(HttpWire, ControlBytesAndBlanksOfTheUrlAreEncodedOnTheRequestLine)
{
    ASSERT_TRUE(
        Run("  h.open \"GET\", url & \"a b\" & vbCrLf & \"X-Evil: 1\" & vbTab & Chr(127) & Chr(233), False\n"
            "  h.send"))
        << host.Error().Description;
    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string& request = server.Requests()[0];
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
        EXPECT_EQ(host.Error().Number, -2147024809) << arguments;
        EXPECT_EQ(host.Error().Description, "The parameter is incorrect.") << arguments;
        EXPECT_EQ(host.Error().Line, 4) << arguments;
    }
    EXPECT_TRUE(server.Requests().empty());

    // A tab is part of a value; the rest of the request is untouched.
    ASSERT_TRUE(Run("  h.open \"GET\", url, False\n"
                    "  h.setRequestHeader \"X-Note\", \"a\" & vbTab & \"b\"\n"
                    "  h.send"))
        << host.Error().Description;
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_NE(server.Requests()[0].find("\r\nX-Note: a\tb\r\n"), std::string::npos) << server.Requests()[0];
}

TEST_F(HttpWire, AMethodThatIsNoHttpTokenIsRefused)
{
    EXPECT_FALSE(
        Run("  h.open \"GET / HTTP/1.1\" & vbCrLf & \"X-Evil: 1\" & vbCrLf & vbCrLf & \"GET\", url, False\n"
            "  h.send"));
    EXPECT_EQ(host.Error().Number, -2147024809);
    EXPECT_EQ(host.Error().Line, 3);
    EXPECT_TRUE(server.Requests().empty());
}
