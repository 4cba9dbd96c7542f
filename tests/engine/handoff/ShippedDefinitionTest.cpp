// The definitions of data/Managers against stand-ins: fake programs on PATH that record their
// arguments, and loopback servers that record what aria2 and JDownloader would receive.
#include "AsciiText.h"
#include "DefaultHandOff.h"
#include "FakePrograms.h"
#include "LoopbackHttpServer.h"
#include "ManagerStore.h"
#include "RecordingPresenter.h"
#include "ScopedEnvironment.h"
#include "ScriptArray.h"
#include "ScriptHandOff.h"
#include "TestSupport.h"
#include "UrlHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

using namespace vortalux;
using namespace vortalux::test;
using script::Variant;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

using Arguments = std::vector<std::string>;

class ShippedDefinition : public testing::Test {
protected:
    ShippedDefinition()
        : m_downloadsSetting("VORTALUX_DOWNLOADS", (m_downloads.Path() / "Pictures" / "new").string())
        , m_cookiesSetting("VORTALUX_COOKIES", (m_home.Path() / "cookies.txt").string())
        , m_runtimeSetting("XDG_RUNTIME_DIR", m_runtime.Path().string())
    {
        for (const auto& entry :
            fs::directory_iterator(fs::path(VORTALUX_SOURCE_DIR) / "data" / "Managers")) {
            fs::create_directories(m_home / "Managers");
            fs::copy_file(entry.path(), m_home / "Managers" / entry.path().filename());
        }
        m_store.LoadManagers(m_home.Path());
        RegisterEngineObjects(m_handOff.Host());
    }

    int Position(const std::string& manager) const
    {
        for (size_t i = 0; i < m_store.Definitions().size(); ++i) {
            if (m_store.Definitions()[i].Name == manager)
                return static_cast<int>(i);
        }
        ADD_FAILURE() << "no definition " << manager;
        return -1;
    }

    bool AddLink(const std::string& manager, const std::string& referer, const std::string& url)
    {
        std::vector<Variant> args
            = {Variant::FromString(referer), Variant::FromString(url), Variant::FromString(UrlFileName(url))};
        return m_handOff.RunManagerScript(m_store, Position(manager), "AddLink", args);
    }

    bool AddList(const std::string& manager, const std::string& referer, const std::vector<std::string>& urls)
    {
        std::vector<Variant> list;
        for (const std::string& url : urls) {
            list.push_back(Variant::FromString(url));
            list.push_back(Variant::FromString(UrlFileName(url)));
        }
        std::vector<Variant> args = {Variant::FromString(referer),
            Variant::FromArray(script::ScriptArray::FromElements(std::move(list)))};
        return m_handOff.RunManagerScript(m_store, Position(manager), "AddList", args);
    }

    // Where the definitions put downloads: below a folder that does not exist yet.
    std::string Folder() const { return (m_downloads.Path() / "Pictures" / "new").string(); }
    // A file that exists only if a hostile link made the shell run something.
    std::string Marker() const { return (m_downloads.Path() / "INJECTED").string(); }

    // Links that would run a command, add a header, split a link or be read differently by each
    // program; what every program receives instead (SafeUrl), and the file name they get.
    struct Hostile {
        std::string url;
        std::string safe;
        std::string fileName;
    };
    std::vector<Hostile> HostileLinks() const
    {
        const std::string m = Marker();
        return {
            {"http://example.test/it's.jpg", "http://example.test/it's.jpg", "it's.jpg"},
            {"http://example.test/say \"cheese\".jpg", "http://example.test/say%20%22cheese%22.jpg",
                "say \"cheese\".jpg"},
            {"http://example.test/a;touch " + m + ";b.jpg", "http://example.test/a;touch%20" + m + ";b.jpg",
                "INJECTED;b.jpg"},
            {"http://example.test/$(touch " + m + ").jpg", "http://example.test/$(touch%20" + m + ").jpg",
                "INJECTED).jpg"},
            {"http://example.test/`touch " + m + "`.jpg", "http://example.test/%60touch%20" + m + "%60.jpg",
                "INJECTED`.jpg"},
            {"http://example.test/two  blanks\tand tab.jpg",
                "http://example.test/two%20%20blanks%09and%20tab.jpg", "two  blanks_and tab.jpg"},
            {"http://example.test/a\r\nX-Evil: 1\r\n\r\n.jpg",
                "http://example.test/a%0D%0AX-Evil:%201%0D%0A%0D%0A.jpg", "a__X-Evil: 1____.jpg"},
            {"http://example.test/nul\0esc\x1b[2J\x01\x7f.jpg"s,
                "http://example.test/nul%00esc%1B[2J%01%7F.jpg", "nul_esc_[2J__.jpg"},
            {"http://example.test/caf\xE9 \xC3\xA9\x9b%zz%41{1,2}[1-3]<>^|.jpg",
                "http://example.test/caf%E9%20%C3%A9%9B%25zz%41%7B1,2%7D[1-3]%3C%3E%5E%7C.jpg",
                "caf\xE9 \xC3\xA9\x9b%zz%41{1,2}[1-3]<>^|.jpg"},
            {"http://example.test/'\\''x'\"$HOME\"&&|*?.jpg",
                "http://example.test/'%5C''x'%22$HOME%22&&%7C*?.jpg", "'\\''x'\"$HOME\"&&|*?.jpg"},
            // The host is the program's own business (an IDN, say).
            {"http://h\xC3\xBCst.test/p\xC3\xBC", "http://h\xC3\xBCst.test/p%C3%BC", "p\xC3\xBC"},
            {"--version", "--version", "--version"},
        };
    }
    std::string HostileReferer() const
    {
        return "http://gallery.test/p?a=1&b='2'; touch " + Marker() + " $(touch " + Marker()
            + ") \"\r\nX-Evil: 1\x1b[2J";
    }
    std::string SafeReferer() const
    {
        return "http://gallery.test/p?a=1&b='2';%20touch%20" + Marker() + "%20$(touch%20" + Marker()
            + ")%20%22%0D%0AX-Evil:%201%1B[2J";
    }

    TempDir m_home;
    TempDir m_downloads;
    TempDir m_runtime;
    ScopedEnvironment m_downloadsSetting;
    // The browser's cookies: none until a test writes the file.
    ScopedEnvironment m_cookiesSetting;
    ScopedEnvironment m_runtimeSetting;
    ManagerStore m_store;
    RecordingPresenter m_presenter;
    ScriptHandOff m_handOff;
};

} // namespace

TEST_F(ShippedDefinition, FilesHaveTheDefinitionFormatAndWgetIsTheDefault)
{
    std::vector<std::string> names;
    for (const ManagerDefinition& definition : m_store.Definitions())
        names.push_back(definition.Name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
        (std::vector<std::string> {"JDownloader", "KGet", "Links file", "aria2", "curl", "uGet", "wget"}));
    ASSERT_GE(m_store.DefaultManager(), 0);
    EXPECT_EQ(m_store.Definitions()[static_cast<size_t>(m_store.DefaultManager())].Name, "wget");

    for (const ManagerDefinition& definition : m_store.Definitions()) {
        const std::string bytes = ReadFileBytes(m_store.PathOf(definition));
        const std::string head = "[Main]\r\nver=1\r\nDefault="
            + std::string(definition.Name == "wget" ? "1" : "0") + "\r\n[SCRIPT]\r\n\r\n";
        EXPECT_EQ(bytes.substr(0, head.size()), head) << definition.Name;
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) {
                ADD_FAILURE() << definition.Name << ": a line ends without CR LF at byte " << i;
                break;
            }
        }
        EXPECT_EQ(definition.ScriptText, bytes.substr(head.size())) << definition.Name;
        script::ScriptHost host;
        EXPECT_TRUE(host.AddCode(definition.ScriptText))
            << definition.Name << ": line " << host.Error().line << ": " << host.Error().description;
    }
}

TEST_F(ShippedDefinition, ProgramsGetEveryLinkAndRefererAsOneSafeArgument)
{
    struct Case {
        std::string manager;
        std::string program;
        std::function<Arguments(const std::string& referer, const Hostile& link, const std::string& folder)>
            expected;
    };
    const std::vector<Case> cases = {
        {"wget", "wget",
            [](const std::string& referer, const Hostile& link, const std::string& folder) {
                Arguments args = {"-nv", "--no-glob"};
                if (!referer.empty())
                    args.push_back("--referer=" + referer);
                for (const std::string& arg :
                    {std::string("-O"), folder + "/" + link.fileName, std::string("--"), link.safe})
                    args.push_back(arg);
                return args;
            }},
        {"curl", "curl",
            [](const std::string& referer, const Hostile& link, const std::string& folder) {
                Arguments args = {"-sS", "-L", "--fail", "--globoff", "--proto", "=http,https,ftp,ftps"};
                if (!referer.empty()) {
                    args.push_back("-H");
                    args.push_back("Referer: " + referer);
                }
                for (const std::string& arg :
                    {std::string("-o"), folder + "/" + link.fileName, std::string("--url"), link.safe})
                    args.push_back(arg);
                return args;
            }},
        {"uGet", "uget-gtk",
            [](const std::string& referer, const Hostile& link, const std::string& folder) {
                Arguments args = {"--quiet"};
                if (!referer.empty())
                    args.push_back("--http-referer=" + referer);
                for (const std::string& arg :
                    {"--folder=" + folder, "--filename=" + link.fileName, std::string("--"), link.safe})
                    args.push_back(arg);
                return args;
            }},
        {"KGet", "dbus-send",
            [](const std::string&, const Hostile& link, const std::string& folder) {
                // KGet takes ";" as the end of one link.
                std::string url = link.safe;
                ReplaceAll(url, ";", "%3B");
                return Arguments {"--session", "--print-reply", "--type=method_call", "--dest=org.kde.kget",
                    "/KGet", "org.kde.kget.main.addTransfer", "string:" + url, "string:" + folder,
                    "boolean:true"};
            }},
    };
    const std::vector<Hostile> links = HostileLinks();
    std::vector<std::string> urls;
    for (const Hostile& link : links)
        urls.push_back(link.url);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.manager);
        FakePrograms fakes({test.program});
        // Each hand-off is its own background job: wait for one before starting the next.
        ASSERT_TRUE(AddList(test.manager, HostileReferer(), urls));
        ASSERT_EQ(fakes.WaitForCalls(test.program, urls.size(), 5).size(), urls.size());
        ASSERT_TRUE(AddLink(test.manager, "", "http://example.test/single.png"));
        const auto calls = fakes.WaitForCalls(test.program, urls.size() + 1, 5);
        ASSERT_EQ(calls.size(), urls.size() + 1);
        for (size_t i = 0; i < links.size(); ++i)
            EXPECT_EQ(calls[i], test.expected(SafeReferer(), links[i], Folder())) << "link " << i;
        EXPECT_EQ(
            calls.back(), test.expected("", {"", "http://example.test/single.png", "single.png"}, Folder()));
        EXPECT_FALSE(fs::exists(Marker())) << "a link made the shell run a command";
        EXPECT_TRUE(fs::is_directory(Folder()));
        fs::remove_all(Folder());
    }
    EXPECT_TRUE(m_presenter.Shown().empty());
}

TEST_F(ShippedDefinition, WgetAndCurlNeverOverwriteAPicture)
{
    for (const std::string program : {"wget", "curl"}) {
        SCOPED_TRACE(program);
        FakePrograms fakes({program});
        fs::create_directories(Folder());
        WriteFileBytes(fs::path(Folder()) / "a.jpg", "an earlier picture");
        ASSERT_TRUE(AddList(program, "",
            {"http://one.test/a.jpg", "http://two.test/a.jpg", "http://three.test/a", "http://four.test/a",
                "http://five.test/.."}));
        const auto calls = fakes.WaitForCalls(program, 5, 5);
        ASSERT_EQ(calls.size(), 5u);
        std::vector<std::string> targets;
        for (const Arguments& call : calls) {
            const auto option = std::find(call.begin(), call.end(), program == "wget" ? "-O" : "-o");
            ASSERT_NE(option, call.end());
            targets.push_back(fs::path(*(option + 1)).filename().string());
        }
        EXPECT_EQ(targets, (std::vector<std::string> {"a (2).jpg", "a (3).jpg", "a", "a (2)", "download"}));
        fs::remove_all(Folder());
    }
}

TEST_F(ShippedDefinition, Aria2GetsOneAddUriOrOneMulticallBatch)
{
    std::string answer = R"({"id":"vortalux","jsonrpc":"2.0","result":"2089b05ecca3d829"})";
    int status = 200;
    LoopbackHttpServer aria2(
        [&](const RecordedRequest&) { return LoopbackHttpServer::Response(status, answer); });
    ScopedEnvironment port("VORTALUX_ARIA2_PORT", std::to_string(aria2.Port()));
    {
        ScopedEnvironment secret("VORTALUX_ARIA2_SECRET", std::string("s3cr\"et"));
        ASSERT_TRUE(
            AddLink("aria2", "http://gallery.test/p?a=1&b=\"2\"", "http://example.test/it's \"q\"\\\n.jpg"));
    }
    ASSERT_TRUE(AddList("aria2", "", {"http://example.test/1.jpg", "http://example.test/x/"}));
    ASSERT_TRUE(AddList("aria2", "r", {})) << "an empty list sends nothing";

    const auto requests = aria2.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "/jsonrpc");
    EXPECT_EQ(requests[0].Header("Content-Type"), "application/json");
    EXPECT_EQ(requests[0].body,
        R"({"jsonrpc":"2.0","id":"vortalux","method":"aria2.addUri","params":["token:s3cr\"et",)"
        R"(["http://example.test/it's%20%22q%22%5C%0A.jpg"],{"dir":")"
            + Folder() + R"(","out":"it's \"q\"\\_.jpg","referer":"http://gallery.test/p?a=1&b=%222%22"}]})");
    EXPECT_EQ(requests[1].body,
        R"({"jsonrpc":"2.0","id":"vortalux","method":"system.multicall","params":[[)"
        R"({"methodName":"aria2.addUri","params":[["http://example.test/1.jpg"],{"dir":")"
            + Folder()
            + R"(","out":"1.jpg"}]},)"
              R"({"methodName":"aria2.addUri","params":[["http://example.test/x/"],{"dir":")"
            + Folder() + R"(","out":"http:__example.test_x_"}]}]]})");
    EXPECT_TRUE(m_presenter.Shown().empty());

    // Refusals and a missing aria2 are the hand-off's failure, with a message that says so.
    status = 400;
    answer = R"({"id":"vortalux","jsonrpc":"2.0","error":{"code":1,"message":"Unauthorized"}})";
    EXPECT_FALSE(AddLink("aria2", "", "http://example.test/a.jpg"));
    status = 200;
    answer = R"({"id":"vortalux","jsonrpc":"2.0","result":[{"code":1,"message":"Unauthorized"}]})";
    EXPECT_FALSE(AddList("aria2", "", {"http://example.test/a.jpg", "http://example.test/b.jpg"}));
    const std::string closedPort = std::to_string(FreeLoopbackPort());
    ScopedEnvironment nobody("VORTALUX_ARIA2_PORT", closedPort);
    EXPECT_FALSE(AddLink("aria2", "", "http://example.test/a.jpg"));
    ASSERT_EQ(m_presenter.Shown().size(), 3u);
    EXPECT_NE(m_presenter.Shown()[0].text.find("aria2 refused the links (HTTP 400): {"), std::string::npos)
        << m_presenter.Shown()[0].text;
    EXPECT_NE(m_presenter.Shown()[1].text.find("aria2 refused the links (HTTP 200)"), std::string::npos);
    EXPECT_NE(m_presenter.Shown()[2].text.find(
                  "-2147012867: aria2 is not reachable at http://127.0.0.1:" + closedPort
                  + "/jsonrpc (is aria2c --enable-rpc running?): A connection with the server could not be "
                    "established"),
        std::string::npos)
        << m_presenter.Shown()[2].text;
}

TEST_F(ShippedDefinition, JDownloaderGetsOneFormPostWithTheLinksOneALine)
{
    LoopbackHttpServer jdownloader(
        [](const RecordedRequest&) { return LoopbackHttpServer::Response(200, ""); });
    ScopedEnvironment port("VORTALUX_JDOWNLOADER_PORT", std::to_string(jdownloader.Port()));
    ASSERT_TRUE(AddList("JDownloader", "http://gallery.test/p?a=1&b=2",
        {"http://example.test/a&b=c d.jpg", "http://example.test/line\nbreak.jpg"}));
    ASSERT_TRUE(AddLink("JDownloader", "", "http://example.test/~x_y-z.png"));

    const auto requests = jdownloader.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "/flashgot");
    EXPECT_EQ(requests[0].Header("Referer"), "http://localhost:9666/flashgot");
    EXPECT_EQ(requests[0].Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[0].body,
        "urls=http%3A%2F%2Fexample.test%2Fa%26b%3Dc%2520d.jpg%0A"
        "http%3A%2F%2Fexample.test%2Fline%250Abreak.jpg"
        "&referer=http%3A%2F%2Fgallery.test%2Fp%3Fa%3D1%26b%3D2&autostart=1");
    EXPECT_EQ(requests[1].body, "urls=http%3A%2F%2Fexample.test%2F~x_y-z.png&referer=&autostart=1");
    EXPECT_TRUE(m_presenter.Shown().empty());

    // JDownloader sends the referer with its own request: no line break may reach it.
    ASSERT_TRUE(AddLink("JDownloader", "http://r/\r\nX-Evil: 1", "http://example.test/a\tb.jpg"));
    ASSERT_EQ(jdownloader.Requests().size(), 3u);
    EXPECT_EQ(jdownloader.Requests()[2].body,
        "urls=http%3A%2F%2Fexample.test%2Fa%2509b.jpg&referer=http%3A%2F%2Fr%2F%250D%250AX-Evil%3A%25201"
        "&autostart=1");

    ScopedEnvironment nobody("VORTALUX_JDOWNLOADER_PORT", std::to_string(FreeLoopbackPort()));
    EXPECT_FALSE(AddLink("JDownloader", "", "http://example.test/a.jpg"));
    ASSERT_EQ(m_presenter.Shown().size(), 1u);
    EXPECT_NE(m_presenter.Shown()[0].text.find("JDownloader is not reachable"), std::string::npos);
}

TEST_F(ShippedDefinition, LinksFileAppendsEachLinkWithItsRefererAndName)
{
    ASSERT_TRUE(AddList(
        "Links file", "http://gallery.test/p", {"http://example.test/a.jpg", "http://example.test/x\ny/"}));
    ASSERT_TRUE(AddLink("Links file", "", "http://example.test/b.png"));
    EXPECT_EQ(ReadFileBytes(fs::path(Folder()) / "links.txt"),
        "http://example.test/a.jpg\r\n  referer=http://gallery.test/p\r\n  out=a.jpg\r\n"
        "http://example.test/x%0Ay/\r\n  referer=http://gallery.test/p\r\n  out=http:__example.test_x_y_\r\n"
        "http://example.test/b.png\r\n  out=b.png\r\n");
    EXPECT_TRUE(m_presenter.Shown().empty());
}

TEST_F(ShippedDefinition, LinksFileLinesCannotBeSplitCommentedOrGivenExtraOptions)
{
    // A tab would make two addresses of one file, a line break an option line, a leading "#" a
    // comment; an empty link would hand its option lines to the link before.
    ASSERT_TRUE(AddList("Links file", "http://r/\r\n  dir=/etc",
        {"http://example.test/a\tb.jpg", "#http://example.test/c.jpg", "",
            "http://example.test/d\x1b[2J\r\n  out=x"}));
    EXPECT_EQ(ReadFileBytes(fs::path(Folder()) / "links.txt"),
        "http://example.test/a%09b.jpg\r\n  referer=http://r/%0D%0A%20%20dir=/etc\r\n  out=a_b.jpg\r\n"
        "%23http://example.test/c.jpg\r\n  referer=http://r/%0D%0A%20%20dir=/etc\r\n  out=c.jpg\r\n"
        "http://example.test/d%1B[2J%0D%0A%20%20out=x\r\n  referer=http://r/%0D%0A%20%20dir=/etc\r\n"
        "  out=d_[2J__  out=x\r\n");
}

TEST_F(ShippedDefinition, Aria2GetsValidJsonWhateverTheLinkAndItsNameHold)
{
    LoopbackHttpServer aria2([](const RecordedRequest&) {
        return LoopbackHttpServer::Response(200, R"({"id":"vortalux","jsonrpc":"2.0","result":"1"})");
    });
    ScopedEnvironment port("VORTALUX_ARIA2_PORT", std::to_string(aria2.Port()));
    // Windows-1252 and UTF-8 bytes, DEL and ESC in the name; a line break in the referer.
    ASSERT_TRUE(
        AddLink("aria2", "http://r/\r\nX-Evil: 1", "http://example.test/caf\xE9-\xC3\xA9\x7f\x1b.jpg"));
    ASSERT_EQ(aria2.Requests().size(), 1u);
    EXPECT_EQ(aria2.Requests()[0].body,
        R"({"jsonrpc":"2.0","id":"vortalux","method":"aria2.addUri","params":[)"
        R"(["http://example.test/caf%E9-%C3%A9%7F%1B.jpg"],{"dir":")"
            + Folder()
            + "\",\"out\":\"caf\\u00E9-\xC3\xA9__.jpg\",\"referer\":\"http://r/%0D%0AX-Evil:%201\"}]}");
}

TEST_F(ShippedDefinition, DownloadsGoToTheHomeFolderWithoutTheSetting)
{
    TempDir home;
    ScopedEnvironment noSetting("VORTALUX_DOWNLOADS", std::nullopt);
    ScopedEnvironment homeSetting("HOME", home.Path().string());
    ASSERT_TRUE(AddLink("Links file", "", "http://example.test/a.jpg"));
    EXPECT_TRUE(fs::exists(home / "Downloads" / "Vortalux" / "links.txt"));
}

TEST_F(ShippedDefinition, BrowserCookiesReachEveryManagerButNeverACommandLine)
{
    WriteFileBytes(m_home / "cookies.txt",
        "example.test\tFALSE\t/\tFALSE\t0\tsession\ts3cret-value\n"
        ".example.test\tTRUE\t/private\tTRUE\t4102444800\tsecure\tonly-https\n");
    const std::vector<std::string> urls
        = {"http://example.test/a.jpg", "https://img.example.test/private/b.jpg", "http://other.test/c.jpg"};
    const fs::path cookieFolder = m_runtime.Path() / "vortalux";

    // wget and curl read a private file named on the command line; the job removes it at its end.
    for (const auto& [program, option] : {std::pair {"wget", "--load-cookies"}, std::pair {"curl", "-b"}}) {
        SCOPED_TRACE(program);
        FakePrograms fakes({program});
        ASSERT_TRUE(AddList(program, "", urls));
        const auto calls = fakes.WaitForCalls(program, urls.size(), 5);
        ASSERT_EQ(calls.size(), urls.size());
        std::string cookieFile;
        for (const auto& call : calls) {
            const auto at = std::find(call.begin(), call.end(), option);
            ASSERT_NE(at, call.end());
            ASSERT_NE(at + 1, call.end());
            EXPECT_EQ(fs::path(at[1]).parent_path(), cookieFolder);
            EXPECT_TRUE(cookieFile.empty() || cookieFile == at[1]) << "one file for the whole list";
            cookieFile = at[1];
            for (const std::string& argument : call)
                EXPECT_EQ(argument.find("s3cret"), std::string::npos) << argument;
        }
        bool removed = false;
        for (int wait = 0; wait < 250 && !removed; ++wait) {
            removed = !fs::exists(cookieFile);
            if (!removed)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_TRUE(removed) << cookieFile;
        fs::remove_all(Folder());
    }

    // aria2 gets each link's Cookie header inside the request body.
    LoopbackHttpServer aria2([](const RecordedRequest&) {
        return LoopbackHttpServer::Response(200, R"({"id":"vortalux","jsonrpc":"2.0","result":[]})");
    });
    ScopedEnvironment port("VORTALUX_ARIA2_PORT", std::to_string(aria2.Port()));
    ASSERT_TRUE(AddList("aria2", "", urls));
    ASSERT_EQ(aria2.Requests().size(), 1u);
    const std::string body = aria2.Requests()[0].body;
    const size_t first = body.find(R"("header":["Cookie: session=s3cret-value"])");
    const size_t second = body.find(R"("header":["Cookie: secure=only-https"])");
    EXPECT_NE(first, std::string::npos) << body;
    EXPECT_NE(second, std::string::npos) << body;
    EXPECT_LT(first, second);
    EXPECT_EQ(body.find("Cookie", body.find("other.test")), std::string::npos) << body;

    // The links file carries them as aria2's input-file option.
    ASSERT_TRUE(AddList("Links file", "", urls));
    EXPECT_EQ(ReadFileBytes(fs::path(Folder()) / "links.txt"),
        "http://example.test/a.jpg\r\n  out=a.jpg\r\n  header=Cookie: session=s3cret-value\r\n"
        "https://img.example.test/private/b.jpg\r\n  out=b.jpg\r\n"
        "  header=Cookie: secure=only-https\r\n"
        "http://other.test/c.jpg\r\n  out=c.jpg\r\n");
    EXPECT_TRUE(m_presenter.Shown().empty());
}
