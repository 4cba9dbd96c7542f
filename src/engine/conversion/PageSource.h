#pragma once

#include <string>

namespace vortalux {

// Where page-search rules get the pages they look into: the page fetcher, or a fake in tests.
class PageSource {
public:
    virtual ~PageSource() = default;

    // The page's body; the empty text when the address is refused or the download fails, and
    // what has arrived when the user ends the wait early.
    virtual std::string OpenURL(const std::string& url) = 0;

    // The address of the page asked for last (after redirects, the last location); it stays as
    // it was when OpenURL refuses an address.
    virtual const std::string& FetchedUrl() const = 0;

    // Why the last OpenURL did not get the whole page ("connection refused", "HTTP status 404",
    // ...), the empty text when it did.
    virtual std::string LastFailure() const = 0;
};

} // namespace vortalux
