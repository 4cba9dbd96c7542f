#include "CliRunner.h"
#include "ScriptedServer.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>

using namespace vortalux;
using vortalux::test::CliResult;
using vortalux::test::RunCli;
using vortalux::test::ScriptedServer;
using vortalux::test::ServerReply;

namespace {

CliResult Fetch(std::vector<std::string> args)
{
    args.insert(args.begin(), "fetch");
    return RunCli(args);
}

} // namespace

TEST(FetchCommand, WritesThePageAndWithVerboseTheProgress)
{
    ScriptedServer server([](int, const std::string&) {
        return ServerReply::Whole(std::string("HTTP/1.0 200 OK\r\n\r\nbytes\0\xff", 26));
    });
    const CliResult plain = Fetch({server.Url("/dir/pic.html")});
    EXPECT_EQ(plain.code, 0);
    EXPECT_EQ(plain.out, std::string("bytes\0\xff", 7));
    EXPECT_EQ(plain.err, "");

    const CliResult verbose = Fetch({"--verbose", server.Url("/dir/pic.html")});
    EXPECT_EQ(verbose.code, 0);
    EXPECT_EQ(verbose.err,
        "Current: pic.html - Downloading page (connected)\nCurrent: pic.html - Downloading page (header)\n"
        "Current: pic.html - Downloading page (0 Kb)\n");
}

TEST(FetchCommand, AnswersOneForNoPageAndTwoForAWrongCommandLine)
{
    const CliResult refused = Fetch({"mailto:someone"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("no page"), std::string::npos);

    // The same answers as every other command: the reason, then the usage line.
    const std::vector<std::pair<std::vector<std::string>, std::string>> wrong {
        {{}, "vortalux fetch: needs one URL\n"},
        {{"--verbose"}, "vortalux fetch: needs one URL\n"},
        {{"--quiet", "http://x/"}, "vortalux fetch: unknown option --quiet\n"},
        {{"http://x/", "http://y/"}, "vortalux fetch: needs one URL\n"},
    };
    for (const auto& [args, reason] : wrong) {
        const CliResult result = Fetch(args);
        EXPECT_EQ(result.code, 2);
        EXPECT_EQ(result.err, reason + "usage: vortalux fetch [--verbose] URL\n");
    }
}

TEST(FetchCommand, CtrlCEndsTheWaitWithWhatHasArrived)
{
    ScriptedServer slow([](int, const std::string&) {
        return ServerReply {{{0, "HTTP/1.0 200 OK\r\n\r\nfirst half"}, {30000, "second half"}}, true};
    });
    const auto previous = std::signal(SIGINT, SIG_DFL);
    QTimer::singleShot(500, QCoreApplication::instance(), [] { std::raise(SIGINT); });
    const CliResult result = Fetch({slow.Url("/")});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.out, "first half");
    // The handler is gone once the command is over.
    EXPECT_EQ(std::signal(SIGINT, previous), SIG_DFL);
}

TEST(FetchCommand, SaysWhyNoPageOrOnlyPartOfOneArrived)
{
    ScriptedServer missing(
        [](int, const std::string&) { return ServerReply::Whole("HTTP/1.0 404 Not Found\r\n\r\ngone"); });
    const CliResult notFound = Fetch({missing.Url("/x")});
    EXPECT_EQ(notFound.code, 1);
    EXPECT_EQ(
        notFound.err, "vortalux fetch: no page received from " + missing.Url("/x") + ": HTTP status 404\n");

    const CliResult refused = Fetch({"mailto:someone"});
    EXPECT_EQ(refused.err, "vortalux fetch: no page received from mailto:someone: address refused\n");
    // The address is quoted as a terminal can show it: a line break in it cannot make a line.
    const CliResult forged = Fetch({"mailto:x\nvortalux fetch: ok\x1b[2J"});
    EXPECT_EQ(forged.err,
        "vortalux fetch: no page received from mailto:x\\x0avortalux fetch: ok\\x1b[2J: address refused\n");

    ScriptedServer slow([](int, const std::string&) {
        return ServerReply {{{0, "HTTP/1.0 200 OK\r\n\r\nfirst half"}, {30000, "second half"}}, true};
    });
    const auto previous = std::signal(SIGINT, SIG_DFL);
    QTimer::singleShot(500, QCoreApplication::instance(), [] { std::raise(SIGINT); });
    const CliResult stopped = Fetch({slow.Url("/")});
    std::signal(SIGINT, previous);
    EXPECT_EQ(stopped.code, 0);
    EXPECT_EQ(stopped.out, "first half");
    EXPECT_EQ(stopped.err, "vortalux fetch: the page is incomplete: stopped before the end\n");
}
