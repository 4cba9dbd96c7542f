#include "CookieStore.h"
#include "FirefoxCookieDatabase.h"
#include "FirefoxProfileLocator.h"
#include "NetscapeCookieFile.h"
#include "TestSupport.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>

using namespace vortalux;
using vortalux::test::TempDir;
using vortalux::test::WriteFileBytes;

namespace {

constexpr std::int64_t Now = 1'700'000'000;

Cookie MakeCookie(std::string name, std::string host, std::string path = "/", std::int64_t creation = 0)
{
    Cookie cookie;
    cookie.name = std::move(name);
    cookie.value = "v";
    cookie.host = std::move(host);
    cookie.path = std::move(path);
    cookie.creationTime = creation;
    return cookie;
}

// Sets an environment variable for the life of the object, then puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        Set(value);
    }
    ~ScopedEnv() { Set(m_old); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Set(const std::optional<std::string>& value)
    {
        if (value)
            setenv(m_name, value->c_str(), 1);
        else
            unsetenv(m_name);
    }
    const char* m_name;
    std::optional<std::string> m_old;
};

class Database {
public:
    explicit Database(const std::filesystem::path& path)
    {
        if (sqlite3_open(path.c_str(), &m_db) != SQLITE_OK)
            throw std::runtime_error("cannot open the test database");
    }
    ~Database() { sqlite3_close(m_db); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void Run(const std::string& sql)
    {
        char* message = nullptr;
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string text = message != nullptr ? message : "?";
            sqlite3_free(message);
            throw std::runtime_error(text + " in " + sql);
        }
    }

private:
    sqlite3* m_db = nullptr;
};

// The moz_cookies table as current Firefox versions create it.
void CreateFirefoxSchema(Database& db)
{
    db.Run("CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT NOT NULL DEFAULT '', "
           "name TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER, lastAccessed INTEGER, "
           "creationTime INTEGER, isSecure INTEGER, isHttpOnly INTEGER, inBrowserElement INTEGER DEFAULT 0, "
           "sameSite INTEGER DEFAULT 0, rawSameSite INTEGER DEFAULT 0, schemeMap INTEGER DEFAULT 0, "
           "CONSTRAINT moz_uniqueid UNIQUE (name, host, path, originAttributes))");
}

std::string InsertCookie(const std::string& name, const std::string& host, const std::string& path,
    std::int64_t expiry, int secure, std::int64_t creation, const std::string& origin = "")
{
    return "INSERT INTO moz_cookies (originAttributes, name, value, host, path, expiry, lastAccessed, "
           "creationTime, isSecure, isHttpOnly) VALUES ('"
        + origin + "', '" + name + "', '" + name + "-value', '" + host + "', '" + path + "', "
        + std::to_string(expiry) + ", 0, " + std::to_string(creation) + ", " + std::to_string(secure)
        + ", 0)";
}

std::int64_t InAnHour() { return static_cast<std::int64_t>(std::time(nullptr)) + 3600; }

} // namespace

TEST(NetscapeCookieFile, ReadsCookieLinesAndSkipsTheRest)
{
    const std::vector<Cookie> cookies
        = ParseNetscapeCookies("# Netscape HTTP Cookie File\r\n"
                               "\r\n"
                               ".example.com\tTRUE\t/\tFALSE\t0\tsid\tabc\r\n"
                               "#HttpOnly_www.example.com\tFALSE\t/a\tTRUE\t1999999999\ttok\tx y\n"
                               "# a comment\tTRUE\t/\tFALSE\t0\tno\tno\n"
                               "host\tMAYBE\t/\tFALSE\t0\tbad\tflag\n"
                               "host\tTRUE\t/\tFALSE\tsoon\tbad\texpiry\n"
                               "too\tfew\tfields\n"
                               "curl.example\tFALSE\t/\tFALSE\t0\tempty");
    ASSERT_EQ(cookies.size(), 3u);
    EXPECT_EQ(cookies[0].host, ".example.com");
    EXPECT_TRUE(cookies[0].includeSubdomains);
    EXPECT_EQ(cookies[0].name, "sid");
    EXPECT_EQ(cookies[0].value, "abc");
    EXPECT_EQ(cookies[1].host, "www.example.com");
    EXPECT_FALSE(cookies[1].includeSubdomains);
    EXPECT_EQ(cookies[1].path, "/a");
    EXPECT_TRUE(cookies[1].secure);
    EXPECT_EQ(cookies[1].expiry, 1999999999);
    EXPECT_EQ(cookies[1].value, "x y");
    EXPECT_EQ(cookies[2].name, "empty");
    EXPECT_EQ(cookies[2].value, "");
    EXPECT_LT(cookies[0].creationTime, cookies[1].creationTime);
}

TEST(CookieHeader, MatchesHostOnlyAndDomainCookies)
{
    std::vector<Cookie> cookies = {MakeCookie("hostOnly", "example.com"),
        MakeCookie("domain", ".example.com"), MakeCookie("flagged", "example.com"),
        MakeCookie("other", ".other.com"), MakeCookie("sub", "www.example.com")};
    cookies[2].includeSubdomains = true;
    EXPECT_EQ(
        CookieStore::CookieHeader(cookies, "http://example.com/", Now), "hostOnly=v; domain=v; flagged=v");
    EXPECT_EQ(CookieStore::CookieHeader(cookies, "http://WWW.Example.com:8080/dir/", Now),
        "domain=v; flagged=v; sub=v");
    EXPECT_EQ(CookieStore::CookieHeader(cookies, "http://badexample.com/", Now), "");
    EXPECT_EQ(CookieStore::CookieHeader(cookies, "http://user@example.com/", Now),
        "hostOnly=v; domain=v; flagged=v");
    EXPECT_EQ(CookieStore::CookieHeader(cookies, "not a url", Now), "");
}

TEST(CookieHeader, MatchesPathsAsBrowsersDo)
{
    const std::vector<Cookie> cookies = {MakeCookie("dir", "h", "/dir"), MakeCookie("dirSlash", "h", "/dir/"),
        MakeCookie("root", "h", "/"), MakeCookie("deep", "h", "/dir/sub")};
    EXPECT_EQ(CookieStore::CookieHeader(cookies, "http://h/dir", Now), "dir=v; root=v");
    EXPECT_EQ(CookieStore::CookieHeader(cookies, "http://h/dir/", Now), "dirSlash=v; dir=v; root=v");
    EXPECT_EQ(
        CookieStore::CookieHeader(cookies, "http://h/dir/sub/", Now), "deep=v; dirSlash=v; dir=v; root=v");
    EXPECT_EQ(CookieStore::CookieHeader(cookies, "http://h/directory/", Now), "root=v");
    EXPECT_EQ(CookieStore::CookieHeader(cookies, "http://h", Now), "root=v");
    EXPECT_EQ(CookieStore::CookieHeader(cookies, "http://h/x?d=/dir/", Now), "root=v");
}

TEST(CookieHeader, LeavesOutSecureCookiesOverHttpAndExpiredOnes)
{
    std::vector<Cookie> cookies = {MakeCookie("secure", "h"), MakeCookie("expired", "h"),
        MakeCookie("session", "h"), MakeCookie("later", "h")};
    cookies[0].secure = true;
    cookies[1].expiry = Now - 1;
    cookies[3].expiry = Now + 1;
    EXPECT_EQ(CookieStore::CookieHeader(cookies, "http://h/", Now), "session=v; later=v");
    EXPECT_EQ(CookieStore::CookieHeader(cookies, "https://h/", Now), "secure=v; session=v; later=v");
}

TEST(CookieHeader, PutsLongerPathsFirstThenOlderCookies)
{
    const std::vector<Cookie> cookies = {MakeCookie("young", "h", "/", 30), MakeCookie("old", "h", "/", 10),
        MakeCookie("long", "h", "/a/", 50), MakeCookie("middle", "h", "/", 20)};
    EXPECT_EQ(CookieStore::CookieHeader(cookies, "http://h/a/", Now), "long=v; old=v; middle=v; young=v");
}

TEST(CookieHeader, LeavesOutCookiesThatWouldBreakTheHeader)
{
    std::vector<Cookie> cookies = {MakeCookie("ok", "h"), MakeCookie("crlf", "h"), MakeCookie("semi", "h"),
        MakeCookie("eq=", "h"), MakeCookie("", "h")};
    cookies[1].value = "a\r\nX-Injected: 1";
    cookies[2].value = "a;b";
    cookies[4].value = "bare";
    EXPECT_EQ(CookieStore::CookieHeader(cookies, "http://h/", Now), "ok=v; bare");
}

TEST(CookieStore, ReadsNetscapeFilesAndFirefoxDatabasesByContent)
{
    TempDir dir;
    WriteFileBytes(dir / "cookies.sqlite.txt", "site.test\tFALSE\t/\tFALSE\t0\tfromText\t1\n");
    EXPECT_EQ(CookieStore(dir / "cookies.sqlite.txt").ReadCookies("http://site.test/page/"), "fromText=1");

    {
        Database db(dir / "cookies.txt");
        CreateFirefoxSchema(db);
        db.Run(InsertCookie("fromDb", "site.test", "/", 0, 0, 1));
    }
    EXPECT_EQ(CookieStore(dir / "cookies.txt").ReadCookies("http://site.test/"), "fromDb=fromDb-value");
    EXPECT_EQ(CookieStore(dir / "missing").ReadCookies("http://site.test/"), "");
    EXPECT_EQ(CookieStore().ReadCookies("http://site.test/"), "");
}

TEST(FirefoxCookieDatabase, TakesOrdinaryCookiesWithTheirFields)
{
    TempDir dir;
    const auto path = dir / "cookies.sqlite";
    const std::int64_t expiry = InAnHour();
    {
        Database db(path);
        CreateFirefoxSchema(db);
        db.Run(InsertCookie("plain", ".site.test", "/", expiry, 0, 200));
        db.Run(InsertCookie("secure", "www.site.test", "/img", expiry, 1, 100));
        db.Run(InsertCookie("container", ".site.test", "/", expiry, 0, 50, "^userContextId=1"));
        db.Run(InsertCookie("expired", ".site.test", "/", 1000, 0, 10));
        db.Run(InsertCookie("milliseconds", ".site.test", "/", expiry * 1000, 0, 300));
    }
    const std::vector<Cookie> cookies = ReadFirefoxCookies(path);
    ASSERT_EQ(cookies.size(), 4u);
    EXPECT_EQ(cookies[0].name, "plain");
    EXPECT_EQ(cookies[0].host, ".site.test");
    EXPECT_EQ(cookies[1].path, "/img");
    EXPECT_TRUE(cookies[1].secure);
    EXPECT_EQ(cookies[1].creationTime, 100);
    EXPECT_EQ(cookies[3].expiry, expiry);

    CookieStore store(path);
    EXPECT_EQ(store.ReadCookies("https://www.site.test/img/"),
        "secure=secure-value; plain=plain-value; milliseconds=milliseconds-value");
    EXPECT_EQ(
        store.ReadCookies("http://www.site.test/img/"), "plain=plain-value; milliseconds=milliseconds-value");
}

TEST(FirefoxCookieDatabase, ReadsADatabaseABrowserHoldsLockedAndItsLog)
{
    TempDir dir;
    const auto path = dir / "cookies.sqlite";
    Database browser(path);
    CreateFirefoxSchema(browser);
    browser.Run("PRAGMA journal_mode=WAL");
    browser.Run("PRAGMA wal_autocheckpoint=0");
    browser.Run(InsertCookie("inLog", "site.test", "/", 0, 0, 1));
    ASSERT_TRUE(std::filesystem::file_size(path.string() + "-wal") > 0);
    // The browser is in the middle of writing: its transaction is not visible, the rest is.
    browser.Run("BEGIN EXCLUSIVE");
    browser.Run(InsertCookie("uncommitted", "site.test", "/", 0, 0, 2));

    EXPECT_EQ(CookieStore(path).ReadCookies("http://site.test/"), "inLog=inLog-value");
    browser.Run("COMMIT");
    EXPECT_EQ(CookieStore(path).ReadCookies("http://site.test/"),
        "inLog=inLog-value; uncommitted=uncommitted-value");
}

TEST(FirefoxCookieDatabase, GivesNothingForABrokenFile)
{
    TempDir dir;
    WriteFileBytes(dir / "cookies.sqlite", std::string("SQLite format 3\0", 16) + std::string(2000, 'x'));
    EXPECT_TRUE(ReadFirefoxCookies(dir / "cookies.sqlite").empty());
    EXPECT_EQ(CookieStore(dir / "cookies.sqlite").ReadCookies("http://x/"), "");
    EXPECT_TRUE(ReadFirefoxCookies(dir / "absent.sqlite").empty());
}

TEST(FirefoxProfileLocator, FindsTheDefaultProfile)
{
    TempDir home;
    const auto firefox = home / ".mozilla/firefox";
    WriteFileBytes(firefox / "abc.default-release/cookies.sqlite", "");
    WriteFileBytes(firefox / "old.default/cookies.sqlite", "");
    WriteFileBytes(home / "elsewhere/profile/cookies.sqlite", "");

    const std::string profiles
        = "[Profile1]\nName=default\nIsRelative=1\nPath=old.default\nDefault=1\n\n"
          "[Profile0]\nName=default-release\nIsRelative=1\nPath=abc.default-release\n\n";
    WriteFileBytes(firefox / "profiles.ini",
        profiles
            + "[Install4F96D1932A9F858E]\r\nDefault=abc.default-release\r\nLocked=1\r\n\r\n[General]"
              "\nVersion=2\n");
    EXPECT_EQ(FirefoxProfileLocator(home.Path()).FindCookieDatabase(),
        firefox / "abc.default-release/cookies.sqlite");

    WriteFileBytes(firefox / "profiles.ini", profiles);
    EXPECT_EQ(
        FirefoxProfileLocator(home.Path()).FindCookieDatabase(), firefox / "old.default/cookies.sqlite");

    WriteFileBytes(firefox / "profiles.ini",
        "[Profile0]\nIsRelative=0\nPath=" + (home / "elsewhere/profile").string() + "\nDefault=1\n");
    EXPECT_EQ(
        FirefoxProfileLocator(home.Path()).FindCookieDatabase(), home / "elsewhere/profile/cookies.sqlite");

    // An installation whose profile has no cookies yet falls back on the marked profile.
    WriteFileBytes(firefox / "profiles.ini", "[InstallX]\nDefault=none\n" + profiles);
    EXPECT_EQ(
        FirefoxProfileLocator(home.Path()).FindCookieDatabase(), firefox / "old.default/cookies.sqlite");

    WriteFileBytes(firefox / "profiles.ini", "[Profile0]\nPath=abc.default-release\n");
    EXPECT_EQ(FirefoxProfileLocator(home.Path()).FindCookieDatabase(), std::nullopt);
    TempDir emptyHome;
    EXPECT_EQ(FirefoxProfileLocator(emptyHome.Path()).FindCookieDatabase(), std::nullopt);
}

TEST(CookieStore, TakesItsSourceFromTheEnvironment)
{
    TempDir home;
    const auto profile = home / ".mozilla/firefox/p.default";
    std::filesystem::create_directories(profile);
    {
        Database db(profile / "cookies.sqlite");
        CreateFirefoxSchema(db);
        db.Run(InsertCookie("browser", "site.test", "/", 0, 0, 1));
    }
    WriteFileBytes(home / ".mozilla/firefox/profiles.ini", "[Install1]\nDefault=p.default\n");
    WriteFileBytes(home / "cookies.txt", "site.test\tFALSE\t/\tFALSE\t0\tchosen\t1\n");

    const ScopedEnv homeEnv("HOME", home.Path().string());
    {
        const ScopedEnv cookiesEnv("VORTALUX_COOKIES", std::nullopt);
        EXPECT_EQ(CookieStore::FromEnvironment().ReadCookies("http://site.test/"), "browser=browser-value");
    }
    {
        const ScopedEnv cookiesEnv("VORTALUX_COOKIES", (home / "cookies.txt").string());
        EXPECT_EQ(CookieStore::FromEnvironment().ReadCookies("http://site.test/"), "chosen=1");
    }
    TempDir emptyHome;
    const ScopedEnv emptyHomeEnv("HOME", emptyHome.Path().string());
    const ScopedEnv cookiesEnv("VORTALUX_COOKIES", std::nullopt);
    EXPECT_TRUE(CookieStore::FromEnvironment().Source().empty());
}
