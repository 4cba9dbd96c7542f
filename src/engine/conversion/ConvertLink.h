#pragma once

#include "Link.h"
#include "PageSource.h"
#include "RuleStore.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux {

struct Conversion {
    // At least one.
    std::vector<Link> links;
    std::string referer;
    // Store position of the rule that identified the link, if any; it decided the referer.
    std::optional<size_t> identified;
};

// Converts one link as the user sent it: the first active rule that identifies it rewrites it
// or finds its pictures on the linked page, and the referer follows that rule's referer mode.
// A link no rule finishes is passed on unconverted. Failed rules leave failure reports in
// `reportDirectory`.
Conversion ConvertLink(const RuleStore& store, PageSource& pages,
    const std::filesystem::path& reportDirectory, std::string_view sourceLink,
    std::string_view incomingReferer);

// The referer to send with a link identified by `rule` (the incoming one when no rule did).
std::string OutgoingReferer(const Rule* rule, std::string_view sourceLink, std::string_view incomingReferer);

} // namespace vortalux
