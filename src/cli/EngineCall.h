#pragma once

#include "Command.h"

#include "VTL.h"

namespace vortalux::cli {

// The engine as the link-sending commands call it: the program directory of the command line,
// no windows with --batch, and the hand-offs printed on the command's output with --print.
struct EngineCallFlags {
    bool batch = false; // --batch: no windows
    bool print = false; // --print: the hand-offs written on standard output
};
VtlOptions EngineOptions(CommandContext& context, EngineCallFlags flags);

// Whether the program directory holds at least one download-manager definition. The engine
// tells the user what goes wrong, never its caller; without any definition it drops the links
// after its message, which for a command is a failure.
bool ManagersInstalled();

} // namespace vortalux::cli
