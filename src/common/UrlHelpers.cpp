#include "UrlHelpers.h"

#include "AsciiText.h"

#include <charconv>

namespace vortalux {

std::string ServerPart(std::string_view address)
{
    if (address.size() < 10)
        return {};
    const size_t slash = address.find('/', 9);
    return slash == std::string_view::npos ? std::string() : std::string(address.substr(0, slash + 1));
}

bool SplitUrl(std::string_view address, std::string& host, int& port, std::string& path)
{
    struct Scheme {
        std::string_view prefix;
        int defaultPort;
    };
    static constexpr Scheme Schemes[] = {{"http://", 80}, {"https://", 443}, {"ftp://", 21}};
    const Scheme* scheme = nullptr;
    for (const Scheme& candidate : Schemes) {
        if (StartsWithNoCase(address, candidate.prefix)) {
            scheme = &candidate;
            break;
        }
    }
    if (scheme == nullptr)
        return false;

    const std::string_view rest = address.substr(scheme->prefix.size());
    const size_t slash = rest.find('/');
    std::string_view hostPart = rest;
    std::string pathPart = "/";
    if (slash != std::string_view::npos) {
        hostPart = rest.substr(0, slash);
        pathPart = std::string(rest.substr(slash + 1));
    }

    int portNumber = scheme->defaultPort;
    const size_t colon = hostPart.find(':');
    if (colon != std::string_view::npos) {
        const std::string_view digits = hostPart.substr(colon + 1);
        const char* end = digits.data() + digits.size();
        auto [stop, error] = std::from_chars(digits.data(), end, portNumber);
        if (digits.empty() || error != std::errc() || stop != end || portNumber < 1 || portNumber > 65535)
            return false;
        hostPart = hostPart.substr(0, colon);
    }

    host = AsciiLowerCopy(hostPart);
    port = portNumber;
    path = std::move(pathPart);
    return true;
}

std::string UrlFileName(std::string_view address)
{
    const size_t slash = address.rfind('/');
    if (slash == std::string_view::npos || slash + 1 == address.size())
        return std::string(address);
    return std::string(address.substr(slash + 1));
}

std::string UrlFolder(std::string_view address)
{
    const size_t scheme = address.find("://");
    if (scheme == std::string_view::npos)
        return std::string(address);
    const size_t slash = address.rfind('/');
    if (slash == std::string_view::npos || slash < scheme + 3)
        return std::string(address);
    return std::string(address.substr(0, slash + 1));
}

bool IsHttpsUrl(std::string_view address) { return StartsWithNoCase(address, "https://"); }

} // namespace vortalux
