#include "ArgumentParser.h"
#include "Command.h"
#include "JsonWriter.h"

#include "ManagerStore.h"
#include "ProgramDirectory.h"
#include "TerminalText.h"

#include <ostream>

namespace vortalux::cli {

namespace {

int RunManagers(CommandContext& context)
{
    ArgumentParser parser;
    parser.Flag("--json");
    if (!parser.Parse(context.args))
        return UsageError(context, ManagersCommand, parser.Error());
    if (!parser.Positionals().empty())
        return UsageError(context, ManagersCommand, "takes no arguments");
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

const Command ManagersCommand {"managers", "list the download-manager definitions",
    "usage: vortalux managers [--json]\n\n"
    "Lists the download-manager definitions of the Managers folder; '*' marks the\n"
    "default one.\n\n"
    "  --json   {\"default\": N, \"managers\": [{name, version, script}]}\n",
    RunManagers, HomeFolder::Needed};

} // namespace vortalux::cli
