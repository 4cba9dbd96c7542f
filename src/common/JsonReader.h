#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vortalux {

struct JsonMember;

// One value of a JSON document.
struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    // A string's bytes (UTF-8, escapes decoded), or a number's literal as written.
    std::string text;
    std::vector<JsonValue> items;
    // In document order; keys are unique.
    std::vector<JsonMember> members;

    // The member `key` of an object, nullptr when absent.
    const JsonValue* Find(std::string_view key) const;
    // A number written as an integer (no fraction, no exponent) that fits, read without regard
    // to the process locale; nothing otherwise.
    std::optional<int64_t> Integer() const;
};

// One member of a JSON object.
struct JsonMember {
    std::string name;
    JsonValue value;
};

// How much a document may hold. Every value costs memory far beyond its text (a "0," is two
// bytes of text and a whole JsonValue), so a large text is bounded by its value count too.
struct JsonLimits {
    size_t maxBytes = 4 * 1024 * 1024;
    int maxDepth = 32;
    size_t maxValues = 1'000'000;
};

// A strict reader of one JSON document (RFC 8259): no comments, no trailing commas, no
// duplicate keys, nothing after the value but blanks. Input from users and files is bounded by
// JsonLimits: the text's size, the nesting of arrays and objects and the number of values.
// Bytes of strings pass as they are; "\u" escapes become UTF-8 (a lone surrogate is an error).
class JsonReader {
public:
    static constexpr size_t MaxBytes = JsonLimits {}.maxBytes;
    static constexpr int MaxDepth = JsonLimits {}.maxDepth;

    // Nothing on error, with a message (and the byte offset) in `error`.
    static std::optional<JsonValue> Parse(
        std::string_view text, std::string& error, const JsonLimits& limits = {});

private:
    JsonReader(std::string_view text, const JsonLimits& limits)
        : m_text(text)
        , m_limits(limits)
    {
    }

    bool ParseValue(JsonValue& value, int depth);
    bool ParseString(std::string& out);
    bool ParseNumber(std::string& out);
    bool ParseHex4(uint32_t& code);
    bool Literal(std::string_view word);
    void SkipBlanks();
    bool Fail(std::string message);

    std::string_view m_text;
    JsonLimits m_limits;
    size_t m_values = 0;
    size_t m_at = 0;
    std::string m_error;
};

} // namespace vortalux
