// The shipped definitions driving the real wget, curl and aria2c against a loopback server: the
// picture arrives in the download folder, and the server saw the referer.
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
            return LoopbackHttpServer::Response(404, "no");
        })
        , m_downloadsSetting("VORTALUX_DOWNLOADS", m_downloads.path().string())
    {
        const fs::path source = fs::path(VORTALUX_SOURCE_DIR) / "data" / "Managers";
        for (const char* name : {"wget.vtm", "curl.vtm", "aria2.vtm"})
            WriteFileBytes(m_home / "Managers" / name, ReadFileBytes(source / name));
        m_store.LoadManagers(m_home.path());
        RegisterHttpRequestObjects(m_handOff.Host());
    }

    int Position(const std::string& manager) const
    {
        for (size_t i = 0; i < m_store.Definitions().size(); ++i) {
            if (m_store.Definitions()[i].Name == manager)
                return static_cast<int>(i);
        }
        return -1;
    }

    // Hands two pictures to `manager` and checks that both arrive, fetched with the referer.
    void HandOffTwoPictures(const std::string& manager)
    {
        // Plain enough for every program to pass on as it is (aria2 re-encodes blanks and quotes).
        const std::string referer = "http://gallery.test/page?x='y'&n=1";
        std::vector<Variant> list = {Variant::FromString(m_server.Url("/pictures/one.png?size=full")),
            Variant::FromString("one.png"), Variant::FromString(m_server.Url("/pictures/it's-two.png")),
            Variant::FromString("it's-two.png")};
        std::vector<Variant> args = {Variant::FromString(referer),
            Variant::FromArray(script::ScriptArray::FromElements(std::move(list)))};
        ASSERT_TRUE(m_handOff.RunManagerScript(m_store, Position(manager), "AddList", args))
            << (m_presenter.shown().empty() ? "" : m_presenter.shown().back().text);
        for (const char* name : {"one.png", "it's-two.png"}) {
            ASSERT_TRUE(WaitForFile(m_downloads / name, m_picture.size(), 10)) << name;
            EXPECT_EQ(ReadFileBytes(m_downloads / name), m_picture) << name;
        }
        const auto requests = m_server.Requests();
        ASSERT_EQ(requests.size(), 2u);
        for (const RecordedRequest& request : requests)
            EXPECT_EQ(request.Header("Referer"), referer) << request.target;
        EXPECT_TRUE(m_presenter.shown().empty());
    }

    const std::string m_picture = Picture();
    LoopbackHttpServer m_server;
    TempDir m_home;
    TempDir m_downloads;
    ScopedEnvironment m_downloadsSetting;
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
    const std::string dirOption = "--dir=" + m_downloads.path().string();
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
