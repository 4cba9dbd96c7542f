#include "RuleTrial.h"

#include "ConvertLink.h"
#include "RuleWalk.h"

namespace vortalux {

std::string_view StepKindName(StepKind kind)
{
    switch (kind) {
    case StepKind::Replace:
        return "replace";
    case StepKind::Cut:
        return "cut";
    case StepKind::Search:
        return "search";
    }
    return "replace";
}

RuleTrialResult TryRule(const Rule& rule, PageSource& pages, std::string_view link,
    std::optional<std::string_view> originPage, std::string_view incomingReferer)
{
    RuleTrialResult trial;
    trial.identified = IdentifiesLink(rule, link);
    const auto keep = [&trial](const StepRun& step) {
        trial.steps.push_back({step.kind, std::string(step.pattern), std::string(step.stepTemplate),
            std::string(step.result), step.ok, step.position});
    };
    if (trial.identified && rule.type == RuleType::ReplaceInLink) {
        // As for a single link: "$URL" and "$SRV" stand for the empty text in replace steps.
        trial.links.push_back(LinkTo(RunReplaceSteps(rule, link, "", keep).link));
    } else if (trial.identified && rule.type == RuleType::SearchPage) {
        std::string page = pages.OpenURL(std::string(link));
        trial.downloadFailure = pages.LastFailure();
        trial.fetchedUrl = pages.FetchedUrl();
        SearchStepsResult searched = RunSearchSteps(rule, std::move(page), trial.fetchedUrl, keep);
        if (searched.finished)
            trial.links = std::move(searched.links);
    }
    if (trial.links.empty())
        trial.links.push_back(LinkTo(std::string(link)));

    const std::string_view referer
        = rule.refererMode == RefererMode::OriginPage && originPage ? *originPage : incomingReferer;
    trial.referer = OutgoingReferer(trial.identified ? &rule : nullptr, link, referer);
    return trial;
}

} // namespace vortalux
