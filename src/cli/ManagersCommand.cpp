#include "ArgumentParser.h"
#include "Command.h"
#include "JsonWriter.h"

#include "NameLookup.h"

#include "ManagerStore.h"
#include "ProgramDirectory.h"
#include "TerminalText.h"

#include <optional>
#include <ostream>

namespace vortalux::cli {

namespace {

// "Set As Default": the mark moves to the definition named `wanted`.
int SetDefault(CommandContext& context, const std::string& wanted)
{
    ManagerStore store;
    store.LoadManagers(ProgramDirectory());
    std::vector<std::string> names;
    if (!store.IsEmpty()) {
        for (const ManagerDefinition& definition : store.Definitions())
            names.push_back(definition.Name);
    }
    std::string error;
    const std::optional<size_t> index = LookUpName(names, wanted, "download manager", error);
    if (!index) {
        context.err << "vortalux managers: " << error << '\n';
        return ExitFailure;
    }
    const std::string& name = names[*index];
    if (static_cast<int>(*index) == store.DefaultManager()) {
        context.out << "already the default: " << TerminalText(name) << '\n';
        return ExitOk;
    }
    const std::error_code failure
        = store.SetDefaultManager(static_cast<int>(*index), ManagerStore::MarkChosenFile::Yes);
    if (failure) {
        context.err << "vortalux managers: " << name << " was not made the default: " << failure.message()
                    << '\n';
        return ExitFailure;
    }
    context.out << "default: " << TerminalText(name) << '\n';
    return ExitOk;
}

int RunManagers(CommandContext& context)
{
    ArgumentParser parser;
    parser.Flag("--json");
    if (!parser.Parse(context.args))
        return UsageError(context, ManagersCommand, parser.Error());
    const auto& positionals = parser.Positionals();
    if (!positionals.empty()) {
        if (positionals[0] != "default")
            return UsageError(context, ManagersCommand, "unknown action '" + positionals[0] + "'");
        if (positionals.size() != 2 || parser.Has("--json"))
            return UsageError(context, ManagersCommand, "default needs one NAME");
        return SetDefault(context, positionals[1]);
    }
    ManagerStore store;
    store.LoadManagers(ProgramDirectory());
    const auto& definitions = store.Definitions();

    if (parser.Has("--json")) {
        JsonWriter json(context.out);
        json.BeginObject();
        json.Key("default").Number(store.DefaultManager());
        json.Key("managers").BeginArray();
        for (const ManagerDefinition& definition : definitions) {
            if (store.IsEmpty())
                break;
            json.BeginObject();
            json.Key("name").String(definition.Name);
            json.Key("version").String(definition.Ver);
            json.Key("script").String(definition.ScriptText);
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
        json.Finish();
        return ExitOk;
    }

    if (store.IsEmpty()) {
        context.out << "no download-manager definitions in "
                    << TerminalText((ProgramDirectory() / "Managers").string()) << '\n';
        return ExitOk;
    }
    for (size_t i = 0; i < definitions.size(); ++i) {
        const bool isDefault = static_cast<int>(i) == store.DefaultManager();
        context.out << (isDefault ? "* " : "  ") << TerminalText(definitions[i].Name) << "  (version "
                    << TerminalText(definitions[i].Ver) << ")\n";
    }
    if (store.DefaultManager() < 0)
        context.out << "no definition is marked as the default\n";
    return ExitOk;
}

} // namespace

const Command ManagersCommand {"managers", "list the download-manager definitions, or set the default",
    "usage: vortalux managers [--json]\n"
    "       vortalux managers default NAME\n\n"
    "Lists the download-manager definitions of the Managers folder; '*' marks the\n"
    "default one.\n\n"
    "  --json         {\"default\": N, \"managers\": [{name, version, script}]}\n"
    "  default NAME   makes NAME the default, as \"Set As Default\" in vtl does: the previous\n"
    "                 default's file gets Default=0, NAME's Default=1. NAME is taken exactly,\n"
    "                 else without regard to letter case when one definition matches.\n",
    RunManagers, HomeFolder::Needed};

} // namespace vortalux::cli
