// Link conversion with the real page fetcher against pages served on loopback.
#include "ConvertLink.h"
#include "PageFetcher.h"
#include "ProfileFile.h"
#include "ScriptedServer.h"
#include "TestSupport.h"

#include <QSslCertificate>

#include <gtest/gtest.h>

using namespace vortalux;
using Links = std::vector<Link>;
using vortalux::test::ScriptedServer;
using vortalux::test::ServerReply;
using vortalux::test::TempDir;
using vortalux::test::WriteFileBytes;

namespace {

std::string Ok(const std::string& body)
{
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + body;
}

class ConvertEndToEnd : public ::testing::Test {
protected:
    void AddRule(std::string_view name, std::string_view body)
    {
        WriteFileBytes(m_home / "Rules" / (std::string(name) + ".vtl"), body);
    }
    Conversion Convert(const std::string& link)
    {
        m_store.LoadRules(m_home.Path());
        return ConvertLink(m_store, m_fetcher, m_home.Path(), link, "http://forum.example/thread/9");
    }

    TempDir m_home;
    RuleStore m_store;
    PageFetcher m_fetcher;
};

} // namespace

TEST_F(ConvertEndToEnd, ViewerPageBehindARedirectGivesThePicture)
{
    ScriptedServer server([](int, const std::string& request) {
        if (request.rfind("GET /v?id=5 ", 0) == 0)
            return ServerReply::Whole("HTTP/1.1 302 Found\r\nLOCATION: show/5.html\r\n\r\n");
        return ServerReply::Whole(Ok("<p>ad</p><img id=\"full\" src=\"/pics/5.jpg\">"));
    });
    AddRule("viewer",
        "[Main]\r\nver=1\r\nIdent=/v\\?id=\\d+$\r\nType=1\r\nReferer=3\r\n"
        "[OS]\r\nnb=1\r\nregexp.1=id=\"full\" src=\"/([^\"]+)\"\r\nresult.1=$SRV$1\r\n");
    const std::string link = server.Url("/v?id=5");
    const Conversion conversion = Convert(link);
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(conversion.links, (Links {{server.Url("/pics/5.jpg"), "5.jpg"}}));
    EXPECT_EQ(conversion.referer, server.Url("/"));
    EXPECT_EQ(m_fetcher.FetchedUrl(), server.Url("/show/5.html"));
}

TEST_F(ConvertEndToEnd, AFailingPageRuleLeavesAReportAndTheNextOneFindsTheLinks)
{
    ScriptedServer server([](int, const std::string& request) {
        (void)request;
        return ServerReply::Whole(Ok("<div class=gallery><a href=\"http://cdn.example/1.jpg\">"
                                     "<a href=\"http://cdn.example/2.jpg\"></div>"));
    });
    AddRule("1 old layout",
        "[Main]\r\nver=4\r\nIdent=/gallery/\r\nType=1\r\nReferer=0\r\n"
        "[OS]\r\nnb=1\r\nregexp.1=<table id=pics>\r\nresult.1=$1\r\n");
    AddRule("2 new layout",
        "[Main]\r\nver=5\r\nIdent=/gallery/\r\nType=1\r\nReferer=3\r\n"
        "[OS]\r\nnb=2\r\nregexp.1=class=gallery\r\nresult.1=\r\n"
        "regexp.2=href=\"(http://cdn[^\"]+)\"\r\nresult.2=$1\r\nglobal.2=1\r\n");
    const Conversion conversion = Convert(server.Url("/gallery/7"));
    EXPECT_EQ(conversion.links,
        (Links {{"http://cdn.example/1.jpg", "1.jpg"}, {"http://cdn.example/2.jpg", "2.jpg"}}));
    EXPECT_EQ(conversion.referer, ""); // the first identifying rule's mode
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(ProfileFile::ReadValue(m_home / "1.vtr", "Rule", "Name", ""), "1 old layout");
    EXPECT_EQ(ProfileFile::ReadValue(m_home / "1.vtr", "Main", "URL", ""), server.Url("/gallery/7"));
    EXPECT_FALSE(std::filesystem::exists(m_home / "2.vtr"));
}

TEST_F(ConvertEndToEnd, PagesOverTlsAndFailedDownloads)
{
    ScriptedServer server(
        [](int, const std::string&) { return ServerReply::Whole(Ok("src='/full/a b.png'")); });
    server.UseTls();
    m_fetcher.AddTrustedCertificates(QSslCertificate::fromPath(
        QString::fromStdString(vortalux::test::TestDataPath("tls-test-ca.pem").string())));
    AddRule("tls",
        "[Main]\r\nver=1\r\nIdent=^https://\r\nType=1\r\n[OS]\r\nnb=1\r\nregexp.1=src='/([^']+)'\r\n"
        "result.1=$SRV$1\r\n");
    const std::string secure = server.Url("/p");
    ASSERT_EQ(secure.rfind("https://", 0), 0u);
    const Conversion conversion = Convert(secure);
    EXPECT_EQ(
        conversion.links[0].url, "https://127.0.0.1:" + std::to_string(server.Port()) + "/full/a b.png");
    EXPECT_EQ(conversion.links[0].name, "a b.png");

    // A server that refuses the connection: the rule fails on the empty page, the link goes on as it came.
    server.close();
    const Conversion refused = Convert(secure);
    EXPECT_EQ(refused.links, (Links {{secure, "p"}}));
    EXPECT_TRUE(std::filesystem::exists(m_home / "1.vtr"));
}
