#include "ArgumentParser.h"
#include "Command.h"

#include "ApplicationScope.h"
#include "InterruptWatcher.h"
#include "PageFetcher.h"
#include "TerminalText.h"
#include "UrlHelpers.h"

#include <ostream>

namespace vortalux::cli {

static int RunFetch(CommandContext& context)
{
    ArgumentParser parser;
    parser.Flag("--verbose");
    if (!parser.Parse(context.args))
        return UsageError(context, FetchCommand, parser.Error());
    if (parser.Positionals().size() != 1)
        return UsageError(context, FetchCommand, "needs one URL");
    const std::string& url = parser.Positionals()[0];

    const ApplicationScope application(ApplicationScope::Kind::Console);
    PageFetcher fetcher;
    fetcher.SetTag("Current: " + UrlFileName(url));
    if (parser.Has("--verbose"))
        fetcher.SetStatusCallback([&context](const std::string& text) {
            context.err << TerminalText(text) << '\n' << std::flush;
        });
    // Ctrl-C ends the wait and keeps what has arrived, as Esc does in the engine's window.
    const InterruptWatcher interrupt([&fetcher] { fetcher.Finish(); });

    const std::string page = fetcher.OpenURL(url);
    context.out.write(page.data(), static_cast<std::streamsize>(page.size()));
    context.out.flush();
    const std::string why = fetcher.LastFailure();
    if (page.empty()) {
        context.err << "vortalux fetch: no page received from " << TerminalText(url)
                    << (why.empty() ? "" : ": ") << why << '\n';
        return ExitFailure;
    }
    if (!why.empty())
        context.err << "vortalux fetch: the page is incomplete: " << why << '\n';
    return ExitOk;
}

const Command FetchCommand {"fetch", "download a page as page-search rules see it",
    "usage: vortalux fetch [--verbose] URL\n\n"
    "Downloads URL the way page-search rules do (HTTP/1.0, the browser's cookies,\n"
    "redirects followed) and writes the page's bytes on standard output.\n\n"
    "  --verbose   progress texts on standard error\n\n"
    "Ctrl-C ends the wait and writes what has arrived. Cookies come from the file named by\n"
    "VORTALUX_COOKIES (cookies.txt or cookies.sqlite), else the default Firefox profile.\n",
    RunFetch};

} // namespace vortalux::cli
