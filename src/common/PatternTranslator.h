#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux {

// Where a match of a pattern can begin, as far as the anchors that lead its alternatives tell.
enum class MatchAnchor {
    Anywhere,
    Start, // every alternative begins with "^", after any look-aheads and word boundaries
    End, // every alternative begins with "$": a match can only begin at the end of the input
    StartOrEnd, // some alternatives begin with "^", the others with "$"
};

// How a pattern matches besides the dialect's defaults (VBScript's RegExp sets them; rules use
// none).
enum class PatternOptions : uint32_t {
    None = 0,
    // Letters match in either case. Text is bytes, so this covers the ASCII letters.
    IgnoreCase = 1,
    // "^" also matches after each LF or CR, "$" also before each.
    Multiline = 2,
};
constexpr PatternOptions operator|(PatternOptions a, PatternOptions b)
{
    return static_cast<PatternOptions>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b));
}
constexpr bool HasOption(PatternOptions options, PatternOptions option)
{
    return (static_cast<uint32_t>(options) & static_cast<uint32_t>(option)) != 0;
}

// Why the dialect refused a pattern.
enum class PatternFault {
    None,
    Syntax, // anything not listed below: a trailing backslash, a "(?" form the dialect lacks ...
    UnexpectedQuantifier, // a quantifier with nothing to repeat
    MissingBracket, // a class without its "]"
    MissingParenthesis, // a group without its ")"
    InvalidRange, // a class range out of order
};

// A pattern of the dialect rewritten for PCRE2.
struct TranslatedPattern {
    std::string text;
    // Capturing groups as the dialect counts them.
    size_t groupCount = 0;
    // Capturing groups in `text`: more than groupCount when a repetition was unrolled, or when a
    // repetition marks where each of its iterations begins.
    size_t pcre2GroupCount = 0;
    // groupCopies[k - 1] lists the PCRE2 groups that stand for the dialect's group k, in the order
    // they appear in `text`: more than one when a repetition was unrolled, none when the group can
    // never take part.
    std::vector<std::vector<uint32_t>> groupCopies;
    MatchAnchor anchor = MatchAnchor::Anywhere;
    // PCRE2 10.42's start-of-match optimizations miss matches of the pattern: it has an alternation
    // with a branch after the first that can match the empty text (the JIT's fail "(x|)c*x" over
    // "x"), or a positive look-ahead (both fail "(?=b)b*b" over "b").
    bool misleadsStartOptimizations = false;
    // The rewritten pattern would be larger or more deeply nested than PCRE2 takes; `text` is then
    // empty.
    bool tooLarge = false;
};

// Rewrites a pattern written for VBScript's RegExp object (the ECMAScript 3 dialect, with the
// leniencies browsers share: "{" that does not start a quantifier and a lone "]" are literal, a
// back reference beyond the group count is an octal escape) into a PCRE2 pattern that means the
// same under the options CompiledPattern compiles with.
//
// Every literal is written out as itself (letters and digits) or as "\xHH", and every back
// reference as "\g{n}", so PCRE2's own extensions (\Q...\E, \K, \R, POSIX classes, "(*VERB)",
// octal and back-reference guessing) can never come into play.
//
// A repetition follows the dialect where PCRE2 differs: an iteration after the minimum count that
// matches the empty text fails (PCRE2 would accept it and stop repeating), iterations before the
// minimum may be empty and repeating goes on after them, and a repeated back reference to a group
// that took no part matches the empty text. An iteration that could be empty begins with an empty
// marker group and ends with a string callout "(?C{n})", n being the marker's PCRE2 group: the
// callout function must fail the iteration when group n begins at the current position.
class PatternTranslator {
public:
    // nullopt when the dialect rejects the pattern: unbalanced parentheses, a quantifier with
    // nothing to repeat, a range out of order, an unterminated class, a trailing backslash, and
    // every "(?" form but "(?:", "(?=" and "(?!" (look-behind, named groups, inline options,
    // comments), which the dialect does not have.
    // `fault`, when given, receives why (PatternFault::None on success). Of the options only
    // Multiline changes the text; IgnoreCase is a compile option of CompiledPattern.
    static std::optional<TranslatedPattern> Translate(std::string_view pattern,
        PatternOptions options = PatternOptions::None, PatternFault* fault = nullptr);

    // Capturing groups of a pattern, counted the way the dialect does before it parses back
    // references: every "(" outside a class that is not escaped and not followed by "?".
    static size_t CountGroups(std::string_view pattern);
};

} // namespace vortalux
