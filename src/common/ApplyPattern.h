#pragma once

#include "CompiledPattern.h"

#include <string>
#include <string_view>

namespace vortalux {

// What a pattern step makes of its match.
enum class PatternMode {
    Find, // the position of the first match; the text stays the template
    FillTemplate, // the position, and the template filled in from the match (every match)
    Replace, // the input with the first match (every match) replaced by the template
};

struct PatternResult {
    // -1: no match (the pattern is empty or invalid, or the run hit the match limit); 1 after a
    // replace; else the zero-based position of the first match.
    int value = -1;
    // The step's result; the template whenever value is -1.
    std::string text;
};

// One regular-expression step of a rule: identify a link, rewrite it, pick addresses out of a page
// or build a referer.
//
// Placeholders in the template are replaced as plain, case-sensitive text: "$" + k by the k-th
// group (k ascending, so "$10" is first hit by "$1"), "$URL" by `source` and "$SRV" by
// ServerPart(source).
//
// Replace: the text becomes the input with the first match (every match with EveryMatch) replaced
// by the template in the replacement syntax of CompiledPattern::Replace, then "$URL" and "$SRV"
// are substituted; the value is 1.
// Find and FillTemplate: the value is the zero-based position of the first match. Find leaves the
// template as the text. FillTemplate fills it in:
//  - EveryMatch: one line per match and group, joined by CR LF, each the template with "$" + k
//    replaced by that group, "$URL" and "$SRV" being replaced over the whole result after every
//    line; the empty text when the pattern has no group;
//  - FirstMatch: "$1", then "$URL" and "$SRV", then "$2" ... "$n" are replaced in turn; nothing at
//    all when the pattern has no group.
[[nodiscard]] PatternResult ApplyPattern(std::string_view pattern, std::string_view input, PatternMode mode,
    std::string_view templateText, MatchScope scope, std::string_view source = {});

} // namespace vortalux
