#include "ArgumentParser.h"
#include "Command.h"
#include "EngineCall.h"

namespace vortalux::cli {

namespace {

int RunAddUrl(CommandContext& context)
{
    ArgumentParser parser;
    parser.Flag("--batch").Flag("--print");
    if (!parser.Parse(context.args))
        return UsageError(context, AddUrlCommand, parser.Error());
    const auto& words = parser.Positionals();
    if (words.empty() || words.size() > 3)
        return UsageError(context, AddUrlCommand, "needs a URL, and at most a description and a referer");

    const bool handedOver = ManagersInstalled();
    VTL engine(EngineOptions(context, {.batch = parser.Has("--batch"), .print = parser.Has("--print")}));
    engine.AddUrl(words[0], words.size() > 1 ? words[1] : "", words.size() > 2 ? words[2] : "");
    return handedOver ? ExitOk : ExitFailure;
}

} // namespace

const Command AddUrlCommand {"add-url", "convert one link and hand it to the download manager",
    "usage: vortalux add-url [--batch] [--print] URL [DESC [REFERER]]\n\n"
    "Converts URL with the first active rule that identifies it and hands the result, with the\n"
    "referer the rule asks for, to the default download manager. REFERER is the page the link\n"
    "was found on; DESC is the link's text.\n\n"
    "  --batch   no windows: messages and progress on standard error, messages answered with\n"
    "            their default button (also the case when there is no display)\n"
    "  --print   write the hand-off on standard output instead of running the download manager's\n"
    "            definition: \"AddLink<TAB>referer<TAB>url<TAB>name\", or \"AddList<TAB>referer<TAB>n\"\n"
    "            followed by n lines \"<TAB>url<TAB>name\"; control bytes and blanks in addresses are\n"
    "            percent-encoded, in names shown as \\xHH\n\n"
    "Ctrl-C ends a page download that hangs, as Esc does in the window; the rules then work on\n"
    "what has arrived.\n",
    RunAddUrl, HomeFolder::Needed};

} // namespace vortalux::cli
