#include "FailureReport.h"
#include "ProfileFile.h"
#include "RuleStore.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
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
    store.LoadRules(home.Path());
    ASSERT_EQ(store.Rules().size(), 1u);

    const auto path = WriteFailureReport(home.Path(), "http://h/pic?id=1", store.Rules()[0]);
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

TEST(FailureReport, CarriesTheDownloadErrorRightAfterTheLink)
{
    TempDir home;
    Rule rule;
    rule.name = "r";
    const auto path = WriteFailureReport(home.Path(), "http://h/p", rule, "connection refused");
    ASSERT_TRUE(path);
    const std::string head = "[Main]\r\nURL=http://h/p\r\nError=connection refused\r\n\r\n[Rule]\r\n";
    EXPECT_EQ(ReadFileBytes(*path).substr(0, head.size()), head);
    // Without a download error the key is left out.
    const auto plain = WriteFailureReport(home.Path(), "http://h/p", rule);
    ASSERT_TRUE(plain);
    EXPECT_FALSE(ProfileFile::Load(*plain).Contains("Main", "Error"));
}

TEST(FailureReport, TakesTheSmallestFreeNumberAndNeverOverwrites)
{
    TempDir home;
    WriteFileBytes(home / "1.vtr", "one");
    WriteFileBytes(home / "3.vtr", "three");
    Rule rule;
    rule.name = "r";
    EXPECT_EQ(WriteFailureReport(home.Path(), "http://a/1", rule), home / "2.vtr");
    EXPECT_EQ(WriteFailureReport(home.Path(), "http://a/1", rule), home / "4.vtr");
    EXPECT_EQ(ReadFileBytes(home / "1.vtr"), "one");
    EXPECT_EQ(ReadFileBytes(home / "3.vtr"), "three");
    EXPECT_EQ(ProfileFile::ReadValue(home / "4.vtr", "Main", "URL", ""), "http://a/1");

    // Whatever holds a number keeps it: a folder, a link leading nowhere.
    fs::create_directory(home / "5.vtr");
    fs::create_symlink(home / "nowhere", home / "6.vtr");
    EXPECT_EQ(WriteFailureReport(home.Path(), "http://a/7", rule), home / "7.vtr");
    EXPECT_TRUE(fs::is_directory(home / "5.vtr"));
    EXPECT_TRUE(fs::is_symlink(home / "6.vtr"));
    EXPECT_FALSE(fs::exists(home / "nowhere"));
}

TEST(FailureReport, RemovesTheTemporaryFilesOfWritersThatAreGone)
{
    TempDir home;
    const pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string stale = ".vtr-" + std::to_string(gone) + "-Ab12Cd";
    const std::string live = ".vtr-" + std::to_string(::getppid()) + "-Ef34Gh";
    WriteFileBytes(home / stale, "[Main]\r\nURL=http://half");
    WriteFileBytes(home / live, "[Main]\r\n");
    // Names that only look alike belong to someone else.
    WriteFileBytes(home / ".vtr-12x-Ab12Cd", "");
    WriteFileBytes(home / ".1.vtr.Ab12Cd", "");

    Rule rule;
    ASSERT_EQ(WriteFailureReport(home.Path(), "http://a/", rule), home / "1.vtr");
    EXPECT_FALSE(fs::exists(home / stale));
    EXPECT_EQ(ReadFileBytes(home / live), "[Main]\r\n");
    EXPECT_TRUE(fs::exists(home / ".vtr-12x-Ab12Cd"));
    EXPECT_TRUE(fs::exists(home / ".1.vtr.Ab12Cd"));
}

// A writer killed at any moment leaves a whole report or none; what it left half done is gone
// after the next write.
TEST(FailureReport, AKilledWriterLeavesAWholeReportOrNone)
{
    Rule rule;
    rule.name = "killed";
    rule.searchSteps.resize(5, SearchStep {"<img src=\"([^\"]+)\"", "$1", 1});
    TempDir sample;
    ASSERT_TRUE(WriteFailureReport(sample.Path(), "http://k/", rule));
    const std::string whole = ReadFileBytes(sample / "1.vtr");

    TempDir home;
    int reports = 0;
    // On a busy machine a writer may be killed before it finishes any report: later rounds give it
    // longer, so the test always sees whole reports and not only starts.
    for (int round = 0; round < 40 || (reports == 0 && round < 200); ++round) {
        const pid_t writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            for (int i = 0; i < 100; ++i)
                (void)WriteFailureReport(home.Path(), "http://k/", rule);
            ::_exit(0);
        }
        const int extra = round < 40 ? 0 : std::min(1000 * (round - 40), 50000);
        ::usleep(static_cast<useconds_t>(200 + 97 * round % 3000 + extra));
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);
        for (const auto& entry : fs::directory_iterator(home.Path())) {
            if (entry.path().extension() != ".vtr")
                continue;
            // Compared whole, reported short: a failure would otherwise print every report.
            EXPECT_TRUE(ReadFileBytes(entry.path()) == whole) << entry.path().filename();
            ++reports;
            fs::remove(entry.path());
        }
    }
    ASSERT_TRUE(WriteFailureReport(home.Path(), "http://k/", rule));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(home.Path()))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string> {"1.vtr"});
    // The rounds were long enough to finish reports, not only to start them.
    EXPECT_GT(reports, 0);
}

TEST(FailureReport, AnUnwritableFolderLeavesNothingBehind)
{
    TempDir home;
    fs::permissions(home.Path(),
        fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
    Rule rule;
    EXPECT_TRUE(test::RunUnprivileged([&] { return !WriteFailureReport(home.Path(), "http://a/", rule); }));
    EXPECT_FALSE(WriteFailureReport(home / "missing", "http://a/", rule));
    fs::permissions(home.Path(), fs::perms::owner_all);
    EXPECT_TRUE(fs::is_empty(home.Path()));
}

TEST(FailureReport, TwoProcessesWritingAtOnceLoseNoReport)
{
    TempDir home;
    constexpr int PerProcess = 200;
    auto writeReports = [&](const char* tag) {
        Rule rule;
        rule.name = tag;
        for (int i = 0; i < PerProcess; ++i) {
            if (!WriteFailureReport(
                    home.Path(), std::string("http://") + tag + "/" + std::to_string(i), rule))
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
    for (const auto& entry : fs::directory_iterator(home.Path())) {
        ++files;
        urls.insert(ProfileFile::ReadValue(entry.path(), "Main", "URL", ""));
    }
    EXPECT_EQ(files, 2 * PerProcess);
    EXPECT_EQ(urls.size(), static_cast<size_t>(2 * PerProcess));
    EXPECT_EQ(urls.count(""), 0u);
    EXPECT_TRUE(fs::exists(home / "400.vtr"));
}
