// The editor's trial of one rule: the engine's steps, traced, with no report and no hand-off.
#include "RuleTrial.h"

#include "EngineTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace vortalux;
using vortalux::test::FakePages;

namespace {

Rule ReplaceRule()
{
    Rule rule;
    rule.name = "host";
    rule.ident = "^http://host/";
    rule.replaceSteps = {{"thumb_", ""}, {"/t/", "/big/"}, {"never", "x"}};
    rule.refererMode = RefererMode::OriginPage;
    return rule;
}

Rule PageRule()
{
    Rule rule;
    rule.name = "page";
    rule.ident = "/view/";
    rule.type = RuleType::SearchPage;
    rule.searchSteps = {{"<main>", "", 0}, {"src=\"([^\"]+)\"", "$SRV$1", 1}};
    rule.refererMode = RefererMode::Custom;
    rule.refererPattern = "^.*/view/(\\d+)$";
    rule.refererTemplate = "http://ref/$1";
    return rule;
}

} // namespace

TEST(RuleTrial, ReplaceStepsAreTracedUpToTheOneThatFails)
{
    FakePages pages;
    const Rule rule = ReplaceRule();
    const RuleTrialResult trial
        = TryRule(rule, pages, "http://host/t/thumb_1.jpg", "http://origin/", "http://incoming/");
    EXPECT_TRUE(trial.identified);
    ASSERT_EQ(trial.steps.size(), 3u);
    EXPECT_EQ(trial.steps[0].kind, StepKind::Replace);
    EXPECT_EQ(trial.steps[0].result, "http://host/t/1.jpg");
    EXPECT_TRUE(trial.steps[0].ok);
    EXPECT_EQ(trial.steps[1].pattern, "/t/");
    EXPECT_EQ(trial.steps[1].stepTemplate, "/big/");
    EXPECT_EQ(trial.steps[1].result, "http://host/big/1.jpg");
    EXPECT_FALSE(trial.steps[2].ok);
    EXPECT_EQ(trial.steps[2].result, "");
    // The link as far as it was converted, as the engine sends it; the origin page for mode 1.
    EXPECT_EQ(trial.links, (std::vector<Link> {{"http://host/big/1.jpg", "1.jpg"}}));
    EXPECT_EQ(trial.referer, "http://origin/");
    EXPECT_TRUE(pages.requested.empty());

    // Without an origin page mode 1 sends the incoming referer; a link the rule does not
    // identify runs no step and keeps the incoming referer whatever the mode.
    EXPECT_EQ(TryRule(rule, pages, "http://host/a.jpg", std::nullopt, "http://incoming/").referer,
        "http://incoming/");
    Rule silent = rule;
    silent.refererMode = RefererMode::None;
    const RuleTrialResult other = TryRule(silent, pages, "http://else/a.jpg", std::nullopt, "http://in/");
    EXPECT_FALSE(other.identified);
    EXPECT_TRUE(other.steps.empty());
    EXPECT_EQ(other.links, (std::vector<Link> {{"http://else/a.jpg", "a.jpg"}}));
    EXPECT_EQ(other.referer, "http://in/");
}

TEST(RuleTrial, PageStepsCutAndSearchTheFetchedPage)
{
    FakePages pages;
    pages.redirects["http://site/view/7"] = "http://cdn.site/view/7";
    pages.pages["http://cdn.site/view/7"] = "src=\"skip.jpg\" <main> src=\"a.jpg\" src=\"b.jpg\"";
    const Rule rule = PageRule();
    const RuleTrialResult trial = TryRule(rule, pages, "http://site/view/7", std::nullopt, "http://in/");
    EXPECT_TRUE(trial.identified);
    EXPECT_EQ(trial.fetchedUrl, "http://cdn.site/view/7");
    ASSERT_EQ(trial.steps.size(), 2u);
    EXPECT_EQ(trial.steps[0].kind, StepKind::Cut);
    EXPECT_EQ(trial.steps[0].position, 15);
    EXPECT_TRUE(trial.steps[0].ok);
    EXPECT_EQ(trial.steps[1].kind, StepKind::Search);
    EXPECT_EQ(trial.steps[1].result, "http://cdn.site/a.jpg\r\nhttp://cdn.site/b.jpg");
    EXPECT_EQ(trial.links,
        (std::vector<Link> {{"http://cdn.site/a.jpg", "a.jpg"}, {"http://cdn.site/b.jpg", "b.jpg"}}));
    EXPECT_EQ(trial.referer, "http://ref/7");

    // A page that does not hold the pictures: the failing step is traced, the link stays.
    pages.pages["http://site/view/8"] = "nothing here";
    pages.failures["http://site/view/8"] = "HTTP status 404";
    const RuleTrialResult failed = TryRule(rule, pages, "http://site/view/8", std::nullopt, "");
    ASSERT_EQ(failed.steps.size(), 1u);
    EXPECT_EQ(failed.steps[0].kind, StepKind::Cut);
    EXPECT_FALSE(failed.steps[0].ok);
    EXPECT_EQ(failed.downloadFailure, "HTTP status 404");
    EXPECT_EQ(failed.links, (std::vector<Link> {{"http://site/view/8", "8"}}));
}
