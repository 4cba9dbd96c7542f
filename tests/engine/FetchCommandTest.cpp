#include "FetchCommand.h"
#include "ScriptedServer.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>

using namespace vortalux;
using vortalux::test::ScriptedServer;
using vortalux::test::ServerReply;

TEST(FetchCommand, WritesThePageAndWithVerboseTheProgress)
{
    ScriptedServer server([](int, const std::string&) {
        return ServerReply::Whole(std::string("HTTP/1.0 200 OK\r\n\r\nbytes\0\xff", 26));
    });
    std::ostringstream out, err;
    EXPECT_EQ(RunFetchCommand({server.Url("/dir/pic.html")}, out, err), 0);
    EXPECT_EQ(out.str(), std::string("bytes\0\xff", 7));
    EXPECT_EQ(err.str(), "");

    std::ostringstream verboseOut, verboseErr;
    EXPECT_EQ(RunFetchCommand({"--verbose", server.Url("/dir/pic.html")}, verboseOut, verboseErr), 0);
    EXPECT_EQ(verboseErr.str(),
        "Current: pic.html - Downloading page (connected)\nCurrent: pic.html - Downloading page (header)\n"
        "Current: pic.html - Downloading page (0 Kb)\n");
}

TEST(FetchCommand, AnswersOneForNoPageAndTwoForAWrongCommandLine)
{
    std::ostringstream out, err;
    EXPECT_EQ(RunFetchCommand({"mailto:someone"}, out, err), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("no page"), std::string::npos);

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>> {
             {}, {"--verbose"}, {"--quiet", "http://x/"}, {"http://x/", "http://y/"}}) {
        std::ostringstream usageOut, usageErr;
        EXPECT_EQ(RunFetchCommand(args, usageOut, usageErr), 2);
        EXPECT_EQ(usageErr.str(), "usage: vortalux fetch [--verbose] URL\n");
    }
}

TEST(FetchCommand, CtrlCEndsTheWaitWithWhatHasArrived)
{
    ScriptedServer slow([](int, const std::string&) {
        return ServerReply {{{0, "HTTP/1.0 200 OK\r\n\r\nfirst half"}, {30000, "second half"}}, true};
    });
    const auto previous = std::signal(SIGINT, SIG_DFL);
    QTimer::singleShot(500, QCoreApplication::instance(), [] { std::raise(SIGINT); });
    std::ostringstream out, err;
    EXPECT_EQ(RunFetchCommand({slow.Url("/")}, out, err), 0);
    EXPECT_EQ(out.str(), "first half");
    // The handler is gone once the command is over.
    EXPECT_EQ(std::signal(SIGINT, previous), SIG_DFL);
}
