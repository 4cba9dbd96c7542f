#include "ConvertLink.h"
#include "EngineTestSupport.h"
#include "ProfileFile.h"
#include "RuleWalk.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace vortalux;
using vortalux::test::FakePages;
using vortalux::test::TempDir;
using vortalux::test::WriteFileBytes;

namespace fs = std::filesystem;

namespace {

class ConvertLinkTest : public ::testing::Test {
protected:
    void AddRule(std::string_view name, std::string_view body)
    {
        WriteFileBytes(m_home / "Rules" / (std::string(name) + ".vtl"), body);
    }

    Conversion Convert(std::string_view link, std::string_view referer = "http://forum/thread")
    {
        m_store.LoadRules(m_home.Path());
        return ConvertLink(m_store, m_pages, m_home.Path(), link, referer);
    }

    std::vector<std::string> Reports() const
    {
        std::vector<std::string> urls;
        for (int n = 1; fs::exists(m_home / (std::to_string(n) + ".vtr")); ++n)
            urls.push_back(ProfileFile::ReadValue(m_home / (std::to_string(n) + ".vtr"), "Rule", "Name", ""));
        return urls;
    }

    TempDir m_home;
    RuleStore m_store;
    FakePages m_pages;
};

using Links = std::vector<Link>;

} // namespace

TEST_F(ConvertLinkTest, NoRuleOrOnlyAnInactiveOneLeavesTheLinkAsItIs)
{
    Conversion none = Convert("http://h/a/pic.jpg");
    EXPECT_EQ(none.links, (Links {{"http://h/a/pic.jpg", "pic.jpg"}}));
    EXPECT_EQ(none.referer, "http://forum/thread");
    EXPECT_FALSE(none.identified);

    AddRule("off",
        "[Main]\r\nver=1\r\nActive=0\r\nIdent=pic\r\nReferer=0\r\n[SR]\r\nnb=1\r\nsr1.1=pic\r\nsr2.1=x\r\n");
    Conversion inactive = Convert("http://h/a/pic.jpg");
    EXPECT_EQ(inactive.links, (Links {{"http://h/a/pic.jpg", "pic.jpg"}}));
    EXPECT_EQ(inactive.referer, "http://forum/thread");
    EXPECT_TRUE(Reports().empty());
}

TEST_F(ConvertLinkTest, ReplaceRulesRewriteAndEndTheWalkEvenWhenAStepFails)
{
    AddRule("a",
        "[Main]\r\nver=1\r\nIdent=^http://thumbs/\r\nReferer=2\r\n[SR]\r\nnb=3\r\n"
        "sr1.1=_t\\.jpg\r\nsr2.1=.jpg\r\nsr1.2=nomatch\r\nsr2.2=x\r\nsr1.3=jpg\r\nsr2.3=png\r\n");
    AddRule("b", "[Main]\r\nver=1\r\nIdent=^http://thumbs/\r\nReferer=0\r\n[SR]\r\nnb=0\r\n");
    AddRule("c", "[Main]\r\nver=1\r\nIdent=^http://plain/\r\nReferer=0\r\n[SR]\r\nnb=0\r\n");
    AddRule("d",
        "[Main]\r\nver=1\r\nIdent=^http://url/"
        "\r\nReferer=3\r\n[SR]\r\nnb=1\r\nsr1.1=^.*$\r\nsr2.1=$&|$URL|$SRV\r\n");

    Conversion partly = Convert("http://thumbs/p/1_t.jpg");
    EXPECT_EQ(partly.links, (Links {{"http://thumbs/p/1.jpg", "1.jpg"}}));
    EXPECT_EQ(partly.referer, "http://thumbs/p/1_t.jpg"); // mode 2: the source link
    EXPECT_EQ(Reports(), (std::vector<std::string> {"a"}));

    // No steps: the link as it is, and the rule's referer mode still applies.
    Conversion unchanged = Convert("http://plain/x.jpg");
    EXPECT_EQ(unchanged.links, (Links {{"http://plain/x.jpg", "x.jpg"}}));
    EXPECT_EQ(unchanged.referer, "");

    // In a single link's replace steps $URL and $SRV stand for nothing.
    Conversion placeholders = Convert("http://url/dir/y.jpg");
    EXPECT_EQ(placeholders.links[0].url, "http://url/dir/y.jpg||");
    EXPECT_EQ(placeholders.referer, "http://url/");
}

TEST_F(ConvertLinkTest, PageRulesSearchThePageAndFallThroughOnFailure)
{
    AddRule("1 broken",
        "[Main]\r\nver=1\r\nIdent=^http://view/\r\nType=1\r\nReferer=0\r\n"
        "[OS]\r\nnb=1\r\nregexp.1=<never>\r\nresult.1=$1\r\n");
    AddRule("2 gallery",
        "[Main]\r\nver=1\r\nIdent=^http://view/\r\nType=1\r\nReferer=2\r\n"
        "[OS]\r\nnb=2\r\nregexp.1=<div id=\"pics\">\r\nresult.1=\r\n"
        "regexp.2=<a href=\"/(\\w+\\.jpg)\">\r\nresult.2=$SRV$1\r\nglobal.2=1\r\n");
    m_pages.pages["http://view/page?id=1"] = "<a href=\"/skip.jpg\"><div id=\"pics\"><a href=\"/one.jpg\">"
                                             "<a href=\"/two.jpg\"><a href=\"/three.jpg\">";
    Conversion result = Convert("http://view/page?id=1");
    EXPECT_EQ(result.links,
        (Links {{"http://view/one.jpg", "one.jpg"}, {"http://view/two.jpg", "two.jpg"},
            {"http://view/three.jpg", "three.jpg"}}));
    // The referer follows the first identifying rule (mode 0), not the one that found the links.
    EXPECT_EQ(result.referer, "");
    EXPECT_EQ(result.identified, 0u);
    EXPECT_EQ(Reports(), (std::vector<std::string> {"1 broken"}));
    // Each page rule downloads the page for itself.
    EXPECT_EQ(m_pages.requested.size(), 2u);
}

TEST_F(ConvertLinkTest, EveryPageRuleFailingPassesTheLinkOnWithTheFirstRulesReferer)
{
    AddRule("a",
        "[Main]\r\nver=1\r\nIdent=^http://dead/"
        "\r\nType=1\r\nReferer=3\r\n[OS]\r\nnb=1\r\nregexp.1=x\r\nresult.1=$1\r\n");
    AddRule("b",
        "[Main]\r\nver=1\r\nIdent=^http://dead/\r\nType=1\r\nReferer=0\r\n[OS]\r\nnb=1\r\nregexp.1=(y)\r\n");
    AddRule("c", "[Main]\r\nver=1\r\nIdent=^http://dead/\r\nType=1\r\nReferer=0\r\n[OS]\r\nnb=0\r\n");
    Conversion result = Convert("http://dead/p.html");
    EXPECT_EQ(result.links, (Links {{"http://dead/p.html", "p.html"}}));
    EXPECT_EQ(result.referer, "http://dead/");
    // A rule whose steps run out without a result writes no report.
    EXPECT_EQ(Reports(), (std::vector<std::string> {"a", "b"}));
}

TEST_F(ConvertLinkTest, AReportSaysWhyThePageDidNotArriveOnlyWhenItDidNot)
{
    AddRule("page",
        "[Main]\r\nver=1\r\nIdent=^http://\r\nType=1\r\n[OS]\r\nnb=1\r\nregexp.1=<img src=\"([^\"]+)\"\r\n"
        "result.1=$1\r\n");
    m_pages.failures["http://down/p.html"] = "connection refused";
    m_pages.pages["http://up/p.html"] = "<p>no picture</p>";
    Convert("http://down/p.html");
    Convert("http://up/p.html");
    ASSERT_EQ(Reports().size(), 2u);
    EXPECT_EQ(ProfileFile::ReadValue(m_home / "1.vtr", "Main", "Error", "absent"), "connection refused");
    EXPECT_EQ(ProfileFile::ReadValue(m_home / "2.vtr", "Main", "Error", "absent"), "absent");
}

TEST_F(ConvertLinkTest, CuttingThePageKeepsOneCharacterBeforeTheMatch)
{
    AddRule("cut",
        "[Main]\r\nver=1\r\nIdent=^http://cut/\r\nType=1\r\n[OS]\r\nnb=3\r\n"
        "regexp.1=B\r\nresult.1=\r\nregexp.2=^(.)B\r\nresult.2=\r\nregexp.3=^(..)\r\nresult.3=$1\r\n");
    m_pages.pages["http://cut/"] = "xxAB";
    // Step 1 finds B at 3 and keeps "AB"; step 2 matches at 0 and keeps the page whole.
    EXPECT_EQ(Convert("http://cut/").links[0].url, "AB");
}

TEST_F(ConvertLinkTest, PageStepsUseTheFetchedAddressForUrlAndSrv)
{
    AddRule("r",
        "[Main]\r\nver=1\r\nIdent=^http://short/\r\nType=1\r\n[OS]\r\nnb=1\r\n"
        "regexp.1=src=\"([^\"]+)\"\r\nresult.1=$SRV$1 from $URL\r\n");
    m_pages.redirects["http://short/1"] = "http://real.example/album/1";
    m_pages.pages["http://real.example/album/1"] = "src=\"img/1.jpg\"";
    const Conversion result = Convert("http://short/1");
    EXPECT_EQ(result.links[0].url, "http://real.example/img/1.jpg from http://real.example/album/1");
}

TEST_F(ConvertLinkTest, CustomRefererAndOddModes)
{
    AddRule("a",
        "[Main]\r\nver=1\r\nIdent=^http://a/\r\nReferer=4\r\n[Referer]\r\nRegExp=^http://a/(\\d+)\r\n"
        "Result=http://a/gallery/$1?from=$URL\r\n");
    AddRule("b", "[Main]\r\nver=1\r\nIdent=^http://b/\r\nReferer=9\r\n");
    AddRule("c", "[Main]\r\nver=1\r\nIdent=^http://c/\r\nReferer=1\r\n");
    EXPECT_EQ(Convert("http://a/42/pic.jpg").referer, "http://a/gallery/42?from=http://a/42/pic.jpg/pic.jpg");
    // Not matching: the template as it stands.
    EXPECT_EQ(Convert("http://a/x/pic.jpg").referer, "http://a/gallery/$1?from=$URL");
    EXPECT_EQ(Convert("http://b/x.jpg").referer, "http://forum/thread");
    EXPECT_EQ(Convert("http://c/x.jpg").referer, "http://forum/thread");
}

TEST_F(ConvertLinkTest, InvalidPatternsAndUnknownTypesAreSkipped)
{
    AddRule("1", "[Main]\r\nver=1\r\nIdent=(unclosed\r\n");
    AddRule("2", "[Main]\r\nver=1\r\nIdent=^http://z/\r\nType=7\r\nReferer=0\r\n");
    AddRule("3", "[Main]\r\nver=1\r\nIdent=^http://z/\r\n[SR]\r\nnb=1\r\nsr1.1=[\r\nsr2.1=x\r\n");
    Conversion result = Convert("http://z/pic.jpg");
    EXPECT_EQ(result.links, (Links {{"http://z/pic.jpg", "pic.jpg"}}));
    // Rule 2 identified the link first: its unknown type is skipped, but its mode 0 decides the referer.
    EXPECT_EQ(result.referer, "");
    EXPECT_EQ(Reports(), (std::vector<std::string> {"3"}));
}

TEST_F(ConvertLinkTest, RefusedAddressKeepsThePreviousFetchedUrl)
{
    AddRule("r",
        "[Main]\r\nver=1\r\nIdent=^(ftp|http)://"
        "\r\nType=1\r\n[OS]\r\nnb=1\r\nregexp.1=^()\r\nresult.1=$URL\r\n");
    m_pages.pages["http://first/"] = "page";
    EXPECT_EQ(Convert("http://first/").links[0].url, "http://first/");
    // The fake refuses ftp:// like an unsupported address: the empty page still matches "^()",
    // and $URL is the address fetched before.
    EXPECT_EQ(Convert("ftp://second/").links[0].url, "http://first/");
}

namespace {

class RecordingObserver final : public RuleWalkObserver {
public:
    std::vector<std::string> events;
    void RuleIdentified(size_t position, const Rule& rule) override
    {
        events.push_back("identified " + std::to_string(position) + " " + rule.name);
    }
    void StepSucceeded() override { events.push_back("step ok"); }
    void Status(std::string_view suffix) override { events.emplace_back(suffix); }
};

} // namespace

TEST_F(ConvertLinkTest, TheBatchWalkUsesTheLinkForUrlAndReportsEachStep)
{
    AddRule("a",
        "[Main]\r\nver=1\r\nIdent=^http://p/"
        "\r\nType=1\r\n[OS]\r\nnb=1\r\nregexp.1=nothing\r\nresult.1=$1\r\n");
    AddRule("b",
        "[Main]\r\nver=1\r\nIdent=^http://p/\r\n[SR]\r\nnb=2\r\nsr1.1=p/\r\nsr2.1=q/"
        "\r\nsr1.2=^.*$\r\nsr2.2=$&#$URL\r\n");
    m_store.LoadRules(m_home.Path());
    RuleWalk walk(m_store, m_pages, m_home.Path());
    RecordingObserver observer;
    RuleWalkResult result = walk.Run("http://p/1.jpg", "http://p/1.jpg", &observer);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.links, (Links {{"http://q/1.jpg#http://p/1.jpg", "1.jpg"}}));
    EXPECT_EQ(observer.events,
        (std::vector<std::string> {"identified 0 a", " - Rule: a", " - Downloading page",
            " - Looking for URL", " - error!", "identified 1 b", " - Rule: b", " - Converting URL", " - ok",
            "step ok", " - ok", "step ok"}));
}
