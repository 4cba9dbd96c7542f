#include "SendReports.h"
#include "ScriptedServer.h"
#include "ServerExchange.h"
#include "TestSupport.h"

#include <QTimer>

#include <algorithm>

#include <gtest/gtest.h>

using namespace vortalux;
using vortalux::test::ReadFileBytes;
using vortalux::test::ScriptedServer;
using vortalux::test::ServerReply;
using vortalux::test::TempDir;
using vortalux::test::WriteFileBytes;
using namespace std::chrono_literals;

namespace fs = std::filesystem;

namespace {

ServerReply Answer(std::string_view status, std::string_view body)
{
    return ServerReply::Whole("HTTP/1.0 " + std::string(status)
        + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + std::string(body));
}

// The body of a recorded request: what follows the empty line.
std::string Body(const std::string& request) { return request.substr(request.find("\r\n\r\n") + 4); }

class SendReportsTest : public testing::Test {
protected:
    // Report n of rule "R<n>" for the link "http://h/<n>", with two replace steps.
    void WriteReport(int n)
    {
        const std::string number = std::to_string(n);
        WriteFileBytes(Path(n),
            "[Main]\r\nURL=http://h/" + number + "\r\n[Rule]\r\nName=R" + number
                + "\r\nver=3\r\nIdent=h/"
                  "\r\nType=0\r\nReferer=1\r\n[SR]\r\nnb=2\r\nsr1.1=a\r\nsr2.1=b\r\nsr1.2=c\r\n"
                  "sr2.2=d e\r\n[OS]\r\nnb=0\r\n");
    }
    fs::path Path(int n) const { return m_home.Path() / (std::to_string(n) + ".vtr"); }
    std::vector<ReportEntry> Listed()
    {
        ReportList reports;
        reports.LoadReports(m_home.Path());
        std::vector<ReportEntry> entries = reports.Unsent();
        std::sort(entries.begin(), entries.end(),
            [](const ReportEntry& a, const ReportEntry& b) { return a.number < b.number; });
        return entries;
    }
    SendReportsResult Send(ScriptedServer& server, const std::vector<ReportEntry>& entries,
        const std::function<void(ServerExchange&)>& during = {})
    {
        ServerExchange exchange(server.Url("/vtl.php"));
        exchange.SetSilenceLimit(10s);
        if (during)
            QTimer::singleShot(50, [&] { during(exchange); });
        return SendReports(exchange, m_home.Path(), entries,
            [this](int done, int total) { m_progress.emplace_back(done, total); });
    }

    TempDir m_home;
    std::vector<std::pair<int, int>> m_progress;
};

std::vector<ReportSendOutcome> Outcomes(const SendReportsResult& result)
{
    std::vector<ReportSendOutcome> outcomes;
    for (const ReportSendStatus& status : result.reports)
        outcomes.push_back(status.outcome);
    return outcomes;
}

} // namespace

TEST_F(SendReportsTest, CountsOnlyExactOkRepliesAndSendsEachReportAlone)
{
    for (int n = 1; n <= 4; ++n)
        WriteReport(n);
    const std::string unsentBytes = ReadFileBytes(Path(2));
    ScriptedServer server([](int index, const std::string&) {
        switch (index) {
        case 0:
            return Answer("200 OK", "ok");
        case 1:
            return Answer("200 OK", "OK");
        case 2:
            return Answer("200 OK", "ok\r\n");
        default:
            return Answer("500 Internal Server Error", "ok");
        }
    });
    const SendReportsResult result = Send(server, Listed());

    EXPECT_EQ(result.sentCount, 1);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(Outcomes(result),
        (std::vector {ReportSendOutcome::Sent, ReportSendOutcome::NotAccepted, ReportSendOutcome::NotAccepted,
            ReportSendOutcome::ExchangeFailed}));
    EXPECT_EQ(result.reports[1].reason, "the server answered \"OK\"");
    EXPECT_EQ(result.reports[2].reason, "the server answered \"ok\r\n\"");
    EXPECT_EQ(m_progress, (std::vector<std::pair<int, int>> {{1, 4}, {2, 4}, {3, 4}, {4, 4}}));

    EXPECT_NE(ReadFileBytes(Path(1)).find("[Main]\r\nURL=http://h/1\r\nSent=1\r\n"), std::string::npos)
        << ReadFileBytes(Path(1));
    EXPECT_EQ(ReadFileBytes(Path(2)), unsentBytes);
    ReportList after;
    after.LoadReports(m_home.Path());
    EXPECT_EQ(after.Unsent().size(), 3u);

    // Every request holds "action" and its own report, fields in the server's order (names are
    // form-encoded too: "_" is "%5F").
    ASSERT_EQ(server.Requests().size(), 4u);
    EXPECT_EQ(Body(server.Requests()[1]),
        "action=sendreport&URL=http%3A%2F%2Fh%2F2&Rule=R2&ver=3&Ident=h%2F&Type=0&Referer=1&nbSR=2"
        "&sr1%5F1=a&sr2%5F1=b&sr1%5F2=c&sr2%5F2=d+e&nbOS=0&Referer%5FRegexp=&Referer%5FResult=\r\n");
    EXPECT_EQ(server.Requests()[3].find("R1"), std::string::npos);
    EXPECT_EQ(server.Requests()[3].find("R2"), std::string::npos);
}

TEST_F(SendReportsTest, AReportGoneBeforeOrDuringItsTurnIsNeitherCountedNorMadeAnew)
{
    for (int n = 1; n <= 3; ++n)
        WriteReport(n);
    const std::vector<ReportEntry> listed = Listed();
    fs::remove(Path(2)); // deleted between listing and sending
    ScriptedServer server([this](int index, const std::string&) {
        if (index == 1)
            fs::remove(Path(3)); // deleted while the server takes it
        return Answer("200 OK", "ok");
    });
    const SendReportsResult result = Send(server, listed);

    EXPECT_EQ(result.sentCount, 1);
    EXPECT_EQ(Outcomes(result),
        (std::vector {
            ReportSendOutcome::Sent, ReportSendOutcome::ReportGone, ReportSendOutcome::ReportGone}));
    EXPECT_EQ(server.Requests().size(), 2u); // nothing is sent for the file that was gone
    EXPECT_FALSE(fs::exists(Path(2)));
    EXPECT_FALSE(fs::exists(Path(3)));
    EXPECT_EQ(m_progress, (std::vector<std::pair<int, int>> {{1, 3}, {2, 3}, {3, 3}}));
}

TEST_F(SendReportsTest, CancelEndsTheRunAndLeavesTheRestUnsent)
{
    WriteReport(1);
    WriteReport(2);
    const std::string before = ReadFileBytes(Path(1));
    // The server takes the request and never answers.
    ScriptedServer server([](int, const std::string&) { return ServerReply {{}, false}; });
    const SendReportsResult result
        = Send(server, Listed(), [](ServerExchange& exchange) { exchange.Cancel(); });

    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.sentCount, 0);
    EXPECT_EQ(Outcomes(result), (std::vector {ReportSendOutcome::NotTried, ReportSendOutcome::NotTried}));
    EXPECT_LE(server.Requests().size(), 1u);
    EXPECT_TRUE(m_progress.empty());
    EXPECT_EQ(ReadFileBytes(Path(1)), before);
}
