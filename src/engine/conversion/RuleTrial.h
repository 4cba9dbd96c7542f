#pragma once

#include "Link.h"
#include "PageSource.h"
#include "Rule.h"
#include "RuleSteps.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux {

// One step of a trial, kept.
struct TrialStep {
    StepKind kind = StepKind::Replace;
    std::string pattern;
    std::string stepTemplate;
    std::string result;
    bool ok = false;
    // Search and cut: where the first match starts on the page; -1 otherwise.
    int position = -1;
};

struct RuleTrialResult {
    // The identification pattern matched the link. When not, no step ran and the link stays as
    // it is.
    bool identified = false;
    std::vector<TrialStep> steps;
    // The addresses the engine would hand off (the link itself when the rule does not finish).
    std::vector<Link> links;
    std::string referer;
    // Page rules: the page's address after redirects, and why the download fell short (empty
    // when the whole page arrived).
    std::string fetchedUrl;
    std::string downloadFailure;
};

// The editor's "Try on a link": runs `rule` alone, as it stands (saved or not, active or not),
// on `link` with the engine's own steps, and says what each step made of it. A page rule
// downloads the page through `pages`. Unlike the engine it writes no failure report and hands
// nothing off.
//
// The referer is the one the engine would send: by the rule's referer mode when it identified
// the link, else `incomingReferer`. For mode 1 (the origin page of the links) `originPage` is
// used when given, else `incomingReferer`, which for a single link is that page.
RuleTrialResult TryRule(const Rule& rule, PageSource& pages, std::string_view link,
    std::optional<std::string_view> originPage, std::string_view incomingReferer);

// "replace", "cut" or "search".
std::string_view StepKindName(StepKind kind);

} // namespace vortalux
