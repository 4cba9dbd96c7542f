#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vortalux {

// The update server's address, split for the connection and the request. Definitions fetched
// from this server are scripts that run programs, so nobody on the network path may be able to
// change what arrives: "https://" with a certificate the system trusts, or "http://" to this
// computer only (a loopback host: "localhost", 127.0.0.0/8, [::1]).
struct ServerAddress {
    // Lower case, without port and without the brackets of an IPv6 address.
    std::string host;
    int port = 0;
    bool https = false;
    // The request line's target: "/" and what follows the host ("/vtl.php").
    std::string path;

    // The address, or nothing with the reason in `why` (plain words the user can act on).
    [[nodiscard]] static std::optional<ServerAddress> FromUrl(std::string_view url, std::string& why);

    // The Host line's value: the host (IPv6 in brackets), with ":" and the port when it is not
    // the scheme's own.
    std::string HostHeader() const;
};

// True for "localhost", an IPv4 address 127.x.y.z and "::1".
bool IsLoopbackHost(std::string_view host);

// The address the program talks to: the environment variable VORTALUX_SERVER_URL when set and
// not empty, else the build's VORTALUX_SERVER_URL setting.
std::string ServerUrl();

} // namespace vortalux
