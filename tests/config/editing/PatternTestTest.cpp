#include "PatternTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vortalux;

namespace {

using Row = std::vector<std::string>;
constexpr MatchScope First = MatchScope::FirstMatch;
constexpr MatchScope Every = MatchScope::EveryMatch;
constexpr PatternTestMode Search = PatternTestMode::Search;
constexpr PatternTestMode Replace = PatternTestMode::Replace;
constexpr ResultPreview Off = ResultPreview::Off;
constexpr ResultPreview On = ResultPreview::On;

struct Case {
    const char* name;
    std::string pattern;
    std::string sample;
    std::string result;
    PatternTestMode mode;
    MatchScope scope;
    ResultPreview preview;
    std::string status;
    std::vector<Row> rows;
    std::string previewText;
};

std::vector<Row> Rows(const PatternTest& test)
{
    std::vector<Row> rows;
    for (size_t row = 0; row < test.RowCount(); ++row)
        rows.push_back(
            {test.Cell(row, PatternTest::Column::Number), test.Cell(row, PatternTest::Column::Value),
                test.Cell(row, PatternTest::Column::Position), test.Cell(row, PatternTest::Column::Length)});
    return rows;
}

void Check(const std::vector<Case>& cases)
{
    PatternTest test; // one object for all: a run must not keep anything of the one before
    for (const Case& c : cases) {
        test.Run({c.pattern, c.result, c.mode, c.scope, c.preview}, c.sample);
        EXPECT_EQ(test.Status(), c.status) << c.name;
        EXPECT_EQ(Rows(test), c.rows) << c.name;
        EXPECT_EQ(test.Preview(), c.previewText) << c.name;
    }
}

} // namespace

TEST(PatternTest, SearchModeRowsAndCounts)
{
    Check({
        {"match with two sub-matches", "(a)(b)", "xaby", "", Search, First, Off, "1 occurrence found",
            {{"1", "ab", "1", "2"}, {"  $1", "a", "", "1"}, {"  $2", "b", "", "1"}}, ""},
        {"two matches", "\\d+", "a12b345", "", Search, Every, Off, "2 occurrences found",
            {{"1", "12", "1", "2"}, {"2", "345", "4", "3"}}, ""},
        {"not global: the first match only", "\\d+", "a12b345", "", Search, First, Off, "1 occurrence found",
            {{"1", "12", "1", "2"}}, ""},
        {"group that took no part", "(a)|(b)", "b", "", Search, First, Off, "1 occurrence found",
            {{"1", "b", "0", "1"}, {"  $1", "", "", "0"}, {"  $2", "b", "", "1"}}, ""},
        {"positions count bytes", "ab", "\xc3\xa9\r\nab", "", Search, First, Off, "1 occurrence found",
            {{"1", "ab", "4", "2"}}, ""},
        {"ten groups", "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "abcdefghij", "", Search, First, Off,
            "1 occurrence found",
            {{"1", "abcdefghij", "0", "10"}, {"  $1", "a", "", "1"}, {"  $2", "b", "", "1"},
                {"  $3", "c", "", "1"}, {"  $4", "d", "", "1"}, {"  $5", "e", "", "1"},
                {"  $6", "f", "", "1"}, {"  $7", "g", "", "1"}, {"  $8", "h", "", "1"},
                {"  $9", "i", "", "1"}, {"  $10", "j", "", "1"}},
            ""},
        {"no match", "z", "xaby", "", Search, Every, Off, "No occurrence found", {}, ""},
        {"empty pattern matches everywhere, counts as none", "", "xaby", "", Search, Every, Off,
            "No occurrence found", {}, ""},
        {"unbalanced parenthesis", "(a", "xaby", "", Search, Every, Off, "Invalid pattern", {}, ""},
        {"look-behind is not of the dialect", "(?<=x)a", "xaby", "", Search, Every, Off, "Invalid pattern",
            {}, ""},
        {"catastrophic backtracking counts as no match", "(a+)+$", std::string(40, 'a') + "!", "", Search,
            Every, Off, "No occurrence found", {}, ""},
    });
}

TEST(PatternTest, ResultPreviewInTheStatusLine)
{
    Check({
        {"sub-match and sample address", "src=\"([^\"]+)\"", "<img src=\"a.jpg\">", "$1$URL", Search, First,
            On, "a.jpghttp://www.example.com/path/",
            {{"1", "src=\"a.jpg\"", "5", "11"}, {"  $1", "a.jpg", "", "5"}}, ""},
        {"server part", "(\\w+)\\.jpg", "x.jpg", "$SRVimg/$1.png", Search, First, On,
            "http://www.example.com/img/x.png", {{"1", "x.jpg", "0", "5"}, {"  $1", "x", "", "1"}}, ""},
        {"the first match fills the template, later ones find nothing left", "(\\d)", "1 2 3", "<$1>", Search,
            Every, On, "<1>",
            {{"1", "1", "0", "1"}, {"  $1", "1", "", "1"}, {"2", "2", "2", "1"}, {"  $1", "2", "", "1"},
                {"3", "3", "4", "1"}, {"  $1", "3", "", "1"}},
            ""},
        {"a sub-match that brings $1 back is filled by the next match", "(\\S+)", "$1 q", "$1", Search, Every,
            On, "q",
            {{"1", "$1", "0", "2"}, {"  $1", "$1", "", "2"}, {"2", "q", "3", "1"}, {"  $1", "q", "", "1"}},
            ""},
        {"$10 is hit by $1 first", "(a)", "a", "$10", Search, First, On, "a0",
            {{"1", "a", "0", "1"}, {"  $1", "a", "", "1"}}, ""},
        {"unticked: the count", "(a)", "a", "$1", Search, First, Off, "1 occurrence found",
            {{"1", "a", "0", "1"}, {"  $1", "a", "", "1"}}, ""},
        {"no match: the count's text, not the template", "(z)", "a", "$1", Search, First, On,
            "No occurrence found", {}, ""},
    });
}

TEST(PatternTest, ReplacePreview)
{
    Check({
        {"first match only", "(\\d+)", "a1b22", "<$1>", Replace, First, Off, "1 occurrence found", {},
            "a<1>b22"},
        {"every match", "(\\d+)", "a1b22", "<$1>", Replace, Every, Off, "2 occurrences found", {},
            "a<1>b<22>"},
        {"sample address and server part after the replace", "^.*/(\\w+)_t\\.jpg$", "http://h/p/7_t.jpg",
            "$URL|$SRV$1.jpg", Replace, First, Off, "1 occurrence found", {},
            "http://www.example.com/path/|http://www.example.com/7.jpg"},
        {"$URL made by the replace is substituted too", "x", "$URx", "L", Replace, First, Off,
            "1 occurrence found", {}, "http://www.example.com/path/"},
        {"result preview ticked plays no part", "a", "a", "b$1", Replace, First, On, "1 occurrence found", {},
            "b$1"},
        {"invalid: no preview", "a)", "a", "b", Replace, Every, Off, "Invalid pattern", {}, ""},
        {"no match: no preview", "z", "a", "b", Replace, Every, Off, "No occurrence found", {}, ""},
    });
}

TEST(PatternTest, MatchRangesForHighlighting)
{
    PatternTest test;
    test.Run({"b+", "", Search, Every, Off}, "abbcb");
    ASSERT_EQ(test.MatchCount(), 2u);
    EXPECT_EQ(test.MatchStart(0), 1u);
    EXPECT_EQ(test.MatchLength(0), 2u);
    EXPECT_EQ(test.MatchStart(1), 4u);
    EXPECT_EQ(test.MatchLength(1), 1u);

    test.Run({"b+", "x", Replace, Every, Off}, "abbcb");
    EXPECT_EQ(test.MatchCount(), 2u) << "replace mode highlights too";
    test.Run({"(b", "", Search, Every, Off}, "abbcb");
    EXPECT_EQ(test.MatchCount(), 0u);
    test.Run({"", "", Search, Every, Off}, "abbcb");
    EXPECT_EQ(test.MatchCount(), 0u) << "the empty pattern highlights nothing";
}

// Each "$1" of the template is replaced by a sub-match holding two of them: the preview would
// double with every match. It stops growing and the status keeps the count.
TEST(PatternTest, ResultPreviewThatWouldGrowWithoutEnd)
{
    std::string sample;
    for (int i = 0; i < 60; ++i)
        sample += "$1$1 ";
    PatternTest test;
    test.Run({"(\\S+)", "$1", Search, Every, On}, sample);
    EXPECT_EQ(test.Status(), "60 occurrences found");
    EXPECT_EQ(test.RowCount(), 120u);
}

// A pattern of 100 KB and a sample of 20 MB finish, and still give their exact answer. PCRE2 refuses
// to compile a pattern that large (its compiled form passes 64 KB), as it does in the rules.
TEST(PatternTest, LargePatternAndSample)
{
    std::string sample(20 << 20, '.');
    for (size_t at = 999; at < sample.size(); at += 1000)
        sample[at] = 'x';
    std::string pattern;
    while (pattern.size() < 100'000)
        pattern += "(?:ab|cd)";
    PatternTest test;
    test.Run({pattern, "", Search, Every, Off}, sample);
    EXPECT_EQ(test.Status(), "Invalid pattern");
    test.Run({std::string(30'000, 'x'), "", Search, Every, Off}, sample);
    EXPECT_EQ(test.Status(), "No occurrence found");

    test.Run({"x", "", Search, Every, Off}, sample);
    EXPECT_EQ(test.Status(), "20971 occurrences found");
    EXPECT_EQ(test.Cell(20970, PatternTest::Column::Position), "20970999");

    test.Run({"(\\.|\\.\\.)+[!?]", "", Search, Every, Off}, std::string(sample, 0, 20000));
    EXPECT_EQ(test.Status(), "No occurrence found") << "the match limit ends it";
}
