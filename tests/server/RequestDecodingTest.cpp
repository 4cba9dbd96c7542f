// The bytes a request arrives as, before anything is answered: the form body and the framing
// that keeps a connection within its limits, and the per-address limit on reports.
#include "FormBody.h"
#include "RateLimiter.h"
#include "RequestFramer.h"

#include <gtest/gtest.h>

using namespace vortalux::server;

namespace {

TEST(FormBodyTest, DecodesWhatTheClientEncodes)
{
    // The client's own examples: its encoder keeps only letters and digits.
    auto fields = DecodeFormBody("action=versions&name=core%2Fx+y%2Edll");
    ASSERT_TRUE(fields);
    EXPECT_EQ(*fields, (std::vector<FormField> {{"action", "versions"}, {"name", "core/x y.dll"}}));

    fields = DecodeFormBody("a%2Db%5Fc=%09%0D%0A%E9&a%2Db%5Fc=&nbSR=2");
    ASSERT_TRUE(fields);
    EXPECT_EQ(*fields, (std::vector<FormField> {{"a-b_c", "\t\r\n\xE9"}, {"a-b_c", ""}, {"nbSR", "2"}}));

    // Lower-case hex digits are taken too; a raw byte the client would have escaped passes as is.
    fields = DecodeFormBody("x=%2f%e9.");
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->at(0).value, "/\xE9.");

    EXPECT_TRUE(DecodeFormBody("")->empty());
}

TEST(FormBodyTest, RefusesWhatIsNotAForm)
{
    for (const char* body : {"action", "action=versions&", "&action=versions", "a=1&&b=2", "a=%", "a=%4",
             "a=%4G", "a=%G4", "%=1"})
        EXPECT_FALSE(DecodeFormBody(body)) << body;
    EXPECT_FALSE(DecodeFormBody("a=1&b=2&c=3", 2));
    EXPECT_TRUE(DecodeFormBody("a=1&b=2", 2));
}

TEST(FormBodyTest, EncodingRoundTripsEveryByte)
{
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    EXPECT_EQ(EncodeFormText("a-b_c d"), "a%2Db%5Fc+d");
    const auto fields = DecodeFormBody(EncodeFormBody({{all, all}, {"", ""}}));
    ASSERT_TRUE(fields);
    EXPECT_EQ(*fields, (std::vector<FormField> {{all, all}, {"", ""}}));
}

const std::string ClientRequest = "POST /vtl.php HTTP/1.0\r\n"
                                  "Host: example.org\r\n"
                                  "Content-Type: application/x-www-form-urlencoded\r\n"
                                  "Content-Length: 15\r\n"
                                  "Connection: Keep-Alive\r\n"
                                  "\r\n"
                                  "action=versions\r\n";

TEST(RequestFramerTest, FollowsRequestsSplitAnywhere)
{
    // Two requests of the client on one connection (its CR LF after each body included), cut into
    // pieces at every possible place.
    const std::string stream = ClientRequest + ClientRequest;
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        RequestFramer framer({});
        ASSERT_EQ(framer.Feed(std::string_view(stream).substr(0, cut)), RequestFramer::Verdict::Continue);
        ASSERT_EQ(framer.Feed(std::string_view(stream).substr(cut)), RequestFramer::Verdict::Continue);
        EXPECT_EQ(framer.CompletedRequests(), 2u) << cut;
    }
    RequestFramer byByte({});
    for (const char c : stream)
        ASSERT_EQ(byByte.Feed(std::string_view(&c, 1)), RequestFramer::Verdict::Continue);
    EXPECT_EQ(byByte.CompletedRequests(), 2u);

    // LF alone ends lines too; no Content-Length is an empty body.
    RequestFramer lfOnly({});
    EXPECT_EQ(lfOnly.Feed("GET / HTTP/1.1\nHost: x\n\nPOST / HTTP/1.1\ncontent-length:  3 \n\nabc"),
        RequestFramer::Verdict::Continue);
    EXPECT_EQ(lfOnly.CompletedRequests(), 2u);
}

TEST(RequestFramerTest, RefusesBeforeBuffering)
{
    struct Case {
        std::string bytes;
        int status;
    };
    const std::string start = "POST /vtl.php HTTP/1.0\r\n";
    const Case cases[] = {
        {start + "Content-Length: 101\r\n\r\n", 413},
        {start + "Content-Length: 99999999999999999999999\r\n\r\n", 400},
        {start + "Content-Length: 12abc\r\n\r\n", 400},
        {start + "Content-Length: -1\r\n\r\n", 400},
        {start + "Content-Length:\r\n\r\n", 400},
        {start + "Content-Length: 5\r\nContent-Length: 6\r\n\r\n", 400},
        {start + "Transfer-Encoding: chunked\r\n\r\n", 501},
        {start + "X: " + std::string(300, 'a') + "\r\n\r\n", 431},
        // A body within the limit, then a second request over it on the same connection.
        {start + "Content-Length: 100\r\n\r\n" + std::string(100, 'x') + start
                + "Content-Length: 101\r\n\r\n",
            413},
    };
    for (const Case& test : cases) {
        RequestFramer framer({.maxHeaderBytes = 256, .maxBodyBytes = 100});
        EXPECT_EQ(framer.Feed(test.bytes), RequestFramer::Verdict::Refuse) << test.bytes;
        EXPECT_EQ(framer.RefusalStatus(), test.status) << test.bytes;
        // Once refused, always refused.
        EXPECT_EQ(framer.Feed(ClientRequest), RequestFramer::Verdict::Refuse);
    }
    RequestFramer sameTwice({.maxHeaderBytes = 256, .maxBodyBytes = 100});
    EXPECT_EQ(sameTwice.Feed(start + "Content-Length: 5\r\ncontent-length: 5\r\n\r\nabcde"),
        RequestFramer::Verdict::Continue);
}

TEST(RateLimiterTest, BurstThenRefillPerAddress)
{
    const RateLimiter::Clock::time_point start {};
    RateLimiter limiter(3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(limiter.Allow("10.0.0.1", start));
    EXPECT_FALSE(limiter.Allow("10.0.0.1", start));
    EXPECT_TRUE(limiter.Allow("10.0.0.2", start)); // each address has its own bucket
    EXPECT_FALSE(limiter.Allow("10.0.0.1", start + std::chrono::seconds(19)));
    EXPECT_TRUE(limiter.Allow("10.0.0.1", start + std::chrono::seconds(20))); // one token in 20 s
    EXPECT_FALSE(limiter.Allow("10.0.0.1", start + std::chrono::seconds(21)));
    // Buckets full again are forgotten at the next sweep, so the table cannot grow without end.
    EXPECT_TRUE(limiter.Allow("10.0.0.3", start + std::chrono::minutes(5)));
    EXPECT_EQ(limiter.TrackedAddresses(), 1u);

    RateLimiter unlimited(0);
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(unlimited.Allow("10.0.0.1", start));
}

} // namespace
