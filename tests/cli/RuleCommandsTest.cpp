// The rules panel, the managers panel and the rule editor from the command line.
#include "CliRunner.h"
#include "LoopbackHttpServer.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <map>

using namespace vortalux;
using vortalux::test::CliResult;
using vortalux::test::ReadFileBytes;
using vortalux::test::RunCli;
using vortalux::test::TempDir;
using vortalux::test::WriteFileBytes;
namespace fs = std::filesystem;

namespace {

// Every file below a folder with its bytes and modification time: a run that writes nothing
// leaves this unchanged.
std::map<std::string, std::pair<std::string, int64_t>> Snapshot(const fs::path& folder)
{
    std::map<std::string, std::pair<std::string, int64_t>> files;
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ec)) {
        if (!entry.is_regular_file())
            continue;
        struct stat status { };
        ::stat(entry.path().c_str(), &status);
        files[fs::relative(entry.path(), folder).string()]
            = {ReadFileBytes(entry.path()), status.st_mtim.tv_sec * 1000000000LL + status.st_mtim.tv_nsec};
    }
    return files;
}

// Files in the past, so that any rewrite shows in their time.
void Age(const fs::path& folder)
{
    const timespec old[2] = {{1000, 0}, {1000, 0}};
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        ::utimensat(AT_FDCWD, entry.path().c_str(), old, 0);
}

void MakeReadOnly(const TempDir& home, const char* folder)
{
    fs::permissions(home.Path(), fs::perms::all);
    fs::permissions(home / folder,
        fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
}

CliResult RunIn(const TempDir& home, std::vector<std::string> args, const std::string& input = {})
{
    args.insert(args.begin(), {"--home", home.Path().string()});
    return RunCli(args, input);
}

class RuleCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFileBytes(m_home / "Rules" / "Alpha.vtl", "[Main]\r\nver=1\r\nIdent=a\r\n");
        WriteFileBytes(m_home / "Rules" / "beta.VTL", "[Main]\r\nver=1\r\nActive=0\r\nIdent=b\r\n");
        WriteFileBytes(m_home / "Rules" / "Dup.vtl", "[Main]\r\nver=1\r\nIdent=d\r\n");
        WriteFileBytes(m_home / "Rules" / "dup.vtl", "[Main]\r\nver=1\r\nActive=0\r\nIdent=d\r\n");
        Age(m_home.Path());
    }

    TempDir m_home;
};

} // namespace

TEST_F(RuleCommands, EnableAndDisableWriteAllNamesOrNone)
{
    const std::string nothing = "vortalux rules: nothing was changed\n";
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string out;
        std::string err;
        // The files that change, with their new bytes; every other file keeps bytes and time.
        std::map<std::string, std::string> changed;
    };
    const Case cases[] = {
        {{"rules", "enable", "alpha"}, 0, "already enabled: Alpha\n", "", {}},
        {{"rules", "enable", "BETA", "Alpha"}, 0, "enabled: beta\nalready enabled: Alpha\n", "",
            {{"Rules/beta.VTL", "[Main]\r\nver=1\r\nActive=1\r\nIdent=b\r\n"}}},
        {{"rules", "disable", "dup", "Dup", "Dup"}, 0, "already disabled: dup\ndisabled: Dup\n", "",
            {{"Rules/Dup.vtl", "[Main]\r\nver=1\r\nIdent=d\r\nActive=0\r\n"}}},
        {{"rules", "disable", "Alpha", "nosuch"}, 1, "", "vortalux rules: no rule named 'nosuch'\n" + nothing,
            {}},
        {{"rules", "disable", "Alpha", "DUP"}, 1, "",
            "vortalux rules: 'DUP' matches several rules: 'Dup' 'dup'\n" + nothing, {}},
        {{"rules", "delete", "alpha"}, 1, "",
            "vortalux rules: deleting Alpha needs a confirmation; give --yes when no one is at a terminal\n",
            {}},
        {{"rules", "delete", "nosuch", "--yes"}, 1, "", "vortalux rules: no rule named 'nosuch'\n" + nothing,
            {}},
        {{"rules", "enable"}, 2, "", "vortalux rules: enable needs at least one NAME\n", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1] + " " + c.args.back());
        const auto before = Snapshot(m_home.Path());
        const CliResult result = RunIn(m_home, c.args);
        EXPECT_EQ(result.code, c.code);
        EXPECT_EQ(result.out, c.out);
        if (c.code == 2)
            EXPECT_EQ(result.err.substr(0, c.err.size()), c.err);
        else
            EXPECT_EQ(result.err, c.err);
        auto after = Snapshot(m_home.Path());
        for (const auto& [file, bytes] : c.changed) {
            EXPECT_EQ(after[file].first, bytes) << file;
            after[file] = before.at(file);
        }
        EXPECT_EQ(after, before);
        Age(m_home.Path());
    }

    const CliResult deleted = RunIn(m_home, {"rules", "delete", "BETA", "--yes"});
    EXPECT_EQ(deleted.code, 0) << deleted.err;
    EXPECT_EQ(deleted.out, "Rule deleted\n");
    EXPECT_FALSE(fs::exists(m_home / "Rules" / "beta.VTL"));
    EXPECT_EQ(Snapshot(m_home / "Rules").size(), 3u);
}

TEST_F(RuleCommands, AChangeTheFolderRefusesIsReportedNotPassedOffAsDone)
{
    MakeReadOnly(m_home, "Rules");
    const fs::path home = m_home.Path();
    EXPECT_TRUE(test::RunUnprivileged([&] {
        const CliResult disable = RunCli({"--home", home.string(), "rules", "disable", "alpha"});
        const CliResult remove = RunCli({"--home", home.string(), "rules", "delete", "alpha", "--yes"});
        return disable.code == 1 && disable.out.empty()
            && disable.err == "vortalux rules: Alpha was not disabled: Permission denied\n"
            && remove.code == 1 && remove.out.empty()
            && remove.err
            == "[Unable to delete the rule] An error occured while trying to delete rule Alpha :\nFichier: "
                + (home / "Rules" / "Alpha.vtl").string() + "\nErreur 13: Permission denied\n";
    }));
    fs::permissions(m_home / "Rules", fs::perms::owner_all);
    EXPECT_EQ(ReadFileBytes(m_home / "Rules" / "Alpha.vtl"), "[Main]\r\nver=1\r\nIdent=a\r\n");
}

TEST(ManagerCommands, DefaultMovesTheMarkOnceAndSaysWhenItCannot)
{
    TempDir home;
    const std::string script = "[SCRIPT]\r\n\r\nSub AddLink(u)\r\nEnd Sub\r\n";
    WriteFileBytes(home / "Managers" / "Curl.vtm", "[Main]\r\nver=1\r\nDefault=1\r\n" + script);
    WriteFileBytes(home / "Managers" / "wget.vtm", "[Main]\r\nver=2\r\n" + script);
    Age(home.Path());
    auto before = Snapshot(home.Path());

    CliResult result = RunIn(home, {"managers", "default", "curl"});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.out, "already the default: Curl\n");
    EXPECT_EQ(Snapshot(home.Path()), before);

    result = RunIn(home, {"managers", "default", "nosuch"});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err, "vortalux managers: no download manager named 'nosuch'\n");
    EXPECT_EQ(Snapshot(home.Path()), before);

    result = RunIn(home, {"managers", "default", "WGET"});
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, "default: wget\n");
    EXPECT_EQ(ReadFileBytes(home / "Managers" / "Curl.vtm"), "[Main]\r\nver=1\r\nDefault=0\r\n" + script);
    EXPECT_EQ(ReadFileBytes(home / "Managers" / "wget.vtm"), "[Main]\r\nver=2\r\nDefault=1\r\n" + script);

    MakeReadOnly(home, "Managers");
    const fs::path folder = home.Path();
    EXPECT_TRUE(test::RunUnprivileged([&] {
        const CliResult refused = RunCli({"--home", folder.string(), "managers", "default", "Curl"});
        return refused.code == 1
            && refused.err == "vortalux managers: Curl was not made the default: Permission denied\n";
    }));
    fs::permissions(home / "Managers", fs::perms::owner_all);
}

TEST(RuleSaveCommand, SavesTheJsonOfRulesAsTheEditorDoes)
{
    TempDir home;
    WriteFileBytes(home / "Rules" / "x.VTL",
        "[Main]\r\nver=5\r\nActive=0\r\nIdent=^http://x/\r\nType=1\r\nReferer=2\r\nOld=1\r\n"
        "[OS]\r\nnb=1\r\nregexp.1=src=\"([^\"]+)\"\r\nresult.1=$1\r\nglobal.1=1\r\n");
    const CliResult listed = RunIn(home, {"rules", "--json"});
    ASSERT_EQ(listed.code, 0);
    // The one object of the array.
    const std::string object = listed.out.substr(1, listed.out.size() - 3);

    const CliResult refused = RunIn(home, {"rule", "save", "--from", "-"}, object);
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.err, "vortalux rule save: there is already a rule named x; --replace replaces it\n");

    const CliResult replaced = RunIn(home, {"rule", "save", "--from", "-", "--replace"}, object);
    EXPECT_EQ(replaced.code, 0) << replaced.err;
    EXPECT_EQ(replaced.err, "[VTL] Rule saved\n");
    EXPECT_EQ(Snapshot(home / "Rules").size(), 1u);
    EXPECT_EQ(ReadFileBytes(home / "Rules" / "x.VTL"),
        "[Main]\r\nver=0\r\nIdent=^http://x/\r\nType=1\r\nReferer=2\r\n"
        "\r\n[SR]\r\nnb=0\r\n"
        "\r\n[OS]\r\nnb=1\r\nregexp.1=src=\"([^\"]+)\"\r\nresult.1=$1\r\nglobal.1=1\r\n"
        "\r\n[Referer]\r\nRegExp=\r\nResult=\r\n");

    // A rule written by hand: 0/1 for global, no referer option.
    const fs::path file = home / "new.json";
    WriteFileBytes(file,
        R"j({"name": "new one", "ident": "^http://n/", "type": 1, "referer_mode": null, "active": false,
            "search_steps": [{"pattern": "<b>", "template": ""}, {"pattern": "(a)", "template": "$1", "global": 1}]})j");
    const CliResult created = RunIn(home, {"rule", "save", "--from", file.string()});
    EXPECT_EQ(created.code, 0) << created.err;
    EXPECT_EQ(ReadFileBytes(home / "Rules" / "new one.vtl"),
        "[Main]\r\nver=0\r\nIdent=^http://n/\r\nType=1\r\n"
        "\r\n[SR]\r\nnb=0\r\n"
        "\r\n[OS]\r\nnb=2\r\nregexp.1=<b>\r\nresult.1=\r\nglobal.1=0\r\nregexp.2=(a)\r\nresult.2=$"
        "1\r\nglobal.2=1\r\n"
        "\r\n[Referer]\r\nRegExp=\r\nResult=\r\n");
}

TEST(RuleSaveCommand, RefusesWhatTheEditorRefusesAndWhatIsNoRule)
{
    TempDir home;
    fs::create_directories(home / "Rules");
    struct Case {
        std::string json;
        std::string err;
    };
    const Case cases[] = {
        {R"({"name": "a:b", "ident": "x"})",
            "[Error] Incorrect rule name -- Please use a valid filename -- forbidden: / \\ < > ? * \" |\n"},
        {R"({"name": "a", "ident": "  "})", "[Error] Identification regexp needed !\n"},
        {R"({"name": ")" + std::string(300, 'n') + R"(", "ident": "x"})",
            "[Error] Incorrect rule name -- the name is too long (at most 251 bytes)\n"},
        {R"({"name": "a", "ident": "x",})",
            "vortalux rule save: standard input: expected a key in double quotes at byte 27\n"},
        {R"({"name": "a", "ident": "x", "steps": []})",
            "vortalux rule save: standard input: unknown key \"steps\" in the rule\n"},
        {R"({"name": "a", "ident": "x", "referer_mode": 5})",
            "vortalux rule save: standard input: \"referer_mode\" must be a number from 0 to 4, or null\n"},
        {R"({"name": "a", "ident": "x", "search_steps": [{"global": 2}]})",
            "vortalux rule save: standard input: \"global\" must be true, false, 0 or 1\n"},
        {R"([{"name": "a", "ident": "x"}])",
            "vortalux rule save: standard input: the rule must be a JSON object\n"},
        {std::string(40, '[') + std::string(40, ']'),
            "vortalux rule save: standard input: JSON nested deeper than 32 levels at byte 32\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json.substr(0, 60));
        const CliResult result = RunIn(home, {"rule", "save", "--from", "-"}, c.json);
        EXPECT_EQ(result.code, 1);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(fs::is_empty(home / "Rules"));
    }

    MakeReadOnly(home, "Rules");
    const fs::path folder = home.Path();
    EXPECT_TRUE(test::RunUnprivileged([&] {
        const CliResult failed = RunCli(
            {"--home", folder.string(), "rule", "save", "--from", "-"}, R"({"name": "a", "ident": "x"})");
        return failed.code == 1 && failed.err == "[Error 13] Permission denied\n";
    }));
    fs::permissions(home / "Rules", fs::perms::owner_all);
}

TEST(RuleTryCommand, TracesAReplaceRuleGivenAsJson)
{
    TempDir home;
    const std::string rule = R"({"name": "host", "ident": "^http://host/", "referer_mode": 1,
        "replace_steps": [{"pattern": "thumb_", "template": ""}, {"pattern": "nothing", "template": "x"}]})";
    const CliResult json = RunIn(home,
        {"rule", "try", "--from", "-", "--origin", "http://forum/", "--json", "http://host/thumb_1.jpg"},
        rule);
    ASSERT_EQ(json.code, 0) << json.err;
    EXPECT_EQ(json.out,
        "{\n  \"rule\": \"host\",\n  \"identified\": true,\n  \"steps\": [\n"
        "    {\n      \"kind\": \"replace\",\n      \"pattern\": \"thumb_\",\n      \"template\": \"\",\n"
        "      \"result\": \"http://host/1.jpg\",\n      \"ok\": true\n    },\n"
        "    {\n      \"kind\": \"replace\",\n      \"pattern\": \"nothing\",\n      \"template\": \"x\",\n"
        "      \"result\": \"\",\n      \"ok\": false\n    }\n  ],\n"
        "  \"links\": [\n    {\n      \"url\": \"http://host/1.jpg\",\n      \"name\": \"1.jpg\"\n    }\n  "
        "],\n"
        "  \"referer\": \"http://forum/\"\n}\n");

    const CliResult other
        = RunIn(home, {"rule", "try", "--from", "-", "--referer", "http://in/", "http://else/a.jpg"}, rule);
    ASSERT_EQ(other.code, 0) << other.err;
    EXPECT_EQ(other.out,
        "rule host does not identify http://else/a.jpg\nno step runs; the link stays as it is\n"
        "link http://else/a.jpg\nreferer http://in/\n");
    EXPECT_FALSE(fs::exists(home / "Rules"));
}

TEST(RuleTryCommand, TracesAStoredPageRuleAgainstAServerAndWritesNoReport)
{
    test::LoopbackHttpServer server([](const test::RecordedRequest& request) {
        if (request.target == "/view/1")
            return test::LoopbackHttpServer::Response(200, "<p> <main> src=\"big/1\x1b.jpg\"", "text/html");
        return test::LoopbackHttpServer::Response(404, "gone");
    });
    TempDir home;
    WriteFileBytes(home / "Rules" / "Pages.vtl",
        "[Main]\r\nver=1\r\nActive=0\r\nIdent=/view/\r\nType=1\r\nReferer=3\r\n"
        "[OS]\r\nnb=2\r\nregexp.1=<main>\r\nregexp.2=src=\"([^\"]+)\"\r\nresult.2=$SRV$1\r\n");
    const std::string base = server.Url("/");
    const std::string page = server.Url("/view/1");
    const CliResult plain = RunIn(home, {"rule", "try", "--name", "pages", page});
    ASSERT_EQ(plain.code, 0) << plain.err;
    EXPECT_EQ(plain.out,
        "rule Pages identifies " + page + "\npage " + page
            + "\nstep 1 cut  <main>\n"
              "  the page is cut at position 4\nstep 2 search  src=\"([^\"]+)\"  ->  $SRV$1\n  = "
            + base + "big/1\\x1b.jpg\nlink " + base + "big/1\\x1b.jpg\nreferer " + base + "\n");

    const CliResult missing
        = RunIn(home, {"rule", "try", "--name", "Pages", "--json", server.Url("/view/2")});
    ASSERT_EQ(missing.code, 0) << missing.err;
    EXPECT_NE(missing.out.find("\"identified\": true"), std::string::npos);
    EXPECT_NE(
        missing.out.find("\"kind\": \"cut\",\n      \"pattern\": \"<main>\",\n      \"template\": \"\",\n"
                         "      \"result\": \"\",\n      \"ok\": false"),
        std::string::npos);
    EXPECT_FALSE(fs::exists(home / "1.vtr"));

    const CliResult unknown = RunIn(home, {"rule", "try", "--name", "nosuch", page});
    EXPECT_EQ(unknown.code, 1);
    EXPECT_EQ(unknown.err, "vortalux rule try: no rule named 'nosuch'\n");
}
