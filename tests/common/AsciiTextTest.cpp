#include "AsciiText.h"

#include <gtest/gtest.h>

using namespace vortalux;

TEST(AsciiText, FoldsOnlyAsciiLetters)
{
    EXPECT_EQ(AsciiLowerCopy("AbC\xC9z"), "abc\xC9z"); // 0xC9 (É in Windows-1252) stays
    EXPECT_EQ(AsciiUpperCopy("abc\xE9Z"), "ABC\xE9Z");
    EXPECT_TRUE(EqualsNoCase("SCRIPT", "Script"));
    EXPECT_FALSE(EqualsNoCase("\xC9", "\xE9"));
}

TEST(AsciiText, ComparesCaseBlindThenByLength)
{
    EXPECT_LT(CompareNoCase("abc", "ABD"), 0);
    EXPECT_GT(CompareNoCase("b", "A"), 0);
    EXPECT_LT(CompareNoCase("ab", "ABC"), 0);
    EXPECT_EQ(CompareNoCase("Main", "mAIN"), 0);
    // Bytes above 0x7F sort after ASCII, as unsigned values.
    EXPECT_LT(CompareNoCase("z", "\xE9"), 0);
}

TEST(AsciiText, PrefixAndSuffixIgnoreCase)
{
    EXPECT_TRUE(StartsWithNoCase("HTTP://site", "http://"));
    EXPECT_FALSE(StartsWithNoCase("htt", "http"));
    EXPECT_TRUE(EndsWithNoCase("rule.VTL", ".vtl"));
    EXPECT_FALSE(EndsWithNoCase("vtl", ".vtl"));
}

TEST(AsciiText, ReplaceAllScansLeftToRightWithoutRescanning)
{
    std::string text = "$1$1x$10";
    ReplaceAll(text, "$1", "a$1");
    EXPECT_EQ(text, "a$1a$1xa$10");
    std::string overlapping = "aaa";
    ReplaceAll(overlapping, "aa", "b");
    EXPECT_EQ(overlapping, "ba");
    std::string untouched = "abc";
    ReplaceAll(untouched, "", "x");
    EXPECT_EQ(untouched, "abc");
}

TEST(AsciiText, HexDigitsAndBlanks)
{
    EXPECT_EQ(HexValue('0'), 0);
    EXPECT_EQ(HexValue('a'), 10);
    EXPECT_EQ(HexValue('F'), 15);
    for (const char c : {'g', 'G', '/', ':', '@', '`', ' ', '\xC1'})
        EXPECT_EQ(HexValue(c), -1) << c;
    EXPECT_EQ(TrimAsciiBlanks(" \t\r\n\v\fa b\f\v\n\r\t "), "a b");
    EXPECT_EQ(TrimAsciiBlanks("\xA0x\xA0"), "\xA0x\xA0") << "a no-break space is no ASCII blank";
    EXPECT_EQ(TrimAsciiBlanks(" \t "), "");
    EXPECT_EQ(TrimBytes("\r x \r", " \t"), "\r x \r");
    EXPECT_EQ(TrimBytes("\t x \t", " \t"), "x");
    EXPECT_EQ(TrimBytes("  ", " "), "");
}
