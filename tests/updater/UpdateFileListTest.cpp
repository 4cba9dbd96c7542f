#include "UpdateFileList.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace vortalux;
using vortalux::test::ReadFileBytes;
using vortalux::test::TempDir;

namespace fs = std::filesystem;

TEST(UpdateFileList, WritesEachPathWithCrLfAndReadsItBack)
{
    TempDir dir;
    const std::vector<fs::path> paths {dir / "vtl.vtu", dir / "libvortalux.so.vtu"};
    std::error_code error;
    ASSERT_TRUE(UpdateFileList::Write(dir.Path(), paths, error)) << error.message();
    const std::string bytes = ReadFileBytes(dir / "FileList.vtu");
    EXPECT_EQ(bytes, dir.Path().string() + "/vtl.vtu\r\n" + dir.Path().string() + "/libvortalux.so.vtu\r\n");

    const UpdateFileList::ReadResult read = UpdateFileList::Read(dir / "FileList.vtu");
    ASSERT_TRUE(read.Ok()) << read.error;
    EXPECT_EQ(read.paths,
        (std::vector<std::string> {
            dir.Path().string() + "/vtl.vtu", dir.Path().string() + "/libvortalux.so.vtu"}));

    // A path the file could not hold is refused and the old list stays.
    EXPECT_FALSE(UpdateFileList::Write(dir.Path(), {dir / "a\r\nb.vtu"}, error));
    EXPECT_EQ(error, std::errc::invalid_argument);
    EXPECT_FALSE(UpdateFileList::Write(dir.Path(), {fs::path()}, error));
    EXPECT_EQ(ReadFileBytes(dir / "FileList.vtu"), bytes);
}

TEST(UpdateFileList, StrictReaderRefusesWhatAnInstallNeverWrites)
{
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> paths;
        std::string error;
    };
    const std::string tooMany = [] {
        std::string text;
        for (int i = 0; i < 10'000; ++i)
            text += "/opt/vortalux/f" + std::to_string(i) + ".vtu\r\n";
        return text;
    }();
    const std::string limit = [] {
        std::string text;
        for (int i = 0; i < 256; ++i)
            text += "/p/" + std::to_string(i) + ".vtu\n";
        return text;
    }();
    const std::vector<Case> cases {
        {"empty list", "", {}, ""},
        {"LF accepted", "/p/a.vtu\n/p/b.vtu\r\n", {"/p/a.vtu", "/p/b.vtu"}, ""},
        {"last line cut", "/p/a.vtu\r\n/p/b.vtu", {}, "line 2 does not end with a line break"},
        {"empty line", "/p/a.vtu\r\n\r\n", {}, "line 2 is empty"},
        {"lone CR inside", "/p/a\r.vtu\r\n", {}, "line 1 holds a control character"},
        {"tab", "/p/a\t.vtu\n", {}, "line 1 holds a control character"},
        {"NUL", std::string("/p/a\0.vtu\n", 10), {}, "line 1 holds a control character"},
        {"DEL", "/p/a\x7f.vtu\n", {}, "line 1 holds a control character"},
        {"10,000 names", tooMany, {}, "the list names more than 256 files"},
        {"too large", std::string(256 * 1024 + 1, 'a'), {}, "the list is larger than 262144 bytes"},
    };
    for (const Case& c : cases) {
        const UpdateFileList::ReadResult read = UpdateFileList::Parse(c.bytes);
        EXPECT_EQ(read.error, c.error) << c.what;
        EXPECT_EQ(read.paths, c.paths) << c.what;
    }
    EXPECT_EQ(UpdateFileList::Parse(limit).paths.size(), 256U);
    EXPECT_EQ(
        UpdateFileList::Read("/nonexistent/FileList.vtu").error, "cannot open /nonexistent/FileList.vtu");
}
