#include "PageFetcher.h"
#include "CommaDecimalLocale.h"
#include "ScopedEnvironment.h"
#include "ScriptedServer.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QSslSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <cctype>
#include <clocale>

using namespace vortalux;
using vortalux::test::ScriptedServer;
using vortalux::test::ServerReply;
using namespace std::chrono_literals;

namespace {

const std::string Ok = "HTTP/1.0 200 OK\r\n\r\n";

ServerReply Redirect(const std::string& code, const std::string& location)
{
    return ServerReply::Whole("HTTP/1.1 " + code + " Moved\r\nLocation: " + location + "\r\n\r\nmoved body");
}

std::string RequestLine(const std::string& request) { return request.substr(0, request.find("\r\n")); }

class PageFetcherTest : public testing::Test {
protected:
    PageFetcherTest()
    {
        m_fetcher.SetTag("T");
        m_fetcher.SetStatusCallback([this](const std::string& text) { m_statuses.push_back(text); });
        m_fetcher.SetCookieLookup([this](const std::string& url) {
            m_cookieUrls.push_back(url);
            return m_cookieText;
        });
        // Long enough for any loaded machine, short enough that a fault does not stall the run.
        m_fetcher.SetSilenceLimit(10s);
    }

    PageFetcher m_fetcher;
    std::vector<std::string> m_statuses;
    std::vector<std::string> m_cookieUrls;
    std::string m_cookieText;
};

} // namespace

TEST(PageFetcherRequest, ListsTheLinesOfTheRequest)
{
    using Lines = std::vector<std::string>;
    const std::string agent = "User-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)";
    EXPECT_EQ(PageFetcher::RequestLines("http://Site.Example/a/B?c=1#f", ""),
        (Lines {"GET /a/B?c=1#f HTTP/1.0", "Host: site.example", agent, "Accept: */*, *,*",
            "Connection: close", ""}));
    EXPECT_EQ(PageFetcher::RequestLines("http://site", "")[0], "GET / HTTP/1.0");
    EXPECT_EQ(PageFetcher::RequestLines("http://site/", "")[0], "GET / HTTP/1.0");
    EXPECT_EQ(PageFetcher::RequestLines("http://site//", "")[0], "GET // HTTP/1.0");
    EXPECT_EQ(PageFetcher::RequestLines("http://site:80/", "")[1], "Host: site");
    EXPECT_EQ(PageFetcher::RequestLines("http://site:443/", "")[1], "Host: site:443");
    EXPECT_EQ(PageFetcher::RequestLines("https://site:443/", "")[1], "Host: site");
    EXPECT_EQ(PageFetcher::RequestLines("https://site:8443/", "")[1], "Host: site:8443");
    EXPECT_EQ(PageFetcher::RequestLines("ftp://site/f", "")[1], "Host: site");
    EXPECT_EQ(PageFetcher::RequestLines("http://s/", " a=1; b=2 ")[3], "Cookie:  a=1; b=2 ");
    EXPECT_EQ(PageFetcher::RequestLines("http://s/", "   ").size(), 6u);
    EXPECT_TRUE(PageFetcher::RequestLines("file:///etc/passwd", "").empty());
}

TEST(PageFetcherRequest, NoControlByteOfTheAddressOrTheCookieReachesTheRequest)
{
    using Lines = std::vector<std::string>;
    const std::string agent = "User-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)";
    // The path's control bytes and blanks go out percent-encoded; "%" and other bytes stay.
    EXPECT_EQ(PageFetcher::RequestLines("http://site/x\r\nX-Evil: 1", ""),
        (Lines {"GET /x%0D%0AX-Evil:%201 HTTP/1.0", "Host: site", agent, "Accept: */*, *,*",
            "Connection: close", ""}));
    EXPECT_EQ(PageFetcher::RequestLines(std::string("http://site/a b\tc\x01\x7f\0%41\xe9?q=1 2", 30), "")[0],
        "GET /a%20b%09c%01%7F%00%41\xe9?q=1%202 HTTP/1.0");
    // A host with such bytes is no host at all.
    for (const std::string& url : std::vector<std::string> {"http://si\r\nte/", "http://a b/",
             "http://a\tb:80/", "http:///x", std::string("http://a\0b/", 12)})
        EXPECT_TRUE(PageFetcher::RequestLines(url, "").empty()) << url;
    // Cookie pairs with control bytes are left out; the others go.
    EXPECT_EQ(PageFetcher::RequestLines("http://s/", "a=1; evil=x\r\nX-Evil: 1; b=2")[3], "Cookie: a=1; b=2");
    EXPECT_EQ(PageFetcher::RequestLines("http://s/", "evil=\n")[3], "Accept: */*, *,*");
}

TEST(PageFetcherRequest, FtpAddressesGetTheHttpRequestOnPort80)
{
    EXPECT_EQ(PageFetcher::ConnectionPort("ftp://site/f"), 80);
    EXPECT_EQ(PageFetcher::ConnectionPort("FTP://site"), 80);
    EXPECT_EQ(PageFetcher::ConnectionPort("ftp://site:21/f"), 21);
    EXPECT_EQ(PageFetcher::ConnectionPort("ftp://site:2121/f"), 2121);
    EXPECT_EQ(PageFetcher::ConnectionPort("http://site/"), 80);
    EXPECT_EQ(PageFetcher::ConnectionPort("https://site/"), 443);
    EXPECT_EQ(PageFetcher::ConnectionPort("http://site:8080"), 8080);
    EXPECT_EQ(PageFetcher::ConnectionPort("file:///etc/passwd"), 0);
    EXPECT_EQ(PageFetcher::RequestLines("ftp://site:21/f", "")[1], "Host: site:21");
    EXPECT_EQ(PageFetcher::RequestLines("ftp://site:80/f", "")[1], "Host: site");
}

TEST(PageFetcherSettings, TheOverallLimitComesFromTheEnvironmentInSeconds)
{
    using namespace std::chrono_literals;
    const std::vector<std::pair<std::optional<std::string>, std::chrono::milliseconds>> cases {
        {std::nullopt, 600s}, {"7", 7s}, {"0", 600s}, {"-5", 600s}, {"5s", 600s}, {"", 600s}, {"1.5", 600s}};
    for (const auto& [value, limit] : cases) {
        const vortalux::test::ScopedEnvironment environment("VORTALUX_PAGE_TIME_LIMIT", value);
        EXPECT_EQ(PageFetcher().PageTimeLimit(), limit) << value.value_or("unset");
    }
}

TEST(PageFetcherProgress, ShowsKilobytesToOneDecimalTiesToEven)
{
    EXPECT_EQ(PageFetcher::KilobyteText(12800, "."), "12.5");
    EXPECT_EQ(PageFetcher::KilobyteText(12800, ","), "12,5");
    EXPECT_EQ(PageFetcher::KilobyteText(12288, "."), "12");
    EXPECT_EQ(PageFetcher::KilobyteText(100, "."), "0.1");
    EXPECT_EQ(PageFetcher::KilobyteText(0, "."), "0");
    EXPECT_EQ(PageFetcher::KilobyteText(51, "."), "0");
    EXPECT_EQ(PageFetcher::KilobyteText(256, "."), "0.2"); // 0.25
    EXPECT_EQ(PageFetcher::KilobyteText(768, "."), "0.8"); // 0.75
    EXPECT_EQ(PageFetcher::KilobyteText(1023, "."), "1");
    EXPECT_EQ(PageFetcher::KilobyteText(64 * 1024 * 1024, "."), "65536");
}

TEST_F(PageFetcherTest, SendsTheRequestAndReturnsTheBody)
{
    ScriptedServer server(
        [](int, const std::string&) { return ServerReply::Whole(Ok + "<html>page</html>"); });
    m_cookieText = "a=1; b=2";
    EXPECT_EQ(m_fetcher.OpenURL(server.Url("/dir/a.php?c=1&d=/x")), "<html>page</html>");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0],
        "GET /dir/a.php?c=1&d=/x HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(server.Port())
            + "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\nCookie: a=1; b=2\r\n"
              "Accept: */*, *,*\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(m_cookieUrls, std::vector<std::string> {server.Url("/dir/a.php?c=1&d=/")});
    EXPECT_EQ(m_fetcher.FetchedUrl(), server.Url("/dir/a.php?c=1&d=/x"));
    EXPECT_TRUE(m_fetcher.IsFinished());
    EXPECT_EQ(m_fetcher.LastFailure(), "");

    m_cookieText = " ";
    const std::string bare = "http://127.0.0.1:" + std::to_string(server.Port());
    EXPECT_EQ(m_fetcher.OpenURL(bare), "<html>page</html>");
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(RequestLine(server.Requests()[1]), "GET / HTTP/1.0");
    EXPECT_EQ(server.Requests()[1].find("Cookie"), std::string::npos);
}

TEST_F(PageFetcherTest, LinksLocationsAndCookiesCannotAddHeaderLines)
{
    ScriptedServer server([](int index, const std::string&) {
        switch (index) {
        case 0:
            return Redirect("302", "/next page");
        case 1:
            return ServerReply::Whole("HTTP/1.1 302 Found\r\nLocation: /x\rX-Evil: 1\r\n\r\n");
        default:
            return ServerReply::Whole(Ok + "page");
        }
    });
    const std::string expectedTail = "\r\nHost: 127.0.0.1:" + std::to_string(server.Port())
        + "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n"
          "Accept: */*, *,*\r\nConnection: close\r\n\r\n";

    // A Location with a bare CR is a broken header: the redirect leads nowhere.
    EXPECT_EQ(m_fetcher.OpenURL(server.Url("/a\r\nX-Evil: 1")), "");
    EXPECT_EQ(m_fetcher.LastFailure(), "HTTP status 302 without a usable Location");
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[0], "GET /a%0D%0AX-Evil:%201 HTTP/1.0" + expectedTail);
    EXPECT_EQ(server.Requests()[1], "GET /next%20page HTTP/1.0" + expectedTail);

    // Cookies from the browser's store holding control bytes stay out, the others go.
    vortalux::test::TempDir home;
    vortalux::test::WriteFileBytes(home / "cookies.txt",
        "127.0.0.1\tFALSE\t/\tFALSE\t0\tgood\t1\n"
        "127.0.0.1\tFALSE\t/\tFALSE\t0\tevil\tx\rX-Evil: 1\n"
        "127.0.0.1\tFALSE\t/\tFALSE\t0\tbell\t\a\n");
    const vortalux::test::ScopedEnvironment cookies("VORTALUX_COOKIES", (home / "cookies.txt").string());
    PageFetcher browserCookies;
    EXPECT_EQ(browserCookies.OpenURL(server.Url("/c")), "page");
    ASSERT_EQ(server.Requests().size(), 3u);
    EXPECT_EQ(server.Requests()[2],
        "GET /c HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(server.Port())
            + "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\nCookie: good=1\r\n"
              "Accept: */*, *,*\r\nConnection: close\r\n\r\n");
}

TEST_F(PageFetcherTest, ReportsProgressForEachBlock)
{
    ScriptedServer server([](int, const std::string&) {
        return ServerReply {{{0, "HTTP/1.1 200\r\nServer: x\r\n"}, {150, "\r\n" + std::string(100, 'a')},
                                {150, std::string(12700, 'b')}, {150, std::string(12188, 'c')}},
            true};
    });
    const std::string page = m_fetcher.OpenURL(server.Url("/p"));
    EXPECT_EQ(page.size(), 100u + 12700u + 12188u);
    EXPECT_EQ(page.substr(0, 2), "aa");
    EXPECT_EQ(m_statuses,
        (std::vector<std::string> {"T - Downloading page (connected)", "T - Downloading page (header)",
            "T - Downloading page (header)", "T - Downloading page (0.1 Kb)",
            "T - Downloading page (12.5 Kb)", "T - Downloading page (24.4 Kb)"}));
}

TEST_F(PageFetcherTest, KeepsAHeaderSplitAcrossReadsOutOfTheBody)
{
    ScriptedServer server([](int, const std::string&) {
        return ServerReply {{{0, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"}, {150, "X-Other: 1\r\n"},
                                {150, "Set-Cookie: a=b\r\n\r\nbody"}},
            true};
    });
    EXPECT_EQ(m_fetcher.OpenURL(server.Url("/")), "body");
}

TEST_F(PageFetcherTest, AcceptsBareLineFeedsAndCapitalHeaderNames)
{
    ScriptedServer server([](int index, const std::string&) {
        if (index == 0)
            return ServerReply::Whole("HTTP/1.0 302\nLOCATION: next.html\n\nignored");
        return ServerReply::Whole("HTTP/1.0 200\nX: y\n\nfinal");
    });
    EXPECT_EQ(m_fetcher.OpenURL(server.Url("/dir/first.html")), "final");
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(RequestLine(server.Requests()[1]), "GET /dir/next.html HTTP/1.0");
}

TEST_F(PageFetcherTest, FollowsRelativeAndAbsoluteRedirects)
{
    ScriptedServer other([](int, const std::string&) { return ServerReply::Whole(Ok + "elsewhere"); });
    ScriptedServer server([&other](int index, const std::string&) {
        switch (index) {
        case 0:
            return Redirect("301", "x2.html");
        case 1:
            return Redirect("303", "/top/x3.html?q=1");
        case 2:
            return Redirect("307", "//127.0.0.1:" + std::to_string(other.Port()) + "/scheme-relative");
        default:
            return ServerReply::Whole("HTTP/1.1 500 Error\r\n\r\n");
        }
    });
    ScriptedServer chain(
        [&server](int, const std::string&) { return Redirect("308", server.Url("/dir/page.html")); });

    EXPECT_EQ(m_fetcher.OpenURL(chain.Url("/start")), "elsewhere");
    ASSERT_EQ(server.Requests().size(), 3u);
    EXPECT_EQ(RequestLine(server.Requests()[0]), "GET /dir/page.html HTTP/1.0");
    EXPECT_EQ(RequestLine(server.Requests()[1]), "GET /dir/x2.html HTTP/1.0");
    EXPECT_EQ(RequestLine(server.Requests()[2]), "GET /top/x3.html?q=1 HTTP/1.0");
    ASSERT_EQ(other.Requests().size(), 1u);
    EXPECT_EQ(RequestLine(other.Requests()[0]), "GET /scheme-relative HTTP/1.0");
    EXPECT_EQ(m_fetcher.FetchedUrl(), other.Url("/scheme-relative"));
    // Each request carries the cookies of its own address.
    EXPECT_EQ(m_cookieUrls,
        (std::vector<std::string> {
            chain.Url("/"), server.Url("/dir/"), server.Url("/dir/"), server.Url("/top/"), other.Url("/")}));
    // The redirect responses show their header only; the page its progress.
    EXPECT_EQ(m_statuses.back(), "T - Downloading page (0 Kb)");
}

TEST_F(PageFetcherTest, FollowsTwentyRedirectsAndFailsOnTheTwentyFirst)
{
    int loops = 20;
    ScriptedServer server([&loops](int index, const std::string&) {
        return index < loops ? Redirect("302", "loop" + std::to_string(index))
                             : ServerReply::Whole(Ok + "end");
    });
    EXPECT_EQ(m_fetcher.OpenURL(server.Url("/loop")), "end");
    EXPECT_EQ(server.Requests().size(), 21u);

    loops = 1000;
    EXPECT_EQ(m_fetcher.OpenURL(server.Url("/loop")), "");
    EXPECT_EQ(server.Requests().size(), 42u);
    EXPECT_EQ(m_fetcher.LastFailure(), "too many redirects (more than 20)");
}

TEST_F(PageFetcherTest, ReturnsNothingForOtherStatusesAndNonHttpReplies)
{
    ScriptedServer notFound([](int, const std::string&) {
        return ServerReply::Whole("HTTP/1.1 404 Not Found\r\n\r\n<html>not here</html>");
    });
    EXPECT_EQ(m_fetcher.OpenURL(notFound.Url("/missing")), "");
    EXPECT_EQ(m_fetcher.LastFailure(), "HTTP status 404");
    EXPECT_EQ(m_fetcher.LastError(), FetchError::HttpStatus);

    // Refused at its first bytes, not when the server would close (it never does).
    ScriptedServer chatter([](int, const std::string&) {
        return ServerReply {{{0, "SSH-2.0-OpenSSH\r\n"}}, false};
    });
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(m_fetcher.OpenURL(chatter.Url("/")), "");
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(m_fetcher.LastFailure(), "not an HTTP response");

    ScriptedServer noLocation(
        [](int, const std::string&) { return ServerReply::Whole("HTTP/1.1 302 Found\r\n\r\n"); });
    EXPECT_EQ(m_fetcher.OpenURL(noLocation.Url("/dir/x")), "");
    EXPECT_EQ(noLocation.Requests().size(), 1u);
    EXPECT_EQ(m_fetcher.LastFailure(), "HTTP status 302 without a usable Location");

    // What the server says beyond a plain code is not repeated.
    ScriptedServer odd(
        [](int, const std::string&) { return ServerReply::Whole("HTTP/1.1 2\x1b[2J0 OK\r\n\r\n"); });
    EXPECT_EQ(m_fetcher.OpenURL(odd.Url("/")), "");
    EXPECT_EQ(m_fetcher.LastFailure(), "malformed HTTP status line");

    ScriptedServer bigHeader([](int, const std::string&) {
        return ServerReply::Whole("HTTP/1.1 200 OK\r\nX: " + std::string(300 * 1024, 'h') + "\r\n\r\nbody");
    });
    EXPECT_EQ(m_fetcher.OpenURL(bigHeader.Url("/")), "");
    EXPECT_EQ(m_fetcher.LastFailure(), "response header too large");
}

TEST_F(PageFetcherTest, EndsWhenTheServerClosesWhereverItIs)
{
    ScriptedServer midBody([](int, const std::string&) {
        return ServerReply {{{0, Ok + "first part "}, {100, "second part"}}, true};
    });
    EXPECT_EQ(m_fetcher.OpenURL(midBody.Url("/")), "first part second part");

    ScriptedServer midHeader([](int, const std::string&) {
        return ServerReply {{{0, "HTTP/1.1 200 OK\r\nX: y\r\n"}}, true};
    });
    EXPECT_EQ(m_fetcher.OpenURL(midHeader.Url("/")), "");
    EXPECT_EQ(m_fetcher.LastFailure(), "connection lost before the response");
}

TEST_F(PageFetcherTest, FailsWhenTheServerStaysSilent)
{
    ScriptedServer silent([](int, const std::string&) { return ServerReply {{}, false}; });
    ScriptedServer stalls([](int, const std::string&) { return ServerReply {{{0, Ok + "partial"}}, false}; });
    m_fetcher.SetSilenceLimit(300ms);
    for (ScriptedServer* server : {&silent, &stalls}) {
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(m_fetcher.OpenURL(server->Url("/")), "");
        // The timer may fire a little early, never much.
        EXPECT_GE(timer.elapsed(), 250);
        EXPECT_LT(timer.elapsed(), 5000);
        EXPECT_EQ(m_fetcher.LastFailure(), "timed out: no data for 300 ms");
    }
}

TEST_F(PageFetcherTest, StopsReadingAtTheSizeLimit)
{
    ScriptedServer huge([](int, const std::string&) {
        return ServerReply {{{0, Ok + std::string(600, 'a')}, {100, std::string(600, 'b')}}, false};
    });
    m_fetcher.SetMaxBodySize(1000);
    const std::string page = m_fetcher.OpenURL(huge.Url("/"));
    EXPECT_EQ(page, std::string(600, 'a') + std::string(400, 'b'));
    EXPECT_EQ(m_fetcher.LastFailure(), "page too large: cut at 1000 bytes");
}

TEST_F(PageFetcherTest, FailsSilentlyWhenTheConnectionIsRefused)
{
    quint16 port = 0;
    {
        ScriptedServer closed([](int, const std::string&) { return ServerReply {}; });
        port = closed.Port();
    }
    EXPECT_EQ(m_fetcher.OpenURL("http://127.0.0.1:" + std::to_string(port) + "/"), "");
    EXPECT_TRUE(m_statuses.empty());
    EXPECT_TRUE(m_fetcher.IsFinished());
    EXPECT_EQ(m_fetcher.LastFailure(), "connection refused");

    // A name that cannot be a host name fails without asking a name server.
    EXPECT_EQ(m_fetcher.OpenURL("http://bad..name/"), "");
    EXPECT_EQ(m_fetcher.LastFailure(), "host not found");
}

TEST_F(PageFetcherTest, RefusesOtherSchemesWithoutTouchingFetchedUrl)
{
    ScriptedServer server([](int, const std::string&) { return ServerReply::Whole(Ok + "x"); });
    ASSERT_EQ(m_fetcher.OpenURL(server.Url("/a")), "x");
    EXPECT_EQ(m_fetcher.OpenURL("file:///etc/passwd"), "");
    EXPECT_EQ(m_fetcher.LastFailure(), "address refused");
    EXPECT_EQ(m_fetcher.OpenURL("http://h:99999/"), "");
    EXPECT_EQ(m_fetcher.FetchedUrl(), server.Url("/a"));
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(PageFetcherTest, FinishReturnsWhatHasArrived)
{
    ScriptedServer slow([](int, const std::string&) {
        return ServerReply {{{0, Ok + "so far"}, {30000, " and the rest"}}, true};
    });
    m_fetcher.SetStatusCallback([this](const std::string& text) {
        m_statuses.push_back(text);
        if (text.ends_with("Kb)"))
            m_fetcher.Finish();
    });
    EXPECT_EQ(m_fetcher.OpenURL(slow.Url("/")), "so far");
    EXPECT_TRUE(m_fetcher.IsFinished());
    EXPECT_EQ(m_fetcher.LastFailure(), "stopped before the end");
}

TEST_F(PageFetcherTest, CancelReturnsNothing)
{
    ScriptedServer slow([](int, const std::string&) {
        return ServerReply {{{0, Ok + "so far"}, {30000, " and the rest"}}, true};
    });
    QTimer::singleShot(300, &m_fetcher, [this] { m_fetcher.Cancel(); });
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(m_fetcher.OpenURL(slow.Url("/")), "");
    EXPECT_LT(timer.elapsed(), 5000);
    ASSERT_FALSE(m_statuses.empty());
    EXPECT_EQ(m_statuses.back(), "T - Downloading page (0 Kb)");
    EXPECT_EQ(m_fetcher.LastFailure(), "cancelled");
}

TEST_F(PageFetcherTest, FetchesOverTlsFromATrustedServerOnly)
{
    if (!QSslSocket::supportsSsl())
        GTEST_SKIP() << "no TLS backend";
    ScriptedServer server([](int, const std::string&) { return ServerReply::Whole(Ok + "secret page"); });
    server.UseTls();

    EXPECT_EQ(m_fetcher.OpenURL(server.Url("/private")), "");
    EXPECT_EQ(m_fetcher.LastFailure(), "untrusted certificate");

    m_fetcher.AddTrustedCertificates(QSslCertificate::fromPath(
        QString::fromStdString(vortalux::test::TestDataPath("tls-test-ca.pem").string())));
    m_statuses.clear();
    EXPECT_EQ(m_fetcher.OpenURL(server.Url("/private")), "secret page");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(RequestLine(server.Requests()[0]), "GET /private HTTP/1.0");
    ASSERT_FALSE(m_statuses.empty());
    EXPECT_EQ(m_statuses.front(), "T - Downloading page (connected)");
}

TEST_F(PageFetcherTest, ATricklingServerIsCutOffAtTheOverallLimit)
{
    // One byte every 100 ms: the silence limit never runs out.
    ScriptedServer trickle([](int, const std::string&) {
        ServerReply reply {{{0, Ok}}, true};
        for (int i = 0; i < 100; ++i)
            reply.steps.push_back({100, "x"});
        return reply;
    });
    m_fetcher.SetPageTimeLimit(700ms);
    QElapsedTimer timer;
    timer.start();
    const std::string page = m_fetcher.OpenURL(trickle.Url("/"));
    EXPECT_GE(timer.elapsed(), 650);
    EXPECT_LT(timer.elapsed(), 5000);
    // Ended as Esc ends it: what has arrived is the page.
    EXPECT_FALSE(page.empty());
    EXPECT_LT(page.size(), 100u);
    EXPECT_EQ(page, std::string(page.size(), 'x'));
    EXPECT_EQ(m_fetcher.LastFailure(), "timed out: the page took longer than 700 ms");

    // The limit covers the redirects of a page: each hop does not start it again.
    ScriptedServer slowHops([](int index, const std::string&) {
        return ServerReply {
            {{300, "HTTP/1.0 302 Found\r\nLocation: hop" + std::to_string(index) + "\r\n\r\n"}}, true};
    });
    timer.restart();
    EXPECT_EQ(m_fetcher.OpenURL(slowHops.Url("/start")), "");
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_LT(slowHops.Requests().size(), 6u);
    EXPECT_EQ(m_fetcher.LastFailure(), "timed out: the page took longer than 700 ms");
}

TEST_F(PageFetcherTest, FtpAddressesAreFetchedOverHttpFromPort80)
{
    ScriptedServer server([](int, const std::string&) { return ServerReply::Whole(Ok + "listing"); });
    // An explicit port is used as it is.
    EXPECT_EQ(m_fetcher.OpenURL("ftp://127.0.0.1:" + std::to_string(server.Port()) + "/pub/a"), "listing");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(RequestLine(server.Requests()[0]), "GET /pub/a HTTP/1.0");
    if (!server.Relisten(80))
        GTEST_SKIP() << "port 80 is not free to this test";
    EXPECT_EQ(m_fetcher.OpenURL("ftp://127.0.0.1/pub/b"), "listing");
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[1].substr(0, server.Requests()[1].find("\r\nUser-Agent")),
        "GET /pub/b HTTP/1.0\r\nHost: 127.0.0.1");
}

TEST_F(PageFetcherTest, TellsASchemeFromARelativeLocationByAsciiWhateverTheLocale)
{
    // Under a single-byte Latin-1 locale <cctype> takes "\xe9" for a letter.
    const test::CommaDecimalLocale locale(test::CommaDecimalLocale::Charset::Latin1);
    if (!locale.Active())
        GTEST_SKIP() << locale.Problem();
    ASSERT_TRUE(std::isalpha(0xE9));
    ScriptedServer server([](int index, const std::string&) {
        return index == 0 ? Redirect("302", "\xe9t\xe9://x") : ServerReply::Whole(Ok + "relative");
    });
    const std::string page = m_fetcher.OpenURL(server.Url("/dir/a"));
    EXPECT_EQ(page, "relative");
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(RequestLine(server.Requests()[1]), "GET /dir/\xe9t\xe9://x HTTP/1.0");
}

TEST_F(PageFetcherTest, TellsItsFailuresOnlyWhenTheyHappen)
{
    ScriptedServer server([](int index, const std::string&) {
        return index == 0 ? ServerReply::Whole(Ok + "fine") : ServerReply::Whole("HTTP/1.0 500 Oops\r\n\r\n");
    });
    std::vector<std::string> failures;
    m_fetcher.SetFailureCallback([&failures](const std::string& why) { failures.push_back(why); });
    EXPECT_EQ(m_fetcher.OpenURL(server.Url("/")), "fine");
    EXPECT_EQ(m_fetcher.OpenURL(server.Url("/")), "");
    EXPECT_EQ(m_fetcher.OpenURL("gopher://x/"), "");
    EXPECT_EQ(failures, (std::vector<std::string> {"HTTP status 500", "address refused"}));
}
