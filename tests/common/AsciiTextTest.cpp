#include "AsciiText.h"
#include "NumberScanner.h"

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

TEST(AsciiText, PercentEncodingLeavesNoByteThatCouldEndALine)
{
    EXPECT_EQ(PercentEncodeUnsafeBytes(std::string("a b\r\nX:\t\x7F\x80\xFF\0%41/?=&", 19)),
        "a%20b%0D%0AX:%09%7F%80%FF%00%41/?=&");
    EXPECT_EQ(PercentEncodeUnsafeBytes("http://h/p?q=1#f"), "http://h/p?q=1#f");
    EXPECT_EQ(PercentEncodeUnsafeBytes("/\xE9t\xE9 x\r", HighBytes::Keep), "/\xE9t\xE9%20x%0D");
}

namespace {

constexpr NumberForms ScriptForms = NumberForms::Hexadecimal | NumberForms::Octal | NumberForms::DExponent;

std::optional<double> Value(std::string_view text, NumberForms forms = ScriptForms)
{
    const std::optional<ScannedNumber> number = ScanNumber(text, forms);
    return number ? std::optional<double>(number->value) : std::nullopt;
}

} // namespace

TEST(NumberScanner, DecimalShapes)
{
    EXPECT_EQ(Value("12"), 12.0);
    EXPECT_EQ(Value(" +1.5 "), 1.5);
    EXPECT_EQ(Value("-.5"), -0.5);
    EXPECT_EQ(Value("5."), 5.0);
    EXPECT_EQ(Value("1e3"), 1000.0);
    EXPECT_EQ(Value("1E-3"), 0.001);
    EXPECT_EQ(Value("2.5d2"), 250.0);
    EXPECT_EQ(Value("-2.5D+2"), -250.0);
    for (const char* text : {"", " ", ".", "-", "+-1", "1e", "1e+", "1.5.2", "1,5", "1 2", "inf", "nan",
             "0x10", "1f", "e3", "--1", "1e3.5"})
        EXPECT_EQ(Value(text), std::nullopt) << '"' << text << '"';
    EXPECT_EQ(Value("1D3", NumberForms::Decimal), std::nullopt) << "D only where asked for";
}

TEST(NumberScanner, TooLargeIsNoNumberAndTooSmallIsZero)
{
    EXPECT_EQ(Value("1e309"), std::nullopt);
    EXPECT_EQ(Value("-" + std::string(400, '9')), std::nullopt);
    EXPECT_EQ(Value("1e-400"), 0.0);
    EXPECT_EQ(Value("0.000000000000000000001e-320"), 0.0);
    EXPECT_EQ(Value("1e-310"), 1e-310) << "a denormal is still a number";
    EXPECT_EQ(Value("0e999999999999"), 0.0);
}

TEST(NumberScanner, HexadecimalAndOctalBitPatterns)
{
    const std::optional<ScannedNumber> hex = ScanNumber("&hFFFFFFFF", ScriptForms);
    ASSERT_TRUE(hex);
    EXPECT_EQ(hex->value, 4294967295.0);
    EXPECT_TRUE(hex->isBitPattern);
    EXPECT_FALSE(ScanNumber("42", ScriptForms)->isBitPattern);
    EXPECT_EQ(Value("&O37777777777"), 4294967295.0);
    EXPECT_EQ(Value("&o17"), 15.0);
    for (const char* text : {"&H", "&H123456789", "&O40000000000", "&O8", "&HG", "&X1", "& H1", "&H-1"})
        EXPECT_EQ(Value(text), std::nullopt) << text;
    EXPECT_EQ(Value("&O17", NumberForms::Hexadecimal), std::nullopt) << "octal only where asked for";
    EXPECT_EQ(Value("&H1F", NumberForms::Decimal), std::nullopt);
}
