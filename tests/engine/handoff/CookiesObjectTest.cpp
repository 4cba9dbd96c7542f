// "Vortalux.Cookies": the browser's cookies as definitions hand them to download managers.
#include "CookiesObject.h"
#include "Coercion.h"
#include "CookieStore.h"
#include "NetscapeCookieFile.h"
#include "ScopedEnvironment.h"
#include "ScriptHost.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

using namespace vortalux;
using namespace vortalux::test;
using script::Variant;
namespace fs = std::filesystem;

namespace {

constexpr std::int64_t Now = 1'800'000'000;

Cookie MakeCookie(std::string name, std::string value, std::string host, std::string path,
    std::int64_t expiry = 0, bool secure = false)
{
    Cookie cookie;
    cookie.name = std::move(name);
    cookie.value = std::move(value);
    cookie.host = std::move(host);
    cookie.path = std::move(path);
    cookie.expiry = expiry;
    cookie.secure = secure;
    return cookie;
}

std::vector<Cookie> BrowserCookies()
{
    std::vector<Cookie> cookies = {
        MakeCookie("session", "abc", "pics.test", "/"),
        MakeCookie("wide", "1", ".pics.test", "/", Now + 100),
        MakeCookie("album", "7", "pics.test", "/album"),
        MakeCookie("login", "s", "pics.test", "/", 0, true),
        MakeCookie("old", "x", "pics.test", "/", Now - 1),
        MakeCookie("", "nameless", "pics.test", "/"),
        MakeCookie("other", "y", "elsewhere.test", "/"),
        MakeCookie("tabbed", "z", "pics.test", "/a\tb"),
    };
    cookies.push_back(MakeCookie("flagged", "2", "cdn.test", "/"));
    cookies.back().includeSubdomains = true;
    return cookies;
}

// Runs `code` (statements that set `result`) with the object registered and answers `result`,
// or the error as "error N".
std::string RunScript(const std::string& code)
{
    script::ScriptHost host;
    RegisterCookiesObject(host);
    if (!host.AddCode("Dim result\n" + code + "\nFunction Answer()\nAnswer = result\nEnd Function"))
        return "error " + std::to_string(host.Error().number);
    std::vector<Variant> args;
    Variant result;
    if (!host.Run("Answer", args, &result))
        return "error " + std::to_string(host.Error().number);
    return script::ToString(result);
}

class CookiesScript : public testing::Test {
protected:
    CookiesScript()
        : m_cookiesSetting("VORTALUX_COOKIES", (m_home.Path() / "cookies.txt").string())
        , m_runtimeSetting("XDG_RUNTIME_DIR", m_runtime.Path().string())
    {
        WriteFileBytes(m_home / "cookies.txt",
            "pics.test\tFALSE\t/\tFALSE\t0\tsession\tabc\n"
            ".pics.test\tTRUE\t/album\tFALSE\t4102444800\talbum\t7\n");
    }

    fs::path Folder() const { return m_runtime.Path() / "vortalux"; }

    TempDir m_home;
    TempDir m_runtime;
    ScopedEnvironment m_cookiesSetting;
    ScopedEnvironment m_runtimeSetting;
};

mode_t Mode(const fs::path& path)
{
    struct stat status { };
    EXPECT_EQ(lstat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

} // namespace

TEST(CookiesObject, CookieFileHoldsWhatTheLinksGetEachOnceAndReadsBackTheSame)
{
    const std::vector<Cookie> cookies = BrowserCookies();
    const std::vector<std::string> urls = {"http://pics.test/album/1.jpg", "https://pics.test/2.jpg",
        "http://pics.test/3.jpg", "http://x.cdn.test/4.jpg", "http://pics.test/a\tb/5.jpg"};
    const std::string text = CookiesObject::CookieFileText(cookies, urls, Now);
    EXPECT_EQ(text,
        "# Netscape HTTP Cookie File\n"
        "pics.test\tFALSE\t/album\tFALSE\t0\talbum\t7\n"
        "pics.test\tFALSE\t/\tFALSE\t0\tsession\tabc\n"
        ".pics.test\tTRUE\t/\tFALSE\t1800000100\twide\t1\n"
        "pics.test\tFALSE\t/\tTRUE\t0\tlogin\ts\n"
        ".cdn.test\tTRUE\t/\tFALSE\t0\tflagged\t2\n");

    // What a program reading the file sends is what the browser sends, for every link; the
    // cookies that cannot be a line of the file (no name, a tab) are the only ones missing.
    const std::vector<Cookie> readBack = ParseNetscapeCookies(text);
    for (const std::string& url : urls) {
        std::vector<Cookie> writable;
        for (const Cookie& cookie : cookies) {
            if (!cookie.name.empty() && cookie.path.find('\t') == std::string::npos)
                writable.push_back(cookie);
        }
        EXPECT_EQ(
            CookieStore::CookieHeader(readBack, url, Now), CookieStore::CookieHeader(writable, url, Now))
            << url;
    }
    EXPECT_EQ(CookiesObject::CookieFileText(cookies, {"http://nobody.test/", "file:///etc/passwd"}, Now), "");
}

TEST_F(CookiesScript, ForUrlAnswersTheHeaderTheBrowserSends)
{
    EXPECT_EQ(
        RunScript("result = CreateObject(\"Vortalux.Cookies\").ForUrl(\"http://www.pics.test/album/x\")"),
        "album=7");
    EXPECT_EQ(RunScript("result = CreateObject(\"Vortalux.Cookies\").ForUrl(\"HTTP://pics.test/album/x\")"),
        "album=7; session=abc");
    EXPECT_EQ(RunScript("result = CreateObject(\"Vortalux.Cookies\").ForUrl(\"ftp://pics.test/\")"), "");
    EXPECT_EQ(RunScript("result = CreateObject(\"Vortalux.Cookies\").ForUrl()"), "error 450");
    EXPECT_EQ(RunScript("result = CreateObject(\"Vortalux.Cookies\").Cookies"), "error 438");
}

TEST_F(CookiesScript, WriteCookieFileWritesAPrivateFileOnlyWhenALinkGetsCookies)
{
    const std::string path = RunScript("Dim list(3)\nlist(0) = \"http://pics.test/album/1.jpg\"\n"
                                       "list(1) = \"http://pics.test/named-like-a-link.jpg\"\n"
                                       "list(2) = \"http://nobody.test/2.jpg\"\nlist(3) = \"2.jpg\"\n"
                                       "result = CreateObject(\"Vortalux.Cookies\").WriteCookieFile(list)");
    ASSERT_EQ(fs::path(path).parent_path(), Folder()) << path;
    EXPECT_EQ(fs::path(path).extension(), ".txt");
    EXPECT_EQ(ReadFileBytes(path),
        "# Netscape HTTP Cookie File\n"
        ".pics.test\tTRUE\t/album\tFALSE\t4102444800\talbum\t7\n"
        "pics.test\tFALSE\t/\tFALSE\t0\tsession\tabc\n");
    EXPECT_EQ(Mode(path), 0600u);
    EXPECT_EQ(Mode(Folder()), 0700u);

    // Every call gets a file of its own; no link with cookies, no file.
    const std::string second
        = RunScript("result = CreateObject(\"Vortalux.Cookies\").WriteCookieFile(\"http://pics.test/\")");
    EXPECT_NE(second, path);
    EXPECT_EQ(
        ReadFileBytes(second), "# Netscape HTTP Cookie File\npics.test\tFALSE\t/\tFALSE\t0\tsession\tabc\n");
    EXPECT_EQ(
        RunScript(
            "result = CreateObject(\"Vortalux.Cookies\").WriteCookieFile(Array(\"http://a.test/\", 1))"),
        "");
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder()), fs::directory_iterator()), 2);
}

TEST_F(CookiesScript, WriteCookieFileKeepsTheFolderPrivateAndSweepsFilesOfKilledJobs)
{
    const std::string write
        = "result = CreateObject(\"Vortalux.Cookies\").WriteCookieFile(\"http://pics.test/\")";
    // A folder others may read is made private; old cookie files go, anything else stays.
    fs::create_directories(Folder());
    chmod(Folder().c_str(), 0755);
    WriteFileBytes(Folder() / "cookies-OLD123.txt", "old");
    WriteFileBytes(Folder() / "cookies-NEW123.txt", "new");
    WriteFileBytes(Folder() / "notes-OLD.txt", "kept");
    const auto twoDaysAgo = fs::file_time_type::clock::now() - std::chrono::hours(48);
    fs::last_write_time(Folder() / "cookies-OLD123.txt", twoDaysAgo);
    fs::last_write_time(Folder() / "notes-OLD.txt", twoDaysAgo);
    EXPECT_NE(RunScript(write).find(Folder().string()), std::string::npos);
    EXPECT_EQ(Mode(Folder()), 0700u);
    EXPECT_FALSE(fs::exists(Folder() / "cookies-OLD123.txt"));
    EXPECT_TRUE(fs::exists(Folder() / "cookies-NEW123.txt"));
    EXPECT_TRUE(fs::exists(Folder() / "notes-OLD.txt"));

    // A folder that is a link to elsewhere is nobody's private folder.
    fs::remove_all(Folder());
    TempDir elsewhere;
    fs::create_directory_symlink(elsewhere.Path(), Folder());
    EXPECT_EQ(RunScript(write), "error 70");
    EXPECT_TRUE(fs::is_empty(elsewhere.Path()));
}
