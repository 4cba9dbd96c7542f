#include "UrlList.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace vortalux;
using namespace vortalux::test;

namespace {

std::vector<std::string> Column(const UrlList& list, int column)
{
    std::vector<std::string> texts;
    for (const UrlRow& row : list.Rows())
        texts.push_back(UrlList::TextOf(row, column));
    return texts;
}

using Texts = std::vector<std::string>;

} // namespace

TEST(UrlList, OneRowPerDistinctUrlKeyedByItsFirstPosition)
{
    RuleStore noRules;
    UrlList list;
    list.Fill({"http://forum/page", "http://h/a/1.jpg", "one", "http://h/a/1.jpg", "again", "http://h/b/", "",
                  "http://h/c/2.jpg", "", "http://h/trailing.jpg"},
        noRules);
    ASSERT_EQ(list.Size(), 3u);
    EXPECT_EQ(list.Row(0).key, "k1");
    EXPECT_EQ(list.Row(0).title, "one");
    // The duplicate at position 2 leaves a gap; a URL ending in "/" is its own title.
    EXPECT_EQ(list.Row(1).key, "k3");
    EXPECT_EQ(list.Row(1).title, "http://h/b/");
    EXPECT_EQ(list.Row(2).key, "k4");
    EXPECT_EQ(list.Row(2).title, "2.jpg");
    for (const UrlRow& row : list.Rows()) {
        EXPECT_FALSE(row.checked);
        EXPECT_EQ(row.rule, "");
    }

    list.Fill({"http://forum/page"}, noRules);
    EXPECT_EQ(list.Size(), 0u);
    list.Fill({}, noRules);
    EXPECT_EQ(list.Size(), 0u);
}

TEST(UrlList, DisabledRulesShowGreyAndUncheckedUnlessALaterActiveRuleMatches)
{
    EngineHome home;
    home.ReplaceRule("1 off", "pics", {}, 3, false);
    home.ReplaceRule("2 on", "pics/big", {});
    home.ReplaceRule("3 also on", "pics", {});
    RuleStore rules;
    rules.LoadRules(home.Path());

    UrlList list;
    list.Fill(
        {"origin", "http://pics/small/a.jpg", "", "http://pics/big/b.jpg", "", "http://other/c.jpg", ""},
        rules);
    ASSERT_EQ(list.Size(), 3u);
    // The first active match wins over the disabled rule before it.
    EXPECT_EQ(list.Row(0).rule, "3 also on");
    EXPECT_TRUE(list.Row(0).checked);
    EXPECT_FALSE(list.Row(0).ruleDisabled);
    EXPECT_EQ(list.Row(1).rule, "2 on");

    home.ReplaceRule("3 also on", "nothing-matches-this", {});
    rules.LoadRules(home.Path());
    list.Fill({"origin", "http://pics/small/a.jpg", ""}, rules);
    EXPECT_EQ(list.Row(0).rule, "1 off (disabled)");
    EXPECT_TRUE(list.Row(0).ruleDisabled);
    EXPECT_FALSE(list.Row(0).checked);
}

TEST(UrlList, HeaderClicksShareOneDirectionAcrossColumns)
{
    RuleStore noRules;
    UrlList list;
    list.Fill({"o", "http://h/B.jpg", "b", "http://h/a.jpg", "C", "http://h/c.jpg", "a"}, noRules);

    // The list starts ascending, so the first click sorts descending, the next ascending.
    list.SortByColumn(UrlList::UrlColumn);
    EXPECT_EQ(
        Column(list, UrlList::UrlColumn), (Texts {"http://h/c.jpg", "http://h/B.jpg", "http://h/a.jpg"}));
    list.SortByColumn(UrlList::UrlColumn);
    EXPECT_EQ(
        Column(list, UrlList::UrlColumn), (Texts {"http://h/a.jpg", "http://h/B.jpg", "http://h/c.jpg"}));
    // Another column goes on from the direction the last click left: descending.
    list.SortByColumn(UrlList::TitleColumn);
    EXPECT_TRUE(list.Descending());
    EXPECT_EQ(Column(list, UrlList::TitleColumn), (Texts {"C", "b", "a"}));
    // Rows travel whole, with their keys and checks.
    EXPECT_EQ(list.Row(0).key, "k2");

    list.SortAscendingBy(UrlList::RuleColumn);
    EXPECT_FALSE(list.Descending());
    EXPECT_EQ(list.SortColumn(), UrlList::RuleColumn);
}

TEST(UrlList, MarkHighlightChecksExactlyTheHighlightedRows)
{
    EngineHome home;
    home.ReplaceRule("all", "http", {});
    RuleStore rules;
    rules.LoadRules(home.Path());
    UrlList list;
    list.Fill({"o", "http://1", "", "http://2", "", "http://3", "", "http://4", ""}, rules);
    for (const UrlRow& row : list.Rows())
        ASSERT_TRUE(row.checked);
    list.CheckHighlighted({false, true, false, true});
    EXPECT_FALSE(list.Row(0).checked);
    EXPECT_TRUE(list.Row(1).checked);
    EXPECT_FALSE(list.Row(2).checked);
    EXPECT_TRUE(list.Row(3).checked);
}
