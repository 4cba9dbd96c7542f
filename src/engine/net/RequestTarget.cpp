#include "RequestTarget.h"

#include "AsciiText.h"
#include "UrlHelpers.h"

#include <algorithm>
#include <charconv>

namespace vortalux {

namespace {

bool IsControlOrBlank(char c) { return IsAsciiControl(c) || c == ' '; }

std::string PortText(int port)
{
    char digits[8];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, port);
    return error == std::errc() ? std::string(digits, end) : std::string();
}

} // namespace

std::optional<RequestTarget> RequestTarget::FromUrl(std::string_view url)
{
    RequestTarget target;
    std::string path;
    if (!SplitUrl(url, target.host, target.port, path))
        return std::nullopt;
    if (target.host.empty() || std::any_of(target.host.begin(), target.host.end(), IsControlOrBlank))
        return std::nullopt;

    const size_t hostStart = url.find("://") + 3;
    const size_t hostEnd = std::min(url.find('/', hostStart), url.size());
    const bool explicitPort = url.substr(hostStart, hostEnd - hostStart).find(':') != std::string_view::npos;
    target.https = IsHttpsUrl(url);
    // SplitUrl answers 21 for "ftp://"; the request is HTTP all the same.
    if (!explicitPort && StartsWithNoCase(url, "ftp://"))
        target.port = 80;
    // SplitUrl answers the path "/" for an address with nothing after the host: the request
    // line is then "GET / HTTP/1.0", not "GET // HTTP/1.0".
    if (hostEnd == url.size())
        path.clear();
    // Bytes above 0x7F go out as the link has them: servers take them as they come.
    target.path = "/" + PercentEncodeUnsafeBytes(path, HighBytes::Keep);
    return target;
}

std::string RequestTarget::HostHeader() const
{
    const int transportDefault = https ? 443 : 80;
    return port == transportDefault ? host : host + ":" + PortText(port);
}

} // namespace vortalux
