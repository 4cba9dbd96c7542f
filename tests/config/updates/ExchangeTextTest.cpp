#include "FormEncoding.h"
#include "ScopedEnvironment.h"
#include "ServerAddress.h"
#include "ServerExchange.h"
#include "ServerReplyParser.h"

#include <gtest/gtest.h>

using namespace vortalux;
using State = ServerReplyParser::State;

TEST(FormEncoding, BuildsTheBodyOfTheExamples)
{
    std::string body;
    AddVarToBuffer(body, "action", "versions");
    EXPECT_EQ(body, "action=versions");
    AddVarToBuffer(body, "name", "core/x y.dll");
    EXPECT_EQ(body, "action=versions&name=core%2Fx+y%2Edll");

    EXPECT_EQ(UrlEncode("a-b_c"), "a%2Db%5Fc");
    EXPECT_EQ(UrlEncode("\t"), "%09");
    EXPECT_EQ(UrlEncode(""), "");
    EXPECT_EQ(UrlEncode("Az09 *:&=%+\r\n\xe9\x7f"), "Az09+%2A%3A%26%3D%25%2B%0D%0A%E9%7F");
    EXPECT_EQ(UrlEncode(std::string("\0", 1)), "%00");
    // A value can never end a field or a line of the request.
    std::string everyByte;
    for (int c = 0; c < 256; ++c)
        everyByte += static_cast<char>(c);
    const std::string encoded = UrlEncode(everyByte);
    EXPECT_EQ(encoded.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz%+"),
        std::string::npos);
    EXPECT_EQ(encoded.size(), 62 + 1 + 193 * 3u);
}

TEST(ServerAddressTest, AcceptsHttpsAnywhereAndHttpOnlyToThisComputer)
{
    struct Case {
        std::string url;
        std::string hostHeader; // "" when refused
        int port;
        std::string path;
    };
    const std::vector<Case> cases {
        {"https://Updates.Example/vtl.php", "updates.example", 443, "/vtl.php"},
        {"https://updates.example:8443/vtl.php", "updates.example:8443", 8443, "/vtl.php"},
        {"HTTP://127.0.0.1:8080/vtl.php", "127.0.0.1:8080", 8080, "/vtl.php"},
        {"http://127.200.3.4/a/vtl.php?x=1", "127.200.3.4", 80, "/a/vtl.php?x=1"},
        {"http://LocalHost:80/vtl.php", "localhost", 80, "/vtl.php"},
        {"http://[::1]:9000/vtl.php", "[::1]:9000", 9000, "/vtl.php"},
        {"http://localhost", "localhost", 80, "/"},
        {"http://updates.example/vtl.php", "", 0, ""},
        {"http://128.0.0.1/vtl.php", "", 0, ""},
        {"http://127.0.0.1.evil.example/vtl.php", "", 0, ""},
        {"http://localhost.evil.example/vtl.php", "", 0, ""},
        {"http://127.0.0.1@evil.example/vtl.php", "", 0, ""},
        {"http://127.0.0.256/vtl.php", "", 0, ""},
        {"http://[::2]/vtl.php", "", 0, ""},
        {"ftp://127.0.0.1/vtl.php", "", 0, ""},
        {"https://updates.example:0/vtl.php", "", 0, ""},
        {"https://updates.example:/vtl.php", "", 0, ""},
        {"http://[::1]:/vtl.php", "", 0, ""},
        {"http://[::1]x/vtl.php", "", 0, ""},
        {"https://[2001:db8::1]/vtl.php", "[2001:db8::1]", 443, "/vtl.php"},
        {"https://up dates.example/vtl.php", "", 0, ""},
        {"https://updates.example/vtl.php\r\nX-Evil: 1", "", 0, ""},
        {"https:///vtl.php", "", 0, ""},
    };
    for (const Case& c : cases) {
        std::string why;
        const std::optional<ServerAddress> address = ServerAddress::FromUrl(c.url, why);
        if (c.hostHeader.empty()) {
            EXPECT_FALSE(address) << c.url;
            EXPECT_NE(why, "") << c.url;
            continue;
        }
        ASSERT_TRUE(address) << c.url << ": " << why;
        EXPECT_EQ(address->HostHeader(), c.hostHeader) << c.url;
        EXPECT_EQ(address->port, c.port) << c.url;
        EXPECT_EQ(address->path, c.path) << c.url;
    }
    std::string why;
    EXPECT_FALSE(ServerAddress::FromUrl("http://updates.example/vtl.php", why));
    EXPECT_EQ(why,
        "the update server's address \"http://updates.example/vtl.php\" is refused: updates install scripts "
        "that run programs, so they are fetched only over https:// with a certificate this system trusts "
        "(http:// only from this computer: localhost, 127.0.0.0/8 or [::1])");
}

TEST(ServerAddressTest, TheEnvironmentOverridesTheBuildsAddress)
{
    {
        const test::ScopedEnvironment unset("VORTALUX_SERVER_URL", std::nullopt);
        EXPECT_EQ(ServerUrl(), "https://updates.vortalux.invalid/vtl.php");
    }
    {
        const test::ScopedEnvironment empty("VORTALUX_SERVER_URL", "");
        EXPECT_EQ(ServerUrl(), "https://updates.vortalux.invalid/vtl.php");
    }
    const test::ScopedEnvironment set("VORTALUX_SERVER_URL", "http://127.0.0.1:9/vtl.php");
    EXPECT_EQ(ServerUrl(), "http://127.0.0.1:9/vtl.php");
}

TEST(ServerExchangeRequest, ListsTheNineLinesByteForByte)
{
    std::string why;
    const auto address = ServerAddress::FromUrl("https://updates.example/vtl.php", why);
    ASSERT_TRUE(address);
    // A body of 20 characters: the Content-Length does not count the CR LF after it.
    EXPECT_EQ(ServerExchange::RequestLines(*address, "action=versions&a=bc"),
        (std::vector<std::string> {"POST /vtl.php HTTP/1.0", "Host: updates.example",
            "Content-Type: application/x-www-form-urlencoded",
            "User-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows 98; VTL)", "Accept: */*, *,*",
            "Content-Length: 20", "Connection: Keep-Alive", "", "action=versions&a=bc"}));
    const auto local = ServerAddress::FromUrl("http://127.0.0.1:8080/vtl.php", why);
    ASSERT_TRUE(local);
    EXPECT_EQ(ServerExchange::RequestLines(*local, "")[1], "Host: 127.0.0.1:8080");
}

namespace {

struct ParsedReply {
    State state;
    std::string body;
    std::int64_t contentLength;
};

// Feeds the reply in pieces split at `cut` (whole when 0), then, when `close`, ends the data.
ParsedReply Parse(std::string_view reply, size_t cut = 0, bool close = false, size_t maxReply = 1 << 20)
{
    ServerReplyParser parser(maxReply, 1024);
    if (cut == 0 || cut >= reply.size()) {
        parser.Feed(reply);
    } else {
        parser.Feed(reply.substr(0, cut));
        parser.Feed(reply.substr(cut));
    }
    if (close)
        parser.EndOfData();
    return {parser.GetState(), parser.ReplyText(), parser.ContentLength()};
}

} // namespace

TEST(ServerReplyParserTest, EndsBodiesAsTheirContentLengthSays)
{
    struct Case {
        std::string reply;
        bool close;
        State state;
        std::string body;
        // Cuts from this position on are not tried: bytes past the announced length count only
        // when they arrive with the last announced ones (once complete, nothing more is read).
        size_t lastCut = std::string::npos;
    };
    const size_t headerOf20 = std::string("HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\n").size();
    const size_t headerOf0 = std::string("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n").size();
    const std::vector<Case> cases {
        // Complete as soon as the announced bytes are in, without the server closing.
        {"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", false, State::Complete, "ok"},
        {"HTTP/1.0 200 OK\r\nCONTENT-LENGTH:   2\r\n\r\nok", false, State::Complete, "ok"},
        {"HTTP/1.0 200\r\nContent-length:2\r\n\r\nok", false, State::Complete, "ok"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", false, State::Complete, ""},
        // A blank before the colon makes another header: the body ends when the server closes.
        {"HTTP/1.1 200 OK\r\nContent-Length : 2\r\n\r\nok", false, State::Body, "ok"},
        {"HTTP/1.1 200 OK\r\nContent-Length : 2\r\n\r\nokay", true, State::Complete, "okay"},
        {"HTTP/1.1 200 OK\r\nContent-Length: many\r\n\r\nok\r\nmore\r\n", true, State::Complete,
            "ok\r\nmore\r\n"},
        // Shorter or longer than announced: an incomplete transmission, never a cut file.
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nok", false, State::Body, "ok"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nok", true, State::Incomplete, "ok"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\n" + std::string(22, 'x'), false, State::Incomplete,
            std::string(22, 'x'), headerOf20 + 20},
        {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\nx", false, State::Incomplete, "x", headerOf0},
        {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999999\r\n\r\nok", false, State::TooLarge, ""},
        // No redirect is followed, no other status has a body.
        {"HTTP/1.1 302 Found\r\nLocation: http://elsewhere/\r\nContent-Length: 2\r\n\r\nok", false,
            State::HttpStatus, ""},
        {"HTTP/1.1 500 Oops\r\n\r\nok", true, State::HttpStatus, ""},
        {"HTTP/1.1  200 OK\r\n\r\nok", true, State::HttpStatus, ""},
        {"ok", true, State::NotHttp, ""},
        {"HTTP/2 200 OK\r\n\r\nok", true, State::NotHttp, ""},
        {"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n", true, State::HeaderCut, ""},
        {"HTTP/1.1 200 OK\r\nX: " + std::string(2000, 'x'), false, State::HeaderTooLarge, ""},
        // The limit (1024 here) holds for the header block with its empty line, however split.
        {"HTTP/1.1 200 OK\r\nX: " + std::string(1024 - 24, 'x') + "\r\n\r\nok", true, State::Complete, "ok"},
        {"HTTP/1.1 200 OK\r\nX: " + std::string(1024 - 23, 'x') + "\r\n\r\nok", true, State::HeaderTooLarge,
            ""},
    };
    for (const Case& c : cases) {
        // Wherever the reads split the reply, the outcome is the same.
        for (size_t cut = 0; cut < std::min(c.reply.size(), c.lastCut); ++cut) {
            const ParsedReply parsed = Parse(c.reply, cut, c.close);
            EXPECT_EQ(parsed.state, c.state) << c.reply << " cut at " << cut;
            EXPECT_EQ(parsed.body, c.body) << c.reply << " cut at " << cut;
        }
    }
    EXPECT_EQ(Parse("HTTP/1.1 200 OK\r\nContent-Length: 7\r\nContent-Length: 2\r\n\r\nok").contentLength, 2);
    EXPECT_EQ(Parse("HTTP/1.1 200 OK\r\n\r\nok").contentLength, 0);
}

TEST(ServerReplyParserTest, StopsAtTheSizeLimit)
{
    // Announced beyond the limit: refused before a byte of the body is kept.
    EXPECT_EQ(Parse("HTTP/1.1 200 OK\r\nContent-Length: 11\r\n\r\nx", 0, false, 10).state, State::TooLarge);
    // Without a length: read up to the limit, then no further.
    ServerReplyParser parser(10, 1024);
    parser.Feed("HTTP/1.1 200 OK\r\n\r\n12345");
    EXPECT_EQ(parser.Feed("67890"), State::Body);
    EXPECT_EQ(parser.Feed("X"), State::TooLarge);
    EXPECT_EQ(parser.Feed("more"), State::TooLarge);
    EXPECT_EQ(parser.ReplyText(), "1234567890");
    EXPECT_EQ(parser.EndOfData(), State::TooLarge);
}
