#include "Link.h"

#include "UrlHelpers.h"

namespace vortalux {

Link LinkTo(std::string url)
{
    std::string name = UrlFileName(url);
    return {std::move(url), std::move(name)};
}

} // namespace vortalux
