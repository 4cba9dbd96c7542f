// vtlupd as vtl starts it, in a program directory of its own with a stand-in vtl (a shell script
// that writes how it was started) so that no window opens.
#include "ProcessHelpers.h"
#include "TestSupport.h"
#include "UpdateFileList.h"
#include "UpdateJournal.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>

using namespace vortalux;
using namespace std::chrono_literals;
using vortalux::test::ChildProgram;
using vortalux::test::LockHolder;
using vortalux::test::ReadFileBytes;
using vortalux::test::TempDir;
using vortalux::test::WaitForFile;
using vortalux::test::WriteFileBytes;

namespace fs = std::filesystem;

namespace {

const fs::path Vtlupd = fs::path(VORTALUX_PROGRAM_DIR) / "vtlupd";

std::string StandInVtl(const std::string& version)
{
    return "#!/bin/sh\nprintf '" + version
        + "[%s]\\n' \"$*\" > \"${0%/*}/started.tmp\" && mv \"${0%/*}/started.tmp\" \"${0%/*}/started\"\n";
}

mode_t Mode(const fs::path& path)
{
    struct stat info { };
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

struct ProgramFile {
    std::string name;
    std::string oldBytes; // empty: the update adds the file
    std::string newBytes;
    mode_t oldMode;
};

// A program directory with an update waiting: vtl and the engine replaced, a library added.
class UpdateSetup {
public:
    UpdateSetup()
    {
        m_files = {{"vtl", StandInVtl("old"), StandInVtl("new"), 0755},
            {"libvortalux.so", "old engine", "new engine", 0640}, {"libextra.so", "", "new extra", 0}};
        std::vector<fs::path> copies;
        for (const ProgramFile& file : m_files) {
            if (!file.oldBytes.empty()) {
                WriteFileBytes(m_home / file.name, file.oldBytes);
                fs::permissions(m_home / file.name, static_cast<fs::perms>(file.oldMode));
            }
            WriteFileBytes(m_home / (file.name + ".vtu"), file.newBytes);
            fs::permissions(m_home / (file.name + ".vtu"), static_cast<fs::perms>(0600));
            copies.push_back(m_home / (file.name + ".vtu"));
        }
        WriteFileBytes(m_home / "Rules" / "host.vtl", "[Main]\r\n");
        WriteList(UpdateFileList::Format(copies));
    }

    const fs::path& Home() const { return m_home.Path(); }
    fs::path operator/(std::string_view name) const { return m_home / name; }
    void WriteList(std::string_view bytes) const { WriteFileBytes(m_home / "FileList.vtu", bytes); }
    std::string ListBytes() const { return ReadFileBytes(m_home / "FileList.vtu"); }
    const std::vector<ProgramFile>& Files() const { return m_files; }

    // Runs vtlupd to its end; `killAfterStep` > 0 makes it kill itself after that many changes.
    std::unique_ptr<ChildProgram> Start(
        std::vector<std::string> arguments = {"--wait", "10"}, long killAfterStep = 0) const
    {
        return std::make_unique<ChildProgram>(Vtlupd, arguments,
            std::map<std::string, std::string> {{"VORTALUX_HOME", m_home.Path().string()},
                {"VORTALUX_UPDATER_KILL_AFTER_STEP", killAfterStep > 0 ? std::to_string(killAfterStep) : ""}},
            m_scratch / "stderr");
    }
    std::unique_ptr<ChildProgram> Run(long killAfterStep = 0) const
    {
        auto program = Start({"--wait", "10"}, killAfterStep);
        program->Wait();
        return program;
    }
    std::string Stderr() const { return ReadFileBytes(m_scratch / "stderr"); }
    // How the stand-in vtl was started: "new[/UpdDone]" after an update.
    std::string Started() const { return WaitForFile(m_home / "started", 10s); }

    // Every program file old, with its mode; the copies and the list still there unless the
    // update was undone (then they are removed).
    void ExpectOld(bool copiesKept) const
    {
        for (const ProgramFile& file : m_files) {
            if (file.oldBytes.empty()) {
                EXPECT_FALSE(fs::exists(m_home / file.name)) << file.name;
            } else {
                EXPECT_EQ(ReadFileBytes(m_home / file.name), file.oldBytes) << file.name;
                EXPECT_EQ(Mode(m_home / file.name), file.oldMode) << file.name;
            }
            EXPECT_EQ(fs::exists(m_home / (file.name + ".vtu")), copiesKept) << file.name;
            EXPECT_FALSE(fs::exists(m_home / (file.name + ".vtold"))) << file.name;
        }
        EXPECT_EQ(fs::exists(m_home / "FileList.vtu"), copiesKept);
        EXPECT_FALSE(fs::exists(m_home / "vtlupd.journal"));
    }
    // Every program file new, replaced ones with the old file's mode, nothing left over.
    void ExpectNew() const
    {
        for (const ProgramFile& file : m_files) {
            EXPECT_EQ(ReadFileBytes(m_home / file.name), file.newBytes) << file.name;
            EXPECT_EQ(Mode(m_home / file.name), file.oldBytes.empty() ? 0600 : file.oldMode) << file.name;
            EXPECT_FALSE(fs::exists(m_home / (file.name + ".vtu"))) << file.name;
            EXPECT_FALSE(fs::exists(m_home / (file.name + ".vtold"))) << file.name;
        }
        EXPECT_FALSE(fs::exists(m_home / "FileList.vtu"));
        EXPECT_FALSE(fs::exists(m_home / "vtlupd.journal"));
        EXPECT_EQ(ReadFileBytes(m_home / "Rules" / "host.vtl"), "[Main]\r\n");
    }

private:
    TempDir m_home;
    TempDir m_scratch;
    std::vector<ProgramFile> m_files;
};

} // namespace

TEST(Vtlupd, ReplacesTheFilesKeepingTheirModesAndStartsVtlWithUpdDone)
{
    UpdateSetup setup;
    // A program that has the old engine open keeps reading the old engine.
    const int engine = ::open((setup / "libvortalux.so").c_str(), O_RDONLY);
    ASSERT_GE(engine, 0);
    // What a run killed while writing its journal left behind goes; a look-alike name stays.
    WriteFileBytes(setup / ".vtlupd.journal.Ab3xYz", "vtlupd jour");
    WriteFileBytes(setup / ".vtlupd.journalist", "keep");

    auto vtlupd = setup.Run();
    EXPECT_EQ(vtlupd->ExitCode(), 0) << setup.Stderr();
    EXPECT_EQ(setup.Stderr(), "vtlupd: the update is installed.\n");
    setup.ExpectNew();
    EXPECT_EQ(setup.Started(), "new[/UpdDone]\n");
    EXPECT_FALSE(fs::exists(setup / ".vtlupd.journal.Ab3xYz"));
    EXPECT_TRUE(fs::exists(setup / ".vtlupd.journalist"));

    char bytes[32] = {};
    EXPECT_EQ(::pread(engine, bytes, sizeof bytes, 0), 10);
    EXPECT_STREQ(bytes, "old engine");
    ::close(engine);

    // Nothing waiting: nothing done, no vtl started.
    fs::remove(setup / "started");
    vtlupd = setup.Run();
    EXPECT_EQ(vtlupd->ExitCode(), 0);
    EXPECT_EQ(setup.Stderr(),
        "vtlupd: no update is waiting (" + (setup / "FileList.vtu").string() + " does not exist).\n");
    EXPECT_FALSE(fs::exists(setup / "started"));
}

TEST(Vtlupd, RefusesABadListAndReplacesNothing)
{
    struct Case {
        const char* what;
        std::function<std::string(const UpdateSetup&)> prepare; // the bad path, made ready
        std::string reason;
    };
    TempDir elsewhere;
    const std::vector<Case> cases {
        {"outside the program directory",
            [&](const UpdateSetup&) {
                WriteFileBytes(elsewhere / "vtl.vtu", "evil");
                return (elsewhere / "vtl.vtu").string();
            },
            "is outside the program directory"},
        {"absolute path elsewhere", [](const UpdateSetup&) { return std::string("/etc/passwd.vtu"); },
            "is outside the program directory"},
        {"dot-dot part",
            [](const UpdateSetup& s) { return (s.Home() / ".." / s.Home().filename() / "vtl.vtu").string(); },
            "holds an empty, \".\" or \"..\" part"},
        {"empty part", [](const UpdateSetup& s) { return s.Home().string() + "//vtl.vtu"; },
            "holds an empty, \".\" or \"..\" part"},
        {"relative path", [](const UpdateSetup&) { return std::string("vtl.vtu"); }, "is not a full path"},
        {"backslash", [](const UpdateSetup& s) { return s.Home().string() + "/a\\vtl.vtu"; },
            "holds a backslash"},
        {"symbolic link",
            [](const UpdateSetup& s) {
                fs::create_symlink(s / "vtl.vtu", s / "link.vtu");
                return (s / "link.vtu").string();
            },
            "is not a regular file"},
        {"not a copy", [](const UpdateSetup& s) { return (s / "vtl").string(); }, "does not end in \".vtu\""},
        {"a directory",
            [](const UpdateSetup& s) {
                fs::create_directory(s / "plugins.vtu");
                return (s / "plugins.vtu").string();
            },
            "is not a regular file"},
        {"missing copy", [](const UpdateSetup& s) { return (s / "gone.vtu").string(); }, "is missing"},
        {"the list itself", [](const UpdateSetup& s) { return (s / "FileList.vtu").string(); },
            "names the list itself"},
        {"the lock file",
            [](const UpdateSetup& s) {
                WriteFileBytes(s / "vtl.lock.vtu", "x");
                return (s / "vtl.lock.vtu").string();
            },
            "does not name a program file"},
        {"listed twice", [](const UpdateSetup& s) { return (s / "libvortalux.so.vtu").string(); },
            "is listed twice"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UpdateSetup setup;
        const std::string bad = c.prepare(setup);
        // The first line is good: nothing is replaced before every line was checked.
        setup.WriteList((setup / "libvortalux.so.vtu").string() + "\r\n" + bad + "\r\n");
        const std::string list = setup.ListBytes();
        auto vtlupd = setup.Run();
        EXPECT_EQ(vtlupd->ExitCode(), 1);
        EXPECT_EQ(setup.Stderr(),
            "vtlupd: FileList.vtu line 2 (" + bad + ") " + c.reason + "; nothing was replaced.\n");
        setup.ExpectOld(true);
        EXPECT_EQ(setup.ListBytes(), list);
        EXPECT_EQ(setup.Started(), "old[]\n"); // the old program comes back, not claiming an update
    }

    UpdateSetup setup;
    std::string many;
    for (int i = 0; i < 10'000; ++i)
        many += (setup / ("f" + std::to_string(i) + ".vtu")).string() + "\r\n";
    setup.WriteList(many);
    auto vtlupd = setup.Run();
    EXPECT_EQ(vtlupd->ExitCode(), 1);
    EXPECT_EQ(setup.Stderr(),
        "vtlupd: " + (setup / "FileList.vtu").string()
            + ": the list is larger than 262144 bytes; nothing was replaced.\n");
    setup.ExpectOld(true);
}

TEST(Vtlupd, FailedReplacementPutsEveryOldFileBack)
{
    UpdateSetup setup;
    // The third program file is a folder with something in it: vtl and the engine are replaced
    // before it fails.
    fs::create_directory(setup / "libextra.so");
    WriteFileBytes(setup / "libextra.so" / "keep", "kept");
    auto vtlupd = setup.Run();
    EXPECT_EQ(vtlupd->ExitCode(), 1);
    EXPECT_EQ(setup.Stderr(),
        "vtlupd: cannot keep the old " + (setup / "libextra.so").string()
            + ": Operation not permitted; the old program files are back.\n");
    for (const char* name : {"vtl", "libvortalux.so"}) {
        EXPECT_EQ(ReadFileBytes(setup / name), setup.Files()[name == std::string("vtl") ? 0 : 1].oldBytes);
        EXPECT_FALSE(fs::exists(setup / (std::string(name) + ".vtold")));
    }
    EXPECT_EQ(Mode(setup / "libvortalux.so"), 0640U);
    EXPECT_EQ(ReadFileBytes(setup / "libextra.so" / "keep"), "kept");
    EXPECT_FALSE(fs::exists(setup / "FileList.vtu"));
    EXPECT_FALSE(fs::exists(setup / "libextra.so.vtu"));
    EXPECT_FALSE(fs::exists(setup / "vtlupd.journal"));
    EXPECT_EQ(setup.Started(), "old[]\n");
}

// Killed after every change it makes, vtlupd leaves each program file whole (old or new bytes,
// never part of one); without a journal the directory is all old or all new; the next run
// finishes the update, or undoes it when a replacement fails.
TEST(Vtlupd, KilledAtEveryStepTheNextRunFinishesOrUndoes)
{
    for (const bool failing : {false, true}) {
        SCOPED_TRACE(failing ? "with a failing replacement" : "with a good update");
        long step = 1;
        for (;; ++step) {
            SCOPED_TRACE("killed after step " + std::to_string(step));
            ASSERT_LT(step, 40);
            UpdateSetup setup;
            if (failing) {
                fs::create_directory(setup / "libextra.so");
                WriteFileBytes(setup / "libextra.so" / "keep", "kept");
            }
            auto killed = setup.Run(step);
            if (killed->Signal() != SIGKILL) {
                // Past the last step: the run went through on its own.
                EXPECT_EQ(killed->ExitCode(), failing ? 1 : 0);
                break;
            }
            const bool journal = fs::exists(setup / "vtlupd.journal");
            bool allOld = true;
            bool allNew = true;
            for (const ProgramFile& file : setup.Files()) {
                if (failing && file.name == "libextra.so")
                    continue;
                const std::string bytes
                    = fs::exists(setup / file.name) ? ReadFileBytes(setup / file.name) : "";
                EXPECT_TRUE(bytes == file.oldBytes || bytes == file.newBytes) << file.name << ": " << bytes;
                allOld = allOld && bytes == file.oldBytes;
                allNew = allNew && bytes == file.newBytes;
            }
            if (journal) {
                std::string error;
                EXPECT_TRUE(UpdateJournal::Parse(ReadFileBytes(setup / "vtlupd.journal"), error).has_value())
                    << error;
            } else {
                EXPECT_TRUE(allOld || allNew);
            }
            EXPECT_FALSE(fs::exists(setup / "started"));

            auto next = setup.Run();
            if (failing) {
                EXPECT_EQ(next->ExitCode(), journal || fs::exists(setup / "FileList.vtu") ? 1 : 0)
                    << setup.Stderr();
                EXPECT_EQ(ReadFileBytes(setup / "vtl"), setup.Files()[0].oldBytes);
                EXPECT_EQ(ReadFileBytes(setup / "libvortalux.so"), setup.Files()[1].oldBytes);
                EXPECT_EQ(ReadFileBytes(setup / "libextra.so" / "keep"), "kept");
                EXPECT_FALSE(fs::exists(setup / "vtlupd.journal"));
            } else {
                EXPECT_EQ(next->ExitCode(), 0) << setup.Stderr();
                setup.ExpectNew();
                if (journal || !allNew) {
                    EXPECT_EQ(setup.Started(), "new[/UpdDone]\n");
                }
            }
        }
        // Journal, two items of two changes each, and the clean-up: the kills covered them all.
        EXPECT_GE(step, failing ? 10 : 11);
    }
}

TEST(Vtlupd, WaitsForTheRunningVtlAndGivesUpWithAMessage)
{
    UpdateSetup setup;
    LockHolder vtl(setup.Home(), LockMode::Shared);
    ASSERT_TRUE(vtl.Held());

    auto gaveUp = setup.Start({"--wait", "1"});
    gaveUp->Wait();
    EXPECT_EQ(gaveUp->ExitCode(), 3);
    EXPECT_EQ(setup.Stderr(),
        "vtlupd: VTL is still running after 1 seconds. Close every VTL window and start vtlupd again; "
        "nothing was replaced.\n");
    setup.ExpectOld(true);

    auto vtlupd = setup.Start({"--wait", "60"});
    std::this_thread::sleep_for(500ms);
    EXPECT_FALSE(vtlupd->HasEnded());
    setup.ExpectOld(true);
    vtl.Release();
    vtlupd->Wait();
    EXPECT_EQ(vtlupd->ExitCode(), 0) << setup.Stderr();
    setup.ExpectNew();
    EXPECT_EQ(setup.Started(), "new[/UpdDone]\n");
}
