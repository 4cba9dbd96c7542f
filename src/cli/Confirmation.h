#pragma once

#include "Command.h"

#include <string_view>

namespace vortalux::cli {

// How a command that deletes got its go-ahead.
enum class Confirmation {
    Given, // --yes, or "y" / "yes" typed at the terminal
    Refused, // anything else typed
    NobodyToAsk, // no --yes and the input is not a terminal
};

// Asks `question` + " [y/N] " on the error stream when the input is a terminal, unless `given`.
Confirmation Confirm(CommandContext& context, std::string_view question, bool given);

} // namespace vortalux::cli
