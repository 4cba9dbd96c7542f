#include "CookieStore.h"

#include "AsciiText.h"
#include "FirefoxCookieDatabase.h"
#include "FirefoxProfileLocator.h"
#include "NetscapeCookieFile.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>

namespace vortalux {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view SqliteMagic {"SQLite format 3\0", 16};
// No cookie file comes near this size; a larger file is not read.
constexpr std::uintmax_t MaxCookieFileSize = 64 * 1024 * 1024;

struct RequestTarget {
    bool secure = false;
    std::string host;
    std::string path;
};

bool SplitRequestTarget(std::string_view url, RequestTarget& target)
{
    const size_t schemeEnd = url.find("://");
    if (schemeEnd == std::string_view::npos)
        return false;
    target.secure = EqualsNoCase(url.substr(0, schemeEnd), "https");
    std::string_view rest = url.substr(schemeEnd + 3);
    const size_t hostEnd = rest.find_first_of("/?#");
    std::string_view authority = rest.substr(0, hostEnd);
    if (const size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    if (const size_t colon = authority.find(':'); colon != std::string_view::npos)
        authority = authority.substr(0, colon);
    target.host = AsciiLowerCopy(authority);
    std::string_view path = hostEnd == std::string_view::npos ? std::string_view() : rest.substr(hostEnd);
    path = path.substr(0, path.find_first_of("?#"));
    target.path = path.empty() ? "/" : std::string(path);
    return !target.host.empty();
}

bool DomainMatches(const Cookie& cookie, const std::string& host)
{
    std::string domain = AsciiLowerCopy(cookie.host);
    const bool domainCookie = cookie.includeSubdomains || (!domain.empty() && domain.front() == '.');
    if (!domain.empty() && domain.front() == '.')
        domain.erase(0, 1);
    if (domain.empty())
        return false;
    if (host == domain)
        return true;
    return domainCookie && host.size() > domain.size() && host.ends_with(domain)
        && host[host.size() - domain.size() - 1] == '.';
}

// The path-match of RFC 6265, section 5.1.4.
bool PathMatches(std::string_view cookiePath, std::string_view requestPath)
{
    if (cookiePath.empty())
        cookiePath = "/";
    if (!requestPath.starts_with(cookiePath))
        return false;
    return requestPath.size() == cookiePath.size() || cookiePath.back() == '/'
        || requestPath[cookiePath.size()] == '/';
}

// A line break would start a new request header line; ";" would split the pair.
bool IsSafeHeaderText(std::string_view text, bool isName)
{
    return std::none_of(text.begin(), text.end(), [isName](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F || c == ';' || (isName && c == '=');
    });
}

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return {};
}

} // namespace

CookieStore::CookieStore(fs::path source)
    : m_source(std::move(source))
{
}

CookieStore CookieStore::FromEnvironment()
{
    if (const char* file = std::getenv("VORTALUX_COOKIES"); file != nullptr && *file != '\0')
        return CookieStore(file);
    const std::string home = HomeFolder();
    if (!home.empty()) {
        if (auto database = FirefoxProfileLocator(home).FindCookieDatabase())
            return CookieStore(*database);
    }
    return CookieStore();
}

std::vector<Cookie> CookieStore::LoadCookies(const fs::path& source)
{
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(source, ec);
    if (ec || size > MaxCookieFileSize)
        return {};
    std::ifstream in(source, std::ios::binary);
    std::string start(SqliteMagic.size(), '\0');
    in.read(start.data(), static_cast<std::streamsize>(start.size()));
    start.resize(static_cast<size_t>(in.gcount()));
    if (start == SqliteMagic)
        return ReadFirefoxCookies(source);
    in.clear();
    in.seekg(0);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ParseNetscapeCookies(text);
}

std::string CookieStore::ReadCookies(std::string_view url) const
{
    if (m_source.empty())
        return {};
    return CookieHeader(LoadCookies(m_source), url, static_cast<std::int64_t>(std::time(nullptr)));
}

std::vector<const Cookie*> CookieStore::MatchingCookies(
    const std::vector<Cookie>& cookies, std::string_view url, std::int64_t now)
{
    RequestTarget target;
    if (!SplitRequestTarget(url, target))
        return {};

    std::vector<const Cookie*> matching;
    for (const Cookie& cookie : cookies) {
        if (cookie.secure && !target.secure)
            continue;
        if (cookie.expiry != 0 && cookie.expiry <= now)
            continue;
        if (!DomainMatches(cookie, target.host) || !PathMatches(cookie.path, target.path))
            continue;
        if (!IsSafeHeaderText(cookie.name, true) || !IsSafeHeaderText(cookie.value, false))
            continue;
        if (cookie.name.empty() && cookie.value.empty())
            continue;
        matching.push_back(&cookie);
    }
    std::stable_sort(matching.begin(), matching.end(), [](const Cookie* a, const Cookie* b) {
        const size_t aLength = std::max<size_t>(a->path.size(), 1);
        const size_t bLength = std::max<size_t>(b->path.size(), 1);
        if (aLength != bLength)
            return aLength > bLength;
        return a->creationTime < b->creationTime;
    });
    return matching;
}

std::string CookieStore::CookieHeader(
    const std::vector<Cookie>& cookies, std::string_view url, std::int64_t now)
{
    const std::vector<const Cookie*> matching = MatchingCookies(cookies, url, now);
    std::string header;
    for (const Cookie* cookie : matching) {
        if (!header.empty())
            header += "; ";
        // A cookie without a name is sent as its value alone, as browsers do.
        if (!cookie->name.empty())
            header += cookie->name + "=";
        header += cookie->value;
    }
    return header;
}

} // namespace vortalux
