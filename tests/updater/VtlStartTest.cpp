// How vtl starts beside an update: it waits while vtlupd replaces files, and hands an update that
// was cut short to vtlupd instead of loading a half-replaced program.
#include "ProcessHelpers.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace vortalux;
using namespace std::chrono_literals;
using vortalux::test::ChildProgram;
using vortalux::test::LockHolder;
using vortalux::test::TempDir;
using vortalux::test::WaitForFile;
using vortalux::test::WriteFileBytes;

namespace fs = std::filesystem;

TEST(VtlStart, WaitsForTheUpdaterThenHandsAnInterruptedUpdateToIt)
{
    TempDir home;
    TempDir scratch;
    WriteFileBytes(
        home / "vtlupd", "#!/bin/sh\nprintf 'vtlupd[%s]\\n' \"$*\" > \"${0%/*}/updater-started\"\n");
    fs::permissions(home / "vtlupd", static_cast<fs::perms>(0755));
    WriteFileBytes(home / "vtlupd.journal", "vtlupd journal\r\nforward\r\nreplace vtl\r\n");

    LockHolder updater(home.Path(), LockMode::Exclusive);
    ASSERT_TRUE(updater.Held());
    ChildProgram vtl(fs::path(VORTALUX_PROGRAM_DIR) / "vtl", {},
        {{"VORTALUX_HOME", home.Path().string()}, {"QT_QPA_PLATFORM", "offscreen"},
            {"ASAN_OPTIONS", "detect_leaks=0"}},
        scratch / "stderr");
    std::this_thread::sleep_for(500ms);
    EXPECT_FALSE(vtl.HasEnded());
    EXPECT_FALSE(fs::exists(home / "updater-started"));

    updater.Release();
    ASSERT_TRUE(vtl.WaitFor(30s)) << "vtl went on to open its window";
    EXPECT_EQ(vtl.ExitCode(), 0);
    EXPECT_EQ(WaitForFile(home / "updater-started", 10s), "vtlupd[]\n");
}
