#include "FetchCommand.h"

#include "CoreApplicationGuard.h"
#include "InterruptWatcher.h"
#include "PageFetcher.h"
#include "UrlHelpers.h"

namespace vortalux {

namespace {

constexpr const char* Usage = "usage: vortalux fetch [--verbose] URL\n";

} // namespace

int RunFetchCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    bool verbose = false;
    std::string url;
    for (const std::string& arg : args) {
        if (arg == "--verbose" && !verbose) {
            verbose = true;
        } else if (url.empty() && !arg.starts_with("--")) {
            url = arg;
        } else {
            err << Usage;
            return 2;
        }
    }
    if (url.empty()) {
        err << Usage;
        return 2;
    }

    const CoreApplicationGuard application;

    PageFetcher fetcher;
    fetcher.SetTag("Current: " + UrlFileName(url));
    if (verbose)
        fetcher.SetStatusCallback([&err](const std::string& text) { err << text << '\n' << std::flush; });
    const InterruptWatcher interrupt([&fetcher] { fetcher.Finish(); });

    const std::string page = fetcher.OpenURL(url);
    out.write(page.data(), static_cast<std::streamsize>(page.size()));
    out.flush();
    if (page.empty()) {
        err << "vortalux fetch: no page received from " << url << '\n';
        return 1;
    }
    return 0;
}

} // namespace vortalux
