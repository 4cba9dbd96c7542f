// The failure reports from the command line.
#include "CliRunner.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace vortalux::test;
namespace fs = std::filesystem;

namespace {

class ReportsCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int n = 1; n <= 3; ++n)
            WriteFileBytes(m_home / (std::to_string(n) + ".vtr"),
                "[Main]\r\nURL=http://h/" + std::to_string(n) + "\r\nSent=" + (n == 3 ? "1" : "0")
                    + "\r\n[Rule]\r\nName=R\x1b" + std::to_string(n) + "\r\n");
    }
    CliResult Run(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--home", m_home.Path().string(), "reports"});
        return RunCli(args);
    }
    TempDir m_home;
};

TEST_F(ReportsCommandTest, ListsEveryReportPlainAndAsJson)
{
    const CliResult plain = Run({});
    EXPECT_EQ(plain.code, 0);
    EXPECT_EQ(plain.out,
        "1  unsent  R\\x1b1  http://h/1\n2  unsent  R\\x1b2  http://h/2\n3  sent    R\\x1b3  http://h/3\n"
        "3 reports, 2 waiting to be sent\n");
    const CliResult json = Run({"--json"});
    EXPECT_EQ(json.code, 0);
    EXPECT_NE(
        json.out.find(
            "\"number\": 3,\n    \"rule\": \"R\\u001b3\",\n    \"url\": \"http://h/3\",\n    \"sent\": true"),
        std::string::npos)
        << json.out;
}

TEST_F(ReportsCommandTest, DeleteNeedsListedNumbersAndAGoAhead)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> refused {
        {{"delete", "1"},
            "vortalux reports: deleting reports needs a confirmation; give --yes when no one is at a "
            "terminal\n"},
        {{"delete", "1", "3", "--yes"},
            "vortalux reports: no report waiting to be sent has the number '3'\n"},
        {{"delete", "1", "x", "--yes"},
            "vortalux reports: no report waiting to be sent has the number 'x'\n"},
    };
    for (const auto& [args, message] : refused) {
        const CliResult result = Run(args);
        EXPECT_EQ(result.code, 1) << args[1];
        EXPECT_EQ(result.err, message);
    }
    EXPECT_EQ(Run({"delete", "--all", "2"}).code, 2);
    EXPECT_TRUE(fs::exists(m_home / "1.vtr"));

    const CliResult deleted = Run({"delete", "--all", "--yes"});
    EXPECT_EQ(deleted.code, 0);
    EXPECT_EQ(deleted.out, "deleted report 1\ndeleted report 2\n");
    EXPECT_FALSE(fs::exists(m_home / "1.vtr"));
    EXPECT_TRUE(fs::exists(m_home / "3.vtr"));
}

} // namespace
