#include "Command.h"

#include "FetchCommand.h"

namespace vortalux::cli {

static int RunFetch(CommandContext& context)
{
    return RunFetchCommand(context.args, context.out, context.err);
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
