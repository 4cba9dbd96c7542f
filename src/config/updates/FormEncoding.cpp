#include "FormEncoding.h"

namespace vortalux {

namespace {

bool StaysAsItIs(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

std::string UrlEncode(std::string_view text)
{
    static constexpr char HexDigits[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (const char c : text) {
        if (StaysAsItIs(c)) {
            encoded += c;
        } else if (c == ' ') {
            encoded += '+';
        } else {
            const auto byte = static_cast<unsigned char>(c);
            encoded += '%';
            encoded += HexDigits[byte >> 4];
            encoded += HexDigits[byte & 0x0F];
        }
    }
    return encoded;
}

void AddVarToBuffer(std::string& requestBody, std::string_view name, std::string_view value)
{
    if (!requestBody.empty())
        requestBody += '&';
    requestBody += UrlEncode(name);
    requestBody += '=';
    requestBody += UrlEncode(value);
}

} // namespace vortalux
