#include "ProfileFile.h"
#include "CommaDecimalLocale.h"
#include "ProfileNumber.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace vortalux;
using vortalux::test::ReadFileBytes;
using vortalux::test::TempDir;
using vortalux::test::WriteFileBytes;

namespace fs = std::filesystem;

namespace {

ProfileFile Parse(std::string_view bytes) { return ProfileFile::FromBytes("unused.ini", bytes); }

} // namespace

TEST(ProfileFileRead, AbsentEmptyAndPresentValues)
{
    const ProfileFile file = Parse("[Main]\r\nver=1\r\nType=\r\nflag\r\n");
    EXPECT_EQ(file.Read("Main", "ver", "x"), "1");
    // Present but empty: empty, not the default.
    EXPECT_EQ(file.Read("Main", "Type", "0"), "");
    EXPECT_TRUE(file.Contains("Main", "Type"));
    // Absent key, absent section, a line without "=": the default.
    EXPECT_EQ(file.Read("Main", "Active", "1"), "1");
    EXPECT_EQ(file.Read("SR", "nb", "0"), "0");
    EXPECT_EQ(file.Read("Main", "flag", "d"), "d");
    EXPECT_FALSE(file.Contains("Main", "flag"));
}

TEST(ProfileFileRead, NamesAreCaseBlindAndTheFirstMatchWins)
{
    const ProfileFile file = Parse("[main]\nVER=first\nver=second\n[MAIN]\nother=x\n");
    EXPECT_EQ(file.Read("Main", "ver", ""), "first");
    // Only the first matching section is searched.
    EXPECT_EQ(file.Read("Main", "other", "none"), "none");
    EXPECT_EQ(file.Read("Referer", "Regexp", "d"), "d");
}

TEST(ProfileFileRead, TrimsBlanksAndOnePairOfMatchingQuotes)
{
    const ProfileFile file = Parse("  [Main]  \r\n"
                                   "  a  =  spaced value \t\r\n"
                                   "b=\"quoted \"\r\n"
                                   "c='single'\r\n"
                                   "d=\"mismatched'\r\n"
                                   "e=\"\"inner\"\"\r\n"
                                   "f=\"\r\n"
                                   "g=a=b\r\n");
    EXPECT_EQ(file.Read("main", "A", ""), "spaced value");
    EXPECT_EQ(file.Read("Main", "b", ""), "quoted ");
    EXPECT_EQ(file.Read("Main", "c", ""), "single");
    EXPECT_EQ(file.Read("Main", "d", ""), "\"mismatched'");
    EXPECT_EQ(file.Read("Main", "e", ""), "\"inner\"");
    EXPECT_EQ(file.Read("Main", "f", ""), "\"");
    EXPECT_EQ(file.Read("Main", "g", ""), "a=b");
}

TEST(ProfileFileRead, LongValuesAreCutTo2047Characters)
{
    const std::string value(3000, 'v');
    const ProfileFile file = Parse("[Main]\r\nIdent=" + value + "\r\n");
    EXPECT_EQ(file.Read("Main", "Ident", ""), value.substr(0, 2047));
}

TEST(ProfileFileRead, LineEndingsBomAndOddLines)
{
    const ProfileFile file
        = Parse("\xEF\xBB\xBF[Main]\nver=1\r\n[broken\n=nameless\n[SCRIPT]\nSub X\n  y = 2\nEnd Sub");
    EXPECT_EQ(file.Read("Main", "ver", ""), "1");
    // "[broken" is a key line of Main without a value; "=nameless" a key with an empty name.
    EXPECT_EQ(file.Read("Main", "[broken", "d"), "d");
    EXPECT_EQ(file.Read("Main", "", "d"), "nameless");
    EXPECT_EQ(file.Read("SCRIPT", "y", ""), "2");
    EXPECT_EQ(Parse("").Read("Main", "ver", "d"), "d");
}

TEST(ProfileFileRead, MissingFileOrFolderReadsAsEmpty)
{
    TempDir dir;
    EXPECT_EQ(ProfileFile::ReadValue(dir / "none.vtl", "Main", "ver", "d"), "d");
    fs::create_directory(dir / "x.vtl");
    EXPECT_EQ(ProfileFile::ReadValue(dir / "x.vtl", "Main", "ver", "d"), "d");
}

TEST(ProfileFileWrite, ReplacesOneValueAndKeepsEveryOtherByte)
{
    const std::string before = "; comment line\r\n"
                               "[Main]\r\n"
                               "  Ver = 1 \r\n"
                               "Default=1\r\n"
                               "\r\n"
                               "[SCRIPT]\r\n"
                               "\r\n"
                               "Sub AddLink(r, u, n)\r\n"
                               "  x = \"a=b\"\r\n"
                               "End Sub\r\n";
    ProfileFile file = Parse(before);
    file.Write("MAIN", "default", "0");
    std::string expected = before;
    expected.replace(expected.find("Default=1"), 9, "Default=0");
    EXPECT_EQ(file.Bytes(), expected);

    file.Write("Main", "ver", "2");
    expected.replace(expected.find("  Ver = 1 "), 10, "  Ver=2");
    EXPECT_EQ(file.Bytes(), expected);
}

TEST(ProfileFileWrite, AddsKeysAtTheEndOfTheirSectionAndNewSectionsAtTheEnd)
{
    ProfileFile file = Parse("[Main]\r\nver=1\r\n\r\n[SCRIPT]\r\n\r\nSub A()\r\nEnd Sub");
    file.Write("Main", "Default", "1");
    file.Write("Other", "k", "v");
    EXPECT_EQ(file.Bytes(),
        "[Main]\r\nver=1\r\nDefault=1\r\n\r\n[SCRIPT]\r\n\r\nSub A()\r\nEnd Sub\r\n"
        "\r\n[Other]\r\nk=v\r\n");

    ProfileFile fresh("new.ini");
    fresh.Write("Main", "ver", "0");
    fresh.Write("SR", "nb", "1");
    fresh.Write("Main", "Referer", "3");
    EXPECT_EQ(fresh.Bytes(), "[Main]\r\nver=0\r\nReferer=3\r\n\r\n[SR]\r\nnb=1\r\n");

    ProfileFile headerOnly = Parse("[Main]");
    headerOnly.Write("Main", "ver", "1");
    EXPECT_EQ(headerOnly.Bytes(), "[Main]\r\nver=1\r\n");
}

TEST(ProfileFileWrite, KeepsTheLineEndingsOfAnLfFile)
{
    ProfileFile file = Parse("[Main]\nver=1\n");
    file.Write("Main", "Active", "0");
    file.Write("SR", "nb", "0");
    EXPECT_EQ(file.Bytes(), "[Main]\nver=1\nActive=0\n\n[SR]\nnb=0\n");
}

TEST(ProfileFileWrite, ValuesStayOnOneLineAndReadBack)
{
    ProfileFile file("x.ini");
    file.Write("Main", "URL", "http://a/\r\n[Main]\nver=evil");
    EXPECT_EQ(file.Bytes(), "[Main]\r\nURL=http://a/  [Main] ver=evil\r\n");
    const ProfileFile reread = Parse(file.Bytes());
    EXPECT_EQ(reread.Read("Main", "ver", "none"), "none");
    // A key line without "=" gets one when written.
    ProfileFile bare = Parse("[Main]\r\nflag\r\n");
    bare.Write("main", "FLAG", "1");
    EXPECT_EQ(bare.Bytes(), "[Main]\r\nflag=1\r\n");
}

TEST(ProfileFileSave, WritesAtomicallyAndKeepsPermissions)
{
    TempDir dir;
    const fs::path path = dir / "Rules" / "a.vtl";
    WriteFileBytes(path, "[Main]\r\nver=1\r\n");
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(ProfileFile::WriteValue(path, "Main", "Active", "0"));
    EXPECT_EQ(ReadFileBytes(path), "[Main]\r\nver=1\r\nActive=0\r\n");
    struct stat info { };
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "Rules"), fs::directory_iterator()), 1);
}

TEST(ProfileFileSave, FailsWithoutHarmOnAReadOnlyFolderOrAFolderPath)
{
    TempDir dir;
    const fs::path path = dir / "Rules" / "a.vtl";
    WriteFileBytes(path, "[Main]\r\nver=1\r\n");
    fs::permissions(dir.Path(), fs::perms::all);
    fs::permissions(dir / "Rules",
        fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(path, fs::perms::owner_read | fs::perms::others_read);
    EXPECT_TRUE(test::RunUnprivileged([&] { return !ProfileFile::WriteValue(path, "Main", "Active", "0"); }));
    EXPECT_EQ(ReadFileBytes(path), "[Main]\r\nver=1\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "Rules"), fs::directory_iterator()), 1);
}

TEST(ProfileFileSave, RefusesToReplaceAFolder)
{
    TempDir dir;
    fs::create_directory(dir / "x.vtl");
    EXPECT_FALSE(ProfileFile::WriteValue(dir / "x.vtl", "Main", "ver", "1"));
    EXPECT_TRUE(fs::is_directory(dir / "x.vtl"));
    EXPECT_FALSE(ProfileFile::WriteValue(dir / "missing" / "a.vtl", "Main", "ver", "1"));
}

TEST(ProfileNumber, ReadsDecimalAndHexadecimalNumbersOnly)
{
    EXPECT_EQ(ParseProfileNumber(" 1.0 "), 1.0);
    EXPECT_EQ(ParseProfileNumber("-2e1"), -20.0);
    EXPECT_EQ(ParseProfileNumber("&HFF"), 255.0);
    EXPECT_EQ(ParseProfileNumber("&HFFFF"), 65535.0) << "unsigned, unlike a script's &HFFFF";
    for (const char* text : {"", "1,5", "yes", "&O17", "1D3", "&H123456789", "0x10", "inf", "1e999"})
        EXPECT_EQ(ParseProfileNumber(text), std::nullopt) << text;
    EXPECT_EQ(ProfileInteger("2.5", 0, 255, 7), 2) << "half to even";
    EXPECT_EQ(ProfileInteger("3.5", 0, 255, 7), 4);
    EXPECT_EQ(ProfileInteger("256", 0, 255, 7), 7);
    EXPECT_EQ(ProfileInteger("words", 0, 255, 7), 0);
}

TEST(ProfileNumber, KeepsItsPointUnderACommaDecimalLocale)
{
    test::CommaDecimalLocale locale;
    if (!locale.Active())
        GTEST_SKIP() << locale.Problem();
    EXPECT_EQ(ParseProfileNumber("1.5"), 1.5);
    EXPECT_EQ(ProfileInteger("3.7", 0, 255, 0), 4);
    EXPECT_EQ(ParseProfileNumber("1,5"), std::nullopt);
}
