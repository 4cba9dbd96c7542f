// Feeds patterns, inputs and templates to the regular-expression layer. Input layout: one flag byte
// (bit 0: the direct Replace replaces every match), then pattern, template and source ended by NUL
// bytes, then the input (the rest). Every step mode runs with and without every match. Besides
// crashes and sanitizer reports it checks that the layers agree with each other.
#include "ApplyPattern.h"
#include "CompiledPattern.h"
#include "PatternTranslator.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace vortalux;

namespace {

void Require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "pattern_fuzzer: %s\n", what);
        std::abort();
    }
}

// PCRE2 refusals that a valid pattern of the dialect may still meet: sizes and depths PCRE2 cannot
// hold.
bool IsSizeLimit(int pcre2Error)
{
    switch (pcre2Error) {
    case PCRE2_ERROR_QUANTIFIER_TOO_BIG:
    case PCRE2_ERROR_PARENTHESES_NEST_TOO_DEEP:
    case PCRE2_ERROR_PATTERN_TOO_LARGE:
    case PCRE2_ERROR_PATTERN_TOO_COMPLICATED:
    case PCRE2_ERROR_PATTERN_STRING_TOO_LONG:
    case PCRE2_ERROR_TOO_MANY_CAPTURES:
    case PCRE2_ERROR_HEAP_FAILED:
        return true;
    default:
        return false;
    }
}

std::string_view TakeField(std::string_view& rest)
{
    const size_t end = rest.find('\0');
    const std::string_view field = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return field;
}

void CheckMatches(const MatchList& matches, std::string_view input, bool global)
{
    if (matches.LimitExceeded()) {
        Require(matches.Empty(), "a run past the limit kept matches");
        return;
    }
    Require(global || matches.Count() <= 1, "more than one match without global");
    size_t earliest = 0;
    for (size_t m = 0; m < matches.Count(); ++m) {
        const size_t start = matches.FirstIndex(m);
        Require(start >= earliest, "matches out of order or overlapping");
        Require(start + matches.Length(m) <= input.size(), "match beyond the input");
        earliest = matches.Length(m) == 0 ? start + 1 : start + matches.Length(m);
        for (size_t k = 1; k <= matches.GroupCount(); ++k) {
            const std::string_view group = matches.SubMatch(m, k);
            if (!matches.Participated(m, k)) {
                Require(group.empty(), "a group that did not take part has text");
                continue;
            }
            Require(
                group.data() >= input.data() && group.data() + group.size() <= input.data() + input.size(),
                "group beyond the input");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t flags = data[0];
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string_view pattern = TakeField(rest);
    const std::string_view templateText = TakeField(rest);
    const std::string_view source = TakeField(rest);
    const std::string_view input = rest;
    const MatchScope scope = (flags & 1) != 0 ? MatchScope::EveryMatch : MatchScope::FirstMatch;

    const std::optional<TranslatedPattern> translated = PatternTranslator::Translate(pattern);
    int pcre2Error = 0;
    const std::optional<CompiledPattern> compiled = CompiledPattern::Compile(pattern, &pcre2Error);
    Require(translated.has_value() == (compiled.has_value() || pcre2Error != 0),
        "translator and compiler disagree on validity");
    if (translated && !compiled && !IsSizeLimit(pcre2Error)) {
        std::fprintf(stderr, "PCRE2 error %d on translation of [%.*s]: [%s]\n", pcre2Error,
            static_cast<int>(pattern.size()), pattern.data(), translated->text.c_str());
        Require(false, "the translation is not a valid PCRE2 pattern");
    }

    std::optional<size_t> firstIndex;
    if (compiled) {
        Require(compiled->GroupCount() == PatternTranslator::CountGroups(pattern), "group counts disagree");
        const MatchList first = compiled->Execute(input, MatchScope::FirstMatch);
        CheckMatches(first, input, false);
        const MatchList all = compiled->Execute(input, MatchScope::EveryMatch);
        CheckMatches(all, input, true);
        if (!first.Empty() && !all.Empty())
            Require(first.FirstIndex(0) == all.FirstIndex(0) && first.Length(0) == all.Length(0),
                "the first of all matches is not the first match");
        if (!first.Empty())
            firstIndex = first.FirstIndex(0);

        const CompiledPattern::Replacement same = compiled->Replace(input, "$&", MatchScope::EveryMatch);
        Require(
            same.limitExceeded || same.text == input, "replacing every match by itself changed the input");
        const CompiledPattern::Replacement replaced = compiled->Replace(input, templateText, scope);
        if (!replaced.limitExceeded && replaced.matchCount == 0)
            Require(replaced.text == input, "a replace without a match changed the input");
    }

    for (const PatternMode mode : {PatternMode::Find, PatternMode::FillTemplate, PatternMode::Replace}) {
        for (const MatchScope stepScope : {MatchScope::FirstMatch, MatchScope::EveryMatch}) {
            const PatternResult result = ApplyPattern(pattern, input, mode, templateText, stepScope, source);
            if (result.value < 0) {
                Require(result.value == -1, "a failure other than -1");
                Require(result.text == templateText, "a failed step changed the template");
                continue;
            }
            Require(
                !pattern.empty() && compiled.has_value(), "a step matched with an empty or invalid pattern");
            if (mode == PatternMode::Replace) {
                Require(result.value == 1, "replace mode returned other than 1");
            } else {
                Require(firstIndex.has_value() && static_cast<size_t>(result.value) == *firstIndex,
                    "find mode returned another position than the first match");
                if (mode == PatternMode::Find)
                    Require(result.text == templateText, "find mode without template changed the result");
            }
        }
    }
    return 0;
}
