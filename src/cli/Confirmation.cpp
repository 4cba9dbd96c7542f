#include "Confirmation.h"

#include "AsciiText.h"

#include <unistd.h>

#include <iostream>
#include <string>

namespace vortalux::cli {

Confirmation Confirm(CommandContext& context, std::string_view question, bool given)
{
    if (given)
        return Confirmation::Given;
    // Only a person at a terminal can answer; a script must say --yes.
    if (&context.in != &std::cin || ::isatty(STDIN_FILENO) != 1)
        return Confirmation::NobodyToAsk;
    context.err << question << " [y/N] " << std::flush;
    std::string answer;
    std::getline(context.in, answer);
    const std::string_view trimmed = TrimAsciiBlanks(answer);
    return EqualsNoCase(trimmed, "y") || EqualsNoCase(trimmed, "yes") ? Confirmation::Given
                                                                      : Confirmation::Refused;
}

} // namespace vortalux::cli
