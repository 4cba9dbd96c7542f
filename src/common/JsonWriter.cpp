#include "JsonWriter.h"

#include "Utf8Text.h"

namespace vortalux {

std::string JsonWriter::Quote(std::string_view bytes)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() + 2);
    out += '"';
    for (size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < 0x20) {
            switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += "\\u00";
                out += hex[c >> 4];
                out += hex[c & 0xF];
            }
            ++i;
        } else if (const size_t length = Utf8SequenceLength(bytes, i); length > 0) {
            out.append(bytes.substr(i, length));
            i += length;
        } else {
            // Latin-1: the byte's value as a code point, written in UTF-8.
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
            ++i;
        }
    }
    out += '"';
    return out;
}

void JsonWriter::NewLine()
{
    if (m_layout == JsonLayout::Compact)
        return;
    m_out << '\n';
    for (size_t i = 0; i < m_levels.size(); ++i)
        m_out << "  ";
}

void JsonWriter::BeforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_levels.empty()) {
        if (!m_levels.back().empty)
            m_out << ',';
        m_levels.back().empty = false;
        NewLine();
    }
}

JsonWriter& JsonWriter::BeginObject()
{
    BeforeValue();
    m_out << '{';
    m_levels.push_back({});
    return *this;
}

JsonWriter& JsonWriter::BeginArray()
{
    BeforeValue();
    m_out << '[';
    m_levels.push_back({});
    return *this;
}

void JsonWriter::Close(char bracket)
{
    const bool empty = m_levels.back().empty;
    m_levels.pop_back();
    if (!empty)
        NewLine();
    m_out << bracket;
}

JsonWriter& JsonWriter::EndObject()
{
    Close('}');
    return *this;
}

JsonWriter& JsonWriter::EndArray()
{
    Close(']');
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key)
{
    BeforeValue();
    m_out << Quote(key) << (m_layout == JsonLayout::Compact ? ":" : ": ");
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view value)
{
    BeforeValue();
    m_out << Quote(value);
    return *this;
}

JsonWriter& JsonWriter::Number(int64_t value)
{
    BeforeValue();
    m_out << value;
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value)
{
    BeforeValue();
    m_out << (value ? "true" : "false");
    return *this;
}

JsonWriter& JsonWriter::Null()
{
    BeforeValue();
    m_out << "null";
    return *this;
}

void JsonWriter::Finish() { m_out << '\n'; }

} // namespace vortalux
