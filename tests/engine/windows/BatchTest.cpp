#include "Batch.h"
#include "EngineTestSupport.h"
#include "RecordingPresenter.h"

#include <gtest/gtest.h>

#include <functional>

using namespace vortalux;
using namespace vortalux::test;

namespace {

using Texts = std::vector<std::string>;
using Links = std::vector<Link>;

class RecordingView final : public BatchView {
public:
    std::vector<std::string> statuses;
    std::vector<std::string> tags;
    std::vector<std::string> counts;
    std::vector<int> progress;
    int manager = 0;
    int ended = 0;
    // Runs after each row, where Cancel clicks are handled.
    std::function<void(int row)> onEvents;

    void SetTag(const std::string& tag) override
    {
        tags.push_back(tag);
        statuses.push_back(tag);
    }
    void ShowStatus(const std::string& text) override { statuses.push_back(text); }
    void ShowCounts(int converted, int selected) override
    {
        counts.push_back(std::to_string(converted) + "/" + std::to_string(selected));
    }
    void ShowProgress(int percent) override { progress.push_back(percent); }
    void LetEventsRun() override
    {
        if (onEvents)
            onEvents(m_row);
        ++m_row;
    }
    int SelectedManager() override { return manager; }
    void BatchEnded() override { ++ended; }

private:
    int m_row = 0;
};

class BatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Rules A and B rewrite "_t." links of their own hosts; C finds nothing.
        m_home.ReplaceRule("A", "//a\\.host/", {{"_t\\.", "."}}, 3);
        m_home.ReplaceRule("B", "//b\\.host/", {{"_t\\.", "."}}, 2);
        m_home.Manager("Wget", true);
    }

    // Runs a batch over `links` (URL, description pairs) from `origin`.
    Batch& Run(const Texts& links, std::string origin = "http://forum/thread")
    {
        m_rules.LoadRules(m_home.Path());
        m_managers.LoadManagers(m_home.Path());
        Texts urlList {origin};
        urlList.insert(urlList.end(), links.begin(), links.end());
        m_list.Fill(urlList, m_rules);
        if (m_adjustChecks)
            m_adjustChecks(m_list);
        m_batch
            = std::make_unique<Batch>(m_rules, m_managers, m_pages, m_handOff, m_home.Path(), origin, m_view);
        m_batch->Run(m_list);
        return *m_batch;
    }

    EngineHome m_home;
    RuleStore m_rules;
    ManagerStore m_managers;
    UrlList m_list;
    FakePages m_pages;
    RecordingPresenter m_presenter;
    std::shared_ptr<RecordingHandOff::Log> m_calls = std::make_shared<RecordingHandOff::Log>();
    RecordingHandOff m_handOff {m_calls, [this] { return m_presenter.Shown().size(); }};
    RecordingView m_view;
    std::function<void(UrlList&)> m_adjustChecks;
    std::unique_ptr<Batch> m_batch;
};

} // namespace

TEST_F(BatchTest, SendsOnePartPerRuleWithTwoNoticesAtEachChange)
{
    Run({"http://b.host/x/3_t.jpg", "", "http://a.host/x/1_t.jpg", "", "http://a.host/x/2_t.jpg", ""});

    ASSERT_EQ(m_presenter.Shown().size(), 2u);
    EXPECT_EQ(m_presenter.Shown()[0].text,
        "More than one rule was found in the list of URLs you've selected. Because different rules "
        "means different referrers, and only one referrer can be sent with a list of URLs, VTL will "
        "now only send a part of the URLs to your download manager.\r\nThe rest will be send right "
        "after don't worry!");
    EXPECT_EQ(m_presenter.Shown()[1].text,
        "Only one part of the URLs have been sent to your Download Manager (to use one referrer per "
        "rule), the next one will be done once you've clicked Ok.\r\n\r\nThis is made because "
        "different rules means different Referrer, and onle one referrer can be sent with a list of URLs");
    for (const MessageRequest& message : m_presenter.Shown()) {
        EXPECT_EQ(message.caption, "Vortalux");
        EXPECT_EQ(message.icon, MessageIcon::Information);
        EXPECT_EQ(message.buttons, MessageButtons::Ok);
    }

    ASSERT_EQ(m_calls->size(), 2u);
    const HandOffCall& first = (*m_calls)[0];
    EXPECT_EQ(first.procedure, "AddList");
    EXPECT_EQ(first.messagesBefore, 1u); // between the two notices
    EXPECT_EQ(first.referer, "http://a.host/"); // A: the site of its first source URL
    EXPECT_EQ(first.links, (Links {{"http://a.host/x/1.jpg", "1.jpg"}, {"http://a.host/x/2.jpg", "2.jpg"}}));
    const HandOffCall& second = (*m_calls)[1];
    EXPECT_EQ(second.messagesBefore, 2u);
    EXPECT_EQ(second.referer, "http://b.host/x/3_t.jpg"); // B: its first source URL
    EXPECT_EQ(second.links, (Links {{"http://b.host/x/3.jpg", "3.jpg"}}));
    EXPECT_EQ(second.position, 0);

    EXPECT_EQ(m_view.counts.back(), "3/3");
    EXPECT_EQ(m_view.progress.back(), 100);
    EXPECT_EQ(m_view.statuses.back(), "Terminé");
    EXPECT_EQ(m_view.ended, 1);
}

TEST_F(BatchTest, StatusTextsFollowTheRowThroughItsRule)
{
    Run({"http://a.host/x/1_t.jpg", ""});
    EXPECT_EQ(m_view.statuses,
        (Texts {"Initialisation...", "Current: 1_t.jpg", "Current: 1_t.jpg - Rule: A",
            "Current: 1_t.jpg - Converting URL", "Current: 1_t.jpg - ok", "Terminé"}));
}

TEST_F(BatchTest, UnmatchedRowsJoinTheOpenPartAndCountAsSelectedOnly)
{
    Run({"http://a.host/x/1_t.jpg", "", "http://nowhere/2.jpg", "", "http://a.host/x/3_t.jpg", ""});
    // Only rows a rule identifies are checked at first; check the unmatched one too.
    ASSERT_EQ(m_calls->size(), 1u);
    EXPECT_EQ((*m_calls)[0].links.size(), 2u);

    m_calls->clear();
    m_adjustChecks = [](UrlList& list) {
        for (size_t i = 0; i < list.Size(); ++i)
            list.SetChecked(i, true);
    };
    Run({"http://a.host/x/1_t.jpg", "", "http://nowhere/2.jpg", "", "http://a.host/x/3_t.jpg", ""});
    ASSERT_EQ(m_calls->size(), 1u);
    // Sorted first (empty rule), the unmatched link opens the part A's links then join.
    EXPECT_EQ((*m_calls)[0].links,
        (Links {{"http://nowhere/2.jpg", "2.jpg"}, {"http://a.host/x/1.jpg", "1.jpg"},
            {"http://a.host/x/3.jpg", "3.jpg"}}));
    EXPECT_EQ((*m_calls)[0].referer, "http://a.host/");
    EXPECT_EQ(m_view.counts.back(), "2/3");
    EXPECT_NE(std::find(m_view.statuses.begin(), m_view.statuses.end(), "Current: 2.jpg - no rule found!"),
        m_view.statuses.end());
}

TEST_F(BatchTest, RefererModesOfAPartIncludingTheFirstRuleOfTheStore)
{
    m_home.ReplaceRule("A", "//a\\.host/", {{"_t\\.", "."}}, 1);
    Run({"http://a.host/x/1_t.jpg", ""}, "http://forum/origin");
    ASSERT_EQ(m_calls->size(), 1u);
    EXPECT_EQ((*m_calls)[0].referer, "http://forum/origin");

    m_calls->clear();
    m_home.ReplaceRule("A", "//a\\.host/", {{"_t\\.", "."}}, 0);
    Run({"http://a.host/x/1_t.jpg", ""});
    EXPECT_EQ((*m_calls)[0].referer, "");

    m_calls->clear();
    m_home.ReplaceRule("A", "//a\\.host/", {{"_t\\.", "."}}, 4, true,
        "[Referer]\r\nRegexp=^(http://[^/]+)/x/\r\nResult=$1/gallery/\r\n");
    Run({"http://a.host/x/1_t.jpg", ""});
    EXPECT_EQ((*m_calls)[0].referer, "http://a.host/gallery/1_t.jpg");
}

TEST_F(BatchTest, APartNoLinkOfWhichWasConvertedGetsItsRefererFromTheOriginPage)
{
    // The step never matches, so no link of the part passes a successful step.
    m_home.ReplaceRule("A", "//a\\.host/", {{"no-such-text", "."}}, 3);
    Run({"http://a.host/x/1_t.jpg", ""}, "http://forum.site/thread/7");
    ASSERT_EQ(m_calls->size(), 1u);
    EXPECT_EQ((*m_calls)[0].referer, "http://forum.site/");
    EXPECT_EQ((*m_calls)[0].links, (Links {{"http://a.host/x/1_t.jpg", "1_t.jpg"}}));
    EXPECT_EQ(m_home.Reports(), (Texts {"A"}));

    m_calls->clear();
    m_home.ReplaceRule("B", "//b\\.host/", {{"no-such-text", "."}}, 2);
    Run({"http://b.host/x/1_t.jpg", ""}, "http://forum.site/thread/7");
    EXPECT_EQ((*m_calls)[0].referer, "http://forum.site/thread/7");

    // Nothing checked: one hand-off, an empty list, no notice, and the origin page as referer.
    m_calls->clear();
    Run({"http://nowhere/1.jpg", ""}, "http://forum.site/thread/7");
    ASSERT_EQ(m_calls->size(), 1u);
    EXPECT_TRUE((*m_calls)[0].links.empty());
    EXPECT_EQ((*m_calls)[0].referer, "http://forum.site/thread/7");
    EXPECT_TRUE(m_presenter.Shown().empty());
    EXPECT_EQ(m_view.counts.back(), "0/0");
}

TEST_F(BatchTest, ARowWhoseFirstPageRuleFailsStartsANewPartForTheSecondRule)
{
    m_home.SearchRule("P1", "//p\\.host/", "<img src=\"([^\"]+)\" id=big>", "$1", false, 3);
    m_home.SearchRule("P2", "//p\\.host/", "<a href=\"([^\"]+)\">full</a>", "$1", false, 2);
    m_pages.pages["http://p.host/1"] = "<a href=\"http://cdn/1.jpg\">full</a>";
    m_pages.pages["http://p.host/2"] = "<img src=\"http://cdn/2.jpg\" id=big>";
    Run({"http://p.host/2", "", "http://p.host/1", ""});

    // Both rows show P1. P1 converts p.host/2; on p.host/1 it fails, so P2 takes that row in a
    // part of its own, with P2's referer.
    ASSERT_EQ(m_calls->size(), 2u);
    EXPECT_EQ((*m_calls)[0].links, (Links {{"http://cdn/2.jpg", "2.jpg"}}));
    EXPECT_EQ((*m_calls)[0].referer, "http://p.host/");
    EXPECT_EQ((*m_calls)[1].links, (Links {{"http://cdn/1.jpg", "1.jpg"}}));
    EXPECT_EQ((*m_calls)[1].referer, "http://p.host/1");
    EXPECT_EQ(m_presenter.Shown().size(), 2u);
    EXPECT_EQ(m_pages.requested, (Texts {"http://p.host/2", "http://p.host/1", "http://p.host/1"}));
    EXPECT_EQ(m_home.Reports(), (Texts {"P1"}));
}

TEST_F(BatchTest, CancelEverythingSendsTheRemainingCheckedRowsUnconverted)
{
    m_adjustChecks = [](UrlList& list) {
        list.SortAscendingBy(UrlList::UrlColumn);
        list.SetChecked(3, false); // 4_t.jpg stays out
    };
    m_view.onEvents = [this](int row) {
        if (row == 1)
            m_batch->SetCancelAll(true);
    };
    Run({"http://a.host/x/1_t.jpg", "", "http://a.host/x/2_t.jpg", "", "http://a.host/x/3_t.jpg", "",
        "http://a.host/x/4_t.jpg", "", "http://a.host/x/5_t.jpg", "", "http://a.host/x/6_t.jpg", ""});
    ASSERT_EQ(m_calls->size(), 1u);
    EXPECT_EQ((*m_calls)[0].links,
        (Links {{"http://a.host/x/1.jpg", "1.jpg"}, {"http://a.host/x/2.jpg", "2.jpg"},
            {"http://a.host/x/3_t.jpg", "3_t.jpg"}, {"http://a.host/x/5_t.jpg", "5_t.jpg"},
            {"http://a.host/x/6_t.jpg", "6_t.jpg"}}));
    EXPECT_EQ(m_view.counts.back(), "2/2");
    EXPECT_EQ(m_view.progress, (std::vector<int> {0, 17, 33, 50, 67, 83, 100}));
    EXPECT_TRUE(m_pages.requested.empty());
}

TEST_F(BatchTest, TheManagerChosenWhileTheBatchRunsReceivesTheLaterParts)
{
    m_view.onEvents = [this](int row) {
        if (row == 2)
            m_view.manager = 3;
    };
    Run({"http://a.host/x/1_t.jpg", "", "http://a.host/x/2_t.jpg", "", "http://b.host/x/3_t.jpg", ""});
    ASSERT_EQ(m_calls->size(), 2u);
    EXPECT_EQ((*m_calls)[0].position, 0);
    EXPECT_EQ((*m_calls)[1].position, 3);
}

TEST_F(BatchTest, RulesWhoseNamesDifferOnlyInCaseMakeOnePartEach)
{
    // Two rule files that only Linux tells apart; their rows arrive interleaved.
    m_home.ReplaceRule("Pics", "//p1\\.host/", {{"_t\\.", "."}});
    m_home.ReplaceRule("pics", "//p2\\.host/", {{"_t\\.", "."}});
    Run({"http://p1.host/1_t.jpg", "", "http://p2.host/1_t.jpg", "", "http://p1.host/2_t.jpg", "",
        "http://p2.host/2_t.jpg", ""});
    ASSERT_EQ(m_calls->size(), 2u);
    EXPECT_EQ(
        (*m_calls)[0].links, (Links {{"http://p1.host/1.jpg", "1.jpg"}, {"http://p1.host/2.jpg", "2.jpg"}}));
    EXPECT_EQ(
        (*m_calls)[1].links, (Links {{"http://p2.host/1.jpg", "1.jpg"}, {"http://p2.host/2.jpg", "2.jpg"}}));
    EXPECT_EQ(m_presenter.Shown().size(), 2u);
}
