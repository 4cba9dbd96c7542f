// The definitions of data/Managers against stand-ins: fake programs on PATH that record their
// arguments, and loopback servers that record what aria2 and JDownloader would receive.
#include "FakePrograms.h"
#include "HttpRequestObject.h"
#include "LoopbackHttpServer.h"
#include "ManagerStore.h"
#include "RecordingPresenter.h"
#include "ScopedEnvironment.h"
#include "ScriptArray.h"
#include "ScriptHandOff.h"
#include "TestSupport.h"
#include "UrlHelpers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace vortalux;
using namespace vortalux::test;
using script::Variant;
namespace fs = std::filesystem;

namespace {

using Arguments = std::vector<std::string>;

class ShippedDefinition : public testing::Test {
protected:
    ShippedDefinition()
        : m_downloadsSetting("VORTALUX_DOWNLOADS", (m_downloads.path() / "Pictures" / "new").string())
    {
        for (const auto& entry :
            fs::directory_iterator(fs::path(VORTALUX_SOURCE_DIR) / "data" / "Managers")) {
            fs::create_directories(m_home / "Managers");
            fs::copy_file(entry.path(), m_home / "Managers" / entry.path().filename());
        }
        m_store.LoadManagers(m_home.path());
        RegisterHttpRequestObjects(m_handOff.Host());
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
    std::string Folder() const { return (m_downloads.path() / "Pictures" / "new").string(); }
    // A file that exists only if a hostile link made the shell run something.
    std::string Marker() const { return (m_downloads.path() / "INJECTED").string(); }

    // Links that break naive quoting, each of which must reach the program unchanged.
    std::vector<std::string> HostileUrls() const
    {
        return {
            "http://example.test/it's.jpg",
            "http://example.test/say \"cheese\".jpg",
            "http://example.test/a;touch " + Marker() + ";b.jpg",
            "http://example.test/$(touch " + Marker() + ").jpg",
            "http://example.test/`touch " + Marker() + "`.jpg",
            "http://example.test/two  blanks\tand tab.jpg",
            "http://example.test/line\nbreak.jpg",
            "--version",
            "http://example.test/'\\''x'\"$HOME\"&&|*?.jpg",
        };
    }
    std::string HostileReferer() const
    {
        return "http://gallery.test/p?a=1&b='2'; touch " + Marker() + " $(touch " + Marker() + ") \"\n";
    }

    TempDir m_home;
    TempDir m_downloads;
    ScopedEnvironment m_downloadsSetting;
    ManagerStore m_store;
    RecordingPresenter m_presenter;
    ScriptHandOff m_handOff;
};

// What a file name becomes in the download folder (no "/" and no line breaks).
std::string FileNameOf(const std::string& url)
{
    std::string name = UrlFileName(url);
    for (char& c : name) {
        if (c == '/' || c == '\n' || c == '\r')
            c = '_';
    }
    return name;
}

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
            << definition.Name << ": line " << host.Error().Line << ": " << host.Error().Description;
    }
}

TEST_F(ShippedDefinition, ProgramsGetEveryLinkAndRefererAsOneUnchangedArgument)
{
    struct Case {
        std::string manager;
        std::string program;
        std::function<Arguments(
            const std::string& referer, const std::string& url, const std::string& folder)>
            expected;
    };
    const std::vector<Case> cases = {
        {"wget", "wget",
            [](const std::string& referer, const std::string& url, const std::string& folder) {
                Arguments args = {"-nv"};
                if (!referer.empty())
                    args.push_back("--referer=" + referer);
                for (const std::string& arg :
                    {std::string("-O"), folder + "/" + FileNameOf(url), std::string("--"), url})
                    args.push_back(arg);
                return args;
            }},
        {"curl", "curl",
            [](const std::string& referer, const std::string& url, const std::string& folder) {
                Arguments args = {"-sS", "-L", "--fail"};
                if (!referer.empty()) {
                    args.push_back("--referer");
                    args.push_back(referer);
                }
                for (const std::string& arg :
                    {std::string("-o"), folder + "/" + FileNameOf(url), std::string("--url"), url})
                    args.push_back(arg);
                return args;
            }},
        {"uGet", "uget-gtk",
            [](const std::string& referer, const std::string& url, const std::string& folder) {
                Arguments args = {"--quiet"};
                if (!referer.empty())
                    args.push_back("--http-referer=" + referer);
                for (const std::string& arg :
                    {"--folder=" + folder, "--filename=" + FileNameOf(url), std::string("--"), url})
                    args.push_back(arg);
                return args;
            }},
        {"KGet", "dbus-send",
            [](const std::string&, const std::string& url, const std::string& folder) {
                return Arguments {"--session", "--print-reply", "--type=method_call", "--dest=org.kde.kget",
                    "/KGet", "org.kde.kget.main.addTransfer", "string:" + url, "string:" + folder,
                    "boolean:true"};
            }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.manager);
        FakePrograms fakes({test.program});
        const std::vector<std::string> urls = HostileUrls();
        // Each hand-off is its own background job: wait for one before starting the next.
        ASSERT_TRUE(AddList(test.manager, HostileReferer(), urls));
        ASSERT_EQ(fakes.WaitForCalls(test.program, urls.size(), 5).size(), urls.size());
        ASSERT_TRUE(AddLink(test.manager, "", "http://example.test/single.png"));
        const auto calls = fakes.WaitForCalls(test.program, urls.size() + 1, 5);
        ASSERT_EQ(calls.size(), urls.size() + 1);
        for (size_t i = 0; i < urls.size(); ++i)
            EXPECT_EQ(calls[i], test.expected(HostileReferer(), urls[i], Folder())) << "link " << i;
        EXPECT_EQ(calls.back(), test.expected("", "http://example.test/single.png", Folder()));
        EXPECT_FALSE(fs::exists(Marker())) << "a link made the shell run a command";
        EXPECT_TRUE(fs::is_directory(Folder()));
        fs::remove_all(Folder());
    }
    EXPECT_TRUE(m_presenter.shown().empty());
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
        R"(["http://example.test/it's \"q\"\\\u000A.jpg"],{"dir":")"
            + Folder() + R"(","out":"it's \"q\"\\_.jpg","referer":"http://gallery.test/p?a=1&b=\"2\""}]})");
    EXPECT_EQ(requests[1].body,
        R"({"jsonrpc":"2.0","id":"vortalux","method":"system.multicall","params":[[)"
        R"({"methodName":"aria2.addUri","params":[["http://example.test/1.jpg"],{"dir":")"
            + Folder()
            + R"(","out":"1.jpg"}]},)"
              R"({"methodName":"aria2.addUri","params":[["http://example.test/x/"],{"dir":")"
            + Folder() + R"(","out":"http:__example.test_x_"}]}]]})");
    EXPECT_TRUE(m_presenter.shown().empty());

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
    ASSERT_EQ(m_presenter.shown().size(), 3u);
    EXPECT_NE(m_presenter.shown()[0].text.find("aria2 refused the links (HTTP 400): {"), std::string::npos)
        << m_presenter.shown()[0].text;
    EXPECT_NE(m_presenter.shown()[1].text.find("aria2 refused the links (HTTP 200)"), std::string::npos);
    EXPECT_NE(m_presenter.shown()[2].text.find(
                  "-2147012867: aria2 is not reachable at http://127.0.0.1:" + closedPort
                  + "/jsonrpc (is aria2c --enable-rpc running?): A connection with the server could not be "
                    "established"),
        std::string::npos)
        << m_presenter.shown()[2].text;
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
        "urls=http%3A%2F%2Fexample.test%2Fa%26b%3Dc%20d.jpg%0Ahttp%3A%2F%2Fexample.test%2Fline%250Abreak.jpg"
        "&referer=http%3A%2F%2Fgallery.test%2Fp%3Fa%3D1%26b%3D2&autostart=1");
    EXPECT_EQ(requests[1].body, "urls=http%3A%2F%2Fexample.test%2F~x_y-z.png&referer=&autostart=1");
    EXPECT_TRUE(m_presenter.shown().empty());

    ScopedEnvironment nobody("VORTALUX_JDOWNLOADER_PORT", std::to_string(FreeLoopbackPort()));
    EXPECT_FALSE(AddLink("JDownloader", "", "http://example.test/a.jpg"));
    ASSERT_EQ(m_presenter.shown().size(), 1u);
    EXPECT_NE(m_presenter.shown()[0].text.find("JDownloader is not reachable"), std::string::npos);
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
    EXPECT_TRUE(m_presenter.shown().empty());
}

TEST_F(ShippedDefinition, DownloadsGoToTheHomeFolderWithoutTheSetting)
{
    TempDir home;
    ScopedEnvironment noSetting("VORTALUX_DOWNLOADS", std::nullopt);
    ScopedEnvironment homeSetting("HOME", home.path().string());
    ASSERT_TRUE(AddLink("Links file", "", "http://example.test/a.jpg"));
    EXPECT_TRUE(fs::exists(home / "Downloads" / "Vortalux" / "links.txt"));
}
