#include "ArgumentParser.h"
#include "Command.h"
#include "JsonWriter.h"

#include "ApplicationScope.h"
#include "ConvertLink.h"
#include "InterruptWatcher.h"
#include "PageFetcher.h"
#include "ProgramDirectory.h"
#include "RuleStore.h"
#include "TerminalText.h"
#include "UrlHelpers.h"

#include <ostream>

namespace vortalux::cli {

namespace {

void WriteJson(std::ostream& out, const Conversion& conversion, const RuleStore& store)
{
    JsonWriter json(out);
    json.BeginObject();
    json.Key("rule");
    if (conversion.identified)
        json.String(store.Rules()[*conversion.identified].name);
    else
        json.Null();
    json.Key("referer").String(conversion.referer);
    json.Key("links").BeginArray();
    for (const Link& link : conversion.links) {
        json.BeginObject();
        json.Key("url").String(link.url);
        json.Key("name").String(link.name);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    json.Finish();
}

int RunConvert(CommandContext& context)
{
    ArgumentParser parser;
    parser.Flag("--json").Flag("--verbose").Option("--referer");
    if (!parser.Parse(context.args))
        return UsageError(context, ConvertCommand, parser.Error());
    if (parser.Positionals().size() != 1)
        return UsageError(context, ConvertCommand, "needs one URL");
    const std::string& url = parser.Positionals()[0];

    const ApplicationScope application(ApplicationScope::Kind::Console);
    RuleStore store;
    store.LoadRules(ProgramDirectory());
    PageFetcher fetcher;
    fetcher.SetTag("Current: " + UrlFileName(url));
    if (parser.Has("--verbose")) {
        fetcher.SetStatusCallback([&context](const std::string& text) {
            context.err << TerminalText(text) << '\n' << std::flush;
        });
        fetcher.SetFailureCallback([&context](const std::string& why) {
            context.err << "vortalux convert: page download failed: " << why << '\n' << std::flush;
        });
    }
    // Ctrl-C ends a page download and goes on with what has arrived, as Esc does in the window.
    const InterruptWatcher interrupt([&fetcher] { fetcher.Finish(); });

    const Conversion conversion
        = ConvertLink(store, fetcher, ProgramDirectory(), url, parser.Value("--referer").value_or(""));
    if (parser.Has("--json")) {
        WriteJson(context.out, conversion, store);
    } else {
        // For the eye; --json has the exact bytes.
        context.out << TerminalText(conversion.referer) << '\n';
        for (const Link& link : conversion.links)
            context.out << TerminalText(link.url) << '\n';
    }
    return ExitOk;
}

} // namespace

const Command ConvertCommand {"convert", "convert one link into picture addresses, without handing it off",
    "usage: vortalux convert [--referer R] [--json] [--verbose] URL\n\n"
    "Converts URL with the rules exactly as the engine does for one link: the first active rule\n"
    "that identifies it rewrites it or downloads its page and searches it. Prints the referer to\n"
    "send on the first line, then one picture address a line. A rule that fails on the link\n"
    "leaves a failure report (N.vtr) in the program directory, as the engine does.\n\n"
    "  --referer R   the page the link was found on (the incoming referer)\n"
    "  --json        {\"rule\": NAME or null, \"referer\": \"...\", \"links\": [{\"url\", \"name\"}]}\n"
    "  --verbose     page download progress on standard error\n\n"
    "Ctrl-C ends a page download and goes on with what has arrived.\n",
    RunConvert, HomeFolder::Needed};

} // namespace vortalux::cli
