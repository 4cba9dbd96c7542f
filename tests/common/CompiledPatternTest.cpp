#include "CompiledPattern.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace vortalux;
using namespace std::string_literals;

namespace {

constexpr MatchScope First = MatchScope::FirstMatch;
constexpr MatchScope Every = MatchScope::EveryMatch;

CompiledPattern MustCompile(std::string_view pattern)
{
    std::optional<CompiledPattern> compiled = CompiledPattern::Compile(pattern);
    if (!compiled)
        throw std::runtime_error("pattern refused: " + std::string(pattern));
    return std::move(*compiled);
}

// Every match as "index:value".
std::vector<std::string> Describe(const MatchList& matches)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < matches.Count(); ++i)
        out.push_back(std::to_string(matches.FirstIndex(i)) + ":" + std::string(matches.Value(i)));
    return out;
}

} // namespace

TEST(CompiledPattern, ReportsMatchesAndSubMatches)
{
    const CompiledPattern pattern = MustCompile("(a)(b)");
    const MatchList matches = pattern.Execute("xaby", MatchScope::FirstMatch);
    ASSERT_EQ(matches.Count(), 1u);
    EXPECT_EQ(matches.GroupCount(), 2u);
    EXPECT_EQ(matches.FirstIndex(0), 1u);
    EXPECT_EQ(matches.Length(0), 2u);
    EXPECT_EQ(matches.Value(0), "ab");
    EXPECT_EQ(matches.SubMatch(0, 1), "a");
    EXPECT_EQ(matches.SubMatch(0, 2), "b");
}

TEST(CompiledPattern, GroupThatDidNotTakePartIsEmpty)
{
    const CompiledPattern pattern = MustCompile("(x)?(y)|(z)");
    const MatchList matches = pattern.Execute("-y-z", MatchScope::EveryMatch);
    ASSERT_EQ(matches.Count(), 2u);
    EXPECT_FALSE(matches.Participated(0, 1));
    EXPECT_EQ(matches.SubMatch(0, 1), "");
    EXPECT_TRUE(matches.Participated(0, 2));
    EXPECT_FALSE(matches.Participated(0, 3));
    EXPECT_FALSE(matches.Participated(1, 2));
    EXPECT_EQ(matches.SubMatch(1, 3), "z");
}

TEST(CompiledPattern, GlobalSearchStepsPastEmptyMatches)
{
    struct Case {
        const char* pattern;
        const char* input;
        std::vector<std::string> matches;
    };
    const Case cases[] = {
        {"a*", "baaac", {"0:", "1:aaa", "4:", "5:"}},
        {"x*", "abc", {"0:", "1:", "2:", "3:"}},
        // No second try at the same place: "b" is never reached by the second alternative.
        {"x*|b", "b", {"0:", "1:"}},
        {"\\d+", "a12b34", {"1:12", "4:34"}},
        {"(?=b)", "abab", {"1:", "3:"}},
        {"", "ab", {"0:", "1:", "2:"}},
        {"a", "", {}},
        {"$", "ab", {"2:"}},
    };
    for (const Case& c : cases) {
        const CompiledPattern pattern = MustCompile(c.pattern);
        EXPECT_EQ(Describe(pattern.Execute(c.input, MatchScope::EveryMatch)), c.matches)
            << c.pattern << " over " << c.input;
    }
    const CompiledPattern pattern = MustCompile("\\d+");
    EXPECT_EQ(Describe(pattern.Execute("a12b34", MatchScope::FirstMatch)), std::vector<std::string> {"1:12"});
}

TEST(CompiledPattern, ReplacementSyntax)
{
    struct Case {
        const char* name;
        const char* pattern;
        const char* input;
        const char* replacement;
        MatchScope scope;
        const char* expected;
    };
    const Case cases[] = {
        {"group", "(\\d)(\\d)", "a12b", "[$2$1]", First, "a[21]b"},
        {"missing group is literal", "(\\d)", "a1b", "[$2]", First, "a[$2]b"},
        {"$0 is literal", "(\\d)", "a1", "$0", First, "a$0"},
        {"$00 is literal", "(\\d)", "a1", "$00", First, "a$00"},
        {"$01 is group 1", "(\\d)", "a1", "$01", First, "a1"},
        {"$10 with one group is group 1 and 0", "(\\d)", "a1", "$10", First, "a10"},
        {"$05 with one group is literal", "(\\d)", "a1", "$05", First, "a$05"},
        {"$10 with ten groups", "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "abcdefghij", "$10$1", First, "ja"},
        {"$11 with ten groups", "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "abcdefghij", "$11", First, "a1"},
        {"whole match", "b+", "abbc", "<$&>", First, "a<bb>c"},
        {"before and after", "b", "abc", "[$`|$']", First, "a[a|c]c"},
        {"dollar dollar", "b", "abc", "$$1$$", First, "a$1$c"},
        {"dollar at the end", "b", "abc", "x$", First, "ax$c"},
        {"dollar before a letter", "b", "abc", "$URL$x", First, "a$URL$xc"},
        {"group that did not take part", "(x)?b", "abc", "[$1]", First, "a[]c"},
        {"first match only", "o", "foo", "0", First, "f0o"},
        {"every match", "o", "foo", "0", Every, "f00"},
        {"global with empty matches", "x*", "abc", "-", Every, "-a-b-c-"},
        {"global before and after", "b", "abab", "($`)", Every, "a(a)a(aba)"},
        {"no match keeps the input", "z", "abc", "-", Every, "abc"},
        {"empty replacement", "thumb_", "http://site/i/thumb_1.jpg", "", First, "http://site/i/1.jpg"},
    };
    for (const Case& c : cases) {
        const CompiledPattern pattern = MustCompile(c.pattern);
        const CompiledPattern::Replacement replaced = pattern.Replace(c.input, c.replacement, c.scope);
        EXPECT_FALSE(replaced.limitExceeded) << c.name;
        EXPECT_EQ(replaced.text, c.expected) << c.name;
    }
    const CompiledPattern pattern = MustCompile("o");
    EXPECT_EQ(pattern.Replace("foo", "0", MatchScope::EveryMatch).matchCount, 2u);
    EXPECT_EQ(pattern.Replace("bar", "0", MatchScope::EveryMatch).matchCount, 0u);
}

TEST(CompiledPattern, OneCharacterPerByte)
{
    const std::string input = "caf\xe9 \xfc\xff\n!"s;
    const CompiledPattern anyButLf = MustCompile("[^ ]\\W");
    const MatchList matches = anyButLf.Execute(input, MatchScope::EveryMatch);
    EXPECT_EQ(Describe(matches), (std::vector<std::string> {"2:f\xe9", "5:\xfc\xff", "7:\n!"}));
    const CompiledPattern dots = MustCompile("(.)(.)$");
    const MatchList tail = dots.Execute("\xe9\xff", MatchScope::FirstMatch);
    ASSERT_EQ(tail.Count(), 1u);
    EXPECT_EQ(tail.SubMatch(0, 1), "\xe9");
    EXPECT_EQ(tail.Length(0), 2u);
    EXPECT_EQ(MustCompile("\xe9").Replace("a\xe9z", "e", MatchScope::FirstMatch).text, "aez");
}

TEST(CompiledPattern, CatastrophicBacktrackingCountsAsNoMatch)
{
    const std::string as(30, 'a');
    // PCRE2 sees that no "b" follows and gives up at once.
    EXPECT_TRUE(MustCompile("(a+)+b").Execute(as, MatchScope::FirstMatch).Empty());
    // Here it cannot, and the match limit ends the search.
    const CompiledPattern explosive = MustCompile("(a+)+[bc]");
    const MatchList matches = explosive.Execute(as, MatchScope::EveryMatch);
    EXPECT_TRUE(matches.LimitExceeded());
    EXPECT_TRUE(matches.Empty());
    const CompiledPattern::Replacement replaced = explosive.Replace(as, "x", MatchScope::EveryMatch);
    EXPECT_TRUE(replaced.limitExceeded);
    EXPECT_EQ(replaced.text, "");
    EXPECT_EQ(replaced.matchCount, 0u);
}

// One line of about 1 MiB, as minified markup is, ending in `tail`.
std::string OneLinePage(std::string_view tail)
{
    std::string page;
    page.reserve((size_t(1) << 20) + tail.size());
    while (page.size() < (size_t(1) << 20))
        page += "<a href=\"/p/1\"><img src=\"/t/1.png\"></a> ";
    page += tail;
    return page;
}

TEST(CompiledPattern, PatternAnchoredBehindALookAheadIsTriedAtTheStartOnly)
{
    // Tried at every start position, the look-ahead would scan the rest of the line each time:
    // minutes for this page.
    const CompiledPattern pattern = MustCompile("(?!.*\\.gif$)^.*\\.(\\w+)$");
    EXPECT_EQ(pattern.Anchor(), MatchAnchor::Start);
    const std::string jpg = OneLinePage("last.jpg");
    const MatchList found = pattern.Execute(jpg, Every);
    ASSERT_FALSE(found.LimitExceeded());
    ASSERT_EQ(found.Count(), 1u);
    EXPECT_EQ(found.FirstIndex(0), 0u);
    EXPECT_EQ(found.Length(0), jpg.size());
    EXPECT_EQ(found.SubMatch(0, 1), "jpg");
    const std::string gif = OneLinePage("last.gif");
    const MatchList none = pattern.Execute(gif, Every);
    EXPECT_FALSE(none.LimitExceeded());
    EXPECT_TRUE(none.Empty());
    // A positive look-ahead, and an anchor at the end.
    const MatchList positive = MustCompile("(?=.*\\.jpg$)^.*/(\\w+)\\.").Execute(jpg, First);
    ASSERT_EQ(positive.Count(), 1u);
    EXPECT_EQ(positive.SubMatch(0, 1), "1");
    const MatchList atEnd = MustCompile("(?!.*<)$").Execute(jpg, Every);
    ASSERT_EQ(atEnd.Count(), 1u);
    EXPECT_EQ(atEnd.FirstIndex(0), jpg.size());
}

TEST(CompiledPattern, CatastrophicBacktrackingAtManyStartPositionsSpendsTheCallsBudget)
{
    // Every block of a's costs its start positions up to half a million steps each, far below what
    // one start position could take before, together far above what one call may. Without a limit
    // on the whole call this finds the match at the end after some 200 million steps.
    std::string input;
    for (int block = 0; block < 200; ++block)
        input += std::string(18, 'a') + "x";
    input += "ab";
    const CompiledPattern pattern = MustCompile("(a+)+[bc]");
    const MatchList first = pattern.Execute(input, First);
    EXPECT_TRUE(first.LimitExceeded());
    EXPECT_TRUE(first.Empty());
    EXPECT_TRUE(pattern.Replace(input, "-", Every).limitExceeded);
    // The match alone is found.
    const std::string oneBlock = std::string(18, 'a') + "xab";
    const MatchList alone = pattern.Execute(oneBlock, First);
    ASSERT_EQ(alone.Count(), 1u);
    EXPECT_EQ(alone.Value(0), "ab");
}

TEST(CompiledPattern, StartPositionsPastTheirAllowanceFindTheSameMatches)
{
    // Lazy scans of 3000 bytes take more steps than a start position may take unnoticed: each such
    // start position runs again, on the call's budget and with more steps than the first time
    // again, and the search goes on after it.
    const std::string filler(3000, 'a');
    const std::string input = "x" + filler + "z-x" + filler + "y-w-x" + filler + "z";
    const CompiledPattern pattern = MustCompile("x([^y]*?)z|w");
    const MatchList matches = pattern.Execute(input, Every);
    ASSERT_FALSE(matches.LimitExceeded());
    ASSERT_EQ(matches.Count(), 3u);
    EXPECT_EQ(matches.FirstIndex(0), 0u);
    EXPECT_EQ(matches.SubMatch(0, 1), filler);
    // The second x finds a "y" before any "z": no match there, but at the "w" after it.
    EXPECT_EQ(matches.Value(1), "w");
    EXPECT_EQ(matches.FirstIndex(1), input.find('w'));
    EXPECT_EQ(matches.FirstIndex(2), input.rfind('x'));
    EXPECT_EQ(matches.Length(2), filler.size() + 2);
    const CompiledPattern::Replacement replaced = pattern.Replace(input, "<$1>", Every);
    EXPECT_EQ(replaced.matchCount, 3u);
    EXPECT_EQ(replaced.text, "<" + filler + ">-x" + filler + "y-<>-<" + filler + ">");
}

TEST(CompiledPattern, RepeatedGroupSpansAWholePage)
{
    // Each repetition of a group takes backtracking room; a page-sized run must not run out of it.
    std::string page;
    while (page.size() < (size_t(1) << 20))
        page += "ab";
    page += "c";
    const MatchList matches = MustCompile("(a|b)*c").Execute(page, MatchScope::FirstMatch);
    ASSERT_FALSE(matches.LimitExceeded());
    ASSERT_EQ(matches.Count(), 1u);
    EXPECT_EQ(matches.Length(0), page.size());
    EXPECT_EQ(matches.SubMatch(0, 1), "b");
}

TEST(CompiledPattern, ReplacementThatWouldOutgrowMemoryFails)
{
    // Every match brings in all the text before it: the output grows with the square of the input.
    const std::string input(size_t(1) << 16, 'x');
    const CompiledPattern::Replacement replaced
        = MustCompile("x").Replace(input, "$`", MatchScope::EveryMatch);
    EXPECT_TRUE(replaced.limitExceeded);
    EXPECT_EQ(replaced.text, "");
}

TEST(CompiledPattern, MovesAndRunsOnSeveralThreads)
{
    CompiledPattern moved = MustCompile("(\\d+)-(\\d+)");
    CompiledPattern pattern = std::move(moved);
    std::string input;
    for (int i = 0; i < 2000; ++i)
        input += std::to_string(i) + "-" + std::to_string(i * 7) + " ";
    const auto run = [&pattern, &input](size_t& sum) {
        for (int round = 0; round < 5; ++round) {
            const MatchList matches = pattern.Execute(input, MatchScope::EveryMatch);
            for (size_t i = 0; i < matches.Count(); ++i)
                sum += std::stoul(std::string(matches.SubMatch(i, 2)));
        }
    };
    size_t first = 0, second = 0;
    std::thread other(run, std::ref(second));
    run(first);
    other.join();
    const size_t expected = size_t(5) * 7 * (1999 * 2000 / 2);
    EXPECT_EQ(first, expected);
    EXPECT_EQ(second, expected);
}

TEST(CompiledPattern, OptionsChangeCaseAndLineAnchors)
{
    struct Case {
        const char* pattern;
        PatternOptions options;
        std::string input;
        std::vector<std::string> expected;
    };
    const PatternOptions none = PatternOptions::None;
    const PatternOptions icase = PatternOptions::IgnoreCase;
    const PatternOptions lines = PatternOptions::Multiline;
    const Case cases[] = {
        {"ab", none, "AB ab", {"3:ab"}},
        {"ab", icase, "AB aB", {"0:AB", "3:aB"}},
        {"[a-c]+", icase, "xAbC", {"1:AbC"}},
        {"(a)\\1", icase, "aA", {"0:aA"}},
        {"\\xe9", icase, "\xc9\xe9", {"1:\xe9"}}, // bytes beyond ASCII keep their case
        {"^\\w", none, "a\nb", {"0:a"}},
        {"^\\w", lines, "a\nb\rc\r\nd", {"0:a", "2:b", "4:c", "7:d"}},
        {"\\w$", lines, "a\nb\rc", {"0:a", "2:b", "4:c"}},
        {"\\w$", none, "a\nb", {"2:b"}},
        {"^$", lines, "a\r\n\nb", {"2:", "3:"}},
        {"^B", lines | icase, "a\nb", {"2:b"}},
        // Anchored patterns are no longer tried at the ends only.
        {"(?=x)^x", lines, "a\nx", {"2:x"}},
        {"$\\n", lines, "a\nb", {"1:\n"}},
    };
    for (const Case& c : cases) {
        PatternFault fault = PatternFault::Syntax;
        const std::optional<CompiledPattern> pattern = CompiledPattern::Compile(c.pattern, c.options, &fault);
        ASSERT_TRUE(pattern) << c.pattern;
        EXPECT_EQ(fault, PatternFault::None);
        EXPECT_EQ(Describe(pattern->Execute(c.input, Every)), c.expected) << c.pattern;
    }
    const std::optional<CompiledPattern> replaced = CompiledPattern::Compile("^", lines);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->Replace("a\nb", "> ", Every).text, "> a\n> b");
}

TEST(CompiledPattern, TellsWhyAPatternWasRefused)
{
    const std::pair<const char*, PatternFault> cases[] = {
        {"a**", PatternFault::UnexpectedQuantifier},
        {"*a", PatternFault::UnexpectedQuantifier},
        {"[ab", PatternFault::MissingBracket},
        {"(a(b)", PatternFault::MissingParenthesis},
        {"[z-a]", PatternFault::InvalidRange},
        {"a)", PatternFault::Syntax},
        {"(?<n>a)", PatternFault::Syntax},
        {"a\\", PatternFault::Syntax},
    };
    for (const auto& [text, expected] : cases) {
        PatternFault fault = PatternFault::None;
        EXPECT_FALSE(CompiledPattern::Compile(text, PatternOptions::None, &fault)) << text;
        EXPECT_EQ(fault, expected) << text;
    }
}
