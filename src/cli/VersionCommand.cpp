#include "Command.h"

#include "Version.h"

#include <ostream>

namespace vortalux::cli {

static int RunVersion(CommandContext& context)
{
    if (!context.args.empty())
        return UsageError(context, VersionCommand, "takes no arguments");
    context.out << VersionText() << '\n';
    return ExitOk;
}

const Command VersionCommand {"version", "print the engine's version",
    "usage: vortalux version\n\nPrints the engine's version as major.minor.revision.\n", RunVersion};

} // namespace vortalux::cli
