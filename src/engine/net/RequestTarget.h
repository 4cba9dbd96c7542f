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
    // The port connected to: the address's own, else 443 for https and 80 otherwise ("ftp://"
    // addresses get the same HTTP request on port 80).
    int port = 0;
    bool https = false;
    // The request line's target: "/" and what follows the host, encoded as above.
    std::string path;

    // Splits the address as SplitUrl does; nothing for an address it refuses, an empty host, or
    // a host holding control bytes or blanks.
    [[nodiscard]] static std::optional<RequestTarget> FromUrl(std::string_view url);

    // The Host line's value: the host, with ":" and the port when it is not the one the scheme
    // of the connection implies (443 for https, 80 otherwise).
    std::string HostHeader() const;
};

} // namespace vortalux
