#include "InstallUpdates.h"
#include "ScriptedServer.h"
#include "ServerExchange.h"
#include "TestSupport.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>

#include <gtest/gtest.h>

using namespace vortalux;
using vortalux::test::ReadFileBytes;
using vortalux::test::ScriptedServer;
using vortalux::test::ServerReply;
using vortalux::test::TempDir;
using vortalux::test::WriteFileBytes;
using namespace std::chrono_literals;

namespace {

std::string Ok(std::string_view body)
{
    return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n"
        + std::string(body);
}

// The form field "name" of a request, decoded (the body is sent followed by CR LF).
std::string RequestedName(const std::string& request)
{
    const size_t at = request.find("&name=");
    if (at == std::string::npos)
        return {};
    const std::string encoded = request.substr(at + 6, request.size() - at - 8);
    std::string name;
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '%' && i + 2 < encoded.size()) {
            name += static_cast<char>(std::stoi(encoded.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            name += encoded[i] == '+' ? ' ' : encoded[i];
        }
    }
    return name;
}

UpdateItem Item(std::string name, bool selected = true)
{
    return {std::move(name), "-1", "1", true, selected};
}

UpdateCheckResult Check(int coreStatus, std::vector<UpdateItem> managers, std::vector<UpdateItem> rules)
{
    UpdateCheckResult check;
    check.outcome = UpdateCheckResult::Outcome::Done;
    check.results = {"new DLL v9.0.0", "1 new, 0 updates", "2 new, 0 updates"};
    check.coreStatus = coreStatus;
    check.managerUpdates = std::move(managers);
    check.ruleUpdates = std::move(rules);
    return check;
}

// Serves "getfile" from a table of names (as requested, encoded) to replies.
class FileServer {
public:
    explicit FileServer(std::map<std::string, std::string> replies)
        : m_server([this](int, const std::string& request) {
            const std::string name = RequestedName(request);
            m_asked.push_back(name);
            const auto found = m_replies.find(name);
            return ServerReply::Whole(found != m_replies.end() ? found->second : Ok("error: no such file"));
        })
        , m_replies(std::move(replies))
    {
    }
    std::string Url() const { return m_server.Url("/vtl.php"); }
    const std::vector<std::string>& Asked() const { return m_asked; }

private:
    ScriptedServer m_server;
    std::map<std::string, std::string> m_replies;
    std::vector<std::string> m_asked;
};

struct InstallRun {
    InstallResult result;
    std::vector<std::string> rowTexts[3]; // each row's results as they changed
    std::vector<std::string> statuses;
};

InstallRun Install(const FileServer& server, const std::filesystem::path& home,
    const UpdateCheckResult& check, std::string_view decimalSeparator = ".")
{
    ServerExchange exchange(server.Url());
    exchange.SetSilenceLimit(10s);
    InstallRun run;
    run.result = InstallUpdates(
        exchange, home, check,
        [&run](const InstallView& view) {
            for (size_t row = 0; row < 3; ++row)
                if (run.rowTexts[row].empty() || run.rowTexts[row].back() != view.results[row])
                    run.rowTexts[row].push_back(view.results[row]);
            if (run.statuses.empty() || run.statuses.back() != view.status)
                run.statuses.push_back(view.status);
        },
        decimalSeparator);
    return run;
}

using Texts = std::vector<std::string>;

TEST(UpdateInstall, EngineOnlyFetchesTheEngineAndListsItsCopyForTheUpdater)
{
    TempDir home;
    WriteFileBytes(home / "libvortalux.so", "old engine");
    FileServer server({{"core", Ok("okvtl:LIBVORTALUX.SO")},
        {"core/LIBVORTALUX.SO",
            Ok("ok\x7f"
               "ELF new\r\n")}});
    const InstallRun run = Install(server, home.Path(), Check(2, {}, {}));

    EXPECT_EQ(server.Asked(), (Texts {"core", "core/LIBVORTALUX.SO"}));
    ASSERT_TRUE(run.result.IsDone()) << run.result.view.status << run.result.failure;
    EXPECT_EQ(run.rowTexts[0], (Texts {"new DLL v9.0.0", "(file list)", "1/1: LIBVORTALUX.SO", "done"}));
    // The copy holds the bytes after "ok" exactly; the engine itself is left to the updater.
    EXPECT_EQ(ReadFileBytes(home / "LIBVORTALUX.SO.vtu"),
        "\x7f"
        "ELF new\r\n");
    EXPECT_EQ(ReadFileBytes(home / "libvortalux.so"), "old engine");
    EXPECT_EQ(ReadFileBytes(home / "FileList.vtu"), (home / "LIBVORTALUX.SO.vtu").string() + "\r\n");
    EXPECT_TRUE(run.result.NeedsUpdater());
    EXPECT_EQ(run.result.view.captions[0], "Download new version of VTL...");
    EXPECT_EQ(run.result.view.captions[2], "Download new/updated rules...");
}

TEST(UpdateInstall, BothProgramFilesAndASupportLibraryAreNumberedOneToThree)
{
    TempDir home;
    FileServer server({{"core", Ok("oklibvortalux.so:vtl:libextra.so.1")}, {"core/libvortalux.so", Ok("ok1")},
        {"core/vtl", Ok("ok2")}, {"core/libextra.so.1", Ok("ok3")}});
    const InstallRun run = Install(server, home.Path(), Check(3, {}, {}));
    ASSERT_TRUE(run.result.IsDone()) << run.result.view.status;
    EXPECT_EQ(run.rowTexts[0],
        (Texts {"new DLL v9.0.0", "(file list)", "1/3: libvortalux.so", "2/3: vtl", "3/3: libextra.so.1",
            "done"}));
    EXPECT_EQ(ReadFileBytes(home / "FileList.vtu"),
        (home / "libvortalux.so.vtu").string() + "\r\n" + (home / "vtl.vtu").string() + "\r\n"
            + (home / "libextra.so.1.vtu").string() + "\r\n");
    // The program alone: the engine is passed over.
    TempDir other;
    const InstallRun programOnly = Install(server, other.Path(), Check(1, {}, {}));
    ASSERT_TRUE(programOnly.result.IsDone());
    EXPECT_EQ(programOnly.rowTexts[0][2], "1/2: vtl");
    EXPECT_FALSE(std::filesystem::exists(other / "libvortalux.so.vtu"));
}

TEST(UpdateInstall, AFileListNamingAPathOrTheUpdatersFilesIsIncorrectDataAndFetchesNothing)
{
    for (const char* list :
        {"ok../vtl", "okvtl:", "okvtl:sub/vtl", "okFileList.vtu", "okvtl.lock", "okvtl\x01", "error", "ok"}) {
        TempDir home;
        FileServer server({{"core", Ok(list)}});
        const InstallRun run = Install(server, home.Path(), Check(3, {}, {Item("Rule")}));
        EXPECT_FALSE(run.result.IsDone()) << list;
        EXPECT_EQ(run.result.view.status, "Error! Incorrect data received from server") << list;
        EXPECT_EQ(server.Asked(), (Texts {"core"})) << list;
        EXPECT_FALSE(std::filesystem::exists(home / "FileList.vtu")) << list;
    }
    // An update list cannot hold 10,000 files: refused before any is fetched.
    std::string many = "ok";
    for (int i = 0; i < 10000; ++i)
        many += (i > 0 ? ":f" : "f") + std::to_string(i);
    TempDir home;
    FileServer server({{"core", Ok(many)}});
    EXPECT_FALSE(Install(server, home.Path(), Check(3, {}, {})).result.IsDone());
    EXPECT_EQ(server.Asked().size(), 1u);
}

TEST(UpdateInstall, ItemsReplaceTheirFilesAndPositionsCountTheItemsPassedOver)
{
    TempDir home;
    // The installed rule's name differs in case: it is the file replaced, not a second rule.
    WriteFileBytes(home / "Rules" / "imagehost.vtl", "[Main]\r\nver=1\r\n");
    // A read-only definition is replaced as a writable one is, and the new one is writable.
    WriteFileBytes(home / "Managers" / "Wget.vtm", "old");
    ::chmod((home / "Managers" / "Wget.vtm").c_str(), 0444);
    FileServer server({{"Managers/Wget.vtm", Ok("ok[Main]\r\nver=2\r\n")},
        {"Rules/ImageHost.vtl", Ok("ok[Main]\r\nver=2\r\n")}, {"Rules/Third.vtl", Ok("okthird")}});
    const InstallRun run = Install(server, home.Path(),
        Check(0, {Item("Wget")}, {Item("ImageHost"), Item("Skipped", false), Item("Third")}));

    ASSERT_TRUE(run.result.IsDone()) << run.result.view.status;
    EXPECT_EQ(server.Asked(), (Texts {"Managers/Wget.vtm", "Rules/ImageHost.vtl", "Rules/Third.vtl"}));
    // Nothing of the program: its row keeps the check's text.
    EXPECT_EQ(run.rowTexts[0], (Texts {"new DLL v9.0.0"}));
    EXPECT_EQ(run.rowTexts[1], (Texts {"1 new, 0 updates", "-", "1/1: Wget", "done"}));
    EXPECT_EQ(run.rowTexts[2], (Texts {"2 new, 0 updates", "-", "1/3: ImageHost", "3/3: Third", "done"}));
    EXPECT_EQ(ReadFileBytes(home / "Rules" / "imagehost.vtl"), "[Main]\r\nver=2\r\n");
    EXPECT_FALSE(std::filesystem::exists(home / "Rules" / "ImageHost.vtl"));
    EXPECT_EQ(ReadFileBytes(home / "Rules" / "Third.vtl"), "third");
    EXPECT_EQ(ReadFileBytes(home / "Managers" / "Wget.vtm"), "[Main]\r\nver=2\r\n");
    struct stat info { };
    ASSERT_EQ(::stat((home / "Managers" / "Wget.vtm").c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IWUSR, 0u);
    EXPECT_EQ(run.result.installedRules, (Texts {"ImageHost", "Third"}));
    EXPECT_FALSE(run.result.NeedsUpdater());
    EXPECT_FALSE(std::filesystem::exists(home / "FileList.vtu"));
}

TEST(UpdateInstall, AReplyEndingEarlyStopsAtThatRuleAndKeepsWhatCameBefore)
{
    TempDir home;
    WriteFileBytes(home / "Rules" / "Second.vtl", "old second");
    // Twenty bytes announced, eight sent, then the connection closes.
    FileServer server({{"Rules/First.vtl", Ok("okfirst")},
        {"Rules/Second.vtl", "HTTP/1.0 200 OK\r\nContent-Length: 20\r\n\r\noksecond"}});
    const InstallRun run
        = Install(server, home.Path(), Check(0, {}, {Item("First"), Item("Second"), Item("Third")}));

    EXPECT_FALSE(run.result.IsDone());
    EXPECT_EQ(run.result.view.status, "Error! Incomplete transmission: Second.vtl");
    EXPECT_EQ(run.result.view.progress, 0);
    EXPECT_EQ(ReadFileBytes(home / "Rules" / "First.vtl"), "first");
    EXPECT_EQ(ReadFileBytes(home / "Rules" / "Second.vtl"), "old second");
    EXPECT_EQ(server.Asked().size(), 2u);
    EXPECT_EQ(run.result.installedRules, (Texts {"First"}));
    // The progress of the short reply was shown before the stop: 8 of 20 bytes.
    EXPECT_NE(std::find(run.statuses.begin(), run.statuses.end(), "Downloading Second.vtl.... (40%)"),
        run.statuses.end());
}

TEST(UpdateInstall, AStopDuringTheProgramFilesWritesNoListAndInstallsNoItem)
{
    TempDir home;
    FileServer server({{"core", Ok("okvtl:libvortalux.so")}, {"core/vtl", Ok("okprogram")},
        {"core/libvortalux.so", Ok("nope")}, {"Rules/Rule.vtl", Ok("okrule")}});
    const InstallRun run = Install(server, home.Path(), Check(3, {}, {Item("Rule")}));
    EXPECT_FALSE(run.result.IsDone());
    EXPECT_EQ(run.result.view.status, "Error! Incorrect data received from server");
    EXPECT_EQ(ReadFileBytes(home / "vtl.vtu"), "program"); // saved before the stop, and stays
    EXPECT_FALSE(std::filesystem::exists(home / "FileList.vtu"));
    EXPECT_FALSE(std::filesystem::exists(home / "Rules" / "Rule.vtl"));
    EXPECT_FALSE(run.result.NeedsUpdater());
}

TEST(UpdateInstall, AFileThatCannotBeWrittenStopsWithItsName)
{
    TempDir home;
    // A folder where the rule file should go.
    std::filesystem::create_directories(home / "Rules" / "Blocked.vtl");
    FileServer server({{"Rules/Blocked.vtl", Ok("okrule")}});
    const InstallRun run = Install(server, home.Path(), Check(0, {}, {Item("Blocked")}));
    EXPECT_FALSE(run.result.IsDone());
    EXPECT_EQ(run.result.view.status.rfind("Error! The file could not be written: Blocked.vtl (", 0), 0u)
        << run.result.view.status;
    EXPECT_FALSE(run.result.failure.empty());
}

TEST(UpdateInstallSteps, DownloadingTextShowsTheBarsValueUnrounded)
{
    EXPECT_EQ(DownloadingText("vtl", DownloadPercent(381, 1024)), "Downloading vtl.... (37.20703%)");
    EXPECT_EQ(
        DownloadingText("Rule.vtl", DownloadPercent(1, 3), ","), "Downloading Rule.vtl.... (33,33333%)");
    EXPECT_EQ(DownloadingText("Rule.vtl", DownloadPercent(10, 10)), "Downloading Rule.vtl.... (100%)");
    EXPECT_EQ(DownloadPercent(10, 0), 0.0f);
}

} // namespace
