#include "RuleStore.h"
#include "ProfileFile.h"
#include "RuleFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace vortalux;
using vortalux::test::ReadFileBytes;
using vortalux::test::TempDir;
using vortalux::test::TestDataPath;
using vortalux::test::WriteFileBytes;

namespace fs = std::filesystem;

namespace {

class RuleStoreTest : public ::testing::Test {
protected:
    void AddRule(std::string_view fileName, std::string_view bytes)
    {
        WriteFileBytes(m_home / "Rules" / fileName, bytes);
    }
    const Rule& Load(std::string_view name)
    {
        m_store.LoadRules(m_home.Path());
        for (const Rule& rule : m_store.Rules()) {
            if (rule.name == name)
                return rule;
        }
        throw std::runtime_error("rule not loaded: " + std::string(name));
    }

    TempDir m_home;
    RuleStore m_store;
};

} // namespace

TEST_F(RuleStoreTest, LoadsEveryFieldOfARule)
{
    AddRule("Host.vtl",
        "[Main]\r\nver=3\r\nActive=1\r\nIdent=^http://host/\r\nType=1\r\nReferer=4\r\n"
        "[SR]\r\nnb=0\r\n"
        "[OS]\r\nnb=2\r\nregexp.1=<body\r\nresult.1=\r\nglobal.1=0\r\n"
        "regexp.2=src=\"([^\"]+)\"\r\nresult.2=$SRV$1\r\nglobal.2=1\r\n"
        "[Referer]\r\nRegExp=^(.*)/\r\nResult=$1/gallery\r\n");
    const Rule& rule = Load("Host");
    EXPECT_EQ(rule.version, "3");
    EXPECT_TRUE(rule.active);
    EXPECT_EQ(rule.ident, "^http://host/");
    EXPECT_EQ(rule.type, RuleType::SearchPage);
    EXPECT_TRUE(rule.replaceSteps.empty());
    ASSERT_EQ(rule.searchSteps.size(), 2u);
    EXPECT_EQ(rule.searchSteps[0].pattern, "<body");
    EXPECT_EQ(rule.searchSteps[0].resultTemplate, "");
    EXPECT_EQ(rule.searchSteps[1].pattern, "src=\"([^\"]+)\"");
    EXPECT_EQ(rule.searchSteps[1].resultTemplate, "$SRV$1");
    EXPECT_EQ(rule.searchSteps[1].global, 1);
    EXPECT_EQ(rule.refererMode, RefererMode::Custom);
    EXPECT_EQ(rule.refererPattern, "^(.*)/");
    EXPECT_EQ(rule.refererTemplate, "$1/gallery");
    EXPECT_EQ(m_store.ActiveRuleCount(), 1);
}

TEST_F(RuleStoreTest, DefaultsAndTheActiveFlag)
{
    AddRule("absent.vtl", "[Main]\r\nver=1\r\n");
    AddRule("zero.vtl", "[Main]\r\nver=1\r\nActive=0\r\n");
    AddRule("float.vtl", "[Main]\r\nver=1\r\nActive=1.0\r\n");
    AddRule("word.vtl", "[Main]\r\nver=1\r\nActive=yes\r\n");
    AddRule("two.vtl", "[Main]\r\nver=1\r\nActive=2\r\n");
    AddRule("emptytype.vtl", "[Main]\r\nver=1\r\nType=\r\nReferer=\r\n");
    m_store.LoadRules(m_home.Path());
    EXPECT_TRUE(Load("absent").active);
    EXPECT_EQ(Load("absent").refererMode, RefererMode::SourceSite);
    EXPECT_EQ(Load("absent").type, RuleType::ReplaceInLink);
    EXPECT_FALSE(Load("zero").active);
    EXPECT_TRUE(Load("float").active);
    EXPECT_FALSE(Load("word").active);
    EXPECT_FALSE(Load("two").active);
    // Present but empty is not the default: it is no number, which reads as 0.
    EXPECT_EQ(Load("emptytype").refererMode, RefererMode::None);
    EXPECT_EQ(m_store.ActiveRuleCount(), 3);
}

TEST_F(RuleStoreTest, StepCountsDecideWhichStepsExist)
{
    AddRule("short.vtl",
        "[Main]\r\nver=1\r\n[SR]\r\nnb=2\r\nsr1.1=a\r\nsr2.1=b\r\nsr1.3=c\r\nsr2.3=d\r\n"
        "[OS]\r\nnb=1\r\nregexp.1=x\r\nglobal.1=abc\r\nregexp.2=ignored\r\n");
    const Rule& rule = Load("short");
    ASSERT_EQ(rule.replaceSteps.size(), 2u);
    EXPECT_EQ(rule.replaceSteps[0].pattern, "a");
    EXPECT_EQ(rule.replaceSteps[0].replaceTemplate, "b");
    EXPECT_EQ(rule.replaceSteps[1].pattern, "");
    EXPECT_EQ(rule.replaceSteps[1].replaceTemplate, "");
    ASSERT_EQ(rule.searchSteps.size(), 1u);
    EXPECT_EQ(rule.searchSteps[0].global, 0);
}

TEST_F(RuleStoreTest, BadNumbersNeverStopTheLoad)
{
    fs::create_directories(m_home / "Rules");
    fs::copy_file(TestDataPath("rules/HugeAndNegativeCounts.vtl"), m_home / "Rules" / "huge.vtl");
    AddRule("words.vtl", "[Main]\r\nver=1\r\nType=one\r\n[SR]\r\nnb=many\r\n[OS]\r\nnb=2.5\r\n");
    const Rule& huge = Load("huge");
    EXPECT_EQ(huge.replaceSteps.size(), static_cast<size_t>(RuleFile::MaxSteps));
    EXPECT_TRUE(huge.searchSteps.empty());
    EXPECT_EQ(huge.type, RuleType::Unknown);
    EXPECT_EQ(FileValue(huge.refererMode), 255);
    const Rule& words = Load("words");
    EXPECT_EQ(words.type, RuleType::ReplaceInLink);
    EXPECT_TRUE(words.replaceSteps.empty());
    EXPECT_EQ(words.searchSteps.size(), 2u); // 2.5 rounds half to even
}

TEST_F(RuleStoreTest, SkipsNonRulesAndKeepsFolderOrder)
{
    AddRule("b.vtl", "[Main]\r\nver=1\r\n");
    AddRule("A.VTL", "[Main]\r\nver=1\r\n");
    AddRule("c.vtl", "[Main]\r\nver=\r\nIdent=x\r\n"); // empty version: not a rule
    AddRule("d.vtl", "[Other]\r\nver=1\r\n");
    AddRule("e.txt", "[Main]\r\nver=1\r\n");
    fs::create_directories(m_home / "Rules" / "x.vtl");
    for (const char* name : {"BinaryGarbage.vtl", "TruncatedMidKey.vtl", "LfOnlyLineEnds.vtl"})
        fs::copy_file(TestDataPath(std::string("rules/") + name), m_home / "Rules" / name);

    m_store.LoadRules(m_home.Path());
    std::vector<std::string> names;
    for (const Rule& rule : m_store.Rules())
        names.push_back(rule.name);
    EXPECT_EQ(names, (std::vector<std::string> {"A", "b", "LfOnlyLineEnds", "TruncatedMidKey"}));
    EXPECT_EQ(m_store.ActiveRuleCount(), 4);

    const Rule& lf = m_store.Rules()[2];
    EXPECT_EQ(lf.ident, "^http://lf\\.example/");
    EXPECT_EQ(lf.refererMode, RefererMode::SourceUrl);
    ASSERT_EQ(lf.replaceSteps.size(), 1u);
    EXPECT_EQ(lf.replaceSteps[0].replaceTemplate, ".");

    const Rule& truncated = m_store.Rules()[3];
    ASSERT_EQ(truncated.searchSteps.size(), 2u);
    EXPECT_EQ(truncated.searchSteps[1].pattern, "<a hr");
}

TEST_F(RuleStoreTest, MissingFolderOrReloadGivesAFreshStore)
{
    m_store.LoadRules(m_home.Path());
    EXPECT_TRUE(m_store.Rules().empty());
    AddRule("a.vtl", "[Main]\r\nver=1\r\n");
    m_store.LoadRules(m_home.Path());
    EXPECT_EQ(m_store.Rules().size(), 1u);
    fs::remove(m_home / "Rules" / "a.vtl");
    m_store.LoadRules(m_home.Path());
    EXPECT_TRUE(m_store.Rules().empty());
    EXPECT_EQ(m_store.ActiveRuleCount(), 0);
}

TEST_F(RuleStoreTest, EditorWriteReplacesTheWholeFileInItsKeyOrder)
{
    Rule rule;
    rule.name = "Site";
    rule.ident = "^http://site/";
    rule.type = RuleType::SearchPage;
    rule.replaceSteps = {{"a", "b"}};
    rule.searchSteps = {{"p1", "", 0}, {"p2", "$1", 1}};
    rule.refererMode = RefererMode::None;
    rule.refererPattern = "(x)";
    rule.refererTemplate = "$1";
    const fs::path file = m_home / "Rules" / "Site.vtl";
    std::error_code error;
    EXPECT_FALSE(RuleFile::Write(file, rule, RuleFile::RefererModeKey::Write, error));
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    fs::create_directories(m_home / "Rules");
    ASSERT_TRUE(RuleFile::Write(file, rule, RuleFile::RefererModeKey::Write, error)) << error.message();
    EXPECT_EQ(ReadFileBytes(file),
        "[Main]\r\nver=0\r\nIdent=^http://site/\r\nType=1\r\nReferer=0\r\n"
        "\r\n[SR]\r\nnb=1\r\nsr1.1=a\r\nsr2.1=b\r\n"
        "\r\n[OS]\r\nnb=2\r\nregexp.1=p1\r\nresult.1=\r\nglobal.1=0\r\nregexp.2=p2\r\nresult.2=$1\r\nglobal."
        "2=1\r\n"
        "\r\n[Referer]\r\nRegExp=(x)\r\nResult=$1\r\n");

    // The editor writes the file whole: a disabled rule saved again is active, keys of older
    // steps are gone, and the referer mode is left out when no option is chosen.
    ASSERT_TRUE(RuleFile::WriteActive(m_home.Path(), "site", false));
    ASSERT_TRUE(ProfileFile::WriteValue(file, "OS", "regexp.3", "old"));
    rule.ident = "^https?://site/";
    rule.type = RuleType::Unknown;
    rule.refererMode = RefererMode::Custom;
    rule.searchSteps.clear();
    ASSERT_TRUE(RuleFile::Write(file, rule, RuleFile::RefererModeKey::Omit, error)) << error.message();
    EXPECT_EQ(ReadFileBytes(file),
        "[Main]\r\nver=0\r\nIdent=^https?://site/\r\nType=0\r\n"
        "\r\n[SR]\r\nnb=1\r\nsr1.1=a\r\nsr2.1=b\r\n"
        "\r\n[OS]\r\nnb=0\r\n"
        "\r\n[Referer]\r\nRegExp=(x)\r\nResult=$1\r\n");
    EXPECT_TRUE(Load("Site").active);
}

TEST_F(RuleStoreTest, WritesFindTheFileUnderAnotherCase)
{
    AddRule("MixedCase.VTL", "[Main]\r\nver=1\r\n");
    ASSERT_TRUE(RuleFile::WriteActive(m_home.Path(), "mixedcase", false));
    EXPECT_EQ(ReadFileBytes(m_home / "Rules" / "MixedCase.VTL"), "[Main]\r\nver=1\r\nActive=0\r\n");
    EXPECT_FALSE(fs::exists(m_home / "Rules" / "mixedcase.vtl"));
}

TEST_F(RuleStoreTest, AReadOnlyRulesFolderRefusesWritesAndKeepsTheRule)
{
    AddRule("ro.vtl", "[Main]\r\nver=1\r\n");
    fs::permissions(m_home.Path(), fs::perms::all);
    fs::permissions(m_home / "Rules",
        fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(m_home / "Rules" / "ro.vtl", fs::perms::owner_read | fs::perms::others_read);
    const fs::path home = m_home.Path();
    EXPECT_TRUE(test::RunUnprivileged([&] {
        Rule rule;
        rule.name = "ro";
        RuleStore store;
        store.LoadRules(home);
        std::error_code error;
        return !RuleFile::WriteActive(home, "ro", false)
            && !RuleFile::Write(home / "Rules" / "ro.vtl", rule, RuleFile::RefererModeKey::Write, error)
            && error == std::errc::permission_denied && store.Rules().size() == 1 && store.Rules()[0].active;
    }));
    EXPECT_EQ(ReadFileBytes(m_home / "Rules" / "ro.vtl"), "[Main]\r\nver=1\r\n");
}
