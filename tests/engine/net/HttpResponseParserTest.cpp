#include "HttpResponseParser.h"

#include <gtest/gtest.h>

using namespace vortalux;
using State = HttpResponseParser::State;
using Rejection = HttpResponseParser::Rejection;

namespace {

// Feeds the response in pieces of the given size (0: all at once).
HttpResponseParser Parse(std::string_view response, size_t pieceSize = 0, size_t maxBody = 1 << 20,
    size_t maxHeader = HttpResponseParser::DefaultMaxHeaderSize)
{
    HttpResponseParser parser(maxBody, maxHeader);
    if (pieceSize == 0)
        pieceSize = response.size() + 1;
    for (size_t at = 0; at < response.size(); at += pieceSize)
        parser.Feed(response.substr(at, pieceSize));
    return parser;
}

} // namespace

TEST(HttpResponseParser, GivesTheBodyOf200HoweverTheResponseIsSplit)
{
    const std::string response = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nX-Long: "
        + std::string(300, 'h') + "\r\n\r\n<html>\r\nHTTP/1.1 302 Found\r\n\r\nbody</html>";
    for (size_t piece : {0, 1, 2, 3, 7, 16, 100}) {
        HttpResponseParser parser = Parse(response, piece);
        EXPECT_EQ(parser.GetState(), State::Body) << piece;
        EXPECT_EQ(parser.Code(), "200");
        EXPECT_EQ(parser.Body(), "<html>\r\nHTTP/1.1 302 Found\r\n\r\nbody</html>") << piece;
    }
}

TEST(HttpResponseParser, HeaderStaysIncompleteUntilTheEmptyLine)
{
    HttpResponseParser parser;
    EXPECT_EQ(parser.Feed("HTTP/1.0 200 OK\r\nServer: x\r\n"), State::Incomplete);
    EXPECT_FALSE(parser.HeaderComplete());
    EXPECT_EQ(parser.Feed("Set-Cookie: a=b\r\n"), State::Incomplete);
    EXPECT_EQ(parser.Feed("\r"), State::Incomplete);
    EXPECT_EQ(parser.Feed("\n"), State::Body);
    EXPECT_TRUE(parser.HeaderComplete());
    EXPECT_EQ(parser.Body(), "");
    EXPECT_EQ(parser.Feed("abc"), State::Body);
    EXPECT_EQ(parser.TakeBody(), "abc");
}

TEST(HttpResponseParser, CodeIsTheTextFromTheTenthCharacterToTheNextSpace)
{
    EXPECT_EQ(Parse("HTTP/1.1 200\r\n\r\nx").GetState(), State::Body);
    EXPECT_EQ(Parse("HTTP/1.0 200 Very Fine\r\n\r\nx").Body(), "x");
    EXPECT_EQ(Parse("HTTP/1.1 404 Not Found\r\n\r\nmissing").GetState(), State::Rejected);
    EXPECT_EQ(Parse("HTTP/1.1 404 Not Found\r\n\r\nmissing").Code(), "404");
    EXPECT_EQ(Parse("HTTP/1.1 2000 OK\r\n\r\nx").GetState(), State::Rejected);
    EXPECT_EQ(Parse("HTTP/1.1  200 OK\r\n\r\nx").GetState(), State::Rejected);
    EXPECT_EQ(Parse("HTTP/1.1\r\n\r\nx").GetState(), State::Rejected);
    EXPECT_EQ(Parse("HTTP/1.1 500 Oops\r\n\r\nx").GetState(), State::Rejected);
}

TEST(HttpResponseParser, RejectsWhatIsNotAnHttp1ResponseAsSoonAsItShows)
{
    HttpResponseParser parser;
    EXPECT_EQ(parser.Feed("HTT"), State::Incomplete);
    EXPECT_EQ(parser.Feed("P/2 200 OK\r\n"), State::Rejected);
    EXPECT_EQ(parser.Feed("\r\nbody"), State::Rejected);
    EXPECT_EQ(parser.Body(), "");

    HttpResponseParser html;
    EXPECT_EQ(html.Feed("<"), State::Rejected);
    EXPECT_EQ(Parse("\r\nHTTP/1.1 200 OK\r\n\r\nx").GetState(), State::Rejected);
    EXPECT_EQ(Parse("http/1.1 200 OK\r\n\r\nx").GetState(), State::Rejected);
}

TEST(HttpResponseParser, RedirectsCarryTheirTrimmedLocationWhateverTheNameCase)
{
    for (const char* code : {"301", "302", "303", "307", "308"}) {
        HttpResponseParser parser
            = Parse(std::string("HTTP/1.1 ") + code + " Moved\r\nLOCATION:   x2.html \t\r\n\r\nold");
        EXPECT_EQ(parser.GetState(), State::Redirect) << code;
        EXPECT_EQ(parser.Location(), "x2.html");
        EXPECT_EQ(parser.Body(), "");
    }
    EXPECT_EQ(Parse("HTTP/1.1 302 Found\r\nlocation: a\r\nLocation: b\r\n\r\n").Location(), "b");
    EXPECT_EQ(Parse("HTTP/1.1 304 Not Modified\r\nLocation: a\r\n\r\n").GetState(), State::Rejected);
    // A redirect that says nowhere to go leads nowhere.
    EXPECT_EQ(Parse("HTTP/1.1 302 Found\r\nLocation:  \r\n\r\n").GetState(), State::Rejected);
    EXPECT_EQ(Parse("HTTP/1.1 302 Found\r\n\r\n").GetState(), State::Rejected);
}

TEST(HttpResponseParser, ALocationHoldingAControlByteIsABrokenHeaderLine)
{
    // A bare CR would end the line for some readers and start a header of the server's choosing.
    const HttpResponseParser bareCr = Parse("HTTP/1.1 302 Found\r\nLocation: /a\rX-Evil: 1\r\n\r\n");
    EXPECT_EQ(bareCr.GetState(), State::Rejected);
    EXPECT_EQ(bareCr.GetRejection(), Rejection::Status);
    EXPECT_EQ(bareCr.Location(), "");
    // Ignored like any broken line: a sound Location before it stays.
    EXPECT_EQ(Parse("HTTP/1.1 302 Found\r\nLocation: /good\r\nLocation: /b\x01\r\n\r\n").Location(), "/good");
    EXPECT_EQ(Parse("HTTP/1.1 302 Found\r\nLocation: /a\tb\r\n\r\n").Location(), "");
    EXPECT_EQ(Parse("HTTP/1.1 302 Found\r\nLocation: /a\x7f\r\n\r\n").Location(), "");
    EXPECT_EQ(Parse(std::string("HTTP/1.1 302 Found\r\nLocation: /a\0b\r\n\r\n", 38)).Location(), "");
    // Blanks around the value are no part of it; one inside is, and the fetcher encodes it.
    EXPECT_EQ(Parse("HTTP/1.1 302 Found\r\nLocation:\t/a b \r\n\r\n").Location(), "/a b");
}

TEST(HttpResponseParser, SaysWhyItRejectedAResponse)
{
    EXPECT_EQ(Parse("HTTP/1.1 200 OK\r\n\r\nx").GetRejection(), Rejection::None);
    EXPECT_EQ(Parse("SSH-2.0\r\n").GetRejection(), Rejection::NotHttp);
    EXPECT_EQ(
        Parse("HTTP/1.1 200 OK\r\nX: " + std::string(200, 'a') + "\r\n\r\n", 0, 100, 100).GetRejection(),
        Rejection::HeaderTooLarge);
    EXPECT_EQ(Parse("HTTP/1.1 404 Not Found\r\n\r\n").GetRejection(), Rejection::Status);
    EXPECT_EQ(Parse("HTTP/1.1 301 Moved\r\n\r\n").GetRejection(), Rejection::Status);
}

TEST(HttpResponseParser, AcceptsLineFeedsWithoutCarriageReturns)
{
    HttpResponseParser parser
        = Parse("HTTP/1.0 302 Found\nBroken header line\nLocation: http://x/\n\nbody", 1);
    EXPECT_EQ(parser.GetState(), State::Redirect);
    EXPECT_EQ(parser.Location(), "http://x/");
    EXPECT_EQ(Parse("HTTP/1.0 200 OK\nA: b\n\r\nbody").Body(), "body");
}

TEST(HttpResponseParser, LimitsHeaderAndBody)
{
    const std::string longHeader = "HTTP/1.1 200 OK\r\nX: " + std::string(2000, 'a') + "\r\n\r\nbody";
    EXPECT_EQ(Parse(longHeader, 0, 100, 1000).GetState(), State::Rejected);
    EXPECT_EQ(Parse(longHeader, 13, 100, 1000).GetState(), State::Rejected);
    EXPECT_EQ(Parse(longHeader, 13, 100, 4000).Body(), "body");

    HttpResponseParser parser(10);
    EXPECT_EQ(parser.Feed("HTTP/1.1 200 OK\r\n\r\n12345"), State::Body);
    EXPECT_EQ(parser.Feed("6789"), State::Body);
    EXPECT_EQ(parser.Feed("abcdef"), State::BodyFull);
    EXPECT_EQ(parser.Feed("more"), State::BodyFull);
    EXPECT_EQ(parser.Body(), "123456789a");

    HttpResponseParser exact(4);
    EXPECT_EQ(exact.Feed("HTTP/1.1 200 OK\r\n\r\nabcd"), State::BodyFull);
    EXPECT_EQ(exact.Body(), "abcd");
}

TEST(HttpResponseParser, GrowsALargeBodyWithoutLosingBytesWhateverTheContentLengthSays)
{
    std::string body(5 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>('a' + i * 7 % 26);
    for (const std::string& header : {std::string("HTTP/1.1 200 OK\r\n\r\n"),
             std::string("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n"),
             "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n"}) {
        HttpResponseParser parser = Parse(header + body, 65536, HttpResponseParser::DefaultMaxBodySize);
        EXPECT_EQ(parser.GetState(), State::Body);
        EXPECT_TRUE(parser.Body() == body) << header;
    }
}

TEST(HttpResponseParser, ContentLengthDoesNotEndTheBody)
{
    HttpResponseParser parser = Parse("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nabcdef", 3);
    EXPECT_EQ(parser.Body(), "abcdef");
    EXPECT_EQ(Parse("HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\nab").Body(), "ab");
}
