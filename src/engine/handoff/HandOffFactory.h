#pragma once

#include "HandOff.h"

#include <functional>
#include <memory>

namespace vortalux {

// Makes the hand-off a window or a headless run owns for its lifetime.
using HandOffFactory = std::function<std::unique_ptr<HandOff>()>;

} // namespace vortalux
