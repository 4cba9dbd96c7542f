#include "EngineCall.h"

#include "ManagerStore.h"
#include "PrintingHandOff.h"
#include "ProgramDirectory.h"

#include <ostream>

namespace vortalux::cli {

VtlOptions EngineOptions(CommandContext& context, EngineCallFlags flags)
{
    VtlOptions options;
    options.interface = flags.batch ? VtlOptions::Interface::Headless : VtlOptions::Interface::Automatic;
    options.programDirectory = ProgramDirectory();
    if (flags.print) {
        std::ostream* out = &context.out;
        options.handOffFactory = [out] { return std::make_unique<PrintingHandOff>(*out); };
    }
    return options;
}

bool ManagersInstalled()
{
    ManagerStore managers;
    managers.LoadManagers(ProgramDirectory());
    return !managers.IsEmpty();
}

} // namespace vortalux::cli
