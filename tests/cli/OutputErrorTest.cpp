// A command whose output cannot be written fails and says why, whatever stands in the way: a full
// disk, a closed descriptor, a reader that went away, a failing stream.
#include "CliRunner.h"
#include "EngineTestSupport.h"
#include "ScriptedServer.h"

#include <gtest/gtest.h>

#include <ostream>
#include <streambuf>

using namespace vortalux;
using namespace vortalux::test;

namespace {

// Takes nothing: every write fails.
class FailingBuffer final : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

CliProcess::Options Home(
    const std::filesystem::path& home, CliProcess::Output output = CliProcess::Output::Captured)
{
    CliProcess::Options options;
    options.home = home;
    options.output = output;
    return options;
}

} // namespace

TEST(OutputErrors, AFailedWriteIsAFailureWithItsReason)
{
    EngineHome home;
    home.ReplaceRule("Pics", "^http://pics/", {});
    const std::vector<std::pair<CliProcess::Output, std::string>> outputs = {
        {CliProcess::Output::DevFull, "No space left on device"},
        {CliProcess::Output::Closed, "Bad file descriptor"},
        {CliProcess::Output::PipeWithoutReader, "Broken pipe"},
    };
    for (const auto& [output, reason] : outputs) {
        SCOPED_TRACE(reason);
        const CliResult rules = RunProgram({"rules"}, Home(home.Path(), output));
        EXPECT_EQ(rules.code, 1);
        EXPECT_EQ(rules.err, "vortalux rules: cannot write the output: " + reason + "\n");
        const CliResult help = RunProgram({"--help"}, Home(home.Path(), output));
        EXPECT_EQ(help.code, 1);
        EXPECT_EQ(help.err, "vortalux: cannot write the output: " + reason + "\n");
    }

    // A page of 1 MiB that cannot be written, and a conversion.
    ScriptedServer server([](int, const std::string&) {
        return ServerReply::Whole("HTTP/1.0 200 OK\r\n\r\n" + std::string(1 << 20, 'x'));
    });
    CliProcess fetch;
    fetch.Start({"fetch", server.Url("/page")}, Home(home.Path(), CliProcess::Output::DevFull));
    const CliResult fetched = fetch.Finish();
    EXPECT_EQ(fetched.code, 1);
    EXPECT_EQ(fetched.err, "vortalux fetch: cannot write the output: No space left on device\n");

    FailingBuffer failing;
    std::ostream out(&failing);
    const CliResult convert = RunCli({"--home", home.Path().string(), "convert", "http://pics/a.jpg"}, out);
    EXPECT_EQ(convert.code, 1);
    EXPECT_EQ(convert.err, "vortalux convert: cannot write the output\n");
    const CliResult json = RunCli({"--home", home.Path().string(), "rules", "--json"}, out);
    EXPECT_EQ(json.code, 1);
    EXPECT_EQ(json.err, "vortalux rules: cannot write the output\n");
}
