#include "ArgumentParser.h"
#include "Command.h"
#include "Confirmation.h"
#include "JsonWriter.h"

#include "ApplicationScope.h"
#include "CheckForUpdates.h"
#include "InstallUpdates.h"
#include "InterruptWatcher.h"
#include "LaunchDetached.h"
#include "ManagerStore.h"
#include "ProgramDirectory.h"
#include "ProgramLock.h"
#include "RuleStore.h"
#include "ServerExchange.h"
#include "TerminalText.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <optional>
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

// The check as vtl's panel runs it; lblUpd's texts go to `statusOut` as they change (nowhere with
// JSON). After a failed check the result labels keep what a fresh panel shows, "-".
UpdateCheckResult Check(ServerExchange& exchange, std::ostream* statusOut)
{
    ManagerStore managers;
    managers.LoadManagers(ProgramDirectory());
    RuleStore rules;
    rules.LoadRules(ProgramDirectory());
    std::string lastShown;
    UpdateCheckResult result = CheckForUpdates(
        exchange, LocalVersions::FromStores(managers, rules), [&](const std::string& text, int) {
            if (statusOut != nullptr && text != lastShown)
                *statusOut << TerminalText(text) << '\n' << std::flush;
            lastShown = text;
        });
    if (!result.IsDone())
        result.results.fill(std::string(UpdateTexts::NoResult));
    return result;
}

void WriteFailure(CommandContext& context, const std::string& status, const std::string& failure)
{
    context.err << "vortalux update: " << TerminalText(status);
    if (!failure.empty() && failure != status)
        context.err << " (" << TerminalText(failure) << ")";
    context.err << '\n';
}

void WriteResults(std::ostream& out, const UpdateCheckResult& result)
{
    for (size_t row = 0; row < result.results.size(); ++row)
        out << UpdateTexts::CheckCaptions[row] << ' ' << TerminalText(result.results[row]) << '\n';
    WritePlainItems(out, result.managerUpdates);
    if (!result.ruleUpdates.empty() && !result.managerUpdates.empty())
        out << '\n';
    WritePlainItems(out, result.ruleUpdates);
}

int RunCheck(CommandContext& context, bool asJson)
{
    const ApplicationScope application(ApplicationScope::Kind::Console);
    ServerExchange exchange;
    // Ctrl-C ends the wait as the panel's Cancel does.
    const InterruptWatcher interrupt([&exchange] { exchange.Cancel(); });
    const UpdateCheckResult result = Check(exchange, asJson ? nullptr : &context.out);
    if (asJson)
        WriteJson(context.out, result);
    if (!result.IsDone()) {
        WriteFailure(context, result.Status(), result.failure);
        return ExitFailure;
    }
    if (!asJson)
        WriteResults(context.out, result);
    return ExitOk;
}

// Narrows what the check offers to one kind: "program", "managers" or "rules".
void KeepOnly(UpdateCheckResult& result, const std::string& only)
{
    if (only != "program")
        result.coreStatus = 0;
    for (auto [kind, items] :
        {std::pair {"managers", &result.managerUpdates}, {"rules", &result.ruleUpdates}})
        if (only != kind)
            for (UpdateItem& item : *items)
                item.selected = false;
}

size_t SelectedCount(const std::vector<UpdateItem>& items)
{
    return static_cast<size_t>(
        std::count_if(items.begin(), items.end(), [](const UpdateItem& item) { return item.selected; }));
}

// How long an install waits for an updater that is replacing the program files.
constexpr std::chrono::seconds UpdaterWait {60};

int RunInstall(CommandContext& context, const std::optional<std::string>& only, bool confirmed)
{
    // Held like every vtl holds it: the updater replaces program files only after this ends.
    const std::filesystem::path programDirectory = ProgramDirectory();
    const ProgramLock lock = ProgramLock::Acquire(programDirectory, LockMode::Shared, UpdaterWait);
    if (lock.Status() == LockStatus::TimedOut) {
        context.err
            << "vortalux update: the program files are being replaced by vtlupd; try again once it has "
               "finished\n";
        return ExitFailure;
    }

    const ApplicationScope application(ApplicationScope::Kind::Console);
    ServerExchange exchange;
    const InterruptWatcher interrupt([&exchange] { exchange.Cancel(); });
    UpdateCheckResult check = Check(exchange, &context.err);
    if (!check.IsDone()) {
        WriteFailure(context, check.Status(), check.failure);
        return ExitFailure;
    }
    if (only)
        KeepOnly(check, *only);
    WriteResults(context.out, check);
    context.out << std::flush; // before the question and the progress on the error stream
    const size_t items = SelectedCount(check.managerUpdates) + SelectedCount(check.ruleUpdates);
    if (check.coreStatus == 0 && items == 0) {
        context.out << "nothing to install\n";
        return ExitOk;
    }
    const std::string question = "Install "
        + std::string(check.coreStatus != 0 ? "the new program files and " : "") + std::to_string(items)
        + (items == 1 ? " file" : " files") + " from " + exchange.Url() + "?";
    switch (Confirm(context, question, confirmed)) {
    case Confirmation::Given:
        break;
    case Confirmation::Refused:
        context.err << "vortalux update: nothing installed\n";
        return ExitFailure;
    case Confirmation::NobodyToAsk:
        context.err << "vortalux update: nobody to confirm the install; add --yes\n";
        return ExitFailure;
    }

    // Each row's steps as they change; on a terminal the download percentages overwrite each other.
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    std::array<std::string, 3> rowShown = check.results;
    std::string percentShownText;
    bool percentShown = false;
    const auto endPercentLine = [&] {
        if (percentShown)
            context.err << "\r\033[K";
        percentShown = false;
    };
    const InstallResult result
        = InstallUpdates(exchange, programDirectory, check, [&](const InstallView& view) {
              for (size_t row = 0; row < 3; ++row) {
                  const std::string& text = view.results[row];
                  if (text == rowShown[row])
                      continue;
                  rowShown[row] = text;
                  if (text == UpdateTexts::NoResult)
                      continue;
                  endPercentLine();
                  context.err << view.captions[row] << ' ' << TerminalText(text) << '\n' << std::flush;
              }
              if (terminal && view.status.starts_with("Downloading ") && view.status != percentShownText) {
                  endPercentLine();
                  context.err << TerminalText(view.status) << std::flush;
                  percentShownText = view.status;
                  percentShown = true;
              }
          });
    endPercentLine();
    if (!result.IsDone()) {
        WriteFailure(context, result.view.status, result.failure);
        return ExitFailure;
    }
    if (!result.NeedsUpdater()) {
        // The message vtl shows, as a headless box prints it.
        context.err << "[VTL] " << InstallTexts::UpdateDone << '\n';
        return ExitOk;
    }
    // The updater waits for every vtl and for this command to end, then replaces the program files.
    // Started from here it does not start vtl again afterwards: nobody asked for a window.
    std::string error;
    if (!LaunchDetached(programDirectory / "vtlupd", {"--no-restart"}, programDirectory, error)) {
        context.err << "vortalux update: the new program files were saved, but vtlupd could not be started: "
                    << TerminalText(error) << '\n';
        return ExitFailure;
    }
    context.out << "vtlupd started: it puts the new program files in place once every vtl has ended\n";
    return ExitOk;
}

int RunUpdate(CommandContext& context)
{
    ArgumentParser parser;
    parser.Flag("--json");
    parser.Flag("--yes");
    parser.Option("--only");
    if (!parser.Parse(context.args))
        return UsageError(context, UpdateCommand, parser.Error());
    const auto& positionals = parser.Positionals();
    if (positionals.empty())
        return UsageError(context, UpdateCommand, "needs an action: check or install");
    if (positionals[0] == "check") {
        if (positionals.size() != 1 || parser.Has("--yes") || parser.Value("--only"))
            return UsageError(context, UpdateCommand, "check takes no arguments but --json");
        return RunCheck(context, parser.Has("--json"));
    }
    if (positionals[0] == "install") {
        if (positionals.size() != 1 || parser.Has("--json"))
            return UsageError(context, UpdateCommand, "install takes no arguments but --yes and --only");
        const std::optional<std::string> only = parser.Value("--only");
        if (only && *only != "program" && *only != "managers" && *only != "rules")
            return UsageError(context, UpdateCommand, "--only takes program, managers or rules");
        return RunInstall(context, only, parser.Has("--yes"));
    }
    return UsageError(context, UpdateCommand, "unknown action '" + positionals[0] + "'");
}

} // namespace

const Command UpdateCommand {"update", "ask the update server what is new, and install it",
    "usage: vortalux update check [--json]\n"
    "       vortalux update install [--yes] [--only program|managers|rules]\n\n"
    "check asks the update server for its versions and compares them with the engine's, vtl's\n"
    "and those of the Managers and Rules folders, as vtl's \"Check for updates...\" does: prints\n"
    "the status texts, the three results, and the definitions and rules offered (new ones, and\n"
    "those whose offered version is greater as text).\n\n"
    "  --json   {\"status\", \"core_status\", \"results\": [3 texts], \"managers\": [{name, local,\n"
    "           server, new}], \"rules\": [...]}\n\n"
    "install checks, asks, then installs everything the check offers, as vtl's \"Do the\n"
    "updates...\" does: definitions and rules are replaced at once; new program files are saved\n"
    "beside the program as NAME.vtu and vtlupd is started, which puts them in place once every\n"
    "vtl has ended. Progress goes to standard error.\n\n"
    "  --yes    install without asking (needed when the input is not a terminal)\n"
    "  --only   install only the program files, the definitions or the rules\n\n"
    "The server is $VORTALUX_SERVER_URL, else the address the program was built with; it must\n"
    "be https:// (http:// only to this computer). Exits 1 when the server cannot be reached, its\n"
    "answer is incorrect data, or a file could not be fetched or written (what was installed\n"
    "before stays). Ctrl-C ends the wait.\n",
    RunUpdate, HomeFolder::Needed};

} // namespace vortalux::cli
