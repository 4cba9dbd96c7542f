#include "JsonReader.h"

#include "AsciiText.h"

#include <charconv>
#include <unordered_set>

namespace vortalux {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void AppendUtf8(std::string& out, uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

const JsonValue* JsonValue::Find(std::string_view key) const
{
    for (const auto& [name, value] : members) {
        if (name == key)
            return &value;
    }
    return nullptr;
}

std::optional<int64_t> JsonValue::Integer() const
{
    if (kind != Kind::Number || text.find_first_of(".eE") != std::string::npos)
        return std::nullopt;
    int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

std::optional<JsonValue> JsonReader::Parse(
    std::string_view text, std::string& error, const JsonLimits& limits)
{
    if (text.size() > limits.maxBytes) {
        error = "the JSON text is larger than " + std::to_string(limits.maxBytes) + " bytes";
        return std::nullopt;
    }
    JsonReader reader(text, limits);
    JsonValue value;
    reader.SkipBlanks();
    if (!reader.ParseValue(value, 0)) {
        error = reader.m_error;
        return std::nullopt;
    }
    reader.SkipBlanks();
    if (reader.m_at != text.size()) {
        reader.Fail("unexpected text after the JSON value");
        error = reader.m_error;
        return std::nullopt;
    }
    return value;
}

bool JsonReader::Fail(std::string message)
{
    if (m_error.empty())
        m_error = std::move(message) + " at byte " + std::to_string(m_at);
    return false;
}

void JsonReader::SkipBlanks()
{
    while (m_at < m_text.size()
        && (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\n' || m_text[m_at] == '\r'))
        ++m_at;
}

bool JsonReader::Literal(std::string_view word)
{
    if (m_text.substr(m_at, word.size()) != word)
        return Fail("invalid JSON value");
    m_at += word.size();
    return true;
}

bool JsonReader::ParseValue(JsonValue& value, int depth)
{
    if (m_at >= m_text.size())
        return Fail("unexpected end of the JSON text");
    if (++m_values > m_limits.maxValues)
        return Fail("more than " + std::to_string(m_limits.maxValues) + " JSON values");
    const char c = m_text[m_at];
    if (c == '{' || c == '[') {
        if (depth >= m_limits.maxDepth)
            return Fail("JSON nested deeper than " + std::to_string(m_limits.maxDepth) + " levels");
        const bool isObject = c == '{';
        const char close = isObject ? '}' : ']';
        value.kind = isObject ? JsonValue::Kind::Object : JsonValue::Kind::Array;
        ++m_at;
        SkipBlanks();
        if (m_at < m_text.size() && m_text[m_at] == close) {
            ++m_at;
            return true;
        }
        // Past a few members the duplicate check looks names up in a set, so that an object of
        // many members costs linear time, not quadratic.
        constexpr size_t LinearSearchMembers = 16;
        std::unordered_set<std::string> names;
        while (true) {
            SkipBlanks();
            if (isObject) {
                if (m_at >= m_text.size() || m_text[m_at] != '"')
                    return Fail("expected a key in double quotes");
                std::string key;
                if (!ParseString(key))
                    return false;
                bool duplicate = false;
                if (value.members.size() < LinearSearchMembers) {
                    duplicate = value.Find(key) != nullptr;
                } else {
                    if (names.empty()) {
                        for (const JsonMember& member : value.members)
                            names.insert(member.name);
                    }
                    duplicate = !names.insert(key).second;
                }
                if (duplicate)
                    return Fail("duplicate key \"" + key + "\"");
                SkipBlanks();
                if (m_at >= m_text.size() || m_text[m_at] != ':')
                    return Fail("expected ':'");
                ++m_at;
                SkipBlanks();
                value.members.push_back(JsonMember {std::move(key), JsonValue {}});
                if (!ParseValue(value.members.back().value, depth + 1))
                    return false;
            } else {
                value.items.emplace_back();
                if (!ParseValue(value.items.back(), depth + 1))
                    return false;
            }
            SkipBlanks();
            if (m_at < m_text.size() && m_text[m_at] == ',') {
                ++m_at;
                continue;
            }
            if (m_at < m_text.size() && m_text[m_at] == close) {
                ++m_at;
                return true;
            }
            return Fail(isObject ? "expected ',' or '}'" : "expected ',' or ']'");
        }
    }
    if (c == '"') {
        value.kind = JsonValue::Kind::String;
        return ParseString(value.text);
    }
    if (c == 't' || c == 'f') {
        value.kind = JsonValue::Kind::Bool;
        value.boolean = c == 't';
        return Literal(c == 't' ? "true" : "false");
    }
    if (c == 'n') {
        value.kind = JsonValue::Kind::Null;
        return Literal("null");
    }
    value.kind = JsonValue::Kind::Number;
    return ParseNumber(value.text);
}

bool JsonReader::ParseNumber(std::string& out)
{
    const size_t start = m_at;
    const auto digits = [this] {
        const size_t from = m_at;
        while (m_at < m_text.size() && IsDigit(m_text[m_at]))
            ++m_at;
        return m_at > from;
    };
    if (m_at < m_text.size() && m_text[m_at] == '-')
        ++m_at;
    if (m_at < m_text.size() && m_text[m_at] == '0') {
        ++m_at;
    } else if (!digits()) {
        return Fail("invalid JSON value");
    }
    if (m_at < m_text.size() && m_text[m_at] == '.') {
        ++m_at;
        if (!digits())
            return Fail("invalid number");
    }
    if (m_at < m_text.size() && (m_text[m_at] == 'e' || m_text[m_at] == 'E')) {
        ++m_at;
        if (m_at < m_text.size() && (m_text[m_at] == '+' || m_text[m_at] == '-'))
            ++m_at;
        if (!digits())
            return Fail("invalid number");
    }
    out.assign(m_text.substr(start, m_at - start));
    return true;
}

bool JsonReader::ParseHex4(uint32_t& code)
{
    if (m_text.size() - m_at < 4)
        return Fail("incomplete \\u escape");
    code = 0;
    for (int i = 0; i < 4; ++i) {
        const int digit = HexValue(m_text[m_at++]);
        if (digit < 0)
            return Fail("invalid \\u escape");
        code = code * 16 + static_cast<uint32_t>(digit);
    }
    return true;
}

bool JsonReader::ParseString(std::string& out)
{
    ++m_at; // the opening quote
    while (true) {
        if (m_at >= m_text.size())
            return Fail("unterminated string");
        const char c = m_text[m_at];
        if (c == '"') {
            ++m_at;
            return true;
        }
        if (static_cast<unsigned char>(c) < 0x20)
            return Fail("control character in a string");
        ++m_at;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (m_at >= m_text.size())
            return Fail("unterminated string");
        const char escape = m_text[m_at++];
        switch (escape) {
        case '"':
        case '\\':
        case '/':
            out += escape;
            break;
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'u': {
            uint32_t code = 0;
            if (!ParseHex4(code))
                return false;
            if (code >= 0xDC00 && code <= 0xDFFF)
                return Fail("lone surrogate in a \\u escape");
            if (code >= 0xD800 && code <= 0xDBFF) {
                uint32_t low = 0;
                if (m_text.substr(m_at, 2) != "\\u")
                    return Fail("lone surrogate in a \\u escape");
                m_at += 2;
                if (!ParseHex4(low))
                    return false;
                if (low < 0xDC00 || low > 0xDFFF)
                    return Fail("lone surrogate in a \\u escape");
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            }
            AppendUtf8(out, code);
            break;
        }
        default:
            return Fail("invalid escape in a string");
        }
    }
}

} // namespace vortalux
