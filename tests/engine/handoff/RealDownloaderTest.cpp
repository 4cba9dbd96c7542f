// The shipped definitions driving the real wget, curl and aria2c against a loopback server that
// records the request bytes: the picture arrives in the download folder, the server saw the
// referer, the browser's cookies (a session cookie among them) and no header a link or a referer
// smuggled in, and wget and curl ask for the same.
#include "DefaultHandOff.h"
#include "HttpRequestObject.h"
#include "LoopbackHttpServer.h"
#include "ManagerStore.h"
#include "RecordingPresenter.h"
#include "ScopedEnvironment.h"
#include "ScriptArray.h"
#include "ScriptHandOff.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vortalux;
using namespace vortalux::test;
using script::Variant;
namespace fs = std::filesystem;

namespace {

bool OnPath(const std::string& program)
{
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Every byte value, so that any text-mode mangling shows.
std::string Picture()
{
    std::string bytes = "\x89PNG\r\n\x1a\n";
    for (int i = 0; i < 4096; ++i)
        bytes += static_cast<char>(i * 7 % 256);
    return bytes;
}

bool WaitForFile(const fs::path& path, size_t size, double seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        std::error_code ignored;
        if (fs::file_size(path, ignored) == size)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

class RealDownloader : public testing::Test {
protected:
    RealDownloader()
        : m_server([this](const RecordedRequest& request) {
            if (request.target.rfind("/pictures/", 0) == 0)
                return LoopbackHttpServer::Response(200, m_picture, "image/png");
            // As a host that shows its pictures to logged-in visitors only.
            if (request.target.rfind("/members/", 0) == 0) {
                const std::string cookies = request.Header("Cookie");
                if (cookies.find("session=s3cret") != std::string::npos
                    && cookies.find("theme=dark") != std::string::npos)
                    return LoopbackHttpServer::Response(200, m_picture, "image/png");
                return LoopbackHttpServer::Response(403, "log in first");
            }
            return LoopbackHttpServer::Response(404, "no");
        })
        , m_downloadsSetting("VORTALUX_DOWNLOADS", m_downloads.Path().string())
        , m_cookiesSetting("VORTALUX_COOKIES", (m_home.Path() / "cookies.txt").string())
        , m_runtimeSetting("XDG_RUNTIME_DIR", m_runtime.Path().string())
    {
        // A session cookie (no expiry) and a lasting one, as the browser holds them.
        WriteFileBytes(m_home / "cookies.txt",
            "127.0.0.1\tFALSE\t/members\tFALSE\t0\tsession\ts3cret\n"
            "127.0.0.1\tFALSE\t/\tFALSE\t4102444800\ttheme\tdark\n");
        const fs::path source = fs::path(VORTALUX_SOURCE_DIR) / "data" / "Managers";
        for (const char* name : {"wget.vtm", "curl.vtm", "aria2.vtm"})
            WriteFileBytes(m_home / "Managers" / name, ReadFileBytes(source / name));
        m_store.LoadManagers(m_home.Path());
        RegisterEngineObjects(m_handOff.Host());
    }

    int Position(const std::string& manager) const
    {
        for (size_t i = 0; i < m_store.Definitions().size(); ++i) {
            if (m_store.Definitions()[i].Name == manager)
                return static_cast<int>(i);
        }
        return -1;
    }

    // Hands two pictures to `manager` and checks that both arrive, fetched with the referer, which
    // carries blanks, quotes and a line break: every program sends the same safe form of it and
    // no extra header.
    void HandOffTwoPictures(const std::string& manager)
    {
        const std::string referer = "http://gallery.test/page?x='y'&n=1 \"q\"\r\nX-Evil: 1";
        const std::string sent = "http://gallery.test/page?x='y'&n=1%20%22q%22%0D%0AX-Evil:%201";
        std::vector<Variant> list = {Variant::FromString(m_server.Url("/pictures/one.png?size=full")),
            Variant::FromString("one.png"), Variant::FromString(m_server.Url("/members/it's-two.png")),
            Variant::FromString("it's-two.png")};
        std::vector<Variant> args = {Variant::FromString(referer),
            Variant::FromArray(script::ScriptArray::FromElements(std::move(list)))};
        ASSERT_TRUE(m_handOff.RunManagerScript(m_store, Position(manager), "AddList", args))
            << (m_presenter.Shown().empty() ? "" : m_presenter.Shown().back().text);
        for (const char* name : {"one.png", "it's-two.png"}) {
            ASSERT_TRUE(WaitForFile(m_downloads / name, m_picture.size(), 10)) << name;
            EXPECT_EQ(ReadFileBytes(m_downloads / name), m_picture) << name;
        }
        const auto requests = m_server.Requests();
        ASSERT_EQ(requests.size(), 2u);
        for (const RecordedRequest& request : requests) {
            EXPECT_EQ(request.Header("Referer"), sent) << request.target;
            EXPECT_EQ(request.Header("X-Evil"), "") << request.raw;
            const bool member = request.target.rfind("/members/", 0) == 0;
            EXPECT_EQ(request.Header("Cookie").find("session=s3cret") != std::string::npos, member)
                << request.raw;
        }
        EXPECT_TRUE(m_presenter.Shown().empty());
        // The cookie file goes once the program has read it (aria2 needs none).
        const auto noCookieFile = [this] {
            std::error_code missing;
            return fs::is_empty(m_runtime.Path() / "vortalux", missing) || missing;
        };
        for (int wait = 0; wait < 250 && !noCookieFile(); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_TRUE(noCookieFile());
    }

    // The requests `program` made for `paths` (handed over as one list), by their order.
    std::vector<RecordedRequest> RequestsFor(
        const std::string& manager, const std::vector<std::string>& paths)
    {
        const size_t before = m_server.Requests().size();
        std::vector<Variant> list;
        for (const std::string& path : paths) {
            list.push_back(Variant::FromString(m_server.Url(path)));
            list.push_back(Variant::FromString("picture.png"));
        }
        std::vector<Variant> args = {Variant::FromString("http://gallery.test/\r\nX-Evil: 1"),
            Variant::FromArray(script::ScriptArray::FromElements(std::move(list)))};
        EXPECT_TRUE(m_handOff.RunManagerScript(m_store, Position(manager), "AddList", args));
        EXPECT_TRUE(m_server.WaitForRequests(before + paths.size(), 20)) << manager;
        // Each file is complete once the program moves on to the next link; wait for the last.
        WaitForFile(
            m_downloads / ("picture (" + std::to_string(paths.size()) + ").png"), m_picture.size(), 10);
        auto requests = m_server.Requests();
        return std::vector<RecordedRequest>(
            requests.begin() + static_cast<std::ptrdiff_t>(before), requests.end());
    }

    const std::string m_picture = Picture();
    LoopbackHttpServer m_server;
    TempDir m_home;
    TempDir m_downloads;
    TempDir m_runtime;
    ScopedEnvironment m_downloadsSetting;
    ScopedEnvironment m_cookiesSetting;
    ScopedEnvironment m_runtimeSetting;
    ManagerStore m_store;
    RecordingPresenter m_presenter;
    ScriptHandOff m_handOff;
};

} // namespace

TEST_F(RealDownloader, WgetFetchesThePicturesWithTheReferer)
{
    if (!OnPath("wget"))
        GTEST_SKIP() << "wget is not installed";
    HandOffTwoPictures("wget");
}

TEST_F(RealDownloader, CurlFetchesThePicturesWithTheReferer)
{
    if (!OnPath("curl"))
        GTEST_SKIP() << "curl is not installed";
    HandOffTwoPictures("curl");
}

TEST_F(RealDownloader, Aria2FetchesThePicturesWithTheReferer)
{
    if (!OnPath("aria2c"))
        GTEST_SKIP() << "aria2c is not installed";
    const std::string port = std::to_string(FreeLoopbackPort());
    const std::string secret = "test secret 'x'";
    const std::string portOption = "--rpc-listen-port=" + port;
    const std::string secretOption = "--rpc-secret=" + secret;
    const std::string dirOption = "--dir=" + m_downloads.Path().string();
    const pid_t aria2 = fork();
    ASSERT_GE(aria2, 0);
    if (aria2 == 0) {
        execlp("aria2c", "aria2c", "--enable-rpc", portOption.c_str(), secretOption.c_str(),
            dirOption.c_str(), "--no-conf", "--quiet", "--disable-ipv6", "--check-certificate=false",
            "--auto-save-interval=0", "--save-session-interval=0", "--console-log-level=error",
            static_cast<char*>(nullptr));
        _exit(127);
    }
    ScopedEnvironment portSetting("VORTALUX_ARIA2_PORT", port);
    ScopedEnvironment secretSetting("VORTALUX_ARIA2_SECRET", secret);
    // Wait until aria2 listens: the RPC answers even an empty batch.
    bool listening = false;
    for (int attempt = 0; attempt < 100 && !listening; ++attempt) {
        std::vector<Variant> args
            = {Variant::FromString(""), Variant::FromArray(script::ScriptArray::FromElements({}))};
        script::ScriptHost probe;
        RegisterHttpRequestObjects(probe);
        listening
            = probe.AddCode("Set h = CreateObject(\"MSXML2.XMLHTTP\")\nh.open \"GET\", \"http://127.0.0.1:"
                + port + "/jsonrpc?method=system.listMethods&id=1\", False\nh.send");
        if (!listening)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (listening)
        HandOffTwoPictures("aria2");
    else
        ADD_FAILURE() << "aria2c did not start listening on port " << port;
    kill(aria2, SIGTERM);
    int status = 0;
    waitpid(aria2, &status, 0);
}

TEST_F(RealDownloader, WgetAndCurlAskForTheSameAwkwardLinksAndNothingElse)
{
    if (!OnPath("wget") || !OnPath("curl"))
        GTEST_SKIP() << "wget and curl are not both installed";
    // Link paths and what reaches the server for them, from both programs alike.
    const std::vector<std::pair<std::string, std::string>> links = {
        {"/pictures/[1-2].jpg", "/pictures/[1-2].jpg"},
        {"/pictures/{a,b}.jpg", "/pictures/%7Ba,b%7D.jpg"},
        {"/pictures/two blanks.jpg", "/pictures/two%20blanks.jpg"},
        {"/pictures/q\"uote'.jpg", "/pictures/q%22uote'.jpg"},
        {"/pictures/caf\xE9-\xC3\xA9.jpg", "/pictures/caf%E9-%C3%A9.jpg"},
        {"/pictures/100%.jpg", "/pictures/100%25.jpg"},
        {"/pictures/%41%zz%e9.jpg", "/pictures/%41%25zz%e9.jpg"},
        {"/pictures/x<y>z\\w^v`u|t.jpg", "/pictures/x%3Cy%3Ez%5Cw%5Ev%60u%7Ct.jpg"},
        {"/pictures/tab\tcr\rlf\nX-Evil: 1.jpg", "/pictures/tab%09cr%0Dlf%0AX-Evil:%201.jpg"},
        {"/pictures/esc\x1b[2J\x7f.jpg", "/pictures/esc%1B[2J%7F.jpg"},
        {"/pictures/q.jpg?a=b c&d=\"e\"#fragment", "/pictures/q.jpg?a=b%20c&d=%22e%22"},
    };
    std::vector<std::string> paths;
    for (const auto& link : links)
        paths.push_back(link.first);
    std::map<std::string, std::vector<std::string>> targets;
    for (const std::string manager : {"wget", "curl"}) {
        SCOPED_TRACE(manager);
        const std::vector<RecordedRequest> requests = RequestsFor(manager, paths);
        ASSERT_EQ(requests.size(), links.size());
        for (size_t i = 0; i < links.size(); ++i) {
            EXPECT_EQ(requests[i].target, links[i].second) << i;
            EXPECT_EQ(requests[i].Header("Referer"), "http://gallery.test/%0D%0AX-Evil:%201");
            EXPECT_EQ(requests[i].Header("X-Evil"), "") << requests[i].raw;
            targets[manager].push_back(requests[i].target);
        }
        fs::remove_all(m_downloads.Path());
        fs::create_directories(m_downloads.Path());
    }
    EXPECT_EQ(targets["wget"], targets["curl"]);
}
