#include "ArgumentParser.h"
#include "Command.h"
#include "CommandMessages.h"
#include "JsonReader.h"
#include "JsonWriter.h"
#include "NameLookup.h"

#include "ApplicationScope.h"
#include "InterruptWatcher.h"
#include "PageFetcher.h"
#include "ProgramDirectory.h"
#include "RuleSave.h"
#include "RuleStore.h"
#include "RuleTrial.h"
#include "TerminalText.h"
#include "UrlHelpers.h"

#include <algorithm>
#include <fstream>
#include <istream>
#include <iterator>
#include <ostream>

namespace vortalux::cli {

namespace {

// Reads FILE, or standard input for "-", up to the JSON reader's limit.
bool ReadRuleText(CommandContext& context, std::string_view who, const std::string& from, std::string& text)
{
    std::ifstream file;
    std::istream* in = &context.in;
    if (from != "-") {
        file.open(from, std::ios::binary);
        if (!file) {
            context.err << who << ": cannot read " << from << '\n';
            return false;
        }
        in = &file;
    }
    std::istreambuf_iterator<char> it(*in);
    const std::istreambuf_iterator<char> end;
    for (; it != end && text.size() <= JsonReader::MaxBytes; ++it)
        text += *it;
    if (in->bad()) {
        context.err << who << ": cannot read " << from << '\n';
        return false;
    }
    return true;
}

// The text of member `key` of `object`; absent and null give the empty text.
bool TextMember(const JsonValue& object, std::string_view key, std::string& out, std::string& error)
{
    const JsonValue* value = object.Find(key);
    if (value == nullptr || value->kind == JsonValue::Kind::Null)
        return true;
    if (value->kind != JsonValue::Kind::String) {
        error = "\"" + std::string(key) + "\" must be a string";
        return false;
    }
    out = value->text;
    return true;
}

bool CheckKeys(const JsonValue& object, std::initializer_list<std::string_view> known, std::string_view where,
    std::string& error)
{
    for (const auto& [key, value] : object.members) {
        if (std::find(known.begin(), known.end(), key) == known.end()) {
            error = "unknown key \"" + key + "\" in " + std::string(where);
            return false;
        }
    }
    return true;
}

const JsonValue* StepList(const JsonValue& object, std::string_view key, std::string& error)
{
    const JsonValue* steps = object.Find(key);
    if (steps == nullptr || steps->kind == JsonValue::Kind::Null)
        return nullptr;
    if (steps->kind != JsonValue::Kind::Array)
        error = "\"" + std::string(key) + "\" must be an array of steps";
    for (const JsonValue& step : steps->items) {
        if (step.kind != JsonValue::Kind::Object)
            error = "each of \"" + std::string(key) + "\" must be an object";
    }
    return error.empty() ? steps : nullptr;
}

// A rule as `rules --json` prints one: the editor's fields. "version" and "active" are not the
// editor's to write and are ignored.
bool DraftFromJson(const JsonValue& object, RuleDraft& draft, std::string& error)
{
    if (object.kind != JsonValue::Kind::Object) {
        error = "the rule must be a JSON object";
        return false;
    }
    if (!CheckKeys(object,
            {"name", "version", "active", "ident", "type", "referer_mode", "replace_steps", "search_steps",
                "referer_pattern", "referer_template"},
            "the rule", error))
        return false;
    Rule& rule = draft.rule;
    if (!TextMember(object, "name", rule.name, error) || !TextMember(object, "ident", rule.ident, error)
        || !TextMember(object, "referer_pattern", rule.refererPattern, error)
        || !TextMember(object, "referer_template", rule.refererTemplate, error))
        return false;

    if (const JsonValue* type = object.Find("type"); type != nullptr && type->kind != JsonValue::Kind::Null) {
        const auto value = type->Integer();
        if (!value || (*value != 0 && *value != 1)) {
            error = "\"type\" must be 0 (replace in the link) or 1 (search the page)";
            return false;
        }
        rule.type = *value == 1 ? RuleType::SearchPage : RuleType::ReplaceInLink;
    }
    // No referer option chosen: no "Referer" key, as in the editor.
    if (const JsonValue* mode = object.Find("referer_mode");
        mode != nullptr && mode->kind != JsonValue::Kind::Null) {
        const auto value = mode->Integer();
        if (!value || *value < 0 || *value > 4) {
            error = "\"referer_mode\" must be a number from 0 to 4, or null";
            return false;
        }
        rule.refererMode = static_cast<RefererMode>(*value);
        draft.refererChosen = true;
    }

    if (const JsonValue* steps = StepList(object, "replace_steps", error)) {
        for (const JsonValue& step : steps->items) {
            ReplaceStep replace;
            if (!CheckKeys(step, {"pattern", "template"}, "a replace step", error)
                || !TextMember(step, "pattern", replace.pattern, error)
                || !TextMember(step, "template", replace.replaceTemplate, error))
                return false;
            rule.replaceSteps.push_back(std::move(replace));
        }
    }
    if (const JsonValue* steps = StepList(object, "search_steps", error)) {
        for (const JsonValue& step : steps->items) {
            SearchStep search;
            if (!CheckKeys(step, {"pattern", "template", "global"}, "a search step", error)
                || !TextMember(step, "pattern", search.pattern, error)
                || !TextMember(step, "template", search.resultTemplate, error))
                return false;
            if (const JsonValue* global = step.Find("global");
                global != nullptr && global->kind != JsonValue::Kind::Null) {
                const auto number = global->Integer();
                if (global->kind == JsonValue::Kind::Bool)
                    search.global = global->boolean ? 1 : 0;
                else if (number && (*number == 0 || *number == 1))
                    search.global = static_cast<int16_t>(*number);
                else {
                    error = "\"global\" must be true, false, 0 or 1";
                    return false;
                }
            }
            rule.searchSteps.push_back(std::move(search));
        }
    }
    return error.empty();
}

bool ReadDraft(CommandContext& context, std::string_view who, const std::string& from, RuleDraft& draft)
{
    std::string text;
    if (!ReadRuleText(context, who, from, text))
        return false;
    std::string error;
    const std::optional<JsonValue> json = JsonReader::Parse(text, error);
    if (!json || !DraftFromJson(*json, draft, error)) {
        context.err << who << ": " << (from == "-" ? std::string("standard input") : from) << ": " << error
                    << '\n';
        return false;
    }
    return true;
}

int RunSave(CommandContext& context, const std::vector<std::string>& args)
{
    ArgumentParser parser;
    parser.Flag("--replace").Option("--from");
    if (!parser.Parse(args))
        return UsageError(context, RuleCommand, parser.Error());
    const auto from = parser.Value("--from");
    if (!from || !parser.Positionals().empty())
        return UsageError(context, RuleCommand, "save needs --from FILE or --from - and nothing else");
    RuleDraft draft;
    if (!ReadDraft(context, "vortalux rule save", *from, draft))
        return ExitFailure;

    // The editor's questions: replacing another rule's file is what --replace says yes to.
    CommandMessages messages(context.err, parser.Has("--replace") ? MessageAnswer::Yes : MessageAnswer::No);
    const RuleSaveOutcome outcome = SaveRule(ProgramDirectory(), draft);
    if (outcome == RuleSaveOutcome::Saved)
        return ExitOk;
    if (outcome == RuleSaveOutcome::Refused && messages.QuestionsAsked() > 0)
        context.err << "vortalux rule save: there is already a rule named " << draft.rule.name
                    << "; --replace replaces it\n";
    return ExitFailure;
}

void WriteTrialJson(std::ostream& out, const Rule& rule, const RuleTrialResult& trial)
{
    JsonWriter json(out);
    json.BeginObject();
    json.Key("rule").String(rule.name);
    json.Key("identified").Bool(trial.identified);
    json.Key("steps").BeginArray();
    for (const TrialStep& step : trial.steps) {
        json.BeginObject();
        json.Key("kind").String(StepKindName(step.kind));
        json.Key("pattern").String(step.pattern);
        json.Key("template").String(step.stepTemplate);
        json.Key("result").String(step.result);
        json.Key("ok").Bool(step.ok);
        json.EndObject();
    }
    json.EndArray();
    json.Key("links").BeginArray();
    for (const Link& link : trial.links) {
        json.BeginObject();
        json.Key("url").String(link.url);
        json.Key("name").String(link.name);
        json.EndObject();
    }
    json.EndArray();
    json.Key("referer").String(trial.referer);
    json.EndObject();
    json.Finish();
}

// For the eye: every text from the rule or the page as a terminal can show it.
void WriteTrialText(std::ostream& out, const Rule& rule, std::string_view url, const RuleTrialResult& trial)
{
    out << "rule " << TerminalText(rule.name) << (trial.identified ? " identifies " : " does not identify ")
        << TerminalText(url) << '\n';
    if (!trial.identified)
        out << "no step runs; the link stays as it is\n";
    if (trial.identified && rule.type == RuleType::SearchPage) {
        out << "page " << TerminalText(trial.fetchedUrl);
        if (!trial.downloadFailure.empty())
            out << " (download failed: " << TerminalText(trial.downloadFailure) << ')';
        out << '\n';
    }
    for (size_t i = 0; i < trial.steps.size(); ++i) {
        const TrialStep& step = trial.steps[i];
        out << "step " << i + 1 << ' ' << StepKindName(step.kind) << "  " << TerminalText(step.pattern);
        if (step.kind != StepKind::Cut)
            out << "  ->  " << TerminalText(step.stepTemplate);
        out << '\n';
        if (!step.ok)
            out << "  no match: the rule fails here\n";
        else if (step.kind == StepKind::Cut)
            out << "  the page is cut at position " << step.position << '\n';
        else
            out << "  = " << TerminalText(step.result, LineBreaks::Keep) << '\n';
    }
    for (const Link& link : trial.links)
        out << "link " << TerminalText(link.url) << '\n';
    out << "referer " << TerminalText(trial.referer) << '\n';
}

int RunTry(CommandContext& context, const std::vector<std::string>& args)
{
    ArgumentParser parser;
    parser.Flag("--json").Option("--from").Option("--name").Option("--origin").Option("--referer");
    if (!parser.Parse(args))
        return UsageError(context, RuleCommand, parser.Error());
    if (parser.Positionals().size() != 1)
        return UsageError(context, RuleCommand, "try needs one URL");
    const auto from = parser.Value("--from");
    const auto name = parser.Value("--name");
    if (from.has_value() == name.has_value())
        return UsageError(context, RuleCommand, "try needs either --from or --name");
    const std::string& url = parser.Positionals()[0];

    Rule rule;
    if (from) {
        RuleDraft draft;
        if (!ReadDraft(context, "vortalux rule try", *from, draft))
            return ExitFailure;
        rule = std::move(draft.rule);
    } else {
        RuleStore store;
        store.LoadRules(ProgramDirectory());
        std::vector<std::string> names;
        for (const Rule& stored : store.Rules())
            names.push_back(stored.name);
        std::string error;
        const std::optional<size_t> index = LookUpName(names, *name, "rule", error);
        if (!index) {
            context.err << "vortalux rule try: " << error << '\n';
            return ExitFailure;
        }
        rule = store.Rules()[*index];
    }

    const ApplicationScope application(ApplicationScope::Kind::Console);
    PageFetcher fetcher;
    fetcher.SetTag("Current: " + UrlFileName(url));
    // Ctrl-C ends a page download and goes on with what has arrived, as Esc does in the window.
    const InterruptWatcher interrupt([&fetcher] { fetcher.Finish(); });
    const auto origin = parser.Value("--origin");
    const RuleTrialResult trial
        = TryRule(rule, fetcher, url, origin ? std::optional<std::string_view>(*origin) : std::nullopt,
            parser.Value("--referer").value_or(""));
    if (parser.Has("--json"))
        WriteTrialJson(context.out, rule, trial);
    else
        WriteTrialText(context.out, rule, url, trial);
    return ExitOk;
}

int RunRule(CommandContext& context)
{
    if (context.args.empty())
        return UsageError(context, RuleCommand, "needs save or try");
    const std::string action = context.args.front();
    const std::vector<std::string> rest(context.args.begin() + 1, context.args.end());
    if (action == "save")
        return RunSave(context, rest);
    if (action == "try")
        return RunTry(context, rest);
    return UsageError(context, RuleCommand, "unknown action '" + action + "'");
}

} // namespace

const Command RuleCommand {"rule", "save a rule as the rule editor does, or try one on a link",
    "usage: vortalux rule save --from FILE|- [--replace]\n"
    "       vortalux rule try (--from FILE|- | --name NAME) [--origin URL] [--referer R] URL [--json]\n\n"
    "save   writes the rule given as JSON (the object 'vortalux rules --json' prints for one rule)\n"
    "       with the rule editor's checks and its whole-file write. \"version\" and \"active\" are\n"
    "       ignored; \"global\" may be true/false or 0/1; a \"referer_mode\" that is null or absent\n"
    "       writes no referer mode. A refused rule prints the editor's message and fails.\n"
    "  --replace      replaces a rule of the same name (otherwise it is left alone and the\n"
    "                 command fails)\n\n"
    "try    runs one rule, saved (--name) or not (--from, the JSON of save), on URL and shows\n"
    "       each step's result, the picture addresses and the referer the engine would send.\n"
    "       A page rule downloads the page as the engine does. Nothing is handed off and no\n"
    "       failure report is written.\n"
    "  --origin URL   the page the links came from (used by referer mode 1)\n"
    "  --referer R    the referer that came with the link\n"
    "  --json         {\"rule\", \"identified\", \"steps\": [{\"kind\": \"replace\"|\"cut\"|\"search\",\n"
    "                 \"pattern\", \"template\", \"result\", \"ok\"}], \"links\": [{\"url\", \"name\"}],\n"
    "                 \"referer\"}\n",
    RunRule, HomeFolder::Needed};

} // namespace vortalux::cli
