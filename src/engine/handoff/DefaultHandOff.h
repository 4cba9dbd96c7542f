#pragma once

#include "HandOff.h"

#include <memory>

namespace vortalux {

// The hand-off the engine uses when its caller names none.
std::unique_ptr<HandOff> CreateDefaultHandOff();

} // namespace vortalux
