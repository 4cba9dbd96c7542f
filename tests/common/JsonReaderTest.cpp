// The strict JSON reader behind `rule save`.
#include "JsonReader.h"

#include <gtest/gtest.h>

using vortalux::JsonReader;
using vortalux::JsonValue;

TEST(JsonReader, DecodesEscapesAndRefusesWhatIsNotJson)
{
    std::string error;
    const auto value = JsonReader::Parse(
        " {\"a\": \"\\u00e9\\ud83d\\ude00\\/\\n\", \"n\": -12, \"f\": 1.5e3, \"l\": [true, null, {}]} ",
        error);
    ASSERT_TRUE(value) << error;
    EXPECT_EQ(value->Find("a")->text, "\xC3\xA9\xF0\x9F\x98\x80/\n");
    EXPECT_EQ(value->Find("n")->Integer(), -12);
    EXPECT_EQ(value->Find("f")->Integer(), std::nullopt);
    EXPECT_EQ(value->Find("l")->items.size(), 3u);
    EXPECT_EQ(value->Find("x"), nullptr);

    struct Case {
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"{\"a\": 1, \"a\": 2}", "duplicate key \"a\" at byte 12"},
        {"\"\\ud83d\"", "lone surrogate in a \\u escape at byte 7"},
        {"\"\\ude00\"", "lone surrogate in a \\u escape at byte 7"},
        {"\"a\tb\"", "control character in a string at byte 2"},
        {"01", "unexpected text after the JSON value at byte 1"},
        {"[1,]", "invalid JSON value at byte 3"},
        {"{\"a\" 1}", "expected ':' at byte 5"},
        {"tru", "invalid JSON value at byte 0"},
        {"\"abc", "unterminated string at byte 4"},
        {"", "unexpected end of the JSON text at byte 0"},
        {std::string(JsonReader::MaxBytes + 1, ' '), "the JSON text is larger than 4194304 bytes"},
    };
    for (const Case& c : cases) {
        error.clear();
        EXPECT_FALSE(JsonReader::Parse(c.text, error)) << c.text.substr(0, 20);
        EXPECT_EQ(error, c.error) << c.text.substr(0, 20);
    }
}
