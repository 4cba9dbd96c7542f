// The strict JSON reader behind `rule save` and the browsers' messages, and the writer.
#include "JsonReader.h"
#include "JsonWriter.h"

#include <gtest/gtest.h>

#include <sstream>

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

TEST(JsonReader, LimitsHoldAndManyMembersStillFindTheirDuplicate)
{
    // An object past the members the reader compares one by one: a late duplicate of an early
    // name is found, and distinct names are all kept.
    std::string many = "{";
    for (int i = 0; i < 40; ++i)
        many += "\"k" + std::to_string(i) + "\":" + std::to_string(i) + ",";
    std::string error;
    const auto value = JsonReader::Parse(many + "\"last\":0}", error);
    ASSERT_TRUE(value) << error;
    EXPECT_EQ(value->members.size(), 41u);
    EXPECT_EQ(value->Find("k39")->Integer(), 39);
    EXPECT_FALSE(JsonReader::Parse(many + "\"k3\":0}", error));
    EXPECT_EQ(error, "duplicate key \"k3\" at byte 345");

    struct Case {
        std::string text;
        vortalux::JsonLimits limits;
        std::string error; // empty: accepted
    };
    const Case cases[] = {
        {"[0,0,0]", {.maxValues = 4}, ""},
        {"[0,0,0,0]", {.maxValues = 4}, "more than 4 JSON values at byte 7"},
        {"[[[]]]", {.maxDepth = 3}, ""},
        {"[[[[]]]]", {.maxDepth = 3}, "JSON nested deeper than 3 levels at byte 3"},
        {std::string(10, ' ') + "1", {.maxBytes = 10}, "the JSON text is larger than 10 bytes"},
    };
    for (const Case& c : cases) {
        error.clear();
        EXPECT_EQ(JsonReader::Parse(c.text, error, c.limits).has_value(), c.error.empty()) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

TEST(JsonWriter, CompactLayoutIsOneLineWithExactEscapes)
{
    std::ostringstream out;
    vortalux::JsonWriter json(out, vortalux::JsonLayout::Compact);
    json.BeginObject().Key("ok").Bool(false).Key("error").String("a\"b\\c\x01\n\xE9").Key("n").Number(-3);
    json.Key("l").BeginArray().String("x").BeginObject().EndObject().EndArray().EndObject();
    EXPECT_EQ(
        out.str(), "{\"ok\":false,\"error\":\"a\\\"b\\\\c\\u0001\\n\xC3\xA9\",\"n\":-3,\"l\":[\"x\",{}]}");
}
