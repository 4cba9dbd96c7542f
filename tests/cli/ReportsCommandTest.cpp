// The failure reports from the command line.
#include "BackgroundServer.h"
#include "CliRunner.h"
#include "ReportStore.h"
#include "ScopedEnvironment.h"
#include "ScriptedServer.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace vortalux::test;
using namespace vortalux::server;
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

TEST_F(ReportsCommandTest, SendAllDeliversEveryListedReportToTheServer)
{
    TempDir root;
    WriteFileBytes(root / "core/versions.ini", "[Main]\r\nengine=1.0.0\r\nprogram=1.0.0\r\n");
    ServerSettings settings;
    settings.root = root.Path();
    BackgroundServer server(settings);
    ASSERT_NE(server.Port(), 0) << server.Error();
    const ScopedEnvironment url(
        "VORTALUX_SERVER_URL", "http://127.0.0.1:" + std::to_string(server.Port()) + "/vtl.php");

    const CliResult sent = Run({"send", "--all"});
    EXPECT_EQ(sent.code, 0) << sent.err;
    EXPECT_EQ(sent.out, "[VTL] 2 reports succesfully sent\n");
    EXPECT_EQ(sent.err, "");

    std::string error;
    const auto store = ReportStore::Open(root / "reports.sqlite", ReportStore::OpenMode::ExistingOnly, error);
    ASSERT_TRUE(store) << error;
    std::vector<StoredReport> stored;
    ASSERT_TRUE(store->All(stored, error)) << error;
    ASSERT_EQ(stored.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const std::string n = std::to_string(i + 1);
        ASSERT_EQ(stored[i].fields.size(), 10u);
        EXPECT_EQ(stored[i].fields[0], (FormField {"URL", "http://h/" + n}));
        EXPECT_EQ(stored[i].fields[1], (FormField {"Rule", "R\x1b" + n}));
        EXPECT_EQ(stored[i].fields[6], (FormField {"nbSR", "0"}));
    }
    EXPECT_NE(Run({}).out.find("\n3 reports, 0 waiting to be sent\n"), std::string::npos);
    EXPECT_EQ(Run({"send", "--all"}).out, "no reports to send\n");
    EXPECT_EQ(store->Count(), 2);
}

TEST_F(ReportsCommandTest, SendFailsForAnUnlistedNumberOrAReportTheServerRefused)
{
    ScriptedServer server([](int, const std::string& request) {
        const std::string body
            = request.find("URL=http%3A%2F%2Fh%2F1&") != std::string::npos ? "ok" : "no\x1b[2J";
        return ServerReply::Whole(
            "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    });
    const ScopedEnvironment url("VORTALUX_SERVER_URL", server.Url("/vtl.php"));

    for (const std::string unlisted : {"9", "3"}) {
        const CliResult refused = Run({"send", "2", unlisted});
        EXPECT_EQ(refused.code, 1);
        EXPECT_EQ(refused.err,
            "vortalux reports: no report waiting to be sent has the number '" + unlisted + "'\n");
        EXPECT_EQ(refused.out, "");
    }
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(Run({"send"}).code, 2);
    EXPECT_EQ(Run({"send", "1", "--yes"}).code, 2);

    // Asked for 2 then 1: sent in the list's order, 1 then 2.
    const CliResult partial = Run({"send", "2", "1"});
    EXPECT_EQ(partial.code, 1);
    EXPECT_EQ(partial.out, "[VTL] 1 reports succesfully sent\n");
    EXPECT_EQ(partial.err, "vortalux reports: report 2 was not sent: the server answered \"no\\x1b[2J\"\n");
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_NE(server.Requests()[0].find("URL=http%3A%2F%2Fh%2F1&"), std::string::npos);
    EXPECT_EQ(Run({"send", "1"}).code, 1); // now sent, so no longer listed
}

} // namespace
