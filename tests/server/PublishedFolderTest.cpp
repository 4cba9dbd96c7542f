// What a published folder offers: the "versions" reply, its rebuild after a change, and which
// names "getfile" serves.
#include "PublishedFolder.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace vortalux::server;
using vortalux::test::TempDir;
using vortalux::test::WriteFileBytes;
namespace fs = std::filesystem;

namespace {

void Publish(const TempDir& root)
{
    WriteFileBytes(root / "core/versions.ini", "[Main]\r\nengine=1.2.3\r\nprogram=0.1.11\r\n");
    WriteFileBytes(root / "core/vtl", "program bytes");
    WriteFileBytes(root / "core/libvortalux.so", "engine bytes");
    WriteFileBytes(root / "Managers/ImageHost.vtm", "[Main]\r\nver=3\r\n[SCRIPT]\r\n\r\nx");
    WriteFileBytes(root / "Rules/picsrule.vtl", "[Main]\r\nver=10\r\n");
    WriteFileBytes(root / "Rules/Another.vtl", "[Main]\r\nver = \"2.1\"\r\n");
    // Left out: no "ver", a name or version that would break the ":" layout, an extension in
    // other letters than the client asks for.
    WriteFileBytes(root / "Rules/nover.vtl", "[Main]\r\nName=x\r\n");
    WriteFileBytes(root / "Rules/a:b.vtl", "[Main]\r\nver=1\r\n");
    WriteFileBytes(root / "Rules/colon.vtl", "[Main]\r\nver=1:2\r\n");
    WriteFileBytes(root / "Rules/UPPER.VTL", "[Main]\r\nver=1\r\n");
    WriteFileBytes(root / "Rules/readme.txt", "[Main]\r\nver=1\r\n");
}

TEST(PublishedFolderTest, VersionsReplyInTheClientsLayout)
{
    TempDir root;
    PublishedFolder folder(root.Path(), std::chrono::milliseconds(0));
    std::string error;
    EXPECT_FALSE(folder.VersionsReply({}, error));
    EXPECT_EQ(error, "core/versions.ini lacks a usable \"engine\" or \"program\" in section \"Main\"");

    WriteFileBytes(root / "core/versions.ini", "[Main]\r\nengine=1.2.3\r\nprogram=0.1.11\r\n");
    EXPECT_EQ(folder.VersionsReply({}, error), "ok1.2.3:0.1.11:0:0");

    Publish(root);
    EXPECT_EQ(folder.VersionsReply({}, error), "ok1.2.3:0.1.11:1:ImageHost:3:2:Another:2.1:picsrule:10");
    EXPECT_EQ(folder.ProgramFiles(), (std::vector<std::string> {"libvortalux.so", "vtl"}));
}

TEST(PublishedFolderTest, RebuiltAfterAChange)
{
    TempDir root;
    Publish(root);
    const PublishedFolder::Clock::time_point start {};
    PublishedFolder folder(root.Path(), std::chrono::seconds(1));
    std::string error;
    ASSERT_EQ(folder.VersionsReply(start, error), "ok1.2.3:0.1.11:1:ImageHost:3:2:Another:2.1:picsrule:10");

    // A rule added (the folder changes): seen at once.
    WriteFileBytes(root / "Rules/new.vtl", "[Main]\r\nver=1\r\n");
    EXPECT_EQ(
        folder.VersionsReply(start, error), "ok1.2.3:0.1.11:1:ImageHost:3:3:Another:2.1:new:1:picsrule:10");

    // A rule rewritten in place (only the file changes): seen once the walk is due.
    {
        std::ofstream in(root / "Rules/picsrule.vtl", std::ios::binary | std::ios::trunc);
        in << "[Main]\r\nver=11\r\nName=edited\r\n";
    }
    EXPECT_EQ(folder.VersionsReply(start + std::chrono::milliseconds(500), error),
        "ok1.2.3:0.1.11:1:ImageHost:3:3:Another:2.1:new:1:picsrule:10");
    EXPECT_EQ(folder.VersionsReply(start + std::chrono::seconds(1), error),
        "ok1.2.3:0.1.11:1:ImageHost:3:3:Another:2.1:new:1:picsrule:11");

    // A new program version.
    WriteFileBytes(root / "core/versions.ini", "[Main]\r\nengine=1.3.0\r\nprogram=0.2.0\r\n");
    fs::remove(root / "Managers/ImageHost.vtm");
    EXPECT_EQ(folder.VersionsReply(start + std::chrono::seconds(1), error),
        "ok1.3.0:0.2.0:0:3:Another:2.1:new:1:picsrule:11");
}

TEST(PublishedFolderTest, ServesOnlyPublishedFilesInsideTheRoot)
{
    TempDir outside;
    WriteFileBytes(outside / "secret.vtl", "secret");
    TempDir root;
    Publish(root);
    WriteFileBytes(root / "reports.sqlite", "reports");
    fs::create_symlink(outside / "secret.vtl", root / "Rules/escape.vtl");
    fs::create_symlink("../../", root / "Rules/up.vtl");
    fs::create_symlink("../reports.sqlite", root / "Rules/db.vtl");
    fs::create_symlink("../core/vtl", root / "Rules/inside.vtl");
    fs::create_symlink(outside.Path(), root / "Managers/dir.vtm");
    fs::create_symlink(outside / "gone", root / "Rules/dangling.vtl");
    PublishedFolder folder(root.Path());
    folder.SetPrivateFiles({root / "reports.sqlite"});

    struct Case {
        std::string name;
        PublishedFolder::Lookup lookup;
        std::string bytes;
    };
    using enum PublishedFolder::Lookup;
    const Case cases[] = {
        {"Rules/picsrule.vtl", Found, "[Main]\r\nver=10\r\n"},
        {"Managers/ImageHost.vtm", Found, "[Main]\r\nver=3\r\n[SCRIPT]\r\n\r\nx"},
        {"core/vtl", Found, "program bytes"},
        {"Rules/inside.vtl", Found, "program bytes"}, // a link that stays inside
        {"Rules/missing.vtl", Missing, ""},
        {"Rules/dangling.vtl", Missing, ""},
        {"Managers/dir.vtm", Refused, ""}, // a link out, to a folder
        {"Rules/escape.vtl", Refused, ""},
        {"Rules/up.vtl", Refused, ""},
        {"Rules/db.vtl", Refused, ""},
        {"core/versions.ini", Refused, ""},
        {"core/VERSIONS.INI", Refused, ""},
        {"core", Refused, ""},
        {"Rules/../core/vtl", Refused, ""},
        {"Rules/..", Refused, ""},
        {"Rules/.", Refused, ""},
        {"Rules/", Refused, ""},
        {"/etc/passwd", Refused, ""},
        {"Rules//picsrule.vtl", Refused, ""},
        {"Rules\\picsrule.vtl", Refused, ""},
        {"Rules/..\\core\\vtl", Refused, ""},
        {"Rules/pics\nrule.vtl", Refused, ""},
        {std::string("Rules/picsrule.vtl\0x", 20), Refused, ""},
        {"Rules/picsrule.vtl\x7F", Refused, ""},
        {"Rules/readme.txt", Refused, ""},
        {"Managers/picsrule.vtl", Refused, ""},
        {"rules/picsrule.vtl", Refused, ""},
        {"reports.sqlite", Refused, ""},
        {"./Rules/picsrule.vtl", Refused, ""},
    };
    for (const Case& test : cases) {
        std::string bytes = "stale";
        EXPECT_EQ(folder.ReadFile(test.name, bytes), test.lookup) << test.name;
        EXPECT_EQ(bytes, test.bytes) << test.name;
    }
}

} // namespace
