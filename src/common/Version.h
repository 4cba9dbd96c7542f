#pragma once

#include <string>

namespace vortalux {

// The engine's version, "major.minor.revision" in plain decimal, from the build's one number.
std::string VersionText();

} // namespace vortalux
