// The messages of the browser extension: decoding, the checks on addresses, the replies.
#include "HostRequest.h"

#include <gtest/gtest.h>

using namespace vortalux;

TEST(HostRequest, EveryBrokenOrHostileMessageGetsItsReason)
{
    struct Case {
        std::string body;
        std::string error;
    };
    const Case cases[] = {
        {"", "the message is not JSON: unexpected end of the JSON text at byte 0"},
        {"{\"cmd\":\"version\"", "the message is not JSON: expected ',' or '}' at byte 16"},
        {"{\"cmd\":\"version\",\"cmd\":\"add-url\"}",
            "the message is not JSON: duplicate key \"cmd\" at byte 22"},
        {"{\"cmd\":\"add-url\",\"url\":\"http://h/\xC3\"}", "the message is not valid UTF-8"},
        {"{\"cmd\":\"add-url\",\"desc\":\"\xED\xA0\x80\"}", "the message is not valid UTF-8"},
        {"[\"version\"]", "the message is not a JSON object"},
        {"{}", "\"cmd\" is missing"},
        {"{\"cmd\":1}", "\"cmd\" must be a string"},
        {"{\"cmd\":\"VERSION\"}", "unknown command \"VERSION\""},
        {"{\"cmd\":\"run\\u0000\"}", "unknown command \"run\\u0000\""},
        {"{\"cmd\":\"add-url\"}", "\"url\" is missing"},
        {"{\"cmd\":\"add-url\",\"url\":null}", "\"url\" must be a string"},
        {"{\"cmd\":\"add-url\",\"url\":\"http://h/\",\"desc\":[]}", "\"desc\" must be a string"},
        {"{\"cmd\":\"add-url\",\"url\":\"http://h/\",\"referer\":5}", "\"referer\" must be a string"},
        {"{\"cmd\":\"add-url\",\"url\":\"javascript:alert(1)\"}", "\"url\" is not an http or https address"},
        {"{\"cmd\":\"add-url\",\"url\":\"http://h/a\\nb\"}", "\"url\" is not an http or https address"},
        {"{\"cmd\":\"add-url-list\",\"links\":[]}", "\"origin\" is missing"},
        {"{\"cmd\":\"add-url-list\",\"origin\":\"http://p/\"}", "\"links\" is missing"},
        {"{\"cmd\":\"add-url-list\",\"origin\":\"http://p/\",\"links\":{}}", "\"links\" must be an array"},
        {"{\"cmd\":\"add-url-list\",\"origin\":\"http://p/\",\"links\":[{\"url\":\"http://a/\"},\"http://b/"
         "\"]}",
            "link 2: not an object"},
        {"{\"cmd\":\"add-url-list\",\"origin\":\"http://p/\",\"links\":[{\"desc\":\"x\"}]}",
            "link 1: \"url\" is missing"},
        {"{\"cmd\":\"add-url-list\",\"origin\":\"http://p/\",\"links\":[{\"url\":\"http://a/\",\"desc\":1}]}",
            "link 1: \"desc\" must be a string"},
    };
    for (const Case& c : cases) {
        HostRequest request;
        std::string error;
        EXPECT_FALSE(DecodeHostRequest(c.body, request, error)) << c.body;
        EXPECT_EQ(error, c.error) << c.body;
        EXPECT_EQ(ErrorReply(error).substr(0, 21), "{\"ok\":false,\"error\":\"") << c.body;
    }
    EXPECT_EQ(ErrorReply("a \"b\"\x01\xE9"), "{\"ok\":false,\"error\":\"a \\\"b\\\"\\u0001\xC3\xA9\"}");
}

TEST(HostRequest, OnlyHttpAddressesWithAHostMayBeSent)
{
    const std::pair<std::string, bool> cases[] = {
        {"http://h/", true},
        {"HTTPS://h.example:8443/a?b#c", true},
        {"http://user:pw@h/x", true},
        {"http://[::1]:80/", true},
        {"http://h", true},
        {"javascript:alert(1)", false},
        {"file:///etc/passwd", false},
        {"data:text/html,x", false},
        {"ftp://h/", false},
        {"/relative/x.jpg", false},
        {"x.jpg", false},
        {"", false},
        {"http://", false},
        {"http:///path", false},
        {"http://:80/", false},
        {"http://user@/", false},
        {"http://[]/", false},
        {"http://[::1/", false},
        {"http://h/a b", false},
        {"http://h/a\tb", false},
        {"http://h/\x7F", false},
        {std::string("http://h/\0x", 11), false},
        {" http://h/", false},
    };
    for (const auto& [url, sendable] : cases)
        EXPECT_EQ(IsSendableUrl(url), sendable) << url;
}

TEST(HostRequest, ListsKeepTheirOrderAndCountWhatIsLeftOut)
{
    HostRequest request;
    std::string error;
    ASSERT_TRUE(DecodeHostRequest(
        "{\"cmd\":\"add-url-list\",\"origin\":\"http://forum/t?p=2\",\"future\":1,\"links\":["
        "{\"url\":\"http://a/"
        "1_t.jpg\",\"desc\":\"one\\ttab\"},{\"url\":\"javascript:void(0)\",\"desc\":\"x\"},"
        "{\"url\":\"https://b/2.jpg\"},{\"url\":\"file:///etc/passwd\"},{\"url\":\"\"}]}",
        request, error))
        << error;
    EXPECT_EQ(request.command, HostRequest::Command::AddUrlList);
    EXPECT_EQ(request.urlList,
        (std::vector<std::string> {
            "http://forum/t?p=2", "http://a/1_t.jpg", "one tab", "https://b/2.jpg", ""}));
    EXPECT_EQ(request.refused, 3u);
    EXPECT_EQ(AcceptedReply(request, "0.1.4"), "{\"ok\":true,\"accepted\":2,\"refused\":3}");

    // What goes to the engine decodes to the same request, with nothing left out.
    HostRequest again;
    ASSERT_TRUE(DecodeHostRequest(EncodeHostRequest(request), again, error)) << error;
    EXPECT_EQ(again.urlList, request.urlList);
    EXPECT_EQ(again.refused, 0u);

    // An origin that is no page address is not passed on as one.
    ASSERT_TRUE(DecodeHostRequest(
        "{\"cmd\":\"add-url-list\",\"origin\":\"file:///home/u/page.html\",\"links\":[]}", request, error));
    EXPECT_EQ(request.urlList, std::vector<std::string> {""});

    // A page of 100,000 links.
    std::string body = "{\"cmd\":\"add-url-list\",\"origin\":\"http://p/\",\"links\":[";
    for (int i = 0; i < 100'000; ++i)
        body += std::string(i == 0 ? "" : ",") + "{\"url\":\"http://a/" + std::to_string(i)
            + ".jpg\",\"desc\":\"d\"}";
    body += "]}";
    ASSERT_TRUE(DecodeHostRequest(body, request, error)) << error;
    EXPECT_EQ(request.Accepted(), 100'000u);
    EXPECT_EQ(request.urlList[199'999], "http://a/99999.jpg");
}

TEST(HostRequest, OneLinkAndTheVersion)
{
    HostRequest request;
    std::string error;
    ASSERT_TRUE(
        DecodeHostRequest("{\"cmd\":\"add-url\",\"url\":\"http://a/x_t.jpg\",\"desc\":\"A\\r\\nB\\u0000\","
                          "\"referer\":\"http://forum/t\"}",
            request, error))
        << error;
    EXPECT_EQ(request.command, HostRequest::Command::AddUrl);
    EXPECT_EQ(request.url, "http://a/x_t.jpg");
    EXPECT_EQ(request.desc, "A  B ");
    EXPECT_EQ(request.referer, "http://forum/t");
    EXPECT_EQ(AcceptedReply(request, "0.1.4"), "{\"ok\":true}");

    ASSERT_TRUE(DecodeHostRequest(
        "{\"cmd\":\"add-url\",\"url\":\"http://a/\",\"referer\":\"about:blank\"}", request, error));
    EXPECT_EQ(request.desc, "");
    EXPECT_EQ(request.referer, "");

    ASSERT_TRUE(DecodeHostRequest(" {\"cmd\":\"version\"} ", request, error));
    EXPECT_EQ(AcceptedReply(request, "0.1.4"), "{\"ok\":true,\"version\":\"0.1.4\"}");
}
