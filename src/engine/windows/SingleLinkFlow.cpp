#include "SingleLinkFlow.h"

#include "ConvertLink.h"

namespace vortalux {

std::string RunSingleLink(const RuleStore& rules, const ManagerStore& managers, int manager,
    PageSource& pages, HandOff& handOff, const std::filesystem::path& reportDirectory, const std::string& url,
    const std::string& referer)
{
    const Conversion conversion = ConvertLink(rules, pages, reportDirectory, url, referer);
    if (conversion.links.size() >= 2)
        handOff.AddList(managers, manager, conversion.referer, conversion.links);
    else
        handOff.AddLink(managers, manager, conversion.referer, conversion.links[0]);
    return conversion.referer;
}

} // namespace vortalux
