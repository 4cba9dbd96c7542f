#include "ApplyPattern.h"
#include "AsciiText.h"
#include "TestSupport.h"
#include "UrlHelpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vortalux;
using namespace std::string_literals;

namespace {

constexpr PatternMode Find = PatternMode::Find;
constexpr PatternMode FillTemplate = PatternMode::FillTemplate;
constexpr PatternMode Replace = PatternMode::Replace;
constexpr MatchScope First = MatchScope::FirstMatch;
constexpr MatchScope Every = MatchScope::EveryMatch;

struct Step {
    const char* name;
    std::string pattern;
    std::string input;
    std::string templateText;
    PatternMode mode;
    MatchScope scope;
    std::string source;
    int expectedReturn;
    std::string expectedResult;
};

void Check(const std::vector<Step>& steps)
{
    for (const Step& step : steps) {
        const PatternResult result
            = ApplyPattern(step.pattern, step.input, step.mode, step.templateText, step.scope, step.source);
        EXPECT_EQ(result.value, step.expectedReturn) << step.name;
        EXPECT_EQ(result.text, step.expectedResult) << step.name;
    }
}

} // namespace

TEST(ApplyPattern, FindMode)
{
    Check({
        {"one group", "(\\d+)", "a12b34", "p$1", FillTemplate, First, "", 1, "p12"},
        {"one group, global", "(\\d+)", "a12b34", "p$1", FillTemplate, Every, "", 1, "p12\r\np34"},
        {"one line per match and group", "b(\\d)(\\d)", "ab12", "$1$2", FillTemplate, Every, "", 1,
            "1$2\r\n$12"},
        {"server part and group", "src=\"([^\"]+)\"", "<img src=\"img/1.jpg\">", "$SRV$1", FillTemplate,
            First, "http://site/x/y", 5, "http://site/img/1.jpg"},
        {"short source has no server part", "(a)", "a", "[$SRV|$URL]", FillTemplate, First, "http://a", 0,
            "[|http://a]"},
        {"source without slash after the host", "(a)", "a", "[$SRV]", FillTemplate, First,
            "http://site.example", 0, "[]"},
        {"no group: template untouched", "b", "abc", "x$URL", FillTemplate, First, "http://site/", 1,
            "x$URL"},
        {"no group, global: empty result", "b", "abcb", "x$1", FillTemplate, Every, "", 1, ""},
        {"$10 gets group 1 and 0", "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)", "abcdefghijk", "$10|$11",
            FillTemplate, First, "", 0, "a0|a1"},
        {"without template: position only", "(b)", "abc", "$1", Find, Every, "s", 1, "$1"},
        {"zero-based position", "c", "abc", "", Find, First, "", 2, ""},
        {"match at the start", "^a", "abc", "", Find, First, "", 0, ""},
        {"placeholders are case-sensitive", "(b)", "b", "$url$Srv$1", FillTemplate, First, "http://site/x", 0,
            "$url$Srvb"},
    });
}

TEST(ApplyPattern, SubstitutionOrderWithoutGlobal)
{
    Check({
        // "$URL" and "$SRV" are replaced right after group 1: text that group 1 brings in is
        // replaced, text that a later group brings in is not.
        {"group 1 brings $URL", "^(\\S+) (\\S+)$", "$URL x", "[$1]", FillTemplate, First, "S", 0, "[S]"},
        {"group 2 brings $URL", "^(\\S+) (\\S+)$", "$2 $URL", "[$1]", FillTemplate, First, "S", 0, "[$URL]"},
        {"group 1 brings $2", "^(\\S+) (\\S+)$", "$2 two", "$1", FillTemplate, First, "", 0, "two"},
    });
}

TEST(ApplyPattern, GlobalLines)
{
    Check({
        {"matches in order", "<a href=\"([^\"]+)\">",
            "<a href=\"1.jpg\"> <a href=\"2.jpg\"> <a href=\"3.jpg\">", "$SRV$1", FillTemplate, Every,
            "http://host/page.html", 0, "http://host/1.jpg\r\nhttp://host/2.jpg\r\nhttp://host/3.jpg"},
        {"empty matches step on", "(x*)", "ab", "[$1]", FillTemplate, Every, "", 0, "[]\r\n[]\r\n[]"},
        // No CR LF is added while the result is empty.
        {"empty lines at the start vanish", "<(\\w*)>", "<><a><><b>", "$1", FillTemplate, Every, "", 0,
            "a\r\n\r\nb"},
        // The whole result is searched again after every line, also what the source brought in.
        {"source brought in is replaced again", "(\\d)", "12", "$URL$1", FillTemplate, Every, "x$URL", 0,
            "xx$URL1\r\nx$URL2"},
        {"group text is substituted too", "\\[(.*?)\\]", "[$URL][b]", "$1", FillTemplate, Every, "S", 0,
            "S\r\nb"},
        {"one group that did not take part", "(a)|(b)", "ab", "<$1$2>", FillTemplate, Every, "", 0,
            "<a$2>\r\n<$1>\r\n<$2>\r\n<$1b>"},
    });
}

TEST(ApplyPattern, ReplaceMode)
{
    Check({
        {"drop a part", "thumb_", "http://site/i/thumb_1.jpg", "", Replace, First, "", 1,
            "http://site/i/1.jpg"},
        {"groups", "^http://([^/]+)/t/(\\d+)\\.jpg$", "http://host/t/42.jpg", "http://$1/full/$2.jpg",
            Replace, First, "", 1, "http://host/full/42.jpg"},
        {"first only", "o", "foo", "0", Replace, First, "", 1, "f0o"},
        {"global", "o", "foo", "0", Replace, Every, "", 1, "f00"},
        {"source placeholders after the replace", "^.*$", "x", "$SRV|$URL|$&", Replace, First,
            "http://site/a/b", 1, "http://site/|http://site/a/b|x"},
        {"$$URL becomes $URL, then the source", "x", "x", "$$URL", Replace, First, "S", 1, "S"},
        {"first match, replace", "b", "abc", "_", Replace, First, "", 1, "a_c"},
    });
}

TEST(ApplyPattern, FailureKeepsTheTemplate)
{
    const std::string as(30, 'a');
    Check({
        {"no match", "(z)", "abc", "t$1", FillTemplate, First, "", -1, "t$1"},
        {"no match, replace", "z", "abc", "t", Replace, First, "", -1, "t"},
        {"invalid pattern", "(a", "(a", "t$1", FillTemplate, Every, "", -1, "t$1"},
        {"look-behind is invalid", "(?<=a)b", "ab", "t", Replace, First, "", -1, "t"},
        {"empty pattern", "", "abc", "t", Find, First, "", -1, "t"},
        {"empty pattern, replace", "", "abc", "t", Replace, Every, "", -1, "t"},
        {"empty input", "a", "", "t", Find, First, "", -1, "t"},
        {"backtracking without end", "(a+)+b", as, "t", FillTemplate, Every, "", -1, "t"},
        {"match limit", "(a+)+[bc]", as, "t", FillTemplate, First, "", -1, "t"},
        {"match limit, replace", "(a+)+[bc]", as, "t", Replace, Every, "", -1, "t"},
    });
}

TEST(ApplyPattern, OneCharacterPerByte)
{
    Check({
        {"high bytes are characters", "(.)(.)", "\xe9\xff", "$2$1", FillTemplate, First, "", 0, "\xff\xe9"},
        {"position counts bytes", "b",
            "\xe9\xe8"
            "b",
            "", Find, First, "", 2, ""},
        {"dot stops at LF only", "a(.*)", "x a\r\xa0\nb", "[$1]", FillTemplate, First, "", 2, "[\r\xa0]"},
        {"NUL in the input", "(b)", "a\0b"s, "$1", FillTemplate, First, "", 2, "b"},
    });
}

TEST(ApplyPattern, EmptyIterationsDoNotShapeAddresses)
{
    Check({
        {"optional group with an empty branch", "id=(|\\d+)?", "view.php?id=12", "http://site/full/$1.jpg",
            FillTemplate, First, "", 9, "http://site/full/12.jpg"},
        {"plus over a star", "/(\\w*)+\\.jpg$", "http://site/t/abc.jpg", "/full/$1.png", Replace, First, "",
            1, "http://site/t/full/abc.png"},
        {"repeated reference to a group that took no part", "(a)?\\1+b", "xb", "[$1]", FillTemplate, First,
            "", 1, "[]"},
    });
}

TEST(ApplyPattern, PageSearchOverAOneLinePage)
{
    // A minified page is one line: a look-ahead over ".*" before "^" must not be tried at every
    // start position (minutes for this page).
    std::string page;
    while (page.size() < (size_t(1) << 20))
        page += "<div class=\"post\"><img src=\"/t/1.png\"></div>";
    const std::string pattern = "(?!.*\\.gif$)^.*\\.(\\w+)$";
    Check({
        {"matching", pattern, page + "last.jpg", "$1", FillTemplate, Every, "", 0, "jpg"},
        {"not matching", pattern, page + "last.gif", "$1", FillTemplate, Every, "", -1, "$1"},
    });
}

TEST(ApplyPattern, BacktrackingAtManyStartPositionsEndsAsNoMatch)
{
    // No start position takes long, all of them together would: the call's budget ends the step.
    std::string page;
    for (int block = 0; block < 200; ++block)
        page += std::string(18, 'a') + "x";
    page += "ab";
    Check({
        {"find", "(a+)+[bc]", page, "t$1", FillTemplate, First, "", -1, "t$1"},
        {"replace", "(a+)+[bc]", page, "t", Replace, Every, "", -1, "t"},
        {"alone it matches", "(a+)+[bc]", "aaxab", "t$1", FillTemplate, First, "", 3, "ta"},
    });
}

TEST(ApplyPattern, SourceThatKeepsComingBackFails)
{
    // Every line brings the source in again after every later line, and the source brings "$URL"
    // back: the exact result would grow with the square of the match count. The step fails instead.
    const std::string source = "$URL" + std::string(1000, 's');
    Check({
        {"source brings $URL back", "(x)", std::string(20000, 'x'), "$URL", FillTemplate, Every, source, -1,
            "$URL"},
        // Two occurrences double the text at every substitution.
        {"source doubles", "(x*)", std::string(300, 'y'), "$1$URL", FillTemplate, Every, "$URL$URL", -1,
            "$1$URL"},
    });
}

TEST(ApplyPattern, SamePatternGlobalAndNotGlobal)
{
    // The compiled pattern is shared between calls; the global flag belongs to each call.
    for (int round = 0; round < 2; ++round) {
        Check({
            {"first", "(\\d)", "a1b2", "$1", FillTemplate, First, "", 1, "1"},
            {"every", "(\\d)", "a1b2", "$1", FillTemplate, Every, "", 1, "1\r\n2"},
        });
    }
}

// An input found by fuzzing, split as the fuzz target splits it: a flag byte, then pattern, template
// and source each ended by a NUL byte, then the input, which is a view without a buffer when the
// file ends with the source.
struct FuzzCase {
    std::string data;
    std::string_view pattern, templateText, source, input;
};

FuzzCase ReadFuzzCase(std::string_view name)
{
    FuzzCase fuzzCase;
    fuzzCase.data = test::ReadFileBytes(test::TestDataPath(name));
    std::string_view rest = std::string_view(fuzzCase.data).substr(1);
    for (std::string_view* field : {&fuzzCase.pattern, &fuzzCase.templateText, &fuzzCase.source}) {
        const size_t end = rest.find('\0');
        *field = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    fuzzCase.input = rest;
    return fuzzCase;
}

TEST(ApplyPattern, FuzzFindingRunawaySourceSubstitution)
{
    // A source with two "$URL" in it, and some hundred empty matches: the exact result doubles with
    // every line. It took seconds to refuse before the repeated substitution had a budget.
    const FuzzCase fuzzCase = ReadFuzzCase("RunawaySourceSubstitution.bin");
    const std::string templateText(fuzzCase.templateText);
    const PatternResult every
        = ApplyPattern(fuzzCase.pattern, fuzzCase.input, FillTemplate, templateText, Every, fuzzCase.source);
    EXPECT_EQ(every.value, -1);
    EXPECT_EQ(every.text, templateText);
    // Without global the source is substituted once, and the "$URL" it brings stays.
    const PatternResult first
        = ApplyPattern(fuzzCase.pattern, fuzzCase.input, FillTemplate, templateText, First, fuzzCase.source);
    EXPECT_EQ(first.value, 0);
    std::string once = templateText;
    ReplaceAll(once, "$URL", fuzzCase.source);
    ReplaceAll(once, "$SRV", ServerPart(fuzzCase.source));
    EXPECT_EQ(first.text, once);
}

TEST(ApplyPattern, FuzzFindingEmptyInputWithoutBuffer)
{
    // A quantified look-ahead over an empty input whose view has no buffer: PCRE2's JIT code read
    // through the null subject and crashed.
    const FuzzCase fuzzCase = ReadFuzzCase("EmptyInputWithoutBuffer.bin");
    ASSERT_EQ(fuzzCase.input.data(), nullptr);
    for (const MatchScope scope : {First, Every}) {
        EXPECT_EQ(
            ApplyPattern(fuzzCase.pattern, fuzzCase.input, Find, fuzzCase.templateText, scope).value, 0);
        const PatternResult replaced
            = ApplyPattern(fuzzCase.pattern, fuzzCase.input, Replace, fuzzCase.templateText, scope);
        EXPECT_EQ(replaced.value, 1);
        EXPECT_EQ(replaced.text, fuzzCase.templateText);
    }
    const PatternResult filled = ApplyPattern("(?=(a)?b)*", std::string_view(), FillTemplate, "[$1]", First);
    EXPECT_EQ(filled.value, 0);
    EXPECT_EQ(filled.text, "[]");
}
