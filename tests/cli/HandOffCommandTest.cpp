#include "CliRunner.h"
#include "CommandLine.h"
#include "RecordingPresenter.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace vortalux;
using namespace vortalux::cli;
using vortalux::test::CliResult;
using vortalux::test::ReadFileBytes;
using vortalux::test::RecordingPresenter;
using vortalux::test::RunCli;
using vortalux::test::TempDir;
using vortalux::test::WriteFileBytes;

namespace {

// A definition that writes what it received to `record`.
std::string RecordingDefinition(const std::string& isDefault, const std::string& record)
{
    return "[Main]\r\nver=1\r\nDefault=" + isDefault + "\r\n[SCRIPT]\r\n\r\n"
        + "Sub Save(text)\r\n"
          "    Set f = CreateObject(\"Scripting.FileSystemObject\").CreateTextFile(\""
        + record
        + "\")\r\n"
          "    f.Write text\r\n"
          "    f.Close\r\n"
          "End Sub\r\n"
          "Sub AddLink(referer, url, name)\r\n"
          "    Save \"AddLink|\" & referer & \"|\" & url & \"|\" & name\r\n"
          "End Sub\r\n"
          "Sub AddList(referer, list)\r\n"
          "    Save \"AddList|\" & referer & \"|\" & Join(list, \"|\")\r\n"
          "End Sub\r\n";
}

} // namespace

TEST(HandOffCommand, HandsOneLinkOrAListToTheChosenDefinition)
{
    TempDir home;
    const std::string record = (home / "record.txt").string();
    WriteFileBytes(home / "Managers" / "Alpha.vtm", RecordingDefinition("0", record + ".alpha"));
    WriteFileBytes(home / "Managers" / "Beta.vtm", RecordingDefinition("1", record + ".beta"));
    const std::string homeDir = home.Path().string();

    CliResult one = RunCli({"--home", homeDir, "hand-off", "--referer", "http://page/", "http://h/p/a.jpg"});
    EXPECT_EQ(one.code, ExitOk) << one.err;
    EXPECT_EQ(one.out, "handed 1 link to Beta\n");
    EXPECT_EQ(ReadFileBytes(record + ".beta"), "AddLink|http://page/|http://h/p/a.jpg|a.jpg");

    CliResult several
        = RunCli({"--home", homeDir, "hand-off", "--manager", "ALPHA", "http://h/1.jpg", "http://h/d/"});
    EXPECT_EQ(several.code, ExitOk) << several.err;
    EXPECT_EQ(ReadFileBytes(record + ".alpha"), "AddList||http://h/1.jpg|1.jpg|http://h/d/|http://h/d/");

    CliResult unknown = RunCli({"--home", homeDir, "hand-off", "--manager", "Gamma", "http://h/1.jpg"});
    EXPECT_EQ(unknown.code, ExitFailure);
    EXPECT_NE(unknown.err.find("no definition named 'Gamma'"), std::string::npos);
    EXPECT_EQ(RunCli({"--home", homeDir, "hand-off"}).code, ExitUsage);

    // Without a default mark the first definition serves, and nothing is written.
    WriteFileBytes(home / "Managers" / "Beta.vtm", RecordingDefinition("0", record + ".beta"));
    CliResult firstOne = RunCli({"--home", homeDir, "hand-off", "http://h/x.png"});
    EXPECT_EQ(firstOne.code, ExitOk) << firstOne.err;
    EXPECT_NE(firstOne.err.find("using Alpha"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(record + ".alpha"), "AddLink||http://h/x.png|x.png");

    TempDir empty;
    CliResult none = RunCli({"--home", empty.Path().string(), "hand-off", "http://h/x.png"});
    EXPECT_EQ(none.code, ExitFailure);
    EXPECT_NE(none.err.find("no download-manager definitions"), std::string::npos);
}

TEST(HandOffCommand, AFailingScriptShowsTheMessageAndFailsTheCommand)
{
    TempDir home;
    WriteFileBytes(home / "Managers" / "Broken.vtm",
        "[Main]\r\nver=1\r\nDefault=1\r\n[SCRIPT]\r\n\r\nSub AddLink(r, u, n)\r\n    x = 1 / 0\r\nEnd "
        "Sub\r\n");
    RecordingPresenter presenter;
    CliResult result = RunCli({"--home", home.Path().string(), "hand-off", "http://h/x.png"});
    EXPECT_EQ(result.code, ExitFailure);
    EXPECT_EQ(result.out, "");
    ASSERT_EQ(presenter.Shown().size(), 1u);
    EXPECT_EQ(presenter.Shown()[0].caption, "Vortalux");
    EXPECT_EQ(presenter.Shown()[0].text, "Script Syntax Error : 11: Division by zero at line 2 column 0");
}

TEST(ScriptCommand, RunsTheFileAndAProcedureAndReportsErrorsWithTheirPlace)
{
    TempDir folder;
    const std::string file = (folder / "try.vbs").string();
    WriteFileBytes(file,
        "Dim greeting\r\ngreeting = \"hello\"\r\n"
        "Function Greet(a, b)\r\n    Greet = greeting & \" \" & a & \"+\" & b\r\nEnd Function\r\n"
        "Sub Fail()\r\n    Err.Raise 1234, \"me\", \"custom failure\"\r\nEnd Sub\r\n");
    CliResult greet = RunCli({"script", file, "Greet", "x y", "-z"});
    EXPECT_EQ(greet.code, ExitOk) << greet.err;
    EXPECT_EQ(greet.out, "hello x y+-z\n");
    EXPECT_EQ(RunCli({"script", file}).code, ExitOk);

    CliResult fail = RunCli({"script", file, "Fail"});
    EXPECT_EQ(fail.code, ExitFailure);
    EXPECT_EQ(fail.err, file + "(7, 0) error 1234: custom failure\n");
    CliResult missing = RunCli({"script", file, "Nope"});
    EXPECT_EQ(missing.err, file + "(0, 0) error 35: Sub or Function not defined\n");

    WriteFileBytes(file, "x = 1\r\ny = 2\r\nOn Error GoTo 1\r\n");
    CliResult syntax = RunCli({"script", file});
    EXPECT_EQ(syntax.code, ExitFailure);
    EXPECT_EQ(syntax.err, file + "(3, 14) error 1002: Syntax error\n");

    EXPECT_EQ(RunCli({"script", (folder / "absent.vbs").string()}).code, ExitFailure);
    EXPECT_EQ(RunCli({"script"}).code, ExitUsage);
}
