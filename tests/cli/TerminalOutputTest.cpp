// Only printable text reaches the terminal: names, links, statuses and messages from outside show
// their control bytes escaped; JSON stays exact and --print stays data.
#include "CliRunner.h"
#include "EngineTestSupport.h"
#include "TerminalText.h"

#include <gtest/gtest.h>

using namespace vortalux;
using namespace vortalux::test;

namespace {

CliProcess::Options Home(
    const std::filesystem::path& home, CliProcess::Output output = CliProcess::Output::Captured)
{
    CliProcess::Options options;
    options.home = home;
    options.output = output;
    return options;
}

std::string Rule(bool active, const std::string& ident = "^http://pics/")
{
    return "[Main]\r\nver=1\r\nActive=" + std::string(active ? "1" : "0") + "\r\nIdent=" + ident
        + "\r\nType=0\r\n[SR]\r\nnb=0\r\n";
}

} // namespace

TEST(TerminalText, ControlBytesAndC1ShowEscapedAndTextStaysAsItIs)
{
    EXPECT_EQ(TerminalText("plain caf\xC3\xA9 \\d+ ~"), "plain caf\xC3\xA9 \\d+ ~");
    EXPECT_EQ(
        TerminalText("\x1b[2J\x1b]0;title\x07red\rX\n\t"), "\\x1b[2J\\x1b]0;title\\x07red\\x0dX\\x0a\\x09");
    EXPECT_EQ(TerminalText(std::string("a\0b\x7f", 4)), "a\\x00b\\x7f");
    // A C1 control as a raw byte and written in UTF-8; other high bytes (Windows-1252 text) stay.
    EXPECT_EQ(TerminalText("\x9b"
                           "31m \xC2\x9b"
                           "31m \xC2\xA0 caf\xE9 \xE2\x82\xAC"),
        "\\x9b31m \\xc2\\x9b31m \xC2\xA0 caf\xE9 \xE2\x82\xAC");
    // A message keeps its lines; a lone CR would overwrite the line, so it shows.
    EXPECT_EQ(TerminalText("one\r\ntwo\nthree\rfour", LineBreaks::Keep), "one\ntwo\nthree\\x0dfour");
}

TEST(TerminalOutput, EscapeSequencesFromOutsideNeverReachTheTerminal)
{
    EngineHome home;
    const std::string hostile = "\x1b[31mred\rX";
    WriteFileBytes(
        home.Path() / "Rules" / ("evil" + hostile + ".vtl"), Rule(true, "^http://pics/" + hostile));
    const CliResult rules = RunCli({"--home", home.Path().string(), "rules"});
    EXPECT_EQ(rules.out,
        "on  evil\\x1b[31mred\\x0dX  [replace, 0 steps]  ^http://pics/\\x1b[31mred\\x0dX\n"
        "1 rules, 1 active\n");
    // JSON stays exact.
    const CliResult json = RunCli({"--home", home.Path().string(), "rules", "--json"});
    EXPECT_NE(json.out.find("\"name\": \"evil\\u001b[31mred\\rX\""), std::string::npos) << json.out;

    // Plain convert output: the incoming referer and the link, which no rule identifies.
    const CliResult convert = RunCli({"--home", home.Path().string(), "convert", "--referer",
        "http://forum/\x1b[1m", "http://pics/" + hostile + ".jpg"});
    EXPECT_EQ(convert.out, "http://forum/\\x1b[1m\nhttp://pics/\\x1b[31mred\\x0dX.jpg\n");

    // Messages: a definition's error text and an unknown option.
    WriteFileBytes(home.Path() / "Managers" / "m.vtm",
        "[Main]\r\nver=1\r\nDefault=1\r\n[SCRIPT]\r\n\r\nSub AddLink(r, u, n)\r\n"
        "    Err.Raise 5, , \"bad \" & Chr(27) & \"[2J\" & u\r\nEnd Sub\r\n");
    const CliResult script = RunProgram({"hand-off", "http://h/\x1b]0;x\x07.jpg"}, Home(home.Path()));
    EXPECT_EQ(script.code, 1);
    EXPECT_EQ(script.err,
        "[Vortalux] Script Syntax Error : 5: bad \\x1b[2Jhttp://h/\\x1b]0;x\\x07.jpg at line 2 column 0\n");
    EXPECT_EQ(RunCli({"rules", "--\x1b[2J"}).err,
        "vortalux rules: unknown option --\\x1b[2J\nusage: vortalux rules [--json]\n");
}

TEST(TerminalOutput, HeadlessProgressShowsALinkNameWithEscapesAndCarriageReturnsEscaped)
{
    EngineHome home;
    home.Manager("Wget", true);
    home.ReplaceRule("Pics", "^http://pics/", {{"_t", ""}});
    const CliResult run = RunProgram(
        {"add-url-list", "--print", "http://forum/t", "http://pics/a\x1b[2J\rb_t.jpg", "A\x1b[31m"},
        Home(home.Path()));
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.err.find("\nCurrent: a\\x1b[2J\\x0db_t.jpg - Rule: Pics\n"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\x1b'), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\r'), std::string::npos) << run.err;
    // --print is data: the address percent-encoded (the same address), the name escaped.
    EXPECT_EQ(run.out, "AddList\thttp://pics/\t1\n\thttp://pics/a%1B[2J%0Db.jpg\ta\\x1b[2J\\x0db.jpg\n");
}
