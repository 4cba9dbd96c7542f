#include "ArgumentParser.h"
#include "Command.h"
#include "JsonWriter.h"

#include "ApplyPattern.h"

#include <fstream>
#include <istream>
#include <iterator>
#include <ostream>

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

int RunPattern(CommandContext& context)
{
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
    "and the zero-based position of the first match in find mode.\n",
    RunPattern};

} // namespace vortalux::cli
