#include "ArgumentParser.h"
#include "Command.h"
#include "JsonWriter.h"

#include "ApplyPattern.h"
#include "PatternTest.h"

#include <fstream>
#include <istream>
#include <iterator>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace vortalux::cli {

namespace {

bool ReadInput(CommandContext& context, const std::string& name, std::string& bytes)
{
    if (name == "-") {
        bytes.assign(std::istreambuf_iterator<char>(context.in), std::istreambuf_iterator<char>());
        return true;
    }
    std::ifstream file(name, std::ios::binary);
    if (!file) {
        context.err << "vortalux pattern: cannot read " << name << '\n';
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

// Whether the arguments ask for the tester's view (before a "--" that ends the options).
bool WantsTester(const std::vector<std::string>& args)
{
    for (const std::string& arg : args) {
        if (arg == "--")
            return false;
        if (arg == "--tester")
            return true;
    }
    return false;
}

// The pattern tester's view of a sample, as the window shows it.
int RunTester(CommandContext& context)
{
    ArgumentParser parser;
    parser.Flag("--tester").Flag("--global").Option("--replace").Option("--result");
    if (!parser.Parse(context.args))
        return UsageError(context, PatternCommand, parser.Error());
    const auto& positionals = parser.Positionals();
    if (positionals.empty() || positionals.size() > 2)
        return UsageError(context, PatternCommand, "needs a PATTERN and at most one FILE");
    const auto replacement = parser.Value("--replace");
    const auto result = parser.Value("--result");
    if (replacement && result)
        return UsageError(context, PatternCommand, "--replace and --result exclude each other");

    std::string sample;
    if (!ReadInput(context, positionals.size() == 2 ? positionals[1] : "-", sample))
        return ExitFailure;

    PatternTest::Settings settings;
    settings.pattern = positionals[0];
    settings.result = replacement.value_or(result.value_or(""));
    settings.mode = replacement ? PatternTestMode::Replace : PatternTestMode::Search;
    settings.scope = parser.Has("--global") ? MatchScope::EveryMatch : MatchScope::FirstMatch;
    settings.preview = result ? ResultPreview::On : ResultPreview::Off;
    PatternTest test;
    test.Run(settings, std::move(sample));

    JsonWriter json(context.out);
    json.BeginObject();
    json.Key("status").String(test.Status());
    json.Key("rows").BeginArray();
    constexpr PatternTest::Column Columns[] = {PatternTest::Column::Number, PatternTest::Column::Value,
        PatternTest::Column::Position, PatternTest::Column::Length};
    for (size_t row = 0; row < test.RowCount(); ++row) {
        json.BeginArray();
        for (const PatternTest::Column column : Columns)
            json.String(test.Cell(row, column));
        json.EndArray();
    }
    json.EndArray();
    if (settings.mode == PatternTestMode::Replace)
        json.Key("preview").String(test.Preview());
    json.EndObject();
    json.Finish();
    return ExitOk;
}

int RunPattern(CommandContext& context)
{
    if (WantsTester(context.args))
        return RunTester(context);
    ArgumentParser parser;
    parser.Flag("--replace").Flag("--use-template").Flag("--global").Flag("--json");
    parser.Option("--template").Option("--source");
    if (!parser.Parse(context.args))
        return UsageError(context, PatternCommand, parser.Error());
    const auto& positionals = parser.Positionals();
    if (positionals.empty() || positionals.size() > 2)
        return UsageError(context, PatternCommand, "needs a PATTERN and at most one FILE");

    std::string input;
    if (!ReadInput(context, positionals.size() == 2 ? positionals[1] : "-", input))
        return ExitFailure;

    const PatternMode mode = parser.Has("--replace") ? PatternMode::Replace
        : parser.Has("--use-template")               ? PatternMode::FillTemplate
                                                     : PatternMode::Find;
    const PatternResult applied
        = ApplyPattern(positionals[0], input, mode, parser.Value("--template").value_or(""),
            parser.Has("--global") ? MatchScope::EveryMatch : MatchScope::FirstMatch,
            parser.Value("--source").value_or(""));
    const int returned = applied.value;
    const std::string& result = applied.text;
    if (parser.Has("--json")) {
        JsonWriter json(context.out);
        json.BeginObject();
        json.Key("return").Number(returned);
        json.Key("result").String(result);
        json.EndObject();
        json.Finish();
    } else {
        context.out << returned << '\n' << result << '\n';
    }
    return ExitOk;
}

} // namespace

const Command PatternCommand {"pattern", "apply one pattern step to a text, as rules do",
    "usage: vortalux pattern [--replace] [--use-template] [--global] [--template T] [--source S] [--json]\n"
    "                        PATTERN [FILE|-]\n"
    "       vortalux pattern --tester [--global] [--replace TEMPLATE | --result TEMPLATE]\n"
    "                        PATTERN [FILE|-]\n\n"
    "Applies PATTERN to the bytes of FILE (standard input for - or no FILE) exactly as a rule's\n"
    "step does, and prints the return value on the first line, then the result.\n\n"
    "  --replace        replace mode: the result is the input with the match(es) replaced by the\n"
    "                   template ($1..$99, $&, $`, $', $$); returns 1\n"
    "  --use-template   find mode: fill the template with the groups of the match(es)\n"
    "  --global         every match (find mode: one result line per match and group)\n"
    "  --template T     the template (the result when nothing is substituted)\n"
    "  --source S       the address that $URL and $SRV stand for\n"
    "  --json           {\"return\": N, \"result\": \"...\"}\n\n"
    "The return value is -1 when nothing matched (or the pattern is invalid), 1 after a replace,\n"
    "and the zero-based position of the first match in find mode.\n\n"
    "With --tester it prints what the rule editor's pattern tester shows for the sample, as JSON:\n"
    "{\"status\": the status line, \"rows\": [[\"#\", \"Valeur\", \"Pos.\", \"Long.\"], ...] for each\n"
    "match and sub-match, \"preview\": the replaced sample (replace mode only)}. \"$URL\" and \"$SRV\"\n"
    "stand for http://www.example.com/path/ and http://www.example.com/.\n\n"
    "  --global           every match\n"
    "  --replace T        replace mode: the preview is the sample with the match(es) replaced by T\n"
    "  --result T         search mode: the status shows T with each $k replaced by sub-match k\n",
    RunPattern};

} // namespace vortalux::cli
