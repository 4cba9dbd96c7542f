#pragma once

#include "Cookie.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux {

// The browser's cookies, answered per address as a browser would send them. The source is a
// Netscape "cookies.txt" or a Firefox "cookies.sqlite" (told apart by their content). It is read
// afresh at each lookup so that cookies the browser set a moment ago count.
class CookieStore {
public:
    // Without a source: every lookup answers "".
    CookieStore() = default;
    explicit CookieStore(std::filesystem::path source);

    // The file named by the environment variable VORTALUX_COOKIES; else the default Firefox
    // profile's "cookies.sqlite" under HOME; else no source.
    static CookieStore FromEnvironment();

    const std::filesystem::path& Source() const { return m_source; }

    // "name=value; name2=value2" for the address, "" when the store has none for it.
    std::string ReadCookies(std::string_view url) const;

    // The cookies a browser sends to the address at the given time (seconds since the epoch):
    // host-only and domain cookies, path-matched, secure ones only over https, unexpired ones,
    // longer paths first and older cookies first among equal paths. Cookies whose name or value
    // could break the request header are left out. The pointers point into `cookies`.
    static std::vector<const Cookie*> MatchingCookies(
        const std::vector<Cookie>& cookies, std::string_view url, std::int64_t now);

    // The Cookie header value of the MatchingCookies: "name=value; name2=value2".
    static std::string CookieHeader(
        const std::vector<Cookie>& cookies, std::string_view url, std::int64_t now);

    static std::vector<Cookie> LoadCookies(const std::filesystem::path& source);

private:
    std::filesystem::path m_source;
};

} // namespace vortalux
