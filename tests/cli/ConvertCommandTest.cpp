// The download commands of the command line against pages served on loopback.
#include "CliRunner.h"
#include "ProfileFile.h"
#include "ScriptedServer.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace vortalux;
using vortalux::test::RunCli;
using vortalux::test::ScriptedServer;
using vortalux::test::ServerReply;
using vortalux::test::TempDir;
using vortalux::test::WriteFileBytes;

TEST(ConvertCommand, ConvertsAPageLinkOverTlsAndPrintsJson)
{
    ScriptedServer server([](int, const std::string&) {
        return ServerReply::Whole("HTTP/1.0 200 OK\r\n\r\n<img src=\"/big/\xE9t\xE9.jpg\">");
    });
    server.UseTls();
    ::setenv("VORTALUX_CA_CERTIFICATES", vortalux::test::TestDataPath("tls-test-ca.pem").c_str(), 1);
    TempDir home;
    WriteFileBytes(home / "Rules" / "host.vtl",
        "[Main]\r\nver=1\r\nIdent=^https://127\\.0\\.0\\.1:\\d+/view/\r\n"
        "Type=1\r\nReferer=2\r\n[OS]\r\nnb=1\r\nregexp.1=src=\"/([^\"]+)\"\r\n"
        "result.1=$SRV$1\r\n");
    const std::string base = "https://127.0.0.1:" + std::to_string(server.Port());
    const auto json = RunCli({"--home", home.Path().string(), "convert", "--json", base + "/view/1"});
    ::unsetenv("VORTALUX_CA_CERTIFICATES");
    ASSERT_EQ(json.code, 0) << json.err;
    EXPECT_EQ(json.out,
        "{\n  \"rule\": \"host\",\n  \"referer\": \"" + base
            + "/view/1\",\n  \"links\": [\n    {\n"
              "      \"url\": \""
            + base
            + "/big/\xC3\xA9t\xC3\xA9.jpg\",\n      \"name\": \"\xC3\xA9t\xC3\xA9.jpg\"\n"
              "    }\n  ]\n}\n");

    // Plain output: the referer, then a link a line; without the trusted authority the page
    // cannot be fetched and the link goes on unconverted.
    const auto plain
        = RunCli({"--home", home.Path().string(), "convert", "--referer", "http://forum/", base + "/view/2"});
    ASSERT_EQ(plain.code, 0) << plain.err;
    EXPECT_EQ(plain.out, base + "/view/2\n" + base + "/view/2\n");
}

TEST(ConvertCommand, VerboseSaysWhyAPageDownloadFailedAndSoDoesTheReport)
{
    quint16 port = 0;
    {
        ScriptedServer closed([](int, const std::string&) { return ServerReply {}; });
        port = closed.Port();
    }
    TempDir home;
    WriteFileBytes(home / "Rules" / "host.vtl",
        "[Main]\r\nver=1\r\nIdent=^http://127\\.0\\.0\\.1:\\d+/view/\r\nType=1\r\nReferer=2\r\n"
        "[OS]\r\nnb=1\r\nregexp.1=src=\"/([^\"]+)\"\r\nresult.1=$SRV$1\r\n");
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/view/1";
    const auto result = RunCli({"--home", home.Path().string(), "convert", "--verbose", url});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.out, url + "\n" + url + "\n");
    EXPECT_EQ(result.err, "vortalux convert: page download failed: connection refused\n");
    EXPECT_EQ(ProfileFile::ReadValue(home / "1.vtr", "Main", "Error", ""), "connection refused");
}
