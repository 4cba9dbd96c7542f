#include "EngineTestSupport.h"
#include "ScriptedServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

#include <gtest/gtest.h>

#include <signal.h>

using namespace vortalux;
using namespace vortalux::test;

namespace {

// The vortalux program run as a user would run it without a display.
class HeadlessClientTest : public ::testing::Test {
protected:
    void Start(const QStringList& arguments, const std::string& input = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("VORTALUX_HOME"), QString::fromStdString(m_home.path().string()));
        m_process.setProcessEnvironment(environment);
        m_process.start(QStringLiteral(VORTALUX_PROGRAM_DIR "/vortalux"), arguments);
        ASSERT_TRUE(m_process.waitForStarted());
        m_process.write(input.data(), static_cast<qint64>(input.size()));
        m_process.closeWriteChannel();
    }

    // Waits for the program while the test's own server keeps answering.
    void Finish()
    {
        QElapsedTimer clock;
        clock.start();
        while (m_process.state() != QProcess::NotRunning && clock.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_EQ(m_process.state(), QProcess::NotRunning);
        m_out = m_process.readAllStandardOutput().toStdString();
        m_err = m_process.readAllStandardError().toStdString();
    }

    void Interrupt() { kill(static_cast<pid_t>(m_process.processId()), SIGINT); }

    static QString Q(const std::string& text) { return QString::fromStdString(text); }

    EngineHome m_home;
    QProcess m_process;
    std::string m_out;
    std::string m_err;
};

} // namespace

TEST_F(HeadlessClientTest, ListFromAFileIsConvertedAndHandedOverWithMessagesOnStandardError)
{
    m_home.Manager("Wget", false);
    m_home.ReplaceRule("Thumbs", "_t\\.", {{"_t\\.", "."}}, 1);
    const std::filesystem::path links = m_home.path() / "links.txt";
    WriteFileBytes(links, "http://h/2_t.jpg\tTwo\r\nhttp://h/1_t.jpg\n\nhttp://h/plain.jpg\tPlain\n");
    Start({QStringLiteral("add-url-list"), QStringLiteral("--print"), QStringLiteral("--from"),
        Q(links.string()), QStringLiteral("http://forum/t"), QStringLiteral("http://h/1_t.jpg"),
        QStringLiteral("One")});
    Finish();
    EXPECT_EQ(m_process.exitCode(), 0);
    EXPECT_EQ(m_out, "AddList\thttp://forum/t\t2\n\thttp://h/1.jpg\t1.jpg\n\thttp://h/2.jpg\t2.jpg\n");
    EXPECT_NE(
        m_err.find("[Vortalux] There is no download managers set by default. VTL will use Wget as default "
                   "for this time.\r\nPlease run VTL and select a default DM\n"),
        std::string::npos)
        << m_err;
    EXPECT_NE(m_err.find("\n2/2 (100%)\nTerminé\n"), std::string::npos) << m_err;
}

TEST_F(HeadlessClientTest, OneLinkWithoutAnyManagerIsDroppedWithTheMessage)
{
    Start({QStringLiteral("add-url"), QStringLiteral("--batch"), QStringLiteral("--print"),
        QStringLiteral("http://h/1.jpg")});
    Finish();
    EXPECT_EQ(m_process.exitCode(), 0);
    EXPECT_EQ(m_out, "");
    EXPECT_EQ(m_err,
        "[Vortalux] There are no download managers supported at the moment. Please check your installation "
        "of VTL.\r\n\r\nTip: You can start VTL and check for an update to get new download managers "
        "definitions.\n");

    Start({QStringLiteral("add-url")});
    Finish();
    EXPECT_EQ(m_process.exitCode(), 2);
}

TEST_F(HeadlessClientTest, CtrlCEndsAHangingDownloadLikeEsc)
{
    m_home.Manager("Wget", true);
    ScriptedServer server([this](int, const std::string&) {
        QTimer::singleShot(300, [this] { Interrupt(); });
        return ServerReply {{{0, "HTTP/1.0 200 OK\r\n\r\n<img src=\"http://cdn/a.jpg\">"}}, false};
    });
    m_home.SearchRule("Viewer", "127\\.0\\.0\\.1", "<img src=\"([^\"]+)\">", "$1", false, 0);
    Start({QStringLiteral("add-url"), QStringLiteral("--print"), Q(server.Url("/view.html")),
        QStringLiteral(""), QStringLiteral("http://forum/t")});
    Finish();
    EXPECT_EQ(m_process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_out, "AddLink\t\thttp://cdn/a.jpg\ta.jpg\n");
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
    Start({QStringLiteral("add-url-list"), QStringLiteral("--print"), QStringLiteral("http://forum/t"),
        Q(server.Url("/slow/1")), QStringLiteral(""), Q(server.Url("/slow/2")), QStringLiteral(""),
        Q(server.Url("/fast/3")), QStringLiteral("")});
    Finish();
    // No link was converted, so the site of the origin page is the referer. 1 was cancelled and
    // went out unconverted; 2 the same, and it cancelled everything, so 3
    // went out unconverted without being downloaded.
    EXPECT_EQ(m_out,
        "AddList\thttp://forum/\t3\n\t" + server.Url("/slow/1") + "\t1\n\t" + server.Url("/slow/2")
            + "\t2\n\t" + server.Url("/fast/3") + "\t3\n");
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_NE(m_err.find("0/2 (100%)"), std::string::npos) << m_err;
}
