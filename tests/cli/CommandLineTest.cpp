#include "CommandLine.h"
#include "CliRunner.h"
#include "JsonWriter.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace vortalux;
using namespace vortalux::cli;
using namespace vortalux::test;

namespace {

std::string Rule(bool active, const std::string& ident = "^http://pics/")
{
    return "[Main]\r\nver=1\r\nActive=" + std::string(active ? "1" : "0") + "\r\nIdent=" + ident
        + "\r\nType=0\r\n[SR]\r\nnb=0\r\n";
}

} // namespace

TEST(CommandLine, HelpVersionAndUsageErrors)
{
    CliResult help = RunCli({"--help"});
    EXPECT_EQ(help.code, ExitOk);
    for (const Command* command : CommandLine::Commands())
        EXPECT_NE(help.out.find(command->name), std::string::npos) << command->name;

    CliResult version = RunCli({"version"});
    EXPECT_EQ(version.code, ExitOk);
    EXPECT_EQ(version.out, "0.1.4\n");

    EXPECT_EQ(RunCli({"rules", "--help"}).out.rfind("usage: vortalux rules", 0), 0u);
    EXPECT_EQ(RunCli({"help", "managers"}).out.rfind("usage: vortalux managers", 0), 0u);

    CliResult unknown = RunCli({"frobnicate"});
    EXPECT_EQ(unknown.code, ExitUsage);
    EXPECT_NE(unknown.err.find("unknown command 'frobnicate'"), std::string::npos);
    EXPECT_EQ(RunCli({"rules", "--bogus"}).code, ExitUsage);
    EXPECT_EQ(RunCli({"version", "extra"}).code, ExitUsage);
    EXPECT_EQ(RunCli({"--home"}).code, ExitUsage);
    EXPECT_EQ(RunCli({}).code, ExitUsage);
}

TEST(CommandLine, RulesAsJsonFromTheHomeFolder)
{
    TempDir home;
    WriteFileBytes(home / "Rules" / "b.vtl",
        "[Main]\r\nver=1\r\nActive=0\r\nIdent=caf\xE9\r\nType=0\r\n"
        "[SR]\r\nnb=1\r\nsr1.1=a\"b\r\nsr2.1=c\\d\r\n");
    WriteFileBytes(home / "Rules" / "a.vtl",
        "[Main]\r\nver=2\r\nType=1\r\nReferer=4\r\n[OS]\r\nnb=1\r\n"
        "regexp.1=x\r\nresult.1=$1\r\nglobal.1=1\r\n"
        "[Referer]\r\nRegExp=r\r\nResult=s\r\n");
    CliResult result = RunCli({"--home", home.Path().string(), "rules", "--json"});
    ASSERT_EQ(result.code, ExitOk) << result.err;
    // The Windows-1252 byte E9 comes out as U+00E9, written in UTF-8.
    EXPECT_EQ(result.out, R"([
  {
    "name": "a",
    "version": "2",
    "active": true,
    "ident": "",
    "type": 1,
    "referer_mode": 4,
    "replace_steps": [],
    "search_steps": [
      {
        "pattern": "x",
        "template": "$1",
        "global": true
      }
    ],
    "referer_pattern": "r",
    "referer_template": "s"
  },
  {
    "name": "b",
    "version": "1",
    "active": false,
    "ident": "café",
    "type": 0,
    "referer_mode": 3,
    "replace_steps": [
      {
        "pattern": "a\"b",
        "template": "c\\d"
      }
    ],
    "search_steps": [],
    "referer_pattern": "",
    "referer_template": ""
  }
]
)");
    CliResult plain = RunCli({"--home=" + home.Path().string(), "rules"});
    EXPECT_EQ(plain.out, "on  a  [page, 1 step]  \noff b  [replace, 1 step]  caf\xE9\n2 rules, 1 active\n");
}

TEST(CommandLine, ManagersListTheDefault)
{
    TempDir home;
    CliResult none = RunCli({"--home", home.Path().string(), "managers", "--json"});
    EXPECT_EQ(none.out, "{\n  \"default\": -1,\n  \"managers\": []\n}\n");

    WriteFileBytes(home / "Managers" / "wget.vtm",
        "[Main]\r\nver=1\r\nDefault=1\r\n[SCRIPT]\r\n\r\nSub AddLink(r, u, n)\r\n");
    WriteFileBytes(home / "Managers" / "curl.vtm", "[Main]\r\nver=2\r\nDefault=0\r\n");
    CliResult json = RunCli({"--home", home.Path().string(), "managers", "--json"});
    EXPECT_EQ(json.out,
        "{\n  \"default\": 1,\n  \"managers\": [\n"
        "    {\n      \"name\": \"curl\",\n      \"version\": \"2\",\n      \"script\": \"\"\n    },\n"
        "    {\n      \"name\": \"wget\",\n      \"version\": \"1\",\n"
        "      \"script\": \"Sub AddLink(r, u, n)\\r\\n\"\n    }\n  ]\n}\n");
    CliResult plain = RunCli({"--home", home.Path().string(), "managers"});
    EXPECT_EQ(plain.out, "  curl  (version 2)\n* wget  (version 1)\n");
}

TEST(HomeFolder, AFolderThatIsNotThereIsAnErrorForEveryCommandThatUsesIt)
{
    TempDir parent;
    const std::string missing = (parent / "nowhere").string();
    for (const std::vector<std::string>& command :
        {std::vector<std::string> {"rules"}, {"managers", "--json"}, {"convert", "http://pics/a.jpg"},
            {"add-url", "--batch", "--print", "http://pics/a.jpg"}, {"hand-off", "http://pics/a.jpg"}}) {
        std::vector<std::string> args = {"--home", missing};
        args.insert(args.end(), command.begin(), command.end());
        const CliResult result = RunCli(args);
        EXPECT_EQ(result.code, 1) << command[0];
        EXPECT_EQ(result.out, "") << command[0];
        EXPECT_EQ(
            result.err, "vortalux " + command[0] + ": the home folder " + missing + " does not exist\n");
    }
    // The same folder in VORTALUX_HOME; commands that do not use it still run.
    CliProcess::Options options;
    options.environment = {{"VORTALUX_HOME", missing}};
    const CliResult rules = RunProgram({"rules"}, options);
    EXPECT_EQ(rules.code, 1);
    EXPECT_EQ(rules.err, "vortalux rules: the home folder " + missing + " does not exist\n");
    EXPECT_EQ(RunCli({"--home", missing, "version"}).code, 0);
}

TEST(Counts, RulesAndDefinitionsPast32767AreCountedWholeAndTheDefaultFoundThere)
{
    // Two files, each linked under many names (writing as many files would take seconds): an
    // active rule and a definition that is not the default.
    TempDir home;
    constexpr int Count = 32770;
    WriteFileBytes(home / "rule", Rule(true));
    WriteFileBytes(home / "definition", "[Main]\r\nver=1\r\nDefault=0\r\n");
    std::filesystem::create_directories(home / "Rules");
    std::filesystem::create_directories(home / "Managers");
    for (int i = 1; i < Count; ++i) {
        const std::string number = std::to_string(100000 + i);
        std::filesystem::create_hard_link(home / "rule", home / "Rules" / ("r" + number + ".vtl"));
        std::filesystem::create_hard_link(home / "definition", home / "Managers" / ("m" + number + ".vtm"));
    }
    WriteFileBytes(home / "Rules" / "r200000.vtl", Rule(false));
    WriteFileBytes(home / "Managers" / "m200000.vtm", "[Main]\r\nver=1\r\nDefault=1\r\n");

    const CliResult rules = RunCli({"--home", home.Path().string(), "rules"});
    ASSERT_EQ(rules.code, 0) << rules.err;
    EXPECT_EQ(
        rules.out.substr(rules.out.rfind('\n', rules.out.size() - 2) + 1), "32770 rules, 32769 active\n");
    const CliResult managers = RunCli({"--home", home.Path().string(), "managers", "--json"});
    ASSERT_EQ(managers.code, 0) << managers.err;
    EXPECT_EQ(managers.out.rfind("{\n  \"default\": 32769,\n", 0), 0u) << managers.out.substr(0, 40);
}

TEST(JsonWriter, QuotesAnyBytesIntoValidJson)
{
    EXPECT_EQ(JsonWriter::Quote("plain"), "\"plain\"");
    EXPECT_EQ(JsonWriter::Quote("\"\\\r\n\t\x01"), "\"\\\"\\\\\\r\\n\\t\\u0001\"");
    // Valid UTF-8 passes through; stray bytes become Latin-1 characters.
    EXPECT_EQ(JsonWriter::Quote("\xC3\xA9"), "\"\xC3\xA9\"");
    EXPECT_EQ(JsonWriter::Quote("\xE9t\xE9"), "\"\xC3\xA9t\xC3\xA9\"");
    EXPECT_EQ(JsonWriter::Quote("\xC3"), "\"\xC3\x83\""); // truncated sequence
    EXPECT_EQ(JsonWriter::Quote("\xC0\x80"), "\"\xC3\x80\xC2\x80\""); // overlong NUL
    EXPECT_EQ(JsonWriter::Quote("\xED\xA0\x80"), "\"\xC3\xAD\xC2\xA0\xC2\x80\""); // surrogate
    EXPECT_EQ(JsonWriter::Quote("\xF0\x9F\x98\x80"), "\"\xF0\x9F\x98\x80\"");
    EXPECT_EQ(JsonWriter::Quote(std::string("a\0b", 3)), "\"a\\u0000b\"");
}
