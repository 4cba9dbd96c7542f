#include "RuleWalk.h"

#include "ApplyPattern.h"
#include "FailureReport.h"
#include "UrlHelpers.h"

namespace vortalux {

namespace {

RuleWalkObserver g_silentObserver;

// Splits at each CR LF, keeping empty lines, as the template produced them.
std::vector<std::string> SplitLines(std::string_view text)
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

} // namespace

bool IdentifiesLink(const Rule& rule, std::string_view link)
{
    return ApplyPattern(rule.ident, link, PatternMode::Find, "1", MatchScope::FirstMatch).value >= 0;
}

std::string CustomReferer(const Rule& rule, std::string_view address)
{
    PatternResult referer = ApplyPattern(rule.refererPattern, address, PatternMode::Replace,
        rule.refererTemplate, MatchScope::FirstMatch, address);
    if (referer.value < 0)
        return rule.refererTemplate;
    return std::move(referer.text);
}

RuleWalk::RuleWalk(const RuleStore& store, PageSource& pages, std::filesystem::path reportDirectory)
    : m_store(store)
    , m_pages(pages)
    , m_reportDirectory(std::move(reportDirectory))
{
}

void RuleWalk::ReportFailure(std::string_view link, const Rule& rule, std::string_view downloadError) const
{
    // A report that cannot be written (a read-only program folder, a full disk) is no reason to
    // stop: the link still goes on, as far as it was converted.
    static_cast<void>(WriteFailureReport(m_reportDirectory, link, rule, downloadError));
}

RuleWalkResult RuleWalk::Run(
    std::string_view link, std::string_view replaceSource, RuleWalkObserver* observer)
{
    RuleWalkObserver& watch = observer != nullptr ? *observer : g_silentObserver;
    RuleWalkResult outcome;
    const std::vector<Rule>& rules = m_store.Rules();

    for (size_t position = 0; position < rules.size(); ++position) {
        const Rule& rule = rules[position];
        if (!rule.active || !IdentifiesLink(rule, link))
            continue;
        if (!outcome.identified)
            outcome.identified = position;
        watch.RuleIdentified(position, rule);
        watch.Status(" - Rule: " + rule.name);

        if (rule.type == RuleType::ReplaceInLink) {
            watch.Status(" - Converting URL");
            std::string current(link);
            for (const ReplaceStep& step : rule.replaceSteps) {
                PatternResult result = ApplyPattern(step.pattern, current, PatternMode::Replace,
                    step.replaceTemplate, MatchScope::FirstMatch, replaceSource);
                if (result.value != 1) {
                    watch.Status(" - error!");
                    ReportFailure(link, rule, {});
                    break;
                }
                watch.Status(" - ok");
                watch.StepSucceeded();
                current = std::move(result.text);
            }
            outcome.links.push_back(LinkTo(std::move(current)));
            outcome.finished = true;
            return outcome;
        }

        if (rule.type != RuleType::SearchPage)
            continue;
        watch.Status(" - Downloading page");
        std::string page = m_pages.OpenURL(std::string(link));
        // A rule that fails on a page that did not arrive whole says why in its report.
        const std::string downloadError = m_pages.LastFailure();
        watch.Status(" - Looking for URL");
        for (const SearchStep& step : rule.searchSteps) {
            const PatternMode mode
                = step.resultTemplate.empty() ? PatternMode::Find : PatternMode::FillTemplate;
            const MatchScope scope = step.global == 1 ? MatchScope::EveryMatch : MatchScope::FirstMatch;
            const PatternResult result
                = ApplyPattern(step.pattern, page, mode, step.resultTemplate, scope, m_pages.FetchedUrl());
            const int found = result.value;
            if (found < 0) {
                watch.Status(" - error!");
                ReportFailure(link, rule, downloadError);
                break;
            }
            if (result.text.empty()) {
                // Keep the page from one character before the match on, as rules expect.
                if (found > 0)
                    page.erase(0, static_cast<size_t>(found) - 1);
                continue;
            }
            watch.Status(" - ok");
            watch.StepSucceeded();
            for (std::string& line : SplitLines(result.text))
                outcome.links.push_back(LinkTo(std::move(line)));
            outcome.finished = true;
            return outcome;
        }
    }
    return outcome;
}

} // namespace vortalux
