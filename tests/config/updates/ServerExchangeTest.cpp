#include "ServerExchange.h"
#include "CheckForUpdates.h"
#include "ScriptedServer.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vortalux;
using vortalux::test::ScriptedServer;
using vortalux::test::ServerReply;
using namespace std::chrono_literals;

namespace {

std::string Ok(std::string_view body)
{
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n"
        + std::string(body);
}

// A reply that leaves the connection open afterwards, as a keep-alive server does.
ServerReply KeptOpen(std::string bytes) { return {{{0, std::move(bytes)}}, false}; }

class ServerExchangeTest : public testing::Test {
protected:
    // Long enough for any loaded machine, short enough that a fault does not stall the run.
    void Use(ServerExchange& exchange) { exchange.SetSilenceLimit(10s); }
};

// Records every byte a connection sends until it has `expected` of them, then answers.
class RecordingServer : public QTcpServer {
public:
    RecordingServer(size_t expected, std::string answer)
        : m_expected(expected)
        , m_answer(std::move(answer))
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                m_received += socket->readAll().toStdString();
                if (m_expected > 0 && m_received.size() >= m_expected && !std::exchange(m_answered, true))
                    socket->write(m_answer.data(), static_cast<qint64>(m_answer.size()));
            });
        });
    }
    void Expect(size_t bytes) { m_expected = bytes; }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(serverPort()) + "/vtl.php"; }
    const std::string& Received() const { return m_received; }

private:
    size_t m_expected;
    std::string m_answer;
    std::string m_received;
    bool m_answered = false;
};

} // namespace

TEST_F(ServerExchangeTest, SendsTheRequestByteForByteAndEndsAtTheAnnouncedLength)
{
    // A body of 20 characters goes out as 22 bytes: without the last two the server would never
    // answer, with more the received bytes would differ.
    RecordingServer exact(0, "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok");
    const std::string expected
        = "POST /vtl.php HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(exact.serverPort())
        + "\r\nContent-Type: application/x-www-form-urlencoded\r\n"
          "User-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows 98; VTL)\r\nAccept: */*, *,*\r\n"
          "Content-Length: 20\r\nConnection: Keep-Alive\r\n\r\naction=versions&a=bc\r\n";
    exact.Expect(expected.size());
    ServerExchange exchange(exact.Url());
    Use(exchange);
    exchange.AddVarToBuffer("action", "versions");
    exchange.AddVarToBuffer("a", "bc");
    QElapsedTimer timer;
    timer.start();
    // The server keeps the connection open: the reply is complete at its Content-Length.
    ASSERT_EQ(exchange.PostToServer(), ExchangeError::None) << exchange.LastFailure();
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(exact.Received(), expected);
    EXPECT_EQ(exchange.ReplyText(), "ok");
    EXPECT_EQ(exchange.ContentLength(), 2);
}

TEST_F(ServerExchangeTest, FailuresLeaveNoReplyAndFollowNoRedirect)
{
    struct Case {
        ServerReply reply;
        ExchangeError error;
        std::string failure;
        std::string replyText;
    };
    const std::vector<Case> cases {
        {ServerReply::Whole("HTTP/1.1 302 Found\r\nLocation: /elsewhere\r\n\r\nokay"),
            ExchangeError::HttpStatus, "HTTP status 302", ""},
        {KeptOpen("HTTP/1.1 500 Oops\r\nContent-Length: 2\r\n\r\nok"), ExchangeError::HttpStatus,
            "HTTP status 500", ""},
        {ServerReply::Whole("ok"), ExchangeError::NotHttp, "not an HTTP reply", ""},
        {ServerReply::Whole("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nok"),
            ExchangeError::IncompleteTransmission,
            "the reply's body does not have the length its Content-Length announced", "ok"},
        {KeptOpen("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nokay"), ExchangeError::IncompleteTransmission,
            "the reply's body does not have the length its Content-Length announced", "okay"},
        {KeptOpen("HTTP/1.1 200 OK\r\nContent-Length: 100000000\r\n\r\nok"), ExchangeError::ReplyTooLarge,
            "reply larger than 67108864 bytes", ""},
        // Without a Content-Length the body ends when the server closes, CR LF pairs and all.
        {ServerReply {{{0, "HTTP/1.1 200 "}, {50, "OK\r\n\r\nok\r\n"}, {50, "HTTP/1.1 200 OK\r\n"}}, true},
            ExchangeError::None, "", "ok\r\nHTTP/1.1 200 OK\r\n"},
        {ServerReply {{{0, "HTTP/1.1 200 OK\r\n"}}, true}, ExchangeError::ConnectionLost,
            "connection lost before the reply", ""},
    };
    for (const Case& c : cases) {
        ScriptedServer server([&c](int, const std::string&) { return c.reply; });
        ServerExchange exchange(server.Url("/vtl.php"));
        Use(exchange);
        exchange.AddVarToBuffer("action", "versions");
        EXPECT_EQ(exchange.PostToServer(), c.error) << c.failure;
        EXPECT_EQ(exchange.LastFailure(), c.failure);
        EXPECT_EQ(exchange.ReplyText(), c.replyText) << c.failure;
        EXPECT_EQ(server.Requests().size(), 1u) << c.failure;
    }
}

TEST_F(ServerExchangeTest, ReadsNoFurtherThanTheSizeLimit)
{
    const std::string big(3 * 1024 * 1024, 'x');
    ScriptedServer server(
        [&big](int, const std::string&) { return KeptOpen("HTTP/1.1 200 OK\r\n\r\n" + big); });
    ServerExchange exchange(server.Url("/vtl.php"));
    Use(exchange);
    exchange.SetMaxReplySize(1024 * 1024);
    std::uint64_t mostReceived = 0;
    EXPECT_EQ(exchange.PostToServer([&](const ServerExchange::Progress& progress) {
        mostReceived = std::max(mostReceived, progress.received);
    }),
        ExchangeError::ReplyTooLarge);
    EXPECT_EQ(mostReceived, 1024u * 1024u);
    EXPECT_EQ(exchange.ReplyText(), "");
}

TEST_F(ServerExchangeTest, CancelEndsAWaitForAServerThatNeverAnswers)
{
    ScriptedServer silent([](int, const std::string&) { return ServerReply {{{60000, "late"}}, false}; });
    ServerExchange exchange(silent.Url("/vtl.php"));
    Use(exchange);
    ExchangeError second = ExchangeError::None;
    std::vector<ServerExchange::Progress> steps;
    QTimer::singleShot(300, &exchange, [&] {
        // One exchange at a time: a second one asked for during the wait is refused.
        EXPECT_TRUE(exchange.IsBusy());
        second = exchange.PostToServer();
        exchange.Cancel();
    });
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(exchange.PostToServer([&](const ServerExchange::Progress& step) { steps.push_back(step); }),
        ExchangeError::Cancelled);
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(second, ExchangeError::Busy);
    EXPECT_FALSE(exchange.IsBusy());
    EXPECT_EQ(exchange.LastFailure(), "cancelled");
    // Only the call for the started connection: nothing arrived.
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].received, 0u);
}

TEST_F(ServerExchangeTest, TheSilenceLimitEndsAWaitToo)
{
    ScriptedServer silent([](int, const std::string&) { return ServerReply {{{60000, "late"}}, false}; });
    ServerExchange exchange(silent.Url("/vtl.php"));
    exchange.SetSilenceLimit(300ms);
    EXPECT_EQ(exchange.PostToServer(), ExchangeError::SilenceLimit);
    EXPECT_EQ(exchange.LastFailure(), "timed out: no data for 300 ms");
}

TEST_F(ServerExchangeTest, RefusesAddressesAndReportsSocketFailures)
{
    ServerExchange refused("http://updates.example/vtl.php");
    EXPECT_EQ(refused.PostToServer(), ExchangeError::AddressRefused);
    EXPECT_NE(refused.LastFailure().find("only over https://"), std::string::npos);

    quint16 closedPort = 0;
    {
        ScriptedServer gone([](int, const std::string&) { return ServerReply::Whole(""); });
        closedPort = gone.Port();
    }
    ServerExchange exchange("http://127.0.0.1:" + std::to_string(closedPort) + "/vtl.php");
    Use(exchange);
    EXPECT_EQ(exchange.PostToServer(), ExchangeError::ConnectionRefused);
    EXPECT_EQ(exchange.ReplyText(), "");
}

TEST_F(ServerExchangeTest, TalksTlsToATrustedServerOnly)
{
    if (!QSslSocket::supportsSsl())
        GTEST_SKIP() << "no TLS backend";
    ScriptedServer server([](int, const std::string&) { return KeptOpen(Ok("ok1:2:0:0")); });
    server.UseTls();
    ServerExchange untrusted(server.Url("/vtl.php"));
    Use(untrusted);
    EXPECT_EQ(untrusted.PostToServer(), ExchangeError::UntrustedCertificate);
    EXPECT_EQ(untrusted.LastFailure(), "the server's certificate is not trusted by this system");

    ServerExchange exchange(server.Url("/vtl.php"));
    Use(exchange);
    exchange.AddTrustedCertificates(QSslCertificate::fromPath(
        QString::fromStdString(vortalux::test::TestDataPath("tls-test-ca.pem").string())));
    exchange.AddVarToBuffer("action", "versions");
    ASSERT_EQ(exchange.PostToServer(), ExchangeError::None) << exchange.LastFailure();
    EXPECT_EQ(exchange.ReplyText(), "ok1:2:0:0");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_TRUE(server.Requests()[0].starts_with(
        "POST /vtl.php HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n"));
}

TEST_F(ServerExchangeTest, TheCheckShowsItsTextsAndProgressInOrder)
{
    const std::string reply = Ok("ok1.0.0:1.0.0:1:imagehost:3:0");
    ScriptedServer server([&reply](int, const std::string&) {
        return ServerReply {
            {{0, reply.substr(0, reply.size() - 10)}, {100, reply.substr(reply.size() - 10)}}, false};
    });
    ServerExchange exchange(server.Url("/vtl.php"));
    Use(exchange);
    std::vector<std::pair<std::string, int>> shown;
    const UpdateCheckResult result = CheckForUpdates(exchange, {"1.0.0", "1.0.0", {{"ImageHost", "2"}}, {}},
        [&shown](const std::string& text, int progress) { shown.emplace_back(text, progress); });
    ASSERT_TRUE(result.IsDone()) << result.failure;
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_NE(
        server.Requests()[0].find("\r\nContent-Length: 15\r\nConnection: Keep-Alive\r\n\r\naction=versions"),
        std::string::npos);
    EXPECT_EQ(result.statusTexts,
        (std::vector<std::string> {"Checking for updates....     Please wait....",
            "Data received, analysis....     Please wait....", "Done."}));
    EXPECT_EQ(result.results[1], "0 new, 1 updates");
    // The progress rises while the body arrives, then 95, 99 and 100.
    ASSERT_GE(shown.size(), 4u);
    EXPECT_EQ(shown.front(), std::make_pair(std::string("Checking for updates....     Please wait...."), 0));
    EXPECT_TRUE(std::is_sorted(
        shown.begin(), shown.end(), [](const auto& a, const auto& b) { return a.second < b.second; }));
    EXPECT_EQ(shown[shown.size() - 3].second, 95);
    EXPECT_EQ(shown[shown.size() - 2],
        std::make_pair(std::string("Data received, analysis....     Please wait...."), 99));
    EXPECT_EQ(shown.back(), std::make_pair(std::string("Done."), 100));

    ScriptedServer moved([](int, const std::string&) {
        return ServerReply::Whole("HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:1/vtl.php\r\n\r\n");
    });
    ServerExchange exchangeWithMoved(moved.Url("/vtl.php"));
    Use(exchangeWithMoved);
    const UpdateCheckResult failed = CheckForUpdates(exchangeWithMoved, {"1.0.0", "1.0.0", {}, {}});
    EXPECT_FALSE(failed.IsDone());
    EXPECT_EQ(failed.Status(), "Error! Incorrect data received from server");
    EXPECT_EQ(failed.failure, "HTTP status 302");
    EXPECT_EQ(failed.progress, 0);
}
