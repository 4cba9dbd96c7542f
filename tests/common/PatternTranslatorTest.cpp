#include "PatternTranslator.h"
#include "CompiledPattern.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace vortalux;
using namespace std::string_literals;

namespace {

// A pattern run once over an input: the text of the first match, or nullopt when nothing matches.
struct MatchCase {
    const char* name;
    std::string pattern;
    std::string input;
    std::optional<std::string> firstMatch;
};

void ExpectFirstMatches(const std::vector<MatchCase>& cases)
{
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<CompiledPattern> compiled = CompiledPattern::Compile(c.pattern);
        ASSERT_TRUE(compiled.has_value()) << "pattern refused: " << c.pattern;
        const MatchList matches = compiled->Execute(c.input, MatchScope::FirstMatch);
        ASSERT_FALSE(matches.LimitExceeded());
        if (!c.firstMatch) {
            EXPECT_TRUE(matches.Empty()) << "unexpected match: " << matches.Value(0);
            continue;
        }
        ASSERT_EQ(matches.Count(), 1u) << "no match";
        EXPECT_EQ(matches.Value(0), *c.firstMatch);
    }
}

// A pattern run once over an input: the first match and its groups, nullopt for a group that did
// not take part.
struct GroupCase {
    const char* name;
    std::string pattern;
    std::string input;
    std::string match;
    std::vector<std::optional<std::string>> groups;
};

void ExpectGroups(const std::vector<GroupCase>& cases)
{
    for (const GroupCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<CompiledPattern> compiled = CompiledPattern::Compile(c.pattern);
        ASSERT_TRUE(compiled.has_value()) << "pattern refused: " << c.pattern;
        const MatchList matches = compiled->Execute(c.input, MatchScope::FirstMatch);
        ASSERT_EQ(matches.Count(), 1u) << "no match";
        EXPECT_EQ(matches.Value(0), c.match);
        ASSERT_EQ(matches.GroupCount(), c.groups.size());
        for (size_t k = 1; k <= c.groups.size(); ++k) {
            const std::optional<std::string>& expected = c.groups[k - 1];
            EXPECT_EQ(matches.Participated(0, k), expected.has_value()) << "group " << k;
            if (expected) {
                EXPECT_EQ(matches.SubMatch(0, k), *expected) << "group " << k;
            }
        }
    }
}

MatchAnchor AnchorOf(std::string_view pattern)
{
    const std::optional<TranslatedPattern> translated = PatternTranslator::Translate(pattern);
    return translated ? translated->anchor : MatchAnchor::Anywhere;
}

} // namespace

TEST(PatternTranslator, EscapesThatPcreKnowsButTheDialectReadsAsLetters)
{
    std::vector<MatchCase> cases;
    for (const char letter : "aeAZzGKQEhHRXNpPgkoCLlUVijmqy"s) {
        const std::string escaped = "x\\"s + letter + "y";
        cases.push_back({"identity escape", escaped, "--x"s + letter + "y--", "x"s + letter + "y"});
    }
    ExpectFirstMatches(cases);
    ExpectFirstMatches({
        {"\\Q does not quote", "\\Qa.b\\E", "QazbE", "QazbE"},
        {"\\K does not reset the start", "ab\\Kc", "abKc", "abKc"},
        {"\\e is not escape", "\\e", "\x1b"s, std::nullopt},
        {"\\a is not bell", "\\a", "\a"s, std::nullopt},
        {"\\h is not blank", "\\h", " \t", std::nullopt},
        {"\\R is not a line break", "\\R", "\r\n", std::nullopt},
        {"\\z is not the end", "a\\z", "a", std::nullopt},
        {"\\k<n> is no named reference", "(a)\\k<n>", "ak<n>", "ak<n>"},
        {"\\p{L} is no property", "\\p{L}", "p{L}", "p{L}"},
        {"escaped punctuation", "\\/\\.\\*\\-\\#\\ ", "/.*-# ", "/.*-# "},
        {"escaped high byte", "\\\xe9", "\xe9", "\xe9"},
    });
}

TEST(PatternTranslator, CharacterEscapes)
{
    ExpectFirstMatches({
        {"\\v is vertical tab", "a\\vb",
            "a\x0b"
            "b",
            "a\x0b"
            "b"},
        {"\\v is not any vertical space", "\\v", "\n\r\x0c", std::nullopt},
        {"\\f \\n \\r \\t", "\\f\\n\\r\\t", "\x0c\n\r\t", "\x0c\n\r\t"},
        {"\\cJ is LF", "\\cJ\\cj", "\n\n", "\n\n"},
        {"\\c without a letter is a backslash", "\\c1", "\\c1", "\\c1"},
        {"\\c at the end is a backslash", "a\\c", "a\\c", "a\\c"},
        {"\\x two hex digits", "\\x41\\x7a", "Az", "Az"},
        {"\\x one hex digit is the letter", "\\x4", "x4", "x4"},
        {"\\x without hex is the letter", "\\xg1", "xg1", "xg1"},
        {"\\u at most 0xFF is that byte", "\\u0041\\u00e9", "A\xe9", "A\xe9"},
        {"\\u above 0xFF never matches", "\\u0100", "\x00u0100\x01\xff"s, std::nullopt},
        {"\\u above 0xFF may be optional", "a\\u20ac?b", "ab", "ab"},
        {"\\u with three hex digits is the letter", "\\u123", "u123", "u123"},
        {"\\0 is NUL", "a\\0b", "a\0b"s, "a\0b"s},
        {"raw NUL in the pattern", "a\0b"s, "xa\0b"s, "a\0b"s},
    });
}

TEST(PatternTranslator, BackReferencesAndOctalEscapes)
{
    const std::string tenGroups = "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)";
    ExpectFirstMatches({
        {"back reference", "(a+)-\\1", "aa-aa", "aa-aa"},
        {"forward reference matches empty", "\\1(a)", "a", "a"},
        {"reference to a group that did not take part", "(?:(x)|y)\\1z", "yz", "yz"},
        {"\\1 without groups is octal 1", "\\1", "\x01", "\x01"},
        {"\\2 beyond one group is octal 2", "(a)\\2", "a\x02", "a\x02"},
        {"\\10 with one group is octal 10", "(a)\\10", "a\x08", "a\x08"},
        {"\\10 with ten groups is group 10", tenGroups + "\\10", "abcdefghijj", "abcdefghijj"},
        {"\\11 with ten groups is octal 11", tenGroups + "\\11", "abcdefghij\x09", "abcdefghij\x09"},
        {"\\18 with one group is octal 1 then 8", "(a)\\18",
            "a\x01"
            "8",
            "a\x01"
            "8"},
        {"\\8 is the digit", "\\8\\9", "89", "89"},
        {"\\377 is the byte 0xFF", "\\377", "\xff", "\xff"},
        {"\\400 is a blank then 0", "\\400", " 0", " 0"},
        {"\\08 is NUL then 8", "\\08",
            "\0"
            "8"s,
            "\0"
            "8"s},
        {"\\012 is LF", "\\012", "\n", "\n"},
        {"digits in a class are octal", "(a)[\\1]", "a\x01", "a\x01"},
        {"\\8 in a class is the digit", "[\\8]", "8", "8"},
    });
}

TEST(PatternTranslator, CharacterClasses)
{
    ExpectFirstMatches({
        {"[] never matches", "a[]", "a", std::nullopt},
        {"[]* is empty", "a[]*b", "ab", "ab"},
        {"[^] matches any byte, LF too", "a[^]b", "a\nb", "a\nb"},
        {"] right after [ closes the class", "[]a]", "a]", std::nullopt},
        {"] right after [^ closes the class", "[^]a]", "xa]", "xa]"},
        {"] alone is literal", "a]", "a]", "a]"},
        {"escaped ] is a member", "[\\]]+", "]]", "]]"},
        {"no POSIX classes", "[[:alpha:]]", "b", std::nullopt},
        {"[ is a member", "[[:alpha:]]", "a]", "a]"},
        {"dash at the ends", "[-a]+[b-]+", "-aa-b", "-aa-b"},
        {"range from a dash", "[--/]+", "-./", "-./"},
        {"class escape then dash is three members", "[\\d-z]+", "1-z", "1-z"},
        {"dash then class escape", "[a-\\d]+", "a-5", "a-5"},
        {"\\b in a class is backspace", "[\\b]", "\x08", "\x08"},
        {"\\B in a class is the letter", "[\\B]", "B", "B"},
        {"\\c with a digit in a class", "[\\c1][\\c_]", "\x11\x1f", "\x11\x1f"},
        {"\\u range clipped to bytes", "[\\u0041-\\u0100]+", "A\xff", "A\xff"},
        {"\\u beyond bytes only", "[\\u0100-\\u0200]", "\xff", std::nullopt},
        {"negated \\u beyond bytes matches anything", "[^\\u0100]", "\n", "\n"},
        {"negated class", "[^a-c]+", "abcxyz", "xyz"},
        {"high bytes in a class", "[\xe0-\xef]+", "a\xe9\xe8", "\xe9\xe8"},
        {"class escapes", "[\\s\\d]+",
            " 1\t\x0b"
            "2",
            " 1\t\x0b"
            "2"},
    });
}

TEST(PatternTranslator, QuantifiersAndLiteralBraces)
{
    ExpectFirstMatches({
        {"exact count", "a{2}", "aaa", "aa"},
        {"range", "a{1,2}", "aaa", "aa"},
        {"open range", "a{2,}", "aaaa", "aaaa"},
        {"lazy", "a{2,}?", "aaaa", "aa"},
        {"lazy star", "<.*?>", "<a><b>", "<a>"},
        {"{,n} is literal", "a{,2}", "a{,2}", "a{,2}"},
        {"lone { is literal", "{", "x{", "{"},
        {"{x} is literal", "x{a}", "x{a}", "x{a}"},
        {"unclosed brace is literal", "a{1", "a{1", "a{1"},
        {"braces with a blank are literal", "a{1, 2}", "a{1, 2}", "a{1, 2}"},
        {"lone } is literal", "a}", "a}", "a}"},
        {"brace after a quantifier is literal", "a*{", "aa{", "aa{"},
        {"quantified look-ahead", "(?=a)*a", "a", "a"},
        {"quantified back reference", "(a)\\1*", "aaa", "aaa"},
    });
}

TEST(PatternTranslator, AnchorsDotAndBytes)
{
    ExpectFirstMatches({
        {". is any byte but LF", "a.b", "a\rb", "a\rb"},
        {". does not match LF", "a.b", "a\nb", std::nullopt},
        {". matches a high byte", "a.b",
            "a\xe9"
            "b",
            "a\xe9"
            "b"},
        {"\\w is ASCII", "\\w+",
            "\xe9"
            "ab\xe9",
            "ab"},
        {"\\s includes VT, not NBSP", "\\s+", "\xa0 \x0b\xa0", " \x0b"},
        {"$ only at the very end", "a$", "a\n", std::nullopt},
        {"^ only at the very start", "^b", "a\nb", std::nullopt},
        {"word boundary", "\\bcat\\b", "concat cat", "cat"},
        {"non-capturing group", "(?:ab)+", "ababa", "abab"},
        {"negative look-ahead", "a(?!b)", "abac", "a"},
        {"empty alternative", "a||b", "b", ""},
    });
}

TEST(PatternTranslator, RefusesWhatTheDialectRefuses)
{
    const std::vector<std::string> invalid = {
        "(?<=a)b",
        "(?<!a)b",
        "(?<n>a)",
        "(?P<n>a)",
        "(?'n'a)",
        "(?i)a",
        "(?#note)",
        "(?>a)",
        "(?|a)",
        "(?R)",
        "(?1)",
        "(?",
        "(?-i)",
        "a*+",
        "a++",
        "a?+",
        "a{2}+",
        "a**",
        "a{1,2}{3}",
        "a??+",
        "*a",
        "+",
        "?",
        "a|*",
        "(*FAIL)",
        "(*UTF)a",
        "(",
        ")",
        "a)",
        "(a",
        "((a)",
        "[a",
        "[",
        "[^",
        "[a-",
        "[\\",
        "\\",
        "a\\",
        "^*",
        "$+",
        "\\b*",
        "\\B?",
        "{2}",
        "a|{2}",
        "a{2,1}",
        "[z-a]",
        "[\\x7a-\\x61]",
        "[\\u0100-\\u0041]",
        "a{99999}",
    };
    for (const std::string& pattern : invalid)
        EXPECT_FALSE(CompiledPattern::Compile(pattern).has_value()) << pattern;
    // The translator itself refuses all of them but the count PCRE2 cannot hold.
    EXPECT_FALSE(PatternTranslator::Translate("(?<=a)b").has_value());
    EXPECT_TRUE(PatternTranslator::Translate("a{99999}").has_value());
}

TEST(PatternTranslator, CountsGroupsAsTheDialectDoes)
{
    EXPECT_EQ(PatternTranslator::CountGroups(""), 0u);
    EXPECT_EQ(PatternTranslator::CountGroups("(a)(?:b)(?=c)(d(e))"), 3u);
    EXPECT_EQ(PatternTranslator::CountGroups("\\(a[(]"), 0u);
    EXPECT_EQ(PatternTranslator::CountGroups("[]((a)"), 2u);
    EXPECT_EQ(PatternTranslator::CountGroups("[^](a)"), 1u);
    EXPECT_EQ(PatternTranslator::CountGroups("[\\]((]((a)"), 2u);
}

TEST(PatternTranslator, IterationThatMatchesEmptyFailsOnceTheMinimumIsReached)
{
    const std::nullopt_t unset = std::nullopt;
    ExpectGroups({
        // An empty iteration is not taken: the next branch, or the next shorter match, is tried.
        {"optional group with an empty branch", "id=(|\\d+)?", "id=12", "id=12", {"12"}},
        {"plus over a star", "(\\w*)+\\.jpg", "abc.jpg", "abc.jpg", {"abc"}},
        {"star over a star", "(a*)*b", "aab", "aab", {"aa"}},
        {"empty branch last", "(a|)*b", "aab", "aab", {"a"}},
        {"empty branch in the middle", "(a||b)+c", "abc", "abc", {"b"}},
        {"lazy body", "(\\w*?)+\\.", "ab.", "ab.", {"b"}},
        {"around other text", "x(y|)*z", "xyyz", "xyyz", {"y"}},
        // Iterations before the minimum may be empty, and repeating goes on after them.
        {"empty first iteration of a plus", "(|a)+", "a", "a", {"a"}},
        {"empty iterations up to the minimum", "(|a){2,3}", "aa", "a", {"a"}},
        {"exact count allows empty iterations", "(|a){2}", "aa", "", {""}},
        {"minimum of two, then more", "(a?){2,3}", "aaa", "aaa", {"a"}},
        {"nested repetitions", "((a|)+)+b", "aab", "aab", {"aa", "a"}},
        {"nested, empty branch first", "((|a)+)+b", "aab", "aab", {"aa", "a"}},
        // A group whose only match is empty never takes part in an iteration past the minimum.
        {"group that only matches empty", "(?:a|())+b", "aab", "aab", {unset}},
        {"look-ahead repeated from zero", "(?=(a))*a", "a", "a", {unset}},
        {"look-ahead repeated from one", "(?=(a))+a", "a", "a", {"a"}},
        // Lazy repetitions take the same iterations as PCRE2 does here; they must not change.
        {"lazy star", "(a|)*?b", "aab", "aab", {"a"}},
        {"lazy plus, empty branch first", "(|a)+?b", "ab", "ab", {"a"}},
    });
}

TEST(PatternTranslator, RepeatedBackReferenceToAGroupThatTookNoPart)
{
    const std::nullopt_t unset = std::nullopt;
    ExpectGroups({
        {"plus", "(a)?\\1+b", "b", "b", {unset}},
        {"lazy plus", "(a)?\\1+?b", "b", "b", {unset}},
        {"count", "(a)?\\1{2}b", "b", "b", {unset}},
        {"star", "(a)?\\1*b", "b", "b", {unset}},
        {"to an empty group", "(a|)\\1+b", "b", "b", {""}},
        {"to a group that took part", "(a)\\1+", "aaa", "aaa", {"a"}},
    });
}

TEST(PatternTranslator, KeepsMicrosoftsRulesWhereEcmaScriptDiffers)
{
    const std::nullopt_t unset = std::nullopt;
    // A group inside a repeated group keeps its last successful value; ECMAScript would clear it
    // when a later iteration does not set it.
    ExpectGroups({
        {"group of an earlier iteration", "(?:(a)|b)+", "ab", "ab", {"a"}},
        {"two groups of two iterations", "(?:(a)|(b))+", "ab", "ab", {"a", "b"}},
        {"outer group of the last iteration", "((a)|b)+", "ab", "ab", {"b", "a"}},
        {"before a following item", "(?:(a)|b)*c", "abc", "abc", {"a"}},
        {"empty iteration before the minimum", "(?:()|a)+b", "ab", "ab", {""}},
        {"group that never took part", "(?:(a)|b)+", "bb", "bb", {unset}},
    });
    // "\s" is the blank set Microsoft documents: byte 0xA0 is not in it.
    ExpectFirstMatches({
        {"\\s skips NBSP", "\\s", "\xa0", std::nullopt},
        {"[\\s] skips NBSP", "[\\s]", "\xa0", std::nullopt},
        {"\\S takes NBSP", "\\S", " \xa0", "\xa0"},
        {"[^\\s] takes NBSP", "[^\\s]+", "\xa0\xa0 ", "\xa0\xa0"},
        {"the blank set", "\\s+", "\t\n\x0b\x0c\r \xa0", "\t\n\x0b\x0c\r "},
    });
}

TEST(PatternTranslator, FindsWhereAMatchCanBegin)
{
    EXPECT_EQ(AnchorOf("^a"), MatchAnchor::Start);
    EXPECT_EQ(AnchorOf("(?!.*\\.gif$)^.*\\.(\\w+)$"), MatchAnchor::Start);
    EXPECT_EQ(AnchorOf("(?=a)(?!b)\\b^a|^b"), MatchAnchor::Start);
    EXPECT_EQ(AnchorOf("(?:^a|(^b))c"), MatchAnchor::Start);
    EXPECT_EQ(AnchorOf("(^a)+"), MatchAnchor::Start);
    EXPECT_EQ(AnchorOf("(?=^)a"), MatchAnchor::Start);
    EXPECT_EQ(AnchorOf("$"), MatchAnchor::End);
    EXPECT_EQ(AnchorOf("(?!a)$|$"), MatchAnchor::End);
    EXPECT_EQ(AnchorOf("^a|$"), MatchAnchor::StartOrEnd);
    EXPECT_EQ(AnchorOf("a^"), MatchAnchor::Anywhere);
    EXPECT_EQ(AnchorOf("^a|b"), MatchAnchor::Anywhere);
    EXPECT_EQ(AnchorOf("(^a)*b"), MatchAnchor::Anywhere);
    EXPECT_EQ(AnchorOf("(^a)?b"), MatchAnchor::Anywhere);
    EXPECT_EQ(AnchorOf("(?=^)?a"), MatchAnchor::Anywhere);
    EXPECT_EQ(AnchorOf("(?!^)a"), MatchAnchor::Anywhere);
    EXPECT_EQ(AnchorOf("^a|"), MatchAnchor::Anywhere);
    // Anchored patterns still find what they should, also past the start.
    ExpectFirstMatches({
        {"start", "(?!x)^ab", "abab", "ab"},
        {"start, not at the start", "(?!x)^b", "ab", std::nullopt},
        {"end", "(?!x)$", "ab", ""},
        {"start or end: the end", "^b|$", "ab", ""},
        {"start or end: the start", "^a|$", "ab", "a"},
    });
}

TEST(PatternTranslator, PatternsThatMisleadPcresStartOptimizations)
{
    // PCRE2 10.42 missed these matches, its JIT the first ones, JIT and interpreter the last ones.
    ExpectFirstMatches({
        {"later empty branch, then a repeat", "(x|)c*x", "x", "x"},
        {"later empty branch in a non-capturing group", "(?:x|)c*[xy]", "a.x", "x"},
        {"later branch that is a boundary", "(?:x|\\b)c*x", "a.x", "x"},
        {"as a second alternative", "ab|(?:x||c)c*x", "a.x", "x"},
        {"look-ahead on the first character", "(?=b)b*b", "b", "b"},
        {"look-ahead with a group", "(?=(b))c*b+?", "yb", "b"},
    });
}

TEST(PatternTranslator, UnrollingAndNestingStayWithinWhatPcreTakes)
{
    // Each level copies the one inside it: 2^40 copies, refused as too large at once.
    std::string unrolled = "a?";
    for (int level = 0; level < 40; ++level)
        unrolled = "(?:" + unrolled + ")+";
    const std::optional<TranslatedPattern> translated = PatternTranslator::Translate(unrolled);
    ASSERT_TRUE(translated.has_value());
    EXPECT_TRUE(translated->tooLarge);
    int error = 0;
    EXPECT_FALSE(CompiledPattern::Compile(unrolled, &error).has_value());
    EXPECT_NE(error, 0);
    // Nesting deeper than PCRE2 takes is refused the same way, without going deeper itself.
    const std::string nested = std::string(100000, '(') + "a" + std::string(100000, ')');
    EXPECT_TRUE(PatternTranslator::Translate(nested)->tooLarge);
    EXPECT_FALSE(CompiledPattern::Compile(nested, &error).has_value());
    EXPECT_NE(error, 0);
    // A few levels are fine.
    ExpectGroups({{"three levels", "(?:(?:(a?)+)+)+b", "aab", "aab", {"a"}}});
}
