#pragma once

#include "Link.h"
#include "Rule.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux {

// The steps of one rule, run the one way the engine runs them: the rule walk, the batch and the
// editor's trial all go through here.

enum class StepKind {
    Replace, // a replace step rewriting the link
    Cut, // a search step without result: the page is cut at the match
    Search, // a search step whose result gives the links
};

// One step as it ran. The views live as long as the rule and the call.
struct StepRun {
    StepKind kind = StepKind::Replace;
    std::string_view pattern;
    std::string_view stepTemplate;
    // Replace: the link after the step; Search: the result lines; empty when the step failed
    // and for a cut.
    std::string_view result;
    bool ok = false;
    // Search and cut: the zero-based position of the first match on the page; -1 on failure.
    int position = -1;
};
using StepWatcher = std::function<void(const StepRun&)>;

struct ReplaceStepsResult {
    // The link after the steps that succeeded.
    std::string link;
    // A step did not match (or was empty or invalid); the steps after it did not run.
    bool failed = false;
};

// The replace steps of `rule` on `link`, in order, until one fails. `replaceSource` is what
// "$URL" and "$SRV" stand for.
ReplaceStepsResult RunReplaceSteps(
    const Rule& rule, std::string_view link, std::string_view replaceSource, const StepWatcher& watcher = {});

struct SearchStepsResult {
    // A step did not match: the rule failed.
    bool failed = false;
    // A step produced a result: its lines are the links (at least one).
    bool finished = false;
    std::vector<Link> links;
};

// The search steps of `rule` over `page`, in order: a step without result cuts the page at the
// match, the first step with a result gives the links. `fetchedUrl` is what "$URL" and "$SRV"
// stand for.
SearchStepsResult RunSearchSteps(
    const Rule& rule, std::string page, std::string_view fetchedUrl, const StepWatcher& watcher = {});

// Splits at each CR LF, keeping empty lines, as a result template produced them.
std::vector<std::string> SplitResultLines(std::string_view text);

} // namespace vortalux
