#include "ArgumentParser.h"
#include "Command.h"
#include "JsonWriter.h"

#include "ApplicationScope.h"
#include "CheckForUpdates.h"
#include "InterruptWatcher.h"
#include "ManagerStore.h"
#include "ProgramDirectory.h"
#include "RuleStore.h"
#include "ServerExchange.h"
#include "TerminalText.h"

#include <ostream>

namespace vortalux::cli {

namespace {

void WriteItems(JsonWriter& json, const std::vector<UpdateItem>& items)
{
    json.BeginArray();
    for (const UpdateItem& item : items) {
        json.BeginObject();
        json.Key("name").String(item.name);
        json.Key("local").String(item.localVer);
        json.Key("server").String(item.serverVer);
        json.Key("new").Bool(item.isNew);
        json.EndObject();
    }
    json.EndArray();
}

void WriteJson(std::ostream& out, const UpdateCheckResult& result)
{
    JsonWriter json(out);
    json.BeginObject();
    json.Key("status").String(result.Status());
    json.Key("core_status").Number(result.coreStatus);
    json.Key("results").BeginArray();
    for (const std::string& text : result.results)
        json.String(text);
    json.EndArray();
    json.Key("managers");
    WriteItems(json, result.managerUpdates);
    json.Key("rules");
    WriteItems(json, result.ruleUpdates);
    json.EndObject();
    json.Finish();
}

void WritePlainItems(std::ostream& out, const std::vector<UpdateItem>& items)
{
    for (const UpdateItem& item : items) {
        out << "  " << TerminalText(item.name) << "  ";
        if (item.isNew)
            out << "new, version " << TerminalText(item.serverVer) << '\n';
        else
            out << TerminalText(item.localVer) << " -> " << TerminalText(item.serverVer) << '\n';
    }
}

int RunCheck(CommandContext& context, bool asJson)
{
    ManagerStore managers;
    managers.LoadManagers(ProgramDirectory());
    RuleStore rules;
    rules.LoadRules(ProgramDirectory());

    const ApplicationScope application(ApplicationScope::Kind::Console);
    ServerExchange exchange;
    // Ctrl-C ends the wait as the panel's Cancel does.
    const InterruptWatcher interrupt([&exchange] { exchange.Cancel(); });
    std::string lastShown;
    UpdateCheckResult result = CheckForUpdates(
        exchange, LocalVersions::FromStores(managers, rules), [&](const std::string& text, int) {
            // lblUpd's texts as they change; the progress is the window's.
            if (!asJson && text != lastShown)
                context.out << TerminalText(text) << '\n' << std::flush;
            lastShown = text;
        });

    if (!result.IsDone()) {
        // The result labels keep what they showed before the check: "-" in a fresh panel.
        result.results.fill(std::string(UpdateTexts::NoResult));
        if (asJson)
            WriteJson(context.out, result);
        context.err << "vortalux update: " << TerminalText(result.Status());
        if (!result.failure.empty() && result.failure != result.Status())
            context.err << " (" << TerminalText(result.failure) << ")";
        context.err << '\n';
        return ExitFailure;
    }
    if (asJson) {
        WriteJson(context.out, result);
        return ExitOk;
    }
    for (size_t row = 0; row < result.results.size(); ++row)
        context.out << UpdateTexts::CheckCaptions[row] << ' ' << TerminalText(result.results[row]) << '\n';
    WritePlainItems(context.out, result.managerUpdates);
    if (!result.ruleUpdates.empty() && !result.managerUpdates.empty())
        context.out << '\n';
    WritePlainItems(context.out, result.ruleUpdates);
    return ExitOk;
}

int RunUpdate(CommandContext& context)
{
    ArgumentParser parser;
    parser.Flag("--json");
    if (!parser.Parse(context.args))
        return UsageError(context, UpdateCommand, parser.Error());
    const auto& positionals = parser.Positionals();
    if (positionals.empty())
        return UsageError(context, UpdateCommand, "needs an action: check");
    if (positionals[0] != "check")
        return UsageError(context, UpdateCommand, "unknown action '" + positionals[0] + "'");
    if (positionals.size() != 1)
        return UsageError(context, UpdateCommand, "check takes no arguments");
    return RunCheck(context, parser.Has("--json"));
}

} // namespace

const Command UpdateCommand {"update", "ask the update server what is new",
    "usage: vortalux update check [--json]\n\n"
    "Asks the update server for its versions and compares them with the engine's, vtl's and\n"
    "those of the Managers and Rules folders, as vtl's \"Check for updates...\" does: prints\n"
    "the status texts, the three results, and the definitions and rules offered (new ones,\n"
    "and those whose offered version is greater as text).\n\n"
    "  --json   {\"status\", \"core_status\", \"results\": [3 texts], \"managers\": [{name, local,\n"
    "           server, new}], \"rules\": [...]}\n\n"
    "The server is $VORTALUX_SERVER_URL, else the address the program was built with; it must\n"
    "be https:// (http:// only to this computer). Exits 1 when the server cannot be reached or\n"
    "its answer is incorrect data. Ctrl-C ends the wait.\n",
    RunUpdate, HomeFolder::Needed};

} // namespace vortalux::cli
