#include "PrintingHandOff.h"

#include "TerminalText.h"
#include "Utf8Text.h"

namespace vortalux {

namespace {

// An address in a record: the bytes no URL may hold as they are (control bytes, blanks, DEL, and
// the C1 controls, raw or in UTF-8) percent-encoded. A program that fetches it gets the same
// address, and neither the record's tabs and line ends nor a terminal's escapes can come from it.
std::string UrlField(std::string_view url)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string field;
    field.reserve(url.size());
    const auto encode = [&](unsigned char byte) {
        field += '%';
        field += Hex[byte >> 4];
        field += Hex[byte & 0xF];
    };
    for (size_t i = 0; i < url.size();) {
        const auto c = static_cast<unsigned char>(url[i]);
        const size_t length = c < 0x80 ? 1 : Utf8SequenceLength(url, i);
        if (c <= 0x20 || c == 0x7F || (length == 0 && c < 0xA0)) {
            encode(c);
            ++i;
        } else if (length == 2 && c == 0xC2 && static_cast<unsigned char>(url[i + 1]) < 0xA0) {
            encode(c);
            encode(static_cast<unsigned char>(url[i + 1]));
            i += 2;
        } else {
            const size_t take = length == 0 ? 1 : length;
            field.append(url.substr(i, take));
            i += take;
        }
    }
    return field;
}

} // namespace

void PrintingHandOff::AddLink(const ManagerStore&, int, const std::string& referer, const Link& link)
{
    m_out << "AddLink\t" << UrlField(referer) << '\t' << UrlField(link.url) << '\t' << TerminalText(link.name)
          << '\n';
    m_out.flush();
}

void PrintingHandOff::AddList(
    const ManagerStore&, int, const std::string& referer, const std::vector<Link>& links)
{
    m_out << "AddList\t" << UrlField(referer) << '\t' << links.size() << '\n';
    for (const Link& link : links)
        m_out << '\t' << UrlField(link.url) << '\t' << TerminalText(link.name) << '\n';
    m_out.flush();
}

} // namespace vortalux
