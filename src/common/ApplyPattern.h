#pragma once

#include <string>
#include <string_view>

namespace vortalux {

// One regular-expression step of a rule: identify a link, rewrite it, pick addresses out of a page
// or build a referer.
//
// On entry `result` holds the template. Placeholders in it are replaced as plain, case-sensitive
// text: "$" + k by the k-th group (k ascending, so "$10" is first hit by "$1"), "$URL" by `source`
// and "$SRV" by ServerPart(source).
//
// Returns -1 when the pattern is empty, invalid or does not match, or when the run hits the match
// limit; `result` then still holds the template.
// Replace mode: `result` becomes the input with the first match (every match when `global`)
// replaced by the template in the replacement syntax of CompiledPattern::Replace, then "$URL" and
// "$SRV" are substituted; returns 1. `useTemplate` plays no part.
// Find mode: returns the zero-based position of the first match. Without `useTemplate` the result
// keeps the template. With it:
//  - global: one line per match and group, joined by CR LF, each the template with "$" + k replaced
//    by that group, "$URL" and "$SRV" being replaced over the whole result after every line; the
//    empty text when the pattern has no group;
//  - not global: "$1", then "$URL" and "$SRV", then "$2" ... "$n" are replaced in turn; nothing at
//    all when the pattern has no group.
int ApplyPattern(std::string_view pattern, std::string_view input, std::string& result, bool replaceMode,
    bool useTemplate, std::string_view source, bool global);

} // namespace vortalux
