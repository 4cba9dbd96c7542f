#include "RuleWalk.h"

#include "ApplyPattern.h"
#include "FailureReport.h"
#include "RuleSteps.h"
#include "UrlHelpers.h"

namespace vortalux {

namespace {

RuleWalkObserver g_silentObserver;

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
            ReplaceStepsResult replaced
                = RunReplaceSteps(rule, link, replaceSource, [&watch](const StepRun& step) {
                      watch.Status(step.ok ? " - ok" : " - error!");
                      if (step.ok)
                          watch.StepSucceeded();
                  });
            if (replaced.failed)
                ReportFailure(link, rule, {});
            outcome.links.push_back(LinkTo(std::move(replaced.link)));
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
        SearchStepsResult searched
            = RunSearchSteps(rule, std::move(page), m_pages.FetchedUrl(), [&watch](const StepRun& step) {
                  if (!step.ok) {
                      watch.Status(" - error!");
                  } else if (step.kind == StepKind::Search) {
                      watch.Status(" - ok");
                      watch.StepSucceeded();
                  }
              });
        if (searched.failed)
            ReportFailure(link, rule, downloadError);
        if (searched.finished) {
            outcome.links = std::move(searched.links);
            outcome.finished = true;
            return outcome;
        }
    }
    return outcome;
}

} // namespace vortalux
