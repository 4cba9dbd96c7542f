// The framing of the browsers' native-messaging stream.
#include "NativeMessageFramer.h"

#include <gtest/gtest.h>

#include <cstring>

using vortalux::NativeMessageFramer;

namespace {

std::string Prefix(uint32_t length)
{
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &length, 4);
    return bytes;
}

} // namespace

TEST(NativeMessageFramer, MessagesComeOutWholeHoweverTheStreamIsCut)
{
    const std::vector<std::string> bodies = {"{\"cmd\":\"version\"}", "", std::string(300, 'x'), "\xE9\x01"};
    std::string stream;
    for (const std::string& body : bodies)
        stream += NativeMessageFramer::Frame(body);
    EXPECT_EQ(stream.substr(0, 4), Prefix(17));

    // All in one read, then cut into two reads at every byte.
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        NativeMessageFramer framer;
        std::vector<std::string> messages;
        ASSERT_TRUE(framer.Feed(std::string_view(stream).substr(0, cut), messages));
        ASSERT_TRUE(framer.Feed(std::string_view(stream).substr(cut), messages));
        EXPECT_EQ(messages, bodies) << "cut at " << cut;
        EXPECT_TRUE(framer.Finish());
    }
    // One byte a read.
    NativeMessageFramer framer;
    std::vector<std::string> messages;
    for (const char c : stream)
        ASSERT_TRUE(framer.Feed(std::string_view(&c, 1), messages));
    EXPECT_EQ(messages, bodies);
}

TEST(NativeMessageFramer, ALengthPastTheLimitIsRefusedFromItsPrefixAlone)
{
    NativeMessageFramer framer;
    std::vector<std::string> messages;
    // The limit itself is a length like any other.
    ASSERT_TRUE(framer.Feed(Prefix(64u * 1024 * 1024), messages));
    EXPECT_TRUE(framer.Error().empty());

    NativeMessageFramer refusing;
    ASSERT_TRUE(refusing.Feed(NativeMessageFramer::Frame("{}"), messages));
    ASSERT_TRUE(refusing.Feed(Prefix(64u * 1024 * 1024 + 1).substr(0, 3), messages));
    EXPECT_FALSE(refusing.Feed(Prefix(64u * 1024 * 1024 + 1).substr(3), messages));
    EXPECT_EQ(refusing.Error(), "a message of 67108865 bytes is longer than the limit of 67108864 bytes");
    // Nothing after it is taken, not even a well-formed frame.
    EXPECT_FALSE(refusing.Feed(NativeMessageFramer::Frame("{}"), messages));
    EXPECT_FALSE(refusing.Finish());
    EXPECT_EQ(messages, std::vector<std::string> {"{}"});

    NativeMessageFramer largest;
    EXPECT_FALSE(largest.Feed(Prefix(0xFFFFFFFFu) + "{}", messages));
    EXPECT_EQ(largest.Error(), "a message of 4294967295 bytes is longer than the limit of 67108864 bytes");
}

TEST(NativeMessageFramer, InputEndingInsideAMessageIsAnError)
{
    struct Case {
        std::string stream;
        std::string error;
    };
    const Case cases[] = {
        {"", ""},
        {NativeMessageFramer::Frame("{}"), ""},
        {Prefix(10).substr(0, 2), "the input ended inside a message's length"},
        {Prefix(10), "the input ended inside a message: 0 of 10 bytes arrived"},
        {NativeMessageFramer::Frame("{}") + Prefix(10) + "{\"cmd\"",
            "the input ended inside a message: 6 of 10 bytes arrived"},
    };
    for (const Case& c : cases) {
        NativeMessageFramer framer;
        std::vector<std::string> messages;
        ASSERT_TRUE(framer.Feed(c.stream, messages));
        EXPECT_EQ(framer.Finish(), c.error.empty()) << c.error;
        EXPECT_EQ(framer.Error(), c.error);
    }
}
