#include "ConvertLink.h"

#include "RuleWalk.h"
#include "UrlHelpers.h"

namespace vortalux {

std::string OutgoingReferer(const Rule* rule, std::string_view sourceLink, std::string_view incomingReferer)
{
    if (rule == nullptr)
        return std::string(incomingReferer);
    switch (rule->refererMode) {
    case RefererMode::None:
        return {};
    case RefererMode::SourceUrl:
        return std::string(sourceLink);
    case RefererMode::SourceSite:
        return ServerPart(sourceLink);
    case RefererMode::Custom:
        return CustomReferer(*rule, sourceLink);
    case RefererMode::OriginPage:
    default:
        return std::string(incomingReferer);
    }
}

Conversion ConvertLink(const RuleStore& store, PageSource& pages,
    const std::filesystem::path& reportDirectory, std::string_view sourceLink,
    std::string_view incomingReferer)
{
    RuleWalk walk(store, pages, reportDirectory);
    RuleWalkResult result = walk.Run(sourceLink, "");
    Conversion conversion;
    conversion.identified = result.identified;
    if (result.finished)
        conversion.links = std::move(result.links);
    else
        conversion.links.push_back(LinkTo(std::string(sourceLink)));
    const Rule* rule = result.identified ? &store.Rules()[*result.identified] : nullptr;
    conversion.referer = OutgoingReferer(rule, sourceLink, incomingReferer);
    return conversion;
}

} // namespace vortalux
