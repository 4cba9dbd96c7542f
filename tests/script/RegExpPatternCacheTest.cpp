// The per-thread cache of RegExp's compiled patterns: shared only between the same text and
// options, bounded, and gone with its thread (the sanitizer build checks that nothing is left).
#include "RegExpPatternCache.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

using namespace vortalux;
using namespace vortalux::script;

namespace {

constexpr PatternOptions Caseless = PatternOptions::IgnoreCase;
constexpr PatternOptions Lines = PatternOptions::Multiline;

bool Matches(const RegExpPatternCache::PatternRef& pattern, std::string_view text)
{
    return pattern && !pattern->Execute(text, MatchScope::FirstMatch).Empty();
}

// A run of "a" whose text and compiled form take at least `least` bytes; empty when PCRE2 refuses
// one that long.
std::string LiteralOfSize(size_t least)
{
    for (size_t length = 1000;; length *= 2) {
        const std::string pattern(length, 'a');
        const std::optional<CompiledPattern> compiled = CompiledPattern::Compile(pattern);
        if (!compiled)
            return {};
        if (pattern.size() + compiled->MemoryBytes() >= least)
            return pattern;
    }
}

TEST(RegExpPatternCache, SharesAPatternOnlyForTheSameTextAndOptions)
{
    RegExpPatternCache cache;
    PatternFault fault = PatternFault::Syntax;
    const auto plain = cache.Find("^a.c$", PatternOptions::None, fault);
    EXPECT_EQ(fault, PatternFault::None);
    EXPECT_EQ(cache.Find("^a.c$", PatternOptions::None, fault), plain);
    const auto caseless = cache.Find("^a.c$", Caseless, fault);
    const auto multiline = cache.Find("^a.c$", Lines, fault);
    const auto both = cache.Find("^a.c$", Caseless | Lines, fault);
    EXPECT_NE(caseless, plain);
    EXPECT_NE(multiline, plain);
    EXPECT_NE(both, caseless);
    EXPECT_EQ(cache.CompileCount(), 4u);
    // Each answers as its own options say.
    EXPECT_FALSE(Matches(plain, "ABC"));
    EXPECT_TRUE(Matches(caseless, "ABC"));
    EXPECT_FALSE(Matches(caseless, "x\nabc"));
    EXPECT_TRUE(Matches(multiline, "x\nabc"));
    EXPECT_TRUE(Matches(both, "x\nABC"));
    // Texts that differ only past a shared beginning, or in one byte, are different patterns.
    const auto longer = cache.Find("^a.c$x", PatternOptions::None, fault);
    const auto other = cache.Find("^a.d$", PatternOptions::None, fault);
    EXPECT_NE(longer, plain);
    EXPECT_FALSE(Matches(other, "abc"));
    EXPECT_EQ(cache.CompileCount(), 6u);
}

TEST(RegExpPatternCache, InvalidPatternsSayWhyAndAreNotKept)
{
    RegExpPatternCache cache;
    const std::pair<const char*, PatternFault> bad[] = {{"a(b", PatternFault::MissingParenthesis},
        {"[ab", PatternFault::MissingBracket}, {"*a", PatternFault::UnexpectedQuantifier}};
    for (const auto& [pattern, expected] : bad) {
        PatternFault fault = PatternFault::None;
        EXPECT_EQ(cache.Find(pattern, PatternOptions::None, fault), nullptr) << pattern;
        EXPECT_EQ(fault, expected) << pattern;
        // Asked again, it is refused again, for the same reason.
        fault = PatternFault::None;
        EXPECT_EQ(cache.Find(pattern, PatternOptions::None, fault), nullptr) << pattern;
        EXPECT_EQ(fault, expected) << pattern;
    }
    EXPECT_EQ(cache.Size(), 0u);
    EXPECT_EQ(cache.Bytes(), 0u);
}

TEST(RegExpPatternCache, StaysWithinItsBoundsDroppingTheLeastRecentlyUsed)
{
    RegExpPatternCache cache;
    PatternFault fault = PatternFault::None;
    const auto first = cache.Find("p0", PatternOptions::None, fault);
    for (size_t i = 1; i < RegExpPatternCache::Capacity + 8; ++i) {
        // "p0" stays in use; "p1" is used once and then left alone.
        ASSERT_NE(cache.Find("p" + std::to_string(i), PatternOptions::None, fault), nullptr);
        EXPECT_EQ(cache.Find("p0", PatternOptions::None, fault), first);
        EXPECT_LE(cache.Size(), RegExpPatternCache::Capacity);
    }
    EXPECT_EQ(cache.Size(), RegExpPatternCache::Capacity);
    const size_t compiled = cache.CompileCount();
    EXPECT_NE(cache.Find("p1", PatternOptions::None, fault), nullptr);
    EXPECT_EQ(cache.CompileCount(), compiled + 1);

    // Large patterns: one past the size of an entry is compiled but not kept, and however many
    // fit in an entry, together they stay under the cache's bound.
    const std::string huge = LiteralOfSize(RegExpPatternCache::MaxEntryBytes + 1);
    ASSERT_FALSE(huge.empty());
    const auto unkept = cache.Find(huge, PatternOptions::None, fault);
    EXPECT_TRUE(Matches(unkept, huge));
    EXPECT_NE(cache.Find(huge, PatternOptions::None, fault), unkept);
    const std::string large = LiteralOfSize(2 * RegExpPatternCache::MaxBytes / RegExpPatternCache::Capacity);
    ASSERT_FALSE(large.empty());
    ASSERT_LE(
        large.size() + CompiledPattern::Compile(large)->MemoryBytes(), RegExpPatternCache::MaxEntryBytes);
    for (size_t i = 0; i < RegExpPatternCache::Capacity; ++i) {
        const std::string pattern = std::to_string(i) + large;
        EXPECT_TRUE(Matches(cache.Find(pattern, PatternOptions::None, fault), pattern));
        EXPECT_LE(cache.Bytes(), RegExpPatternCache::MaxBytes);
    }
    EXPECT_LT(cache.Size(), RegExpPatternCache::Capacity / 2);
    cache.Clear();
    EXPECT_EQ(cache.Size(), 0u);
    EXPECT_EQ(cache.Bytes(), 0u);
    // A pattern a caller holds outlives its entry.
    EXPECT_TRUE(Matches(first, "p0"));
}

TEST(RegExpPatternCache, EachThreadHasItsOwnAndItGoesWithTheThread)
{
    PatternFault fault = PatternFault::None;
    RegExpPatternCache& mine = RegExpPatternCache::ForThisThread();
    const auto here = mine.Find("thread(s)?", Caseless, fault);
    const size_t compiled = mine.CompileCount();
    RegExpPatternCache::PatternRef there;
    std::thread other([&there] {
        PatternFault otherFault = PatternFault::None;
        RegExpPatternCache& theirs = RegExpPatternCache::ForThisThread();
        there = theirs.Find("thread(s)?", Caseless, otherFault);
        // Patterns the thread keeps only for itself: left to the thread's end.
        for (int i = 0; i < 10; ++i)
            (void)theirs.Find("kept" + std::to_string(i), PatternOptions::None, otherFault);
        EXPECT_EQ(theirs.CompileCount(), 11u);
    });
    other.join();
    EXPECT_NE(there, here);
    EXPECT_TRUE(Matches(there, "THREADS"));
    EXPECT_EQ(mine.Find("thread(s)?", Caseless, fault), here);
    EXPECT_EQ(mine.CompileCount(), compiled);
}

} // namespace
