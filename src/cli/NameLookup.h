#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux::cli {

// Finds `wanted` among `names` the way the commands take a name: the one name that equals it
// exactly, else the one name that equals it without regard to ASCII case. Nothing when none or
// several match, with a message in `error` ("no rule named ...", "... matches several rules:
// ..."); `what` names the kind of thing ("rule", "download manager").
std::optional<size_t> LookUpName(const std::vector<std::string>& names, std::string_view wanted,
    std::string_view what, std::string& error);

} // namespace vortalux::cli
