#pragma once

#include <string>

namespace vortalux {

// One address that leaves the system, with the name its file is to be saved under.
struct Link {
    std::string url;
    std::string name;

    bool operator==(const Link&) const = default;
};

// A link to `url` named after the file name in it (UrlFileName).
Link LinkTo(std::string url);

} // namespace vortalux
