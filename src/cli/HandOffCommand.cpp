#include "ArgumentParser.h"
#include "Command.h"
#include "ScriptEnvironment.h"

#include "ApplicationScope.h"
#include "AsciiText.h"
#include "DefaultHandOff.h"
#include "Link.h"
#include "ManagerStore.h"
#include "ProgramDirectory.h"
#include "ScriptHandOff.h"
#include "TerminalText.h"

#include <ostream>

namespace vortalux::cli {

namespace {

// The store position of the definition named `name` (any letter case), -1 when none is.
int FindManager(const ManagerStore& store, const std::string& name)
{
    const auto& definitions = store.Definitions();
    for (size_t i = 0; i < definitions.size(); ++i) {
        if (EqualsNoCase(definitions[i].Name, name))
            return static_cast<int>(i);
    }
    return -1;
}

int RunHandOff(CommandContext& context)
{
    ArgumentParser parser;
    parser.Option("--manager").Option("--referer");
    if (!parser.Parse(context.args))
        return UsageError(context, HandOffCommand, parser.Error());
    const std::vector<std::string>& urls = parser.Positionals();
    if (urls.empty())
        return UsageError(context, HandOffCommand, "needs at least one URL");

    ManagerStore store;
    store.LoadManagers(ProgramDirectory());
    if (store.IsEmpty()) {
        context.err << "vortalux hand-off: no download-manager definitions in "
                    << TerminalText((ProgramDirectory() / "Managers").string()) << '\n';
        return ExitFailure;
    }
    int position = store.DefaultManager();
    if (const auto wanted = parser.Value("--manager")) {
        position = FindManager(store, *wanted);
        if (position < 0) {
            context.err << "vortalux hand-off: no definition named '" << TerminalText(*wanted)
                        << "' (see 'vortalux managers')\n";
            return ExitFailure;
        }
    } else if (position < 0) {
        // As the engine does for one call: the first definition, nothing written.
        position = 0;
        context.err << "vortalux hand-off: no definition is marked as the default; using "
                    << TerminalText(store.Definitions().front().Name) << '\n';
    }

    // The HTTP objects of scripts wait in Qt event loops.
    const ApplicationScope application(ApplicationScope::Kind::Console);
    ScriptHandOff handOff;
    RegisterEngineObjects(handOff.Host());
    const std::string referer = parser.Value("--referer").value_or("");
    std::vector<Link> links;
    for (const std::string& url : urls)
        links.push_back(LinkTo(url));
    const bool handedOver = links.size() == 1 ? handOff.RunAddLink(store, position, referer, links.front())
                                              : handOff.RunAddList(store, position, referer, links);
    if (!handedOver)
        return ExitFailure;
    const std::string& manager = store.Definitions()[static_cast<size_t>(position)].Name;
    context.out << "handed " << urls.size() << (urls.size() == 1 ? " link" : " links") << " to "
                << TerminalText(manager) << '\n';
    return ExitOk;
}

} // namespace

const Command HandOffCommand {"hand-off", "hand links to a download manager through its definition",
    "usage: vortalux hand-off [--manager NAME] [--referer R] URL [URL ...]\n\n"
    "Runs the script of a download-manager definition exactly as the engine does: AddLink with\n"
    "the referer, the URL and its file name for one URL, AddList with the referer and the list\n"
    "(URL, name, URL, name, ...) for several. Script errors are shown as the engine shows them\n"
    "(on standard error without a desktop) and make the command fail.\n\n"
    "  --manager NAME   the definition to use (any letter case; default: the one marked as\n"
    "                   default, else the first)\n"
    "  --referer R      the referer handed with the links (default: none)\n",
    RunHandOff, HomeFolder::Needed};

} // namespace vortalux::cli
