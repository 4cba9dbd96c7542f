#include "CliRunner.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vortalux;
using vortalux::test::CliResult;
using vortalux::test::RunCli;

namespace {

using Row = std::vector<std::string>;

struct TesterView {
    std::string status;
    std::vector<Row> rows;
    bool hasPreview = false;
    std::string preview;
};

TesterView Parse(const CliResult& result)
{
    EXPECT_EQ(result.code, 0) << result.err;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(result.out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << result.out;
    const QJsonObject object = document.object();
    TesterView view;
    view.status = object.value(QStringLiteral("status")).toString().toStdString();
    for (const QJsonValue& row : object.value(QStringLiteral("rows")).toArray()) {
        Row cells;
        for (const QJsonValue& cell : row.toArray())
            cells.push_back(cell.toString().toStdString());
        view.rows.push_back(cells);
    }
    view.hasPreview = object.contains(QStringLiteral("preview"));
    view.preview = object.value(QStringLiteral("preview")).toString().toStdString();
    return view;
}

TesterView Tester(std::vector<std::string> args, const std::string& sample)
{
    args.insert(args.begin(), {"pattern", "--tester"});
    return Parse(RunCli(args, sample));
}

} // namespace

TEST(PatternTesterCommand, SearchMode)
{
    const TesterView rows = Tester({"(a)(b)"}, "xaby zab");
    EXPECT_EQ(rows.status, "1 occurrence found");
    EXPECT_EQ(rows.rows,
        (std::vector<Row> {{"1", "ab", "1", "2"}, {"  $1", "a", "", "1"}, {"  $2", "b", "", "1"}}));
    EXPECT_FALSE(rows.hasPreview);

    const TesterView global = Tester({"--global", "(a)(b)", "-"}, "xaby zab");
    EXPECT_EQ(global.status, "2 occurrences found");
    EXPECT_EQ(global.rows.size(), 6u);
    EXPECT_EQ(global.rows[3], (Row {"2", "ab", "6", "2"}));

    const TesterView result = Tester({"--global", "--result", "$2$1$URL", "(a)(b)"}, "xaby zab");
    EXPECT_EQ(result.status, "bahttp://www.example.com/path/");
    EXPECT_EQ(result.rows.size(), 6u);

    EXPECT_EQ(Tester({"(a"}, "xaby").status, "Invalid pattern");
    EXPECT_EQ(Tester({""}, "xaby").status, "No occurrence found");
    EXPECT_EQ(Tester({"(a+)+$"}, std::string(40, 'a') + "!").status, "No occurrence found");

    // The whole output of a run without a match, written out.
    EXPECT_EQ(RunCli({"pattern", "--tester", "z"}, "xaby").out,
        "{\n  \"status\": \"No occurrence found\",\n  \"rows\": []\n}\n");
}

TEST(PatternTesterCommand, ReplaceMode)
{
    const TesterView replaced
        = Tester({"--replace", "$URL $SRV$1.jpg", "^.*/(\\w+)_t\\.jpg$"}, "http://h/p/7_t.jpg");
    EXPECT_EQ(replaced.status, "1 occurrence found");
    EXPECT_TRUE(replaced.rows.empty());
    EXPECT_TRUE(replaced.hasPreview);
    EXPECT_EQ(replaced.preview, "http://www.example.com/path/ http://www.example.com/7.jpg");

    const TesterView every = Tester({"--global", "--replace=<$&>", "\\d"}, "a1b2");
    EXPECT_EQ(every.preview, "a<1>b<2>");
    const TesterView invalid = Tester({"--replace", "x", "a)"}, "a");
    EXPECT_EQ(invalid.status, "Invalid pattern");
    EXPECT_TRUE(invalid.hasPreview);
    EXPECT_EQ(invalid.preview, "");
}

// The program itself, reading a file: its bytes as they are, CR LF and bytes that are not UTF-8
// included.
TEST(PatternTesterCommand, SampleFileBytesAsGiven)
{
    test::TempDir folder;
    test::WriteFileBytes(folder / "page.html", "a\r\n\xe9tat\r\n");
    const CliResult result = test::RunProgram(
        {"pattern", "--tester", "--global", "\\r\\n(.)", (folder / "page.html").string()}, {});
    const TesterView view = Parse(result);
    EXPECT_EQ(view.status, "1 occurrence found");
    EXPECT_EQ(view.rows, (std::vector<Row> {{"1", "\r\n\u00e9", "1", "3"}, {"  $1", "\u00e9", "", "1"}}));
}

TEST(PatternTesterCommand, WrongCommandLinesAndTheOtherForms)
{
    const CliResult both = RunCli({"pattern", "--tester", "--replace", "x", "--result", "y", "a"}, "a");
    EXPECT_EQ(both.code, 2);
    EXPECT_NE(both.err.find("--replace and --result exclude each other"), std::string::npos) << both.err;
    EXPECT_EQ(RunCli({"pattern", "--tester"}, "a").code, 2);
    EXPECT_EQ(RunCli({"pattern", "--tester", "--template", "x", "a"}, "a").code, 2);
    const CliResult missing = RunCli({"pattern", "--tester", "a", "/nonexistent/sample"});
    EXPECT_EQ(missing.code, 1);

    // Without --tester, --replace is the step's flag as before, and "--tester" after "--" is a pattern.
    const CliResult step = RunCli({"pattern", "--replace", "--template", "x", "a"}, "abc");
    EXPECT_EQ(step.code, 0);
    EXPECT_EQ(step.out, "1\nxbc\n");
    const CliResult literal = RunCli({"pattern", "--", "--tester"}, "a--tester");
    EXPECT_EQ(literal.out, "1\n\n");
}
