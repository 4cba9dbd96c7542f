#include "PatternCache.h"

#include <gtest/gtest.h>

using namespace vortalux;

TEST(PatternCache, CompilesEachPatternOnce)
{
    PatternCache cache;
    const CompiledPattern* first = cache.Find("a(b)");
    ASSERT_NE(first, nullptr);
    cache.Find("c");
    EXPECT_EQ(cache.Find("a(b)"), first);
    EXPECT_EQ(cache.Find("a(b)"), first);
    EXPECT_EQ(cache.CompileCount(), 2u);
    EXPECT_EQ(first->GroupCount(), 1u);
}

TEST(PatternCache, RemembersInvalidPatterns)
{
    PatternCache cache;
    EXPECT_EQ(cache.Find("(a"), nullptr);
    EXPECT_EQ(cache.Find("x"), cache.Find("x"));
    EXPECT_EQ(cache.Find("(a"), nullptr);
    EXPECT_EQ(cache.CompileCount(), 2u);
}

TEST(PatternCache, DropsTheLeastRecentlyUsedWhenFull)
{
    PatternCache cache(2);
    cache.Find("a");
    cache.Find("b");
    cache.Find("a"); // "b" is now the least recently used
    cache.Find("c");
    EXPECT_EQ(cache.Size(), 2u);
    EXPECT_EQ(cache.CompileCount(), 3u);
    cache.Find("a");
    EXPECT_EQ(cache.CompileCount(), 3u);
    cache.Find("b");
    EXPECT_EQ(cache.CompileCount(), 4u);
    // A pattern evicted and compiled again still works.
    const CompiledPattern* b = cache.Find("b");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Execute("abc", MatchScope::FirstMatch).FirstIndex(0), 1u);
}

TEST(PatternCache, PatternsDifferingOnlyInBytesAreDistinct)
{
    PatternCache cache;
    const CompiledPattern* lower = cache.Find("a");
    const CompiledPattern* upper = cache.Find("A");
    const CompiledPattern* withNul = cache.Find(std::string_view("a\0", 2));
    EXPECT_NE(lower, upper);
    EXPECT_NE(lower, withNul);
    EXPECT_EQ(cache.CompileCount(), 3u);
}
