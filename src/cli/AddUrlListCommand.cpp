#include "ArgumentParser.h"
#include "Command.h"
#include "EngineCall.h"

#include "TerminalText.h"

#include <fstream>
#include <istream>
#include <ostream>

namespace vortalux::cli {

namespace {

// Appends the links of `in`: one a line, the URL, then optionally a tab and the description.
void ReadLinks(std::istream& in, std::vector<std::string>& urlList)
{
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        const size_t tab = line.find('\t');
        urlList.push_back(line.substr(0, tab));
        urlList.push_back(tab == std::string::npos ? std::string() : line.substr(tab + 1));
    }
}

int RunAddUrlList(CommandContext& context)
{
    ArgumentParser parser;
    parser.Flag("--batch").Flag("--print").Option("--from");
    if (!parser.Parse(context.args))
        return UsageError(context, AddUrlListCommand, parser.Error());
    const auto& words = parser.Positionals();
    if (words.empty())
        return UsageError(context, AddUrlListCommand, "needs the ORIGIN page");

    std::vector<std::string> urlList(words.begin(), words.end());
    // A last URL given without its description gets an empty one.
    if (urlList.size() % 2 == 0)
        urlList.emplace_back();
    if (const auto from = parser.Value("--from")) {
        if (*from == "-") {
            ReadLinks(context.in, urlList);
        } else {
            std::ifstream file(*from, std::ios::binary);
            if (!file) {
                context.err << "vortalux add-url-list: cannot read " << TerminalText(*from) << '\n';
                return ExitFailure;
            }
            ReadLinks(file, urlList);
        }
    }

    const bool handedOver = ManagersInstalled();
    VTL engine(EngineOptions(context, {.batch = parser.Has("--batch"), .print = parser.Has("--print")}));
    engine.AddUrlList(urlList);
    return handedOver ? ExitOk : ExitFailure;
}

} // namespace

const Command AddUrlListCommand {"add-url-list", "choose links of a page, convert them and hand them over",
    "usage: vortalux add-url-list [--batch] [--print] [--from FILE|-] ORIGIN [URL DESC ...]\n\n"
    "Lists the links of the page ORIGIN with the rule that identifies each, for you to choose\n"
    "from; Ok converts the checked ones and hands them to the chosen download manager, one part\n"
    "per rule. Links come as URL DESC pairs (DESC may be \"\") and, with --from, from FILE or\n"
    "standard input: one link a line, optionally followed by a tab and its description.\n\n"
    "  --batch   no windows: the links an active rule identifies go to the default download\n"
    "            manager; messages and progress on standard error, messages answered with their\n"
    "            default button (also the case when there is no display)\n"
    "  --print   write the hand-offs on standard output instead of running the download\n"
    "            manager's definition (see 'vortalux add-url --help')\n\n"
    "Ctrl-C cancels the page download under way, as Cancel does in the window; a second Ctrl-C\n"
    "cancels everything: the remaining links are handed over unconverted.\n",
    RunAddUrlList, HomeFolder::Needed};

} // namespace vortalux::cli
