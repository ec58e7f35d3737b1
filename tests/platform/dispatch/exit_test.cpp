#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/dispatch/group.hpp"
#include "platform/dispatch/queue.hpp"

namespace dispatch = platform::dispatch;
using namespace std::chrono_literals;

// Leaving with work everywhere: a block still running past the grace period, blocks
// queued on serial, global and main queues, the timer thread asleep on a far deadline,
// a group never finished.
TEST(DispatchExitDeathTest, ExitIsCleanWithWorkPendingAndThreadsAsleep) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const auto serial = dispatch::makeSerialQueue("exit.serial");
            for (int i = 0; i < 100; ++i) serial.async([] { std::this_thread::sleep_for(2ms); });
            dispatch::global().async([] { std::this_thread::sleep_for(10s); });
            for (int i = 0; i < 100; ++i) dispatch::global().async([] { std::this_thread::sleep_for(1ms); });
            dispatch::main().asyncAfter(1h, [] {});
            dispatch::global().asyncAfter(1ms, [] {});
            dispatch::main().async([] {});
            dispatch::Group group;
            group.enter();
            group.notify(dispatch::main(), [] {});
            std::this_thread::sleep_for(5ms);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(DispatchExitDeathTest, ExitFromABlockOnThePoolIsClean) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            dispatch::makeSerialQueue("exit.from.block").async([] { std::exit(0); });
            std::this_thread::sleep_for(30s);
            std::exit(1);
        },
        ::testing::ExitedWithCode(0), "");
}
