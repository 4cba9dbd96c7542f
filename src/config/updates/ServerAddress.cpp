#include "ServerAddress.h"

#include "AsciiText.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace vortalux {

namespace {

std::string DecimalText(int value)
{
    char digits[16];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    return error == std::errc() ? std::string(digits, end) : std::string();
}

// A decimal number of at most `maxDigits` digits, nothing else.
std::optional<int> WholeNumber(std::string_view text, size_t maxDigits)
{
    if (text.empty() || text.size() > maxDigits)
        return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool IsIpv4Loopback(std::string_view host)
{
    int parts = 0;
    while (true) {
        const size_t dot = host.find('.');
        const std::optional<int> part = WholeNumber(host.substr(0, dot), 3);
        if (!part || *part > 255 || (parts == 0 && *part != 127))
            return false;
        ++parts;
        if (dot == std::string_view::npos)
            return parts == 4;
        host.remove_prefix(dot + 1);
    }
}

bool IsHostByte(char c) { return !IsAsciiControl(c) && c != ' ' && c != '@' && c != '?' && c != '#'; }

} // namespace

bool IsLoopbackHost(std::string_view host)
{
    return EqualsNoCase(host, "localhost") || host == "::1" || IsIpv4Loopback(host);
}

std::optional<ServerAddress> ServerAddress::FromUrl(std::string_view url, std::string& why)
{
    const std::string shown = "\"" + std::string(url) + "\"";
    ServerAddress address;
    std::string_view rest;
    if (StartsWithNoCase(url, "https://")) {
        address.https = true;
        address.port = 443;
        rest = url.substr(8);
    } else if (StartsWithNoCase(url, "http://")) {
        address.port = 80;
        rest = url.substr(7);
    } else {
        why = "the update server's address " + shown + " does not start with https://";
        return std::nullopt;
    }

    const size_t slash = rest.find('/');
    std::string_view hostPart = rest.substr(0, slash);
    address.path = slash == std::string_view::npos ? "/" : std::string(rest.substr(slash));
    if (std::any_of(
            address.path.begin(), address.path.end(), [](char c) { return IsAsciiControl(c) || c == ' '; })) {
        why = "the update server's address " + shown + " holds blanks or control characters";
        return std::nullopt;
    }

    // The port is what follows the host's last ":" (for an IPv6 address: the one after "]").
    std::optional<std::string_view> portText;
    if (hostPart.starts_with('[')) {
        const size_t close = hostPart.find(']');
        if (close == std::string_view::npos || (close + 1 < hostPart.size() && hostPart[close + 1] != ':')) {
            why = "the update server's address " + shown + " has no valid host";
            return std::nullopt;
        }
        if (close + 1 < hostPart.size())
            portText = hostPart.substr(close + 2);
        hostPart = hostPart.substr(1, close - 1);
        if (hostPart.find(':') == std::string_view::npos) {
            why = "the update server's address " + shown + " has no valid host";
            return std::nullopt;
        }
    } else if (const size_t colon = hostPart.find(':'); colon != std::string_view::npos) {
        portText = hostPart.substr(colon + 1);
        hostPart = hostPart.substr(0, colon);
    }
    if (portText) {
        const std::optional<int> port = WholeNumber(*portText, 5);
        if (!port || *port < 1 || *port > 65535) {
            why = "the update server's address " + shown + " has no valid port";
            return std::nullopt;
        }
        address.port = *port;
    }
    if (hostPart.empty() || !std::all_of(hostPart.begin(), hostPart.end(), IsHostByte)) {
        why = "the update server's address " + shown + " has no valid host";
        return std::nullopt;
    }
    address.host = AsciiLowerCopy(hostPart);
    if (!address.https && !IsLoopbackHost(address.host)) {
        why = "the update server's address " + shown
            + " is refused: updates install scripts that run programs, so they are fetched only over "
              "https:// with a certificate this system trusts (http:// only from this computer: "
              "localhost, 127.0.0.0/8 or [::1])";
        return std::nullopt;
    }
    return address;
}

std::string ServerAddress::HostHeader() const
{
    const std::string name = host.find(':') == std::string::npos ? host : "[" + host + "]";
    return port == (https ? 443 : 80) ? name : name + ":" + DecimalText(port);
}

std::string ServerUrl()
{
    if (const char* url = std::getenv("VORTALUX_SERVER_URL"); url != nullptr && *url != '\0')
        return url;
    return VORTALUX_SERVER_URL;
}

} // namespace vortalux
