#include "ManagerStore.h"
#include "ProfileFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace vortalux;
using vortalux::test::ReadFileBytes;
using vortalux::test::TempDir;
using vortalux::test::TestDataPath;
using vortalux::test::WriteFileBytes;

namespace fs = std::filesystem;

namespace {

std::string Definition(std::string_view version, std::string_view mark,
    std::string_view script = "Sub AddLink(a, b, c)\r\nEnd Sub\r\n")
{
    return "[Main]\r\nver=" + std::string(version) + "\r\nDefault=" + std::string(mark)
        + "\r\n[SCRIPT]\r\n\r\n" + std::string(script);
}

class ManagerStoreTest : public ::testing::Test {
protected:
    void Add(std::string_view fileName, std::string_view bytes)
    {
        WriteFileBytes(m_home / "Managers" / fileName, bytes);
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& d : m_store.Definitions())
            names.push_back(d.Name);
        return names;
    }

    TempDir m_home;
    ManagerStore m_store;
};

} // namespace

TEST_F(ManagerStoreTest, EmptyOrMissingFolderHoldsOneEmptyRecord)
{
    m_store.LoadManagers(m_home.Path());
    ASSERT_EQ(m_store.Definitions().size(), 1u);
    EXPECT_TRUE(m_store.IsEmpty());
    EXPECT_EQ(m_store.DefaultManager(), -1);
    Add("noversion.vtm", "[Main]\r\nDefault=1\r\n[SCRIPT]\r\n\r\nSub AddLink(a,b,c)\r\nEnd Sub\r\n");
    fs::create_directories(m_home / "Managers" / "folder.vtm");
    m_store.LoadManagers(m_home.Path());
    EXPECT_TRUE(m_store.IsEmpty());
    EXPECT_EQ(m_store.DefaultManager(), -1);
}

TEST_F(ManagerStoreTest, LoadsInFolderOrderWithScripts)
{
    Add("wget.vtm", Definition("2", "1", "Sub AddLink(r, u, n)\r\n  x = 1\r\nEnd Sub\r\n"));
    Add("Aria2.VTM", Definition("1", "0"));
    Add("notes.txt", Definition("1", "0"));
    m_store.LoadManagers(m_home.Path());
    EXPECT_EQ(Names(), (std::vector<std::string> {"Aria2", "wget"}));
    EXPECT_EQ(m_store.DefaultManager(), 1);
    EXPECT_EQ(m_store.Definitions()[1].Ver, "2");
    EXPECT_EQ(m_store.Definitions()[1].ScriptText, "Sub AddLink(r, u, n)\r\n  x = 1\r\nEnd Sub\r\n");
}

TEST_F(ManagerStoreTest, SeveralDefaultMarksAreRepairedOnDisk)
{
    Add("a.vtm", Definition("1", "1"));
    Add("b.vtm", Definition("1", "1.0"));
    Add("c.vtm", Definition("1", "one"));
    const std::string before = ReadFileBytes(m_home / "Managers" / "a.vtm");
    m_store.LoadManagers(m_home.Path());
    EXPECT_EQ(m_store.DefaultManager(), 1);
    std::string expected = before;
    expected.replace(expected.find("Default=1"), 9, "Default=0");
    EXPECT_EQ(ReadFileBytes(m_home / "Managers" / "a.vtm"), expected);
    EXPECT_EQ(ProfileFile::ReadValue(m_home / "Managers" / "b.vtm", "Main", "Default", ""), "1.0");
    EXPECT_EQ(ProfileFile::ReadValue(m_home / "Managers" / "c.vtm", "Main", "Default", ""), "one");
}

TEST_F(ManagerStoreTest, SetDefaultManagerMovesTheMarkAndWritesOnlyWhenItMoves)
{
    Add("a.vtm", Definition("1", "1"));
    Add("B.VTM", Definition("1", "0"));
    m_store.LoadManagers(m_home.Path());
    ASSERT_EQ(m_store.DefaultManager(), 0);
    const auto stamp = fs::last_write_time(m_home / "Managers" / "a.vtm");

    m_store.SetDefaultManager(0, ManagerStore::MarkChosenFile::Yes);
    EXPECT_EQ(fs::last_write_time(m_home / "Managers" / "a.vtm"), stamp);

    // The file found under another letter case gets the mark; no second file appears.
    m_store.SetDefaultManager(1, ManagerStore::MarkChosenFile::Yes);
    EXPECT_EQ(m_store.DefaultManager(), 1);
    EXPECT_EQ(ProfileFile::ReadValue(m_home / "Managers" / "a.vtm", "Main", "Default", ""), "0");
    EXPECT_EQ(ProfileFile::ReadValue(m_home / "Managers" / "B.VTM", "Main", "Default", ""), "1");
    EXPECT_FALSE(fs::exists(m_home / "Managers" / "B.vtm"));

    // The script after the head survives the writes byte for byte.
    m_store.LoadManagers(m_home.Path());
    EXPECT_EQ(m_store.DefaultManager(), 1);
    EXPECT_EQ(m_store.Definitions()[1].ScriptText, "Sub AddLink(a, b, c)\r\nEnd Sub\r\n");

    // A definition that vanished since the load is not made anew: the move says it failed.
    fs::remove(m_home / "Managers" / "a.vtm");
    EXPECT_EQ(m_store.SetDefaultManager(0, ManagerStore::MarkChosenFile::Yes),
        std::errc::no_such_file_or_directory);
    EXPECT_FALSE(fs::exists(m_home / "Managers" / "a.vtm"));
    EXPECT_EQ(ProfileFile::ReadValue(m_home / "Managers" / "B.VTM", "Main", "Default", ""), "0");
}

TEST_F(ManagerStoreTest, NoMarkWritesNothing)
{
    Add("a.vtm", Definition("1", "0"));
    const auto stamp = fs::last_write_time(m_home / "Managers" / "a.vtm");
    m_store.LoadManagers(m_home.Path());
    EXPECT_EQ(m_store.DefaultManager(), -1);
    EXPECT_EQ(fs::last_write_time(m_home / "Managers" / "a.vtm"), stamp);
}

TEST(ManagerScriptPart, MarkerRulesAndOffsets)
{
    EXPECT_EQ(ManagerStore::ScriptPart("[Main]\r\nver=1\r\n[script]\r\n\r\nSub A()\r\n"), "Sub A()\r\n");
    // A script right after the marker line loses its first two characters, as files expect.
    EXPECT_EQ(ManagerStore::ScriptPart("[SCRIPT]\r\nSub A()\r\n"), "b A()\r\n");
    EXPECT_EQ(ManagerStore::ScriptPart("[SCRIPT]\r\n"), "");
    EXPECT_EQ(ManagerStore::ScriptPart("no marker at all"), "");
    // The first marker followed by a line break counts.
    EXPECT_EQ(ManagerStore::ScriptPart("x=[SCRIPT] y\r\n[Script]\r\n\r\none\r\n[SCRIPT]\r\n\r\ntwo"),
        "one\r\n[SCRIPT]\r\n\r\ntwo");
    EXPECT_EQ(ManagerStore::ScriptPart("[SCRIPT]\n\nSub A()\n"), "Sub A()\n");
    EXPECT_EQ(ManagerStore::ScriptPart("[SCRIPT]\nSub A()\n"), "Sub A()\n");
}

TEST_F(ManagerStoreTest, DataFilesWithOddShapes)
{
    fs::create_directories(m_home / "Managers");
    for (const char* name : {"MixedCaseMarker.vtm", "LfOnlyLineEnds.vtm", "NoScriptMarker.vtm"})
        fs::copy_file(TestDataPath(std::string("managers/") + name), m_home / "Managers" / name);
    m_store.LoadManagers(m_home.Path());
    ASSERT_EQ(Names(), (std::vector<std::string> {"LfOnlyLineEnds", "MixedCaseMarker", "NoScriptMarker"}));
    EXPECT_EQ(m_store.Definitions()[0].ScriptText, "Sub AddLink(r, u, n)\nEnd Sub\n");
    EXPECT_EQ(m_store.Definitions()[1].ScriptText, "Sub AddLink(r, u, n)\r\nEnd Sub\r\n");
    EXPECT_EQ(m_store.Definitions()[1].Ver, "1.2");
    EXPECT_EQ(m_store.Definitions()[2].ScriptText, "");
    EXPECT_EQ(m_store.DefaultManager(), 1);
}
