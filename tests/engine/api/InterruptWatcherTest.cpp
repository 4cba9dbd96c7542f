// Ctrl-C in headless runs: every delivered signal is one call, which is what lets a second Ctrl-C
// cancel everything.
#include "InterruptWatcher.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <csignal>

using namespace vortalux;

TEST(InterruptWatcher, TwoSignalsRaisedBeforeTheLoopRunsAreTwoCalls)
{
    struct sigaction before { };
    sigaction(SIGINT, nullptr, &before);
    int calls = 0;
    {
        const InterruptWatcher watcher([&calls] { ++calls; });
        ASSERT_TRUE(watcher.IsActive());
        std::raise(SIGINT);
        std::raise(SIGINT);
        EXPECT_EQ(calls, 0) << "the handler itself calls nothing";
        QElapsedTimer clock;
        clock.start();
        while (calls < 2 && clock.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::processEvents();
        EXPECT_EQ(calls, 2);
    }
    // Gone with the watcher: the previous disposition is back.
    struct sigaction after { };
    sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}
