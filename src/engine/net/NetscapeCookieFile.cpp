#include "NetscapeCookieFile.h"

#include "AsciiText.h"

#include <charconv>

namespace vortalux {

namespace {

constexpr std::string_view HttpOnlyPrefix = "#HttpOnly_";

bool ParseFlag(std::string_view field, bool& flag)
{
    if (EqualsNoCase(field, "TRUE"))
        flag = true;
    else if (EqualsNoCase(field, "FALSE"))
        flag = false;
    else
        return false;
    return true;
}

bool ParseLine(std::string_view line, Cookie& cookie)
{
    if (StartsWithNoCase(line, HttpOnlyPrefix))
        line.remove_prefix(HttpOnlyPrefix.size());
    else if (line.empty() || line.front() == '#')
        return false;

    std::string_view fields[7];
    size_t count = 0;
    while (count < 7) {
        const size_t tab = count == 6 ? std::string_view::npos : line.find('\t');
        fields[count++] = line.substr(0, tab);
        if (tab == std::string_view::npos)
            break;
        line.remove_prefix(tab + 1);
    }
    // curl writes a cookie with an empty value without the last field.
    if (count < 6)
        return false;

    cookie.host = std::string(fields[0]);
    cookie.path = std::string(fields[2]);
    cookie.name = std::string(fields[5]);
    cookie.value = count == 7 ? std::string(fields[6]) : std::string();
    if (cookie.host.empty() || !ParseFlag(fields[1], cookie.includeSubdomains)
        || !ParseFlag(fields[3], cookie.secure))
        return false;
    const std::string_view expiry = fields[4];
    const auto [end, error] = std::from_chars(expiry.data(), expiry.data() + expiry.size(), cookie.expiry);
    return error == std::errc() && end == expiry.data() + expiry.size();
}

} // namespace

std::vector<Cookie> ParseNetscapeCookies(std::string_view text)
{
    std::vector<Cookie> cookies;
    std::int64_t lineNumber = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        Cookie cookie;
        if (ParseLine(line, cookie)) {
            cookie.creationTime = lineNumber;
            cookies.push_back(std::move(cookie));
        }
    }
    return cookies;
}

} // namespace vortalux
