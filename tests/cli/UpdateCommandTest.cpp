#include "BackgroundServer.h"
#include "CliRunner.h"
#include "ScopedEnvironment.h"
#include "ScriptedServer.h"
#include "TestSupport.h"
#include "Version.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace vortalux;
using vortalux::test::CliResult;
using vortalux::test::RunCli;
using vortalux::test::ScopedEnvironment;
using vortalux::test::ScriptedServer;
using vortalux::test::ServerReply;
using vortalux::test::TempDir;
using vortalux::test::WriteFileBytes;

namespace {

// A home with the definition "ImageHost" at version 2 and the rules "Nine" (9) and "Edited" (0).
class UpdateCommandTest : public testing::Test {
protected:
    UpdateCommandTest()
    {
        WriteFileBytes(
            m_home / "Managers" / "ImageHost.vtm", "[Main]\r\nver=2\r\nDefault=1\r\n[SCRIPT]\r\n\r\n");
        WriteFileBytes(m_home / "Rules" / "Nine.vtl", "[Main]\r\nver=9\r\n");
        WriteFileBytes(m_home / "Rules" / "Edited.vtl", "[Main]\r\nver=0\r\n");
    }

    CliResult Check(const std::string& reply, std::vector<std::string> args = {})
    {
        ScriptedServer server([&reply](int, const std::string&) {
            return ServerReply::Whole(
                "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(reply.size()) + "\r\n\r\n" + reply);
        });
        const ScopedEnvironment url("VORTALUX_SERVER_URL", server.Url("/vtl.php"));
        args.insert(args.begin(), {"--home", m_home.Path().string(), "update", "check"});
        return RunCli(args);
    }

    TempDir m_home;
};

} // namespace

TEST_F(UpdateCommandTest, PrintsTheStatusTextsTheResultsAndTheOfferedItems)
{
    const std::string version = VersionText();
    const CliResult plain
        = Check("ok" + version + ":" + version + ":2:imagehost:3:Fresh:1:3:nine:10:Edited:5:New:1");
    EXPECT_EQ(plain.code, 0) << plain.err;
    EXPECT_EQ(plain.out,
        "Checking for updates....     Please wait....\n"
        "Data received, analysis....     Please wait....\n"
        "Done.\n"
        "Check for new version of VTL... no updates\n"
        "Check for new/updated download managers... 1 new, 1 updates\n"
        "Check for new/updated rules... 1 new, 1 updates\n"
        "  imagehost  2 -> 3\n"
        "  Fresh  new, version 1\n"
        "\n"
        "  Edited  0 -> 5\n"
        "  New  new, version 1\n");
    EXPECT_EQ(plain.err, "");

    const CliResult json = Check("ok99.0.0:" + version + ":1:imagehost:3:0", {"--json"});
    EXPECT_EQ(json.code, 0) << json.err;
    EXPECT_EQ(json.out,
        "{\n"
        "  \"status\": \"Done.\",\n"
        "  \"core_status\": 2,\n"
        "  \"results\": [\n"
        "    \"new DLL v99.0.0\",\n"
        "    \"0 new, 1 updates\",\n"
        "    \"0 new, 0 updates\"\n"
        "  ],\n"
        "  \"managers\": [\n"
        "    {\n"
        "      \"name\": \"imagehost\",\n"
        "      \"local\": \"2\",\n"
        "      \"server\": \"3\",\n"
        "      \"new\": false\n"
        "    }\n"
        "  ],\n"
        "  \"rules\": []\n"
        "}\n");
}

TEST_F(UpdateCommandTest, FailsWithTheErrorTextAfterIncorrectDataOrARefusedServer)
{
    const CliResult bad = Check("ok1.0.0:1.0.0:3:a:1:0", {"--json"});
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.out.find("\"status\": \"Error! Incorrect data received from server\""), std::string::npos);
    EXPECT_NE(bad.out.find("\"results\": [\n    \"-\",\n    \"-\",\n    \"-\"\n  ]"), std::string::npos);
    EXPECT_EQ(bad.err, "vortalux update: Error! Incorrect data received from server\n");

    const CliResult badName = Check("ok1.0.0:1.0.0:0:1:../../x:1");
    EXPECT_EQ(badName.code, 1);
    EXPECT_EQ(badName.out,
        "Checking for updates....     Please wait....\nError! Incorrect data received from server\n");

    const ScopedEnvironment url("VORTALUX_SERVER_URL", "http://updates.example/vtl.php");
    const CliResult refused = RunCli({"--home", m_home.Path().string(), "update", "check"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.err,
        "vortalux update: the update server's address \"http://updates.example/vtl.php\" is refused: updates "
        "install scripts that run programs, so they are fetched only over https:// with a certificate this "
        "system trusts (http:// only from this computer: localhost, 127.0.0.0/8 or [::1])\n");

    const CliResult usage = RunCli({"--home", m_home.Path().string(), "update", "install", "--only", "all"});
    EXPECT_EQ(usage.code, 2);
    EXPECT_EQ(usage.err.substr(0, usage.err.find('\n')),
        "vortalux update: --only takes program, managers or rules");
}

// The whole loop on this computer: the reference server publishes a new engine, a new program and
// a changed rule; the install replaces the rule at once, saves the program files for vtlupd and
// starts it, and vtlupd puts them in place once the command has ended.
TEST_F(UpdateCommandTest, InstallReplacesTheRuleAndTheUpdaterThenReplacesTheProgramFiles)
{
    TempDir published;
    WriteFileBytes(published / "core" / "versions.ini", "[Main]\r\nengine=99.0.0\r\nprogram=99.0.0\r\n");
    WriteFileBytes(published / "core" / "vtl", "new program");
    WriteFileBytes(published / "core" / "libvortalux.so", "new engine");
    WriteFileBytes(published / "Rules" / "Nine.vtl", "[Main]\r\nver=91\r\n");
    WriteFileBytes(published / "Managers" / "ImageHost.vtm", "[Main]\r\nver=3\r\n");
    server::ServerSettings settings;
    settings.root = published.Path();
    const server::BackgroundServer server(settings);
    ASSERT_NE(server.Port(), 0) << server.Error();
    const ScopedEnvironment url(
        "VORTALUX_SERVER_URL", "http://127.0.0.1:" + std::to_string(server.Port()) + "/vtl.php");

    WriteFileBytes(m_home / "vtl", "old program");
    WriteFileBytes(m_home / "libvortalux.so", "old engine");
    std::filesystem::copy_file(std::filesystem::path(VORTALUX_PROGRAM_DIR) / "vtlupd", m_home / "vtlupd");

    // Nobody to ask: nothing happens without --yes.
    const CliResult unconfirmed = RunCli({"--home", m_home.Path().string(), "update", "install"});
    EXPECT_EQ(unconfirmed.code, 1);
    EXPECT_EQ(unconfirmed.err.substr(unconfirmed.err.rfind("vortalux update:")),
        "vortalux update: nobody to confirm the install; add --yes\n");
    EXPECT_EQ(test::ReadFileBytes(m_home / "Rules" / "Nine.vtl"), "[Main]\r\nver=9\r\n");

    // Only the definitions.
    const CliResult managers
        = RunCli({"--home", m_home.Path().string(), "update", "install", "--yes", "--only", "managers"});
    EXPECT_EQ(managers.code, 0) << managers.err;
    EXPECT_EQ(test::ReadFileBytes(m_home / "Managers" / "ImageHost.vtm"), "[Main]\r\nver=3\r\n");
    EXPECT_EQ(test::ReadFileBytes(m_home / "Rules" / "Nine.vtl"), "[Main]\r\nver=9\r\n");
    EXPECT_NE(managers.err.find("Done.\n"
                                "Download new/updated download managers... 1/1: ImageHost\n"
                                "Download new/updated download managers... done\n"
                                "Download new/updated rules... done\n"
                                "[VTL] Update done\n"),
        std::string::npos)
        << managers.err;

    const CliResult all = RunCli({"--home", m_home.Path().string(), "update", "install", "--yes"});
    EXPECT_EQ(all.code, 0) << all.err;
    EXPECT_EQ(all.out.substr(all.out.rfind("vtlupd")),
        "vtlupd started: it puts the new program files in place once every vtl has ended\n");
    EXPECT_EQ(test::ReadFileBytes(m_home / "Rules" / "Nine.vtl"), "[Main]\r\nver=91\r\n");
    // vtlupd runs on its own: wait for it to have replaced the files (a few seconds at most).
    for (int i = 0; i < 200 && std::filesystem::exists(m_home / "FileList.vtu"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(std::filesystem::exists(m_home / "FileList.vtu"));
    EXPECT_EQ(test::ReadFileBytes(m_home / "vtl"), "new program");
    EXPECT_EQ(test::ReadFileBytes(m_home / "libvortalux.so"), "new engine");
    EXPECT_FALSE(std::filesystem::exists(m_home / "vtl.vtu"));
}
