#include "FormBody.h"

#include "AsciiText.h"

namespace vortalux::server {

namespace {

// Decodes one name or value in place of `out`; false on a broken "%" escape.
bool DecodeText(std::string_view text, std::string& out)
{
    out.clear();
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%') {
            if (text.size() - i < 3)
                return false;
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high < 0 || low < 0)
                return false;
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += c;
        }
    }
    return true;
}

} // namespace

std::optional<std::vector<FormField>> DecodeFormBody(std::string_view body, size_t maxFields)
{
    std::vector<FormField> fields;
    if (body.empty())
        return fields;
    size_t from = 0;
    while (true) {
        const size_t amp = body.find('&', from);
        const std::string_view pair
            = body.substr(from, amp == std::string_view::npos ? body.npos : amp - from);
        const size_t equals = pair.find('=');
        if (pair.empty() || equals == std::string_view::npos || fields.size() >= maxFields)
            return std::nullopt;
        FormField& field = fields.emplace_back();
        if (!DecodeText(pair.substr(0, equals), field.name)
            || !DecodeText(pair.substr(equals + 1), field.value))
            return std::nullopt;
        if (amp == std::string_view::npos)
            return fields;
        from = amp + 1;
    }
}

std::string EncodeFormText(std::string_view text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z')) {
            out += c;
        } else if (byte == ' ') {
            out += '+';
        } else {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0x0F];
        }
    }
    return out;
}

std::string EncodeFormBody(const std::vector<FormField>& fields)
{
    std::string body;
    for (const FormField& field : fields) {
        if (!body.empty())
            body += '&';
        body += EncodeFormText(field.name);
        body += '=';
        body += EncodeFormText(field.value);
    }
    return body;
}

} // namespace vortalux::server
