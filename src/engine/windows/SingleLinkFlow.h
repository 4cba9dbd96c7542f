#pragma once

#include "HandOff.h"
#include "ManagerStore.h"
#include "PageSource.h"
#include "RuleStore.h"

#include <filesystem>
#include <string>

namespace vortalux {

// What happens to one link sent on its own: it is converted, then handed to the download
// manager at `manager` with AddLink, or with AddList when the conversion found several
// addresses. Returns the referer sent.
std::string RunSingleLink(const RuleStore& rules, const ManagerStore& managers, int manager,
    PageSource& pages, HandOff& handOff, const std::filesystem::path& reportDirectory, const std::string& url,
    const std::string& referer);

} // namespace vortalux
