#include "Version.h"

namespace vortalux {

std::string VersionText()
{
    return std::to_string(VORTALUX_VERSION_MAJOR) + "." + std::to_string(VORTALUX_VERSION_MINOR) + "."
        + std::to_string(VORTALUX_VERSION_PATCH);
}

} // namespace vortalux
