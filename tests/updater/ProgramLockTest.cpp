#include "ProgramLock.h"
#include "ProcessHelpers.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace vortalux;
using namespace std::chrono_literals;
using vortalux::test::LockHolder;
using vortalux::test::TempDir;

TEST(ProgramLock, SharedHoldersRunTogetherAndKeepTheExclusiveOneOut)
{
    TempDir dir;
    ProgramLock first = ProgramLock::Acquire(dir.Path(), LockMode::Shared, 0ms);
    ProgramLock second = ProgramLock::Acquire(dir.Path(), LockMode::Shared, 0ms);
    EXPECT_TRUE(first.IsHeld());
    EXPECT_TRUE(second.IsHeld());

    ProgramLock updater = ProgramLock::Acquire(dir.Path(), LockMode::Exclusive, 200ms);
    EXPECT_EQ(updater.Status(), LockStatus::TimedOut);
    EXPECT_EQ(updater.Error(), (dir / "vtl.lock").string() + " stayed locked by another program");

    first.Release();
    EXPECT_EQ(ProgramLock::Acquire(dir.Path(), LockMode::Exclusive, 0ms).Status(), LockStatus::TimedOut);
    second = ProgramLock(); // moved-over locks are released too
    updater = ProgramLock::Acquire(dir.Path(), LockMode::Exclusive, 0ms);
    ASSERT_TRUE(updater.IsHeld());
    // A vtl started while the files are replaced waits for the updater.
    EXPECT_EQ(ProgramLock::Acquire(dir.Path(), LockMode::Shared, 100ms).Status(), LockStatus::TimedOut);
}

TEST(ProgramLock, BlockedWaitEndsWhenTheOtherProcessLetsGo)
{
    TempDir dir;
    LockHolder vtl(dir.Path(), LockMode::Shared);
    ASSERT_TRUE(vtl.Held());
    EXPECT_EQ(ProgramLock::Acquire(dir.Path(), LockMode::Exclusive, 0ms).Status(), LockStatus::TimedOut);

    // The holder lets go while Acquire blocks; the wait of a minute ends then, not at its end.
    const auto start = std::chrono::steady_clock::now();
    std::thread releaser([&vtl] {
        std::this_thread::sleep_for(300ms);
        vtl.Release();
    });
    ProgramLock updater = ProgramLock::Acquire(dir.Path(), LockMode::Exclusive, 60s);
    releaser.join();
    EXPECT_TRUE(updater.IsHeld());
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
}

TEST(ProgramLock, MissingDirectoryIsUnavailable)
{
    ProgramLock lock = ProgramLock::Acquire("/nonexistent/vortalux", LockMode::Shared, 0ms);
    EXPECT_EQ(lock.Status(), LockStatus::Unavailable);
    EXPECT_EQ(lock.Error(), "/nonexistent/vortalux/vtl.lock: No such file or directory");
}
