#include "TerminalText.h"

#include "Utf8Text.h"

namespace vortalux {

namespace {

void AppendEscape(std::string& out, unsigned char byte)
{
    static constexpr char Hex[] = "0123456789abcdef";
    out += "\\x";
    out += Hex[byte >> 4];
    out += Hex[byte & 0xF];
}

} // namespace

std::string TerminalText(std::string_view bytes, LineBreaks lineBreaks)
{
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (lineBreaks == LineBreaks::Keep && (c == '\n' || (c == '\r' && bytes.substr(i, 2) == "\r\n"))) {
            out += '\n';
            i += c == '\r' ? 2 : 1;
        } else if (c < 0x20 || c == 0x7F) {
            AppendEscape(out, c);
            ++i;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
        } else if (const size_t length = Utf8SequenceLength(bytes, i); length > 0) {
            // U+0080-U+009F are C2 80 to C2 9F.
            if (c == 0xC2 && static_cast<unsigned char>(bytes[i + 1]) < 0xA0) {
                AppendEscape(out, c);
                AppendEscape(out, static_cast<unsigned char>(bytes[i + 1]));
            } else {
                out.append(bytes.substr(i, length));
            }
            i += length;
        } else {
            if (c < 0xA0)
                AppendEscape(out, c);
            else
                out += static_cast<char>(c);
            ++i;
        }
    }
    return out;
}

} // namespace vortalux
