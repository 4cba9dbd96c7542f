#include "NameLookup.h"

#include "AsciiText.h"

namespace vortalux::cli {

std::optional<size_t> LookUpName(
    const std::vector<std::string>& names, std::string_view wanted, std::string_view what, std::string& error)
{
    std::vector<size_t> exact;
    std::vector<size_t> caseBlind;
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == wanted)
            exact.push_back(i);
        else if (EqualsNoCase(names[i], wanted))
            caseBlind.push_back(i);
    }
    if (exact.size() == 1)
        return exact.front();
    const std::vector<size_t>& found = exact.empty() ? caseBlind : exact;
    if (found.size() == 1)
        return found.front();
    if (found.empty()) {
        error = "no " + std::string(what) + " named '" + std::string(wanted) + "'";
        return std::nullopt;
    }
    error = "'" + std::string(wanted) + "' matches several " + std::string(what) + "s:";
    for (const size_t i : found)
        error += " '" + names[i] + "'";
    return std::nullopt;
}

} // namespace vortalux::cli
