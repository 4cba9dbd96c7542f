#include "ArgumentParser.h"
#include "Command.h"
#include "JsonWriter.h"

#include "CommandMessages.h"
#include "Confirmation.h"
#include "NameLookup.h"

#include "AsciiText.h"
#include "ProgramDirectory.h"
#include "RuleListActions.h"
#include "RuleStore.h"
#include "TerminalText.h"

#include <algorithm>
#include <optional>
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

std::vector<std::string> RuleNames(const RuleStore& store)
{
    std::vector<std::string> names;
    names.reserve(store.Rules().size());
    for (const Rule& rule : store.Rules())
        names.push_back(rule.name);
    return names;
}

// The rules `wanted` names, each once, in the order given; nothing when a name is unknown or
// ambiguous (every such name is reported), so that a call writes all or nothing.
std::optional<std::vector<std::string>> ResolveRules(
    CommandContext& context, const RuleStore& store, const std::vector<std::string>& wanted)
{
    const std::vector<std::string> names = RuleNames(store);
    std::vector<std::string> found;
    bool failed = false;
    for (const std::string& name : wanted) {
        std::string error;
        const std::optional<size_t> index = LookUpName(names, name, "rule", error);
        if (!index) {
            context.err << "vortalux rules: " << error << '\n';
            failed = true;
        } else if (std::find(found.begin(), found.end(), names[*index]) == found.end()) {
            found.push_back(names[*index]);
        }
    }
    if (failed) {
        context.err << "vortalux rules: nothing was changed\n";
        return std::nullopt;
    }
    return found;
}

int SetActive(CommandContext& context, const std::vector<std::string>& wanted, bool active)
{
    RuleStore store;
    store.LoadRules(ProgramDirectory());
    const auto rules = ResolveRules(context, store, wanted);
    if (!rules)
        return ExitFailure;
    int code = ExitOk;
    for (const std::string& name : *rules) {
        const RuleActiveChange change = SetRuleActive(ProgramDirectory(), name, active);
        if (change.error) {
            context.err << "vortalux rules: " << name << " was not " << (active ? "enabled" : "disabled")
                        << ": " << change.error.message() << '\n';
            code = ExitFailure;
        } else {
            context.out << (change.written ? "" : "already ") << (active ? "enabled: " : "disabled: ")
                        << TerminalText(name) << '\n';
        }
    }
    return code;
}

int Delete(CommandContext& context, const std::string& wanted, bool confirmed)
{
    RuleStore store;
    store.LoadRules(ProgramDirectory());
    const auto rules = ResolveRules(context, store, {wanted});
    if (!rules)
        return ExitFailure;
    const std::string& name = rules->front();
    switch (Confirm(context, "Are you sure yout want to delete the rule " + name + " ??", confirmed)) {
    case Confirmation::Given:
        break;
    case Confirmation::NobodyToAsk:
        context.err << "vortalux rules: deleting " << name
                    << " needs a confirmation; give --yes when no one is at a terminal\n";
        return ExitFailure;
    case Confirmation::Refused:
        context.err << "vortalux rules: " << name << " was not deleted\n";
        return ExitFailure;
    }
    const RuleDeletion deletion = DeleteRule(ProgramDirectory(), name);
    if (deletion.error) {
        CommandMessages messages(context.err, MessageAnswer::No);
        ShowMessage(DeleteFailureMessage(name, deletion));
        return ExitFailure;
    }
    context.out << "Rule deleted\n";
    return ExitOk;
}

int RunRules(CommandContext& context)
{
    ArgumentParser parser;
    parser.Flag("--json").Flag("--yes");
    if (!parser.Parse(context.args))
        return UsageError(context, RulesCommand, parser.Error());
    const auto& positionals = parser.Positionals();
    if (!positionals.empty()) {
        const std::string& action = positionals[0];
        const std::vector<std::string> names(positionals.begin() + 1, positionals.end());
        if (parser.Has("--json"))
            return UsageError(context, RulesCommand, "--json lists the rules; it takes no action");
        if (action == "enable" || action == "disable") {
            if (names.empty())
                return UsageError(context, RulesCommand, action + " needs at least one NAME");
            if (parser.Has("--yes"))
                return UsageError(context, RulesCommand, "--yes goes with delete");
            return SetActive(context, names, action == "enable");
        }
        if (action == "delete") {
            if (names.size() != 1)
                return UsageError(context, RulesCommand, "delete needs one NAME");
            return Delete(context, names[0], parser.Has("--yes"));
        }
        return UsageError(context, RulesCommand, "unknown action '" + action + "'");
    }
    if (parser.Has("--yes"))
        return UsageError(context, RulesCommand, "--yes goes with delete");
    RuleStore store;
    store.LoadRules(ProgramDirectory());
    if (parser.Has("--json"))
        WriteJson(context.out, store);
    else
        WritePlain(context.out, store);
    return ExitOk;
}

} // namespace

const Command RulesCommand {"rules", "list, enable, disable or delete the rules",
    "usage: vortalux rules [--json]\n"
    "       vortalux rules enable NAME... | disable NAME...\n"
    "       vortalux rules delete NAME [--yes]\n\n"
    "Lists the rules of the Rules folder in the order links are identified with them (the first\n"
    "matching active rule converts a link), or changes them as the rules panel of vtl does.\n"
    "A NAME is taken exactly, else without regard to letter case when one rule matches; when a\n"
    "name is unknown or ambiguous nothing is changed. Changes go to the file the rule was\n"
    "loaded from.\n\n"
    "  --json            an array of {name, version, active, ident, type, referer_mode,\n"
    "                    replace_steps, search_steps, referer_pattern, referer_template}\n"
    "  enable NAME...    marks the rules active (a rule already so is left as it is)\n"
    "  disable NAME...   marks the rules inactive\n"
    "  delete NAME       removes the rule's file; asks first on a terminal\n"
    "  --yes             deletes without asking (needed when the input is not a terminal)\n",
    RunRules, HomeFolder::Needed};

} // namespace vortalux::cli
