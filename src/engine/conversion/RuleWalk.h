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

// What the batch watches while a link walks the rules; the single-link conversion watches
// nothing. Status texts are suffixes the batch puts after its label's tag.
class RuleWalkObserver {
public:
    virtual ~RuleWalkObserver() = default;
    // A rule identified the link; called for every identifying rule that is tried, in order.
    virtual void RuleIdentified(size_t /*position*/, const Rule& /*rule*/) { }
    // A replace step or a search producing links succeeded.
    virtual void StepSucceeded() { }
    virtual void Status(std::string_view /*suffix*/) { }
};

struct RuleWalkResult {
    // A rule finished the link: `links` holds its addresses.
    bool finished = false;
    std::vector<Link> links;
    // Store position of the first active rule that identified the link.
    std::optional<size_t> identified;
};

// Walks the rules in store order for one link: the first identifying rule of type 0 rewrites
// the link and ends the walk; rules of type 1 download the page and search it, and on failure
// the walk goes on with the next rule. Each failed rule leaves one failure report.
class RuleWalk {
public:
    RuleWalk(const RuleStore& store, PageSource& pages, std::filesystem::path reportDirectory);

    // `replaceSource` is what "$URL" and "$SRV" stand for in replace steps: the empty text for a
    // single link, the link itself in the batch.
    RuleWalkResult Run(
        std::string_view link, std::string_view replaceSource, RuleWalkObserver* observer = nullptr);

private:
    void ReportFailure(std::string_view link, const Rule& rule, std::string_view downloadError) const;

    const RuleStore& m_store;
    PageSource& m_pages;
    std::filesystem::path m_reportDirectory;
};

// True when the identification pattern of `rule` matches `link` (active or not).
bool IdentifiesLink(const Rule& rule, std::string_view link);

// The referer a rule of mode 4 makes of `address`: its referer template filled from its referer
// pattern applied to the address, or the template as it stands when the pattern does not match.
std::string CustomReferer(const Rule& rule, std::string_view address);

} // namespace vortalux
