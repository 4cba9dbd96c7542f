// What the rules list does to rule files: the check box and the deletion.
#include "RuleListActions.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

using namespace vortalux;
using vortalux::test::ReadFileBytes;
using vortalux::test::TempDir;
using vortalux::test::WriteFileBytes;
namespace fs = std::filesystem;

namespace {

timespec ModificationTime(const fs::path& path)
{
    struct stat status { };
    ::stat(path.c_str(), &status);
    return status.st_mtim;
}

} // namespace

TEST(RuleListActions, TheCheckBoxWritesActiveOnlyWhenItChanges)
{
    TempDir home;
    const std::string original = "; kept\r\n[main]\r\nVER=1\r\nIdent=x\r\n[OS]\r\nnb=0\r\n";
    const fs::path file = home / "Rules" / "Site.VTL";
    WriteFileBytes(file, original);
    // Far in the past, so a rewrite would show in the time.
    const timespec old[2] = {{1000, 0}, {1000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), old, 0), 0);

    RuleActiveChange change = SetRuleActive(home.Path(), "site", true);
    EXPECT_FALSE(change.error);
    EXPECT_FALSE(change.written);
    EXPECT_EQ(ModificationTime(file).tv_sec, 1000);

    change = SetRuleActive(home.Path(), "site", false);
    EXPECT_FALSE(change.error);
    EXPECT_TRUE(change.written);
    EXPECT_EQ(ReadFileBytes(file), "; kept\r\n[main]\r\nVER=1\r\nIdent=x\r\nActive=0\r\n[OS]\r\nnb=0\r\n");
    EXPECT_FALSE(fs::exists(home / "Rules" / "site.vtl"));

    change = SetRuleActive(home.Path(), "SITE", true);
    EXPECT_TRUE(change.written);
    EXPECT_EQ(ReadFileBytes(file), "; kept\r\n[main]\r\nVER=1\r\nIdent=x\r\nActive=1\r\n[OS]\r\nnb=0\r\n");
}

TEST(RuleListActions, AVanishedFileOrAReadOnlyFolderIsAnErrorNotANewFile)
{
    TempDir home;
    const RuleActiveChange vanished = SetRuleActive(home.Path(), "gone", false);
    EXPECT_EQ(vanished.error, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(vanished.written);
    EXPECT_FALSE(fs::exists(home / "Rules" / "gone.vtl"));

    const RuleDeletion missing = DeleteRule(home.Path(), "gone");
    EXPECT_EQ(missing.error, std::errc::no_such_file_or_directory);
    const MessageRequest message = DeleteFailureMessage("gone", missing);
    EXPECT_EQ(message.caption, "Unable to delete the rule");
    EXPECT_EQ(message.text,
        "An error occured while trying to delete rule gone :\r\nFichier: "
            + (home / "Rules" / "gone.vtl").string() + "\r\nErreur 2: No such file or directory");
    EXPECT_EQ(message.icon, MessageIcon::Critical);

    WriteFileBytes(home / "Rules" / "ro.vtl", "[Main]\r\nver=1\r\n");
    fs::permissions(home.Path(), fs::perms::all);
    fs::permissions(home / "Rules",
        fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
    const fs::path folder = home.Path();
    EXPECT_TRUE(test::RunUnprivileged([&] {
        const RuleActiveChange change = SetRuleActive(folder, "ro", false);
        const RuleDeletion deletion = DeleteRule(folder, "RO");
        return change.error == std::errc::permission_denied && !change.written
            && deletion.error == std::errc::permission_denied && deletion.file == folder / "Rules" / "ro.vtl";
    }));
    fs::permissions(home / "Rules", fs::perms::owner_all);
    EXPECT_EQ(ReadFileBytes(home / "Rules" / "ro.vtl"), "[Main]\r\nver=1\r\n");

    const RuleDeletion deletion = DeleteRule(home.Path(), "RO");
    EXPECT_FALSE(deletion.error);
    EXPECT_FALSE(fs::exists(home / "Rules" / "ro.vtl"));
}
