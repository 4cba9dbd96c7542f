// The vortalux program without a display: the headless engine as a user meets it.
#include "CliRunner.h"
#include "EngineTestSupport.h"
#include "ScriptedServer.h"

#include <QTimer>

#include <gtest/gtest.h>

using namespace vortalux;
using namespace vortalux::test;

namespace {

// The vortalux program run as a user would run it without a display.
class HeadlessClientTest : public ::testing::Test {
protected:
    void Start(const std::vector<std::string>& arguments)
    {
        CliProcess::Options options;
        options.home = m_home.Path();
        m_process.Start(arguments, options);
    }
    void Finish() { m_result = m_process.Finish(); }
    void Interrupt() { m_process.Interrupt(); }

    EngineHome m_home;
    CliProcess m_process;
    CliResult m_result;
};

} // namespace

TEST_F(HeadlessClientTest, ListFromAFileIsConvertedAndHandedOverWithMessagesOnStandardError)
{
    m_home.Manager("Wget", false);
    m_home.ReplaceRule("Thumbs", "_t\\.", {{"_t\\.", "."}}, 1);
    const std::filesystem::path links = m_home.Path() / "links.txt";
    WriteFileBytes(links, "http://h/2_t.jpg\tTwo\r\nhttp://h/1_t.jpg\n\nhttp://h/plain.jpg\tPlain\n");
    Start({"add-url-list", "--print", "--from", links.string(), "http://forum/t", "http://h/1_t.jpg", "One"});
    Finish();
    EXPECT_EQ(m_result.code, 0);
    EXPECT_EQ(m_result.out, "AddList\thttp://forum/t\t2\n\thttp://h/1.jpg\t1.jpg\n\thttp://h/2.jpg\t2.jpg\n");
    EXPECT_NE(m_result.err.find(
                  "[Vortalux] There is no download managers set by default. VTL will use Wget as default "
                  "for this time.\nPlease run VTL and select a default DM\n"),
        std::string::npos)
        << m_result.err;
    EXPECT_NE(m_result.err.find("\n2/2 (100%)\nTerminé\n"), std::string::npos) << m_result.err;
}

TEST_F(HeadlessClientTest, LinksWithoutAnyManagerAreDroppedWithTheMessageAndTheCommandFails)
{
    // The message's own line breaks are the terminal's.
    const std::string message
        = "[Vortalux] There are no download managers supported at the moment. Please check your installation "
          "of VTL.\n\nTip: You can start VTL and check for an update to get new download managers "
          "definitions.\n";
    Start({"add-url", "--batch", "--print", "http://h/1.jpg"});
    Finish();
    EXPECT_EQ(m_result.code, 1);
    EXPECT_EQ(m_result.out, "");
    EXPECT_EQ(m_result.err, message);
    Start({"add-url-list", "--print", "http://forum/t", "http://h/1.jpg", ""});
    Finish();
    EXPECT_EQ(m_result.code, 1);
    EXPECT_EQ(m_result.out, "");
    EXPECT_EQ(m_result.err, message);

    Start({"add-url"});
    Finish();
    EXPECT_EQ(m_result.code, 2);
}

TEST_F(HeadlessClientTest, CtrlCEndsAHangingDownloadLikeEsc)
{
    m_home.Manager("Wget", true);
    ScriptedServer server([this](int, const std::string&) {
        QTimer::singleShot(300, [this] { Interrupt(); });
        return ServerReply {{{0, "HTTP/1.0 200 OK\r\n\r\n<img src=\"http://cdn/a.jpg\">"}}, false};
    });
    m_home.SearchRule("Viewer", "127\\.0\\.0\\.1", "<img src=\"([^\"]+)\">", "$1", false, 0);
    Start({"add-url", "--print", server.Url("/view.html"), "", "http://forum/t"});
    Finish();
    EXPECT_EQ(m_result.code, 0);
    EXPECT_EQ(m_result.out, "AddLink\t\thttp://cdn/a.jpg\ta.jpg\n");
}

TEST_F(HeadlessClientTest, CtrlCCancelsTheDownloadAndASecondOneCancelsEverything)
{
    m_home.Manager("Wget", true);
    ScriptedServer server([this](int, const std::string& request) {
        if (request.find("GET /slow") == 0) {
            QTimer::singleShot(200, [this] { Interrupt(); });
            return ServerReply {{}, false};
        }
        return ServerReply::Whole("HTTP/1.0 200 OK\r\n\r\n<img src=\"http://cdn/x.jpg\">");
    });
    m_home.SearchRule("Viewer", "127\\.0\\.0\\.1", "<img src=\"([^\"]+)\">", "$1");
    Start({"add-url-list", "--print", "http://forum/t", server.Url("/slow/1"), "", server.Url("/slow/2"), "",
        server.Url("/fast/3"), ""});
    Finish();
    // No link was converted, so the site of the origin page is the referer. 1 was cancelled and
    // went out unconverted; 2 the same, and it cancelled everything, so 3
    // went out unconverted without being downloaded.
    EXPECT_EQ(m_result.out,
        "AddList\thttp://forum/\t3\n\t" + server.Url("/slow/1") + "\t1\n\t" + server.Url("/slow/2")
            + "\t2\n\t" + server.Url("/fast/3") + "\t3\n");
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_NE(m_result.err.find("0/2 (100%)"), std::string::npos) << m_result.err;
}
