#include "ArgumentParser.h"
#include "Command.h"
#include "JsonWriter.h"

#include "ProgramDirectory.h"
#include "RuleStore.h"
#include "TerminalText.h"

#include <ostream>

namespace vortalux::cli {

namespace {

void WriteJson(std::ostream& out, const RuleStore& store)
{
    JsonWriter json(out);
    json.BeginArray();
    for (const Rule& rule : store.Rules()) {
        if (!out)
            return; // the output is lost; the command says so
        json.BeginObject();
        json.Key("name").String(rule.name);
        json.Key("version").String(rule.version);
        json.Key("active").Bool(rule.active);
        json.Key("ident").String(rule.ident);
        json.Key("type").Number(FileValue(rule.type));
        json.Key("referer_mode").Number(FileValue(rule.refererMode));
        json.Key("replace_steps").BeginArray();
        for (const ReplaceStep& step : rule.replaceSteps) {
            json.BeginObject();
            json.Key("pattern").String(step.pattern);
            json.Key("template").String(step.replaceTemplate);
            json.EndObject();
        }
        json.EndArray();
        json.Key("search_steps").BeginArray();
        for (const SearchStep& step : rule.searchSteps) {
            json.BeginObject();
            json.Key("pattern").String(step.pattern);
            json.Key("template").String(step.resultTemplate);
            json.Key("global").Bool(step.global == 1);
            json.EndObject();
        }
        json.EndArray();
        json.Key("referer_pattern").String(rule.refererPattern);
        json.Key("referer_template").String(rule.refererTemplate);
        json.EndObject();
    }
    json.EndArray();
    json.Finish();
}

std::string_view TypeName(RuleType type)
{
    switch (type) {
    case RuleType::ReplaceInLink:
        return "replace";
    case RuleType::SearchPage:
        return "page";
    default:
        return "unknown";
    }
}

void WritePlain(std::ostream& out, const RuleStore& store)
{
    for (const Rule& rule : store.Rules()) {
        if (!out)
            return; // the output is lost; the command says so
        const size_t steps
            = rule.type == RuleType::SearchPage ? rule.searchSteps.size() : rule.replaceSteps.size();
        out << (rule.active ? "on  " : "off ") << TerminalText(rule.name) << "  [" << TypeName(rule.type)
            << ", " << steps << (steps == 1 ? " step]  " : " steps]  ") << TerminalText(rule.ident) << '\n';
    }
    out << store.Rules().size() << " rules, " << store.ActiveRuleCount() << " active\n";
}

int RunRules(CommandContext& context)
{
    ArgumentParser parser;
    parser.Flag("--json");
    if (!parser.Parse(context.args))
        return UsageError(context, RulesCommand, parser.Error());
    if (!parser.Positionals().empty())
        return UsageError(context, RulesCommand, "takes no arguments");
    RuleStore store;
    store.LoadRules(ProgramDirectory());
    if (parser.Has("--json"))
        WriteJson(context.out, store);
    else
        WritePlain(context.out, store);
    return ExitOk;
}

} // namespace

const Command RulesCommand {"rules", "list the rules in the order links are matched against them",
    "usage: vortalux rules [--json]\n\n"
    "Lists the rules of the Rules folder in the order links are identified with them (the first\n"
    "matching active rule converts a link).\n\n"
    "  --json   an array of {name, version, active, ident, type, referer_mode, replace_steps,\n"
    "           search_steps, referer_pattern, referer_template}\n",
    RunRules, HomeFolder::Needed};

} // namespace vortalux::cli
