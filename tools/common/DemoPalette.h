#pragma once

#include <QPalette>

namespace vortalux::tools {

// The dark palette the pictures of the windows are taken in, beside the style's own light one.
QPalette DarkPalette();

} // namespace vortalux::tools
