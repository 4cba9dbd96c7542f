#include "RuleSteps.h"

#include "ApplyPattern.h"

namespace vortalux {

std::vector<std::string> SplitResultLines(std::string_view text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            return lines;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 2;
    }
}

ReplaceStepsResult RunReplaceSteps(
    const Rule& rule, std::string_view link, std::string_view replaceSource, const StepWatcher& watcher)
{
    ReplaceStepsResult outcome {std::string(link), false};
    for (const ReplaceStep& step : rule.replaceSteps) {
        PatternResult result = ApplyPattern(step.pattern, outcome.link, PatternMode::Replace,
            step.replaceTemplate, MatchScope::FirstMatch, replaceSource);
        const bool ok = result.value == 1;
        if (watcher)
            watcher({StepKind::Replace, step.pattern, step.replaceTemplate,
                ok ? std::string_view(result.text) : std::string_view(), ok, -1});
        if (!ok) {
            outcome.failed = true;
            return outcome;
        }
        outcome.link = std::move(result.text);
    }
    return outcome;
}

SearchStepsResult RunSearchSteps(
    const Rule& rule, std::string page, std::string_view fetchedUrl, const StepWatcher& watcher)
{
    SearchStepsResult outcome;
    for (const SearchStep& step : rule.searchSteps) {
        const PatternMode mode = step.resultTemplate.empty() ? PatternMode::Find : PatternMode::FillTemplate;
        const MatchScope scope = step.global == 1 ? MatchScope::EveryMatch : MatchScope::FirstMatch;
        const PatternResult result
            = ApplyPattern(step.pattern, page, mode, step.resultTemplate, scope, fetchedUrl);
        const int found = result.value;
        if (found < 0) {
            if (watcher)
                watcher({step.resultTemplate.empty() ? StepKind::Cut : StepKind::Search, step.pattern,
                    step.resultTemplate, {}, false, -1});
            outcome.failed = true;
            return outcome;
        }
        if (result.text.empty()) {
            if (watcher)
                watcher({StepKind::Cut, step.pattern, step.resultTemplate, {}, true, found});
            // Keep the page from one character before the match on, as rules expect.
            if (found > 0)
                page.erase(0, static_cast<size_t>(found) - 1);
            continue;
        }
        if (watcher)
            watcher({StepKind::Search, step.pattern, step.resultTemplate, result.text, true, found});
        for (std::string& line : SplitResultLines(result.text))
            outcome.links.push_back(LinkTo(std::move(line)));
        outcome.finished = true;
        return outcome;
    }
    return outcome;
}

} // namespace vortalux
