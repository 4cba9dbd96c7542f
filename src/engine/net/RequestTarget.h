#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vortalux {

// What a page download of an address connects to and asks for. Addresses come from web pages
// and servers, so nothing in them may reach the request as a line break or another control
// byte: such bytes and blanks in the path are percent-encoded, and a host holding them is
// refused.
struct RequestTarget {
    // Lower case, without port.
    std::string host;
    // The port connected to: the address's own, else the scheme's (80, 443, 21).
    int port = 0;
    int schemePort = 0; // the scheme's own port
    bool https = false;
    // The request line's target: "/" and what follows the host, encoded as above.
    std::string path;

    // Splits the address as SplitUrl does; nothing for an address it refuses, an empty host, or
    // a host holding control bytes or blanks.
    [[nodiscard]] static std::optional<RequestTarget> FromUrl(std::string_view url);

    // The Host line's value: the host, with ":" and the port when it is not the scheme's own.
    std::string HostHeader() const;
};

// Percent-encodes the bytes 0x00-0x20 and 0x7F ("%0D", "%20"); every other byte, "%" included,
// stays as it is.
std::string EncodeControlBytes(std::string_view text);

} // namespace vortalux
