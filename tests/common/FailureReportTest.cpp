#include "FailureReport.h"
#include "ProfileFile.h"
#include "RuleStore.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <set>

using namespace vortalux;
using vortalux::test::ReadFileBytes;
using vortalux::test::TempDir;
using vortalux::test::WriteFileBytes;

namespace fs = std::filesystem;

TEST(FailureReport, HoldsTheLinkAndAFullCopyOfTheRuleInTableOrder)
{
    TempDir home;
    WriteFileBytes(home / "Rules" / "Host.vtl",
        "[Main]\r\nver=7\r\nIdent=^http://h/\r\nType=1\r\n"
        "[OS]\r\nnb=2\r\nregexp.1=a\r\nresult.1=\r\nregexp.2=b(c)\r\n"
        "result.2=$1\r\nglobal.2=1\r\n[Referer]\r\nRegExp=r\r\nResult=s\r\n");
    RuleStore store;
    store.LoadRules(home.path());
    ASSERT_EQ(store.Rules().size(), 1u);

    const auto path = WriteFailureReport(home.path(), "http://h/pic?id=1", store.Rules()[0]);
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, home / "1.vtr");
    // The referer mode absent from the rule file is written as the loaded default, 3.
    EXPECT_EQ(ReadFileBytes(*path),
        "[Main]\r\nURL=http://h/pic?id=1\r\n"
        "\r\n[Rule]\r\nName=Host\r\nver=7\r\nIdent=^http://h/\r\nType=1\r\nReferer=3\r\n"
        "\r\n[SR]\r\nnb=0\r\n"
        "\r\n[OS]\r\nnb=2\r\nregexp.1=a\r\nresult.1=\r\nglobal.1=0\r\n"
        "regexp.2=b(c)\r\nresult.2=$1\r\nglobal.2=1\r\n"
        "\r\n[Referer]\r\nRegExp=r\r\nResult=s\r\n");
}

TEST(FailureReport, TakesTheSmallestFreeNumberAndNeverOverwrites)
{
    TempDir home;
    WriteFileBytes(home / "1.vtr", "one");
    WriteFileBytes(home / "3.vtr", "three");
    Rule rule;
    rule.name = "r";
    EXPECT_EQ(WriteFailureReport(home.path(), "http://a/1", rule), home / "2.vtr");
    EXPECT_EQ(WriteFailureReport(home.path(), "http://a/1", rule), home / "4.vtr");
    EXPECT_EQ(ReadFileBytes(home / "1.vtr"), "one");
    EXPECT_EQ(ReadFileBytes(home / "3.vtr"), "three");
    EXPECT_EQ(ProfileFile::ReadValue(home / "4.vtr", "Main", "URL", ""), "http://a/1");
}

TEST(FailureReport, AnUnwritableFolderLeavesNothingBehind)
{
    TempDir home;
    fs::permissions(home.path(),
        fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
    Rule rule;
    EXPECT_TRUE(test::RunUnprivileged([&] { return !WriteFailureReport(home.path(), "http://a/", rule); }));
    EXPECT_FALSE(WriteFailureReport(home / "missing", "http://a/", rule));
    fs::permissions(home.path(), fs::perms::owner_all);
    EXPECT_TRUE(fs::is_empty(home.path()));
}

TEST(FailureReport, TwoProcessesWritingAtOnceLoseNoReport)
{
    TempDir home;
    constexpr int perProcess = 200;
    auto writeReports = [&](const char* tag) {
        Rule rule;
        rule.name = tag;
        for (int i = 0; i < perProcess; ++i) {
            if (!WriteFailureReport(
                    home.path(), std::string("http://") + tag + "/" + std::to_string(i), rule))
                return false;
        }
        return true;
    };
    pid_t children[2];
    const char* tags[2] = {"first", "second"};
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0)
            ::_exit(writeReports(tags[c]) ? 0 : 1);
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    std::set<std::string> urls;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(home.path())) {
        ++files;
        urls.insert(ProfileFile::ReadValue(entry.path(), "Main", "URL", ""));
    }
    EXPECT_EQ(files, 2 * perProcess);
    EXPECT_EQ(urls.size(), static_cast<size_t>(2 * perProcess));
    EXPECT_EQ(urls.count(""), 0u);
    EXPECT_TRUE(fs::exists(home / "400.vtr"));
}
