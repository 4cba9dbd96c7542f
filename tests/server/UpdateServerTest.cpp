// vortalux-server over the wire: requests written as raw bytes, exactly as the configuration
// program sends them, to a server running in this process on loopback.
#include "BackgroundServer.h"
#include "FormBody.h"
#include "ReportStore.h"
#include "ServerCommandLine.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <charconv>
#include <sstream>

using namespace vortalux::server;
using vortalux::test::TempDir;
using vortalux::test::WriteFileBytes;
namespace fs = std::filesystem;

namespace {

struct RawReply {
    std::string statusLine;
    std::string head; // the header lines, each ending in CR LF
    std::string body;
    bool closedByServer = false;
};

// The nine lines of the client's request, its CR LF after the body included.
std::string ClientRequest(const std::string& body)
{
    return "POST /vtl.php HTTP/1.0\r\n"
           "Host: 127.0.0.1\r\n"
           "Content-Type: application/x-www-form-urlencoded\r\n"
           "User-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows 98; VTL)\r\n"
           "Accept: */*, *,*\r\n"
           "Content-Length: "
        + std::to_string(body.size())
        + "\r\n"
          "Connection: Keep-Alive\r\n"
          "\r\n"
        + body + "\r\n";
}

enum class AwaitClose { No, Yes };

// Sends `bytes` and reads the reply until its Content-Length is in or the server closes; with
// AwaitClose::Yes, then waits a little to see whether the server closes the connection.
RawReply SendRaw(
    quint16 port, const std::string& bytes, AwaitClose awaitClose = AwaitClose::No, int waitMs = 5000)
{
    RawReply reply;
    QTcpSocket socket;
    socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
    if (!socket.waitForConnected(5000))
        return reply;
    socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
    std::string received;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < waitMs) {
        socket.waitForReadyRead(50);
        received += socket.readAll().toStdString();
        const size_t headEnd = received.find("\r\n\r\n");
        if (headEnd != std::string::npos) {
            const size_t lengthAt = received.find("Content-Length: ");
            size_t length = 0;
            if (lengthAt != std::string::npos && lengthAt < headEnd)
                std::from_chars(received.data() + lengthAt + 16, received.data() + headEnd, length);
            if (received.size() - headEnd - 4 >= length && lengthAt != std::string::npos) {
                reply.statusLine = received.substr(0, received.find("\r\n"));
                reply.head = received.substr(reply.statusLine.size() + 2, headEnd - reply.statusLine.size());
                reply.body = received.substr(headEnd + 4);
                break;
            }
        }
        if (socket.state() != QAbstractSocket::ConnectedState) {
            reply.closedByServer = true;
            break;
        }
    }
    if (awaitClose == AwaitClose::Yes && !reply.closedByServer)
        reply.closedByServer
            = !socket.waitForReadyRead(300) && socket.state() != QAbstractSocket::ConnectedState;
    return reply;
}

RawReply Post(quint16 port, const std::vector<FormField>& fields)
{
    return SendRaw(port, ClientRequest(EncodeFormBody(fields)));
}

class UpdateServerTest : public testing::Test {
protected:
    void SetUp() override
    {
        WriteFileBytes(m_root / "core/versions.ini", "[Main]\r\nengine=1.2.3\r\nprogram=0.1.11\r\n");
        WriteFileBytes(m_root / "core/vtl", std::string("program\0bytes\r\n\xff", 16));
        WriteFileBytes(m_root / "Managers/ImageHost.vtm", "[Main]\r\nver=3\r\n");
        WriteFileBytes(m_root / "Rules/picsrule.vtl", "[Main]\r\nver=10\r\nName=picsrule\r\n");
        m_settings.root = m_root.Path();
        m_settings.fullCheckInterval = std::chrono::milliseconds(0);
    }
    std::vector<StoredReport> StoredReports()
    {
        std::string error;
        auto store = ReportStore::Open(m_root / "reports.sqlite", ReportStore::OpenMode::ExistingOnly, error);
        std::vector<StoredReport> reports;
        EXPECT_TRUE(store && store->All(reports, error)) << error;
        return reports;
    }

    TempDir m_root;
    TempDir m_outside;
    ServerSettings m_settings;
};

TEST_F(UpdateServerTest, AnswersVersionsAndFilesAsTheClientReadsThem)
{
    BackgroundServer server(m_settings);
    ASSERT_NE(server.Port(), 0) << server.Error();

    RawReply reply = Post(server.Port(), {{"action", "versions"}});
    EXPECT_TRUE(reply.statusLine.starts_with("HTTP/1.")) << reply.statusLine;
    EXPECT_EQ(reply.statusLine.substr(9, 3), "200");
    EXPECT_NE(reply.head.find("Content-Length: 42\r\n"), std::string::npos) << reply.head;
    EXPECT_EQ(reply.body, "ok1.2.3:0.1.11:1:ImageHost:3:1:picsrule:10");

    // Published while running: the next check sees it.
    WriteFileBytes(m_root / "Rules/zeta.vtl", "[Main]\r\nver=1\r\n");
    EXPECT_EQ(Post(server.Port(), {{"action", "versions"}}).body,
        "ok1.2.3:0.1.11:1:ImageHost:3:2:picsrule:10:zeta:1");

    EXPECT_EQ(Post(server.Port(), {{"action", "getfile"}, {"name", "Rules/picsrule.vtl"}}).body,
        "ok[Main]\r\nver=10\r\nName=picsrule\r\n");
    EXPECT_EQ(Post(server.Port(), {{"action", "getfile"}, {"name", "core"}}).body, "okvtl");
    reply = Post(server.Port(), {{"action", "getfile"}, {"name", "core/vtl"}});
    EXPECT_EQ(reply.body, std::string("okprogram\0bytes\r\n\xff", 18));
    EXPECT_NE(reply.head.find("Content-Length: 18\r\n"), std::string::npos) << reply.head;

    // Two requests on one connection, the client's CR LF after each body.
    const std::string versions = ClientRequest("action=versions");
    reply = SendRaw(server.Port(), versions + versions);
    EXPECT_EQ(reply.body.substr(0, 8), "ok1.2.3:");
}

TEST_F(UpdateServerTest, RefusesEveryOtherRequest)
{
    WriteFileBytes(m_outside / "secret.vtl", "secret");
    fs::create_symlink(m_outside / "secret.vtl", m_root / "Rules/escape.vtl");
    fs::create_symlink(m_outside.Path(), m_root / "Managers/out");
    BackgroundServer server(m_settings);
    ASSERT_NE(server.Port(), 0) << server.Error();

    struct Case {
        std::string request;
        std::string status;
        std::string body;
    };
    const auto getfile
        = [](const std::string& encodedName) { return ClientRequest("action=getfile&name=" + encodedName); };
    const Case cases[] = {
        {getfile("Rules%2Fescape%2Evtl"), "403", "error: name refused"},
        {getfile("Managers%2Fout%2Fsecret%2Evtl"), "403", "error: name refused"},
        {getfile("Rules%2F%2E%2E%2F%2E%2E%2Fetc%2Fpasswd"), "403", "error: name refused"},
        {getfile("%2Fetc%2Fpasswd"), "403", "error: name refused"},
        {getfile("Rules%5C%2E%2E%5Ccore%5Cvtl"), "403", "error: name refused"},
        {getfile("Rules%2Fpicsrule%00%2Evtl"), "403", "error: name refused"},
        {getfile("core%2Fversions%2Eini"), "403", "error: name refused"},
        {getfile("reports%2Esqlite"), "403", "error: name refused"},
        {getfile("Rules%2Fnone%2Evtl"), "404", "error: no such file"},
        {ClientRequest("action=getfile"), "400", "error: getfile without \"name\""},
        {ClientRequest("name=core&action=getfile"), "400", "error: the first field must be \"action\""},
        {ClientRequest("action=list"), "400", "error: unknown action"},
        {ClientRequest("action=versions&%zz"), "400", "error: malformed form body"},
        {ClientRequest("action=sendreport"), "400", "error: empty report"},
        {"GET /vtl.php HTTP/1.0\r\n\r\n", "405", "error: only POST is answered"},
        {"POST /other.php HTTP/1.0\r\nContent-Length: 15\r\n\r\naction=versions", "404", "error: not found"},
        {"POST /vtl.php HTTP/1.0\r\nTransfer-Encoding: chunked\r\n\r\n", "501",
            "error: chunked bodies are not taken"},
    };
    for (const Case& test : cases) {
        const RawReply reply = SendRaw(server.Port(), test.request);
        EXPECT_EQ(reply.statusLine.substr(9, 3), test.status) << test.request;
        EXPECT_EQ(reply.body, test.body) << test.request;
    }
}

TEST_F(UpdateServerTest, StoresReportsVerbatimInOrderAndListsThem)
{
    BackgroundServer server(m_settings);
    ASSERT_NE(server.Port(), 0) << server.Error();
    const std::vector<FormField> report = {
        {"URL", "http://pics.example/view.php?id=7&size=big"},
        {"Rule", "picsrule"},
        {"ver", "10"},
        {"Ident", ""},
        {"Type", "1"},
        {"Referer", ""},
        {"nbSR", "1"},
        {"sr1_1", "id=(\\d+)"},
        {"sr2_1", "caf\xE9 \r\n%41+"},
        {"nbOS", "0"},
        {"Referer_Regexp", ""},
        {"Referer_Result", ""},
    };
    std::vector<FormField> request = {{"action", "sendreport"}};
    request.insert(request.end(), report.begin(), report.end());
    const RawReply reply = Post(server.Port(), request);
    EXPECT_EQ(reply.statusLine.substr(9, 3), "200");
    EXPECT_EQ(reply.body, "ok");
    EXPECT_EQ(Post(server.Port(), {{"action", "sendreport"}, {"URL", "u"}, {"URL", "v"}}).body, "ok");

    const auto stored = StoredReports();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].fields, report);
    EXPECT_EQ(stored[0].address, "127.0.0.1");
    EXPECT_EQ(stored[0].received.size(), 20u);
    EXPECT_EQ(stored[1].fields, (std::vector<FormField> {{"URL", "u"}, {"URL", "v"}}));

    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(
        RunServerCommandLine({"reports", "--db", (m_root / "reports.sqlite").string(), "--json"}, out, err),
        0)
        << err.str();
    std::string json = out.str();
    for (const StoredReport& each : stored) // the times vary; everything else is fixed
        json.replace(json.find(each.received), each.received.size(), "TIME");
    EXPECT_EQ(json, R"json([
  {
    "id": 1,
    "received": "TIME",
    "address": "127.0.0.1",
    "fields": [
      [
        "URL",
        "http://pics.example/view.php?id=7&size=big"
      ],
      [
        "Rule",
        "picsrule"
      ],
      [
        "ver",
        "10"
      ],
      [
        "Ident",
        ""
      ],
      [
        "Type",
        "1"
      ],
      [
        "Referer",
        ""
      ],
      [
        "nbSR",
        "1"
      ],
      [
        "sr1_1",
        "id=(\\d+)"
      ],
      [
        "sr2_1",
        "café \r\n%41+"
      ],
      [
        "nbOS",
        "0"
      ],
      [
        "Referer_Regexp",
        ""
      ],
      [
        "Referer_Result",
        ""
      ]
    ]
  },
  {
    "id": 2,
    "received": "TIME",
    "address": "127.0.0.1",
    "fields": [
      [
        "URL",
        "u"
      ],
      [
        "URL",
        "v"
      ]
    ]
  }
]
)json");

    // A database that does not exist is an error, not an empty list.
    std::ostringstream none;
    EXPECT_EQ(RunServerCommandLine({"reports", "--db", (m_root / "none.sqlite").string()}, none, err), 1);
    EXPECT_FALSE(fs::exists(m_root / "none.sqlite"));
}

TEST_F(UpdateServerTest, BodyLimitAndReportRateHold)
{
    m_settings.limits.maxBodyBytes = 64;
    m_settings.reportsPerMinute = 2;
    m_settings.idleLimit = std::chrono::milliseconds(300);
    BackgroundServer server(m_settings);
    ASSERT_NE(server.Port(), 0) << server.Error();

    const std::string atLimit = "action=sendreport&URL=" + std::string(42, 'a');
    ASSERT_EQ(atLimit.size(), 64u);
    EXPECT_EQ(SendRaw(server.Port(), ClientRequest(atLimit)).body, "ok");
    // One byte over: refused on the announced length, before the body is read, and closed.
    RawReply reply = SendRaw(server.Port(), ClientRequest(atLimit + "a"), AwaitClose::Yes);
    EXPECT_EQ(reply.statusLine, "HTTP/1.1 413 Payload Too Large");
    EXPECT_EQ(reply.body, "error: body too large");
    EXPECT_TRUE(reply.closedByServer);
    // A client that sends more than it announced gets no more room than the limit either.
    reply = SendRaw(server.Port(),
        "POST /vtl.php HTTP/1.0\r\nContent-Length: 10\r\n\r\naction=ver" + std::string(100000, 'x'),
        AwaitClose::Yes);
    EXPECT_TRUE(reply.closedByServer);

    EXPECT_EQ(Post(server.Port(), {{"action", "sendreport"}, {"URL", "second"}}).body, "ok");
    reply = Post(server.Port(), {{"action", "sendreport"}, {"URL", "third"}});
    EXPECT_EQ(reply.statusLine.substr(9, 3), "429");
    EXPECT_EQ(reply.body, "error: too many reports, try again later");
    // Reading is not limited.
    EXPECT_EQ(
        Post(server.Port(), {{"action", "versions"}}).body, "ok1.2.3:0.1.11:1:ImageHost:3:1:picsrule:10");
    EXPECT_EQ(StoredReports().size(), 2u);

    // A connection that goes silent half-way is closed after the idle limit.
    reply = SendRaw(server.Port(), "POST /vtl.php HTTP/1.0\r\nContent-Le", AwaitClose::No, 3000);
    EXPECT_TRUE(reply.closedByServer);
    EXPECT_EQ(reply.body, "");
}

} // namespace
