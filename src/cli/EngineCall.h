#pragma once

#include "Command.h"

#include "VTL.h"

namespace vortalux::cli {

// The engine as the link-sending commands call it: the program directory of the command line,
// no windows with --batch, and the hand-offs printed on the command's output with --print.
VtlOptions EngineOptions(CommandContext& context, bool batch, bool print);

} // namespace vortalux::cli
