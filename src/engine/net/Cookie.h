#pragma once

#include <cstdint>
#include <string>

namespace vortalux {

// One cookie as a browser keeps it, whatever file it was read from.
struct Cookie {
    std::string name;
    std::string value;
    // The host or domain it belongs to, as stored: a leading "." marks a domain cookie.
    std::string host;
    std::string path = "/";
    // Seconds since the epoch; 0 for a cookie that lives as long as the browser session.
    std::int64_t expiry = 0;
    bool secure = false;
    // Set for a domain cookie whose host field carries no leading "." (Netscape files say so in
    // their second column).
    bool includeSubdomains = false;
    // Smaller is older; ties keep the order of the source.
    std::int64_t creationTime = 0;
};

} // namespace vortalux
