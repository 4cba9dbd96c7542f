// vortalux-native-host as a browser runs it, with a download-manager definition that records
// what reaches it.
#include "CliRunner.h"
#include "EngineTestSupport.h"
#include "NativeMessageFramer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstring>

using namespace vortalux;
using namespace vortalux::test;

namespace {

class NativeHostProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_home.RecordingManager();
        // Referer mode 1: the page the links came from.
        m_home.ReplaceRule("Thumbs", "^http://a/", {{"_t\\.", "."}}, 1);
    }

    // Runs the host without a display on `input`; its replies in order.
    std::vector<std::string> Run(const std::string& input)
    {
        CliProcess::Options options;
        options.program = "vortalux-native-host";
        options.home = m_home.Path();
        options.input = input;
        m_result = RunProgram({"chrome-extension://abc/"}, options);
        NativeMessageFramer framer;
        std::vector<std::string> replies;
        EXPECT_TRUE(framer.Feed(m_result.out, replies));
        EXPECT_TRUE(framer.Finish()) << "standard output holds more than whole frames";
        return replies;
    }

    static std::string Frame(const std::string& body) { return NativeMessageFramer::Frame(body); }

    EngineHome m_home;
    CliResult m_result;
};

} // namespace

TEST_F(NativeHostProcessTest, MessagesInOneWriteAllReachTheEngineBeforeTheHostEnds)
{
    // Everything in one write, and the input closed right after it: the host answers each at
    // once and ends only when the engine has run them all.
    const std::vector<std::string> replies
        = Run(Frame("{\"cmd\":\"add-url\",\"url\":\"http://a/x/"
                    "cat_t.jpg\",\"desc\":\"Cat\",\"referer\":\"http://forum/t\"}")
            + Frame("{\"cmd\":\"add-url-list\",\"origin\":\"http://forum/page2\",\"links\":["
                    "{\"url\":\"http://a/"
                    "1_t.jpg\",\"desc\":\"one\"},{\"url\":\"javascript:alert(1)\",\"desc\":\"evil\"},"
                    "{\"url\":\"http://a/2_t.jpg\"}]}")
            + Frame("{\"cmd\":\"version\"}"));
    EXPECT_EQ(replies,
        (std::vector<std::string> {"{\"ok\":true}", "{\"ok\":true,\"accepted\":2,\"refused\":1}",
            "{\"ok\":true,\"version\":\"0.1.4\"}"}));
    EXPECT_EQ(m_result.code, 0) << m_result.err;
    EXPECT_EQ(m_home.RecordedCalls(),
        "AddLink|http://forum/t|http://a/x/cat.jpg|cat.jpg\n"
        "AddList|http://forum/page2|http://a/1.jpg|1.jpg|http://a/2.jpg|2.jpg\n");
}

TEST_F(NativeHostProcessTest, BrokenMessagesAreAnsweredAndNothingOfThemReachesTheEngine)
{
    std::string tooLong(4, '\0');
    const uint32_t length = 64u * 1024 * 1024 + 1;
    std::memcpy(tooLong.data(), &length, 4);
    const std::vector<std::string> replies
        = Run(Frame("{\"cmd\":\"add-url\",\"url\":\"javascript:alert(1)\"}")
            + Frame("{\"cmd\":\"add-url\",\"url\":\"file:///etc/passwd\",\"referer\":\"http://forum/t\"}")
            + Frame("{\"cmd\":\"add-url-list\",\"origin\":\"http://p/\",\"links\":[{\"url\":\"data:,x\"}]}")
            + Frame("\xFF{}") + Frame("{\"cmd\":\"exec\"}") + Frame("{\"cmd\":\"add-url\",\"url\":[]}")
            + Frame("{\"cmd\":\"add-url\",\"url\":\"http://a/ok_t.jpg\",\"referer\":\"http://forum/t\"}")
            + tooLong + Frame("{\"cmd\":\"add-url\",\"url\":\"http://a/after_t.jpg\"}"));
    EXPECT_EQ(replies,
        (std::vector<std::string> {
            "{\"ok\":false,\"error\":\"\\\"url\\\" is not an http or https address\"}",
            "{\"ok\":false,\"error\":\"\\\"url\\\" is not an http or https address\"}",
            "{\"ok\":true,\"accepted\":0,\"refused\":1}",
            "{\"ok\":false,\"error\":\"the message is not valid UTF-8\"}",
            "{\"ok\":false,\"error\":\"unknown command \\\"exec\\\"\"}",
            "{\"ok\":false,\"error\":\"\\\"url\\\" must be a string\"}",
            "{\"ok\":true}",
            "{\"ok\":false,\"error\":\"a message of 67108865 bytes is longer than the limit of 67108864 "
            "bytes\"}",
        }));
    // The stream could not be delimited past the long length: the host ended there, after the
    // link it had taken ran.
    EXPECT_EQ(m_result.code, 1);
    EXPECT_EQ(m_home.RecordedCalls(), "AddLink|http://forum/t|http://a/ok.jpg|ok.jpg\n");

    // A message cut short by the end of the input.
    EXPECT_EQ(Run(Frame("{\"cmd\":\"version\"}") + Frame("{\"cmd\":\"add-url\"}").substr(0, 9)),
        (std::vector<std::string> {"{\"ok\":true,\"version\":\"0.1.4\"}",
            "{\"ok\":false,\"error\":\"the input ended inside a message: 5 of 17 bytes arrived\"}"}));
    EXPECT_EQ(m_result.code, 1);
}

TEST_F(NativeHostProcessTest, WithWindowsARequestAfterTheFirstWindowClosedStillRuns)
{
    // A connection that stays open: the second link comes after the first one's window has
    // come and gone, which must not end the engine's application.
    QProcess host;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("VORTALUX_HOME"), QString::fromStdString(m_home.Path().string()));
    host.setProcessEnvironment(environment);
    host.start(QStringLiteral(VORTALUX_PROGRAM_DIR "/vortalux-native-host"), {});
    ASSERT_TRUE(host.waitForStarted());
    const auto send = [&host](const std::string& url) {
        const std::string frame
            = Frame("{\"cmd\":\"add-url\",\"url\":\"" + url + "\",\"referer\":\"http://forum/t\"}");
        host.write(frame.data(), static_cast<qint64>(frame.size()));
    };
    send("http://a/1_t.jpg");
    QElapsedTimer clock;
    clock.start();
    while (m_home.RecordedCalls().empty() && clock.elapsed() < 20'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(m_home.RecordedCalls(), "AddLink|http://forum/t|http://a/1.jpg|1.jpg\n");
    send("http://a/2_t.jpg");
    host.closeWriteChannel();
    ASSERT_TRUE(host.waitForFinished(20'000));
    EXPECT_EQ(host.readAllStandardOutput().toStdString(), Frame("{\"ok\":true}") + Frame("{\"ok\":true}"));
    EXPECT_EQ(m_home.RecordedCalls(),
        "AddLink|http://forum/t|http://a/1.jpg|1.jpg\n"
        "AddLink|http://forum/t|http://a/2.jpg|2.jpg\n");
}
