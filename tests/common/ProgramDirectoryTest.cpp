#include "ProgramDirectory.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace vortalux;
using vortalux::test::TempDir;
using vortalux::test::WriteFileBytes;

namespace fs = std::filesystem;

TEST(ProgramDirectory, HomeVariableAndExplicitSettingOverrideTheBinaryLocation)
{
    TempDir dir;
    const fs::path builtIn = ProgramDirectory();
    EXPECT_FALSE(builtIn.empty());

    ::setenv("VORTALUX_HOME", dir.Path().c_str(), 1);
    EXPECT_EQ(ProgramDirectory(), dir.Path());
    SetProgramDirectory("/somewhere/else");
    EXPECT_EQ(ProgramDirectory(), fs::path("/somewhere/else"));
    SetProgramDirectory({});
    EXPECT_EQ(ProgramDirectory(), dir.Path());
    ::unsetenv("VORTALUX_HOME");
    EXPECT_EQ(ProgramDirectory(), builtIn);
}

TEST(ListDirectory, SortsCaseBlindMatchesExtensionCaseBlindAndSkipsFolders)
{
    TempDir dir;
    for (const char* name : {"b.vtl", "A.vtl", "c.VTL", "a.txt", "vtl", "Zed.vtl", "_x.vtl"})
        WriteFileBytes(dir / name, "x");
    fs::create_directory(dir / "x.vtl"); // a folder named like a rule
    fs::create_symlink(dir / "x.vtl", dir / "link.vtl");

    const auto names = ListDirectory(dir.Path(), ".vtl");
    // '_' (0x5F) sorts after the letters, which fold to upper case as NTFS orders names.
    EXPECT_EQ(names, (std::vector<std::string> {"A.vtl", "b.vtl", "c.VTL", "Zed.vtl", "_x.vtl"}));
}

TEST(ListDirectory, NamesDifferingOnlyInCaseKeepAStableOrder)
{
    TempDir dir;
    WriteFileBytes(dir / "rule.vtl", "x");
    WriteFileBytes(dir / "RULE.vtl", "x");
    EXPECT_EQ(ListDirectory(dir.Path(), ".vtl"), (std::vector<std::string> {"RULE.vtl", "rule.vtl"}));
}

TEST(ListDirectory, MissingFolderGivesNothing)
{
    TempDir dir;
    EXPECT_TRUE(ListDirectory(dir / "nope", ".vtl").empty());
    WriteFileBytes(dir / "file", "x");
    EXPECT_TRUE(ListDirectory(dir / "file", ".vtl").empty());
}

TEST(ResolveCaseBlind, FindsTheFileUnderAnotherCaseOrKeepsTheAskedName)
{
    TempDir dir;
    WriteFileBytes(dir / "Wget.VTM", "x");
    EXPECT_EQ(ResolveCaseBlind(dir.Path(), "wget.vtm"), dir / "Wget.VTM");
    EXPECT_EQ(ResolveCaseBlind(dir.Path(), "Wget.VTM"), dir / "Wget.VTM");
    EXPECT_EQ(ResolveCaseBlind(dir.Path(), "curl.vtm"), dir / "curl.vtm");
    EXPECT_EQ(ResolveCaseBlind(dir / "missing", "a.vtm"), dir / "missing" / "a.vtm");
}
