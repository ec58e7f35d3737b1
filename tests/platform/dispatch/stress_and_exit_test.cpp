#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "dispatch_test_support.hpp"
#include "vistrel/platform/dispatch/group.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"

namespace dispatch = platform::dispatch;
using dispatch::RunLoop;
using dispatch_test::kPatience;
using namespace std::chrono_literals;

namespace {

constexpr int kProducers = 8;

// Starts `count` threads running `body(index)` and joins them.
template <class Body>
void onThreads(int count, Body body) {
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i) threads.emplace_back(body, i);
    for (auto& t : threads) t.join();
}

}  // namespace

TEST(DispatchStress, ManyThreadsFeedingOneSerialQueueLoseNothingAndKeepEachOrder) {
    constexpr int kEach = 2000;
    const auto queue = dispatch::makeSerialQueue("stress.serial");
    long total = 0;                                 // guarded by the queue alone
    std::vector<int> lastSeen(kProducers, -1);      // per producer, likewise
    bool outOfOrder = false;
    std::atomic<int> inFlight{0};
    std::atomic<bool> overlapped{false};
    onThreads(kProducers, [&](int producer) {
        for (int i = 0; i < kEach; ++i) {
            auto block = [&, producer, i] {
                if (inFlight.fetch_add(1) != 0) overlapped = true;
                if (lastSeen[producer] != i - 1) outOfOrder = true;
                lastSeen[producer] = i;
                ++total;
                inFlight.fetch_sub(1);
            };
            // Mix in syncs: they take their turn like any other block.
            if (i % 50 == 0) queue.sync(block); else queue.async(block);
        }
    });
    queue.sync([] {});
    EXPECT_EQ(total, long{kProducers} * kEach);
    EXPECT_EQ(std::pair(outOfOrder, overlapped.load()), std::pair(false, false));
}

TEST(DispatchStress, ManyThreadsFeedingGlobalAndMainLoseNothing) {
    constexpr int kEach = 1000;
    std::atomic<long> global{0};
    long onMain = 0;
    dispatch::Group group;
    onThreads(kProducers, [&](int) {
        for (int i = 0; i < kEach; ++i) {
            group.async(dispatch::global(), [&] { ++global; });
            dispatch::main().async([&] { ++onMain; });
        }
    });
    ASSERT_TRUE(group.wait(kPatience));
    EXPECT_EQ(global.load(), long{kProducers} * kEach);
    EXPECT_EQ(RunLoop::runUntilIdle(), std::size_t{kProducers} * kEach);
    EXPECT_EQ(onMain, long{kProducers} * kEach);
}

TEST(DispatchStress, WaitsInsidePoolWorkDoNotStarveThePool) {
    // More outer blocks than workers, each waiting for pool work of its own: a pool
    // of fixed size would have every worker waiting and nobody left to do the work.
    constexpr int kOuter = 12;
    std::atomic<int> groupWaitsDone{0};
    std::atomic<int> syncsDone{0};
    dispatch::Group finished;
    for (int i = 0; i < kOuter; ++i) {
        finished.async(dispatch::global(), [&] {
            dispatch::Group inner;
            std::atomic<int> innerRan{0};
            for (int j = 0; j < 3; ++j) inner.async(dispatch::global(), [&] { ++innerRan; });
            if (inner.wait(kPatience) && innerRan == 3) ++groupWaitsDone;
        });
        finished.async(dispatch::global(), [&] {
            // The async needs a worker to drain the queue before the sync gets its turn.
            const auto queue = dispatch::makeSerialQueue("stress.sync");
            int value = 0;
            queue.async([&] { value = 1; });
            queue.sync([&] { value += 1; });
            if (value == 2) ++syncsDone;
        });
    }
    ASSERT_TRUE(finished.wait(kPatience * 2));
    EXPECT_EQ(std::pair(groupWaitsDone.load(), syncsDone.load()), std::pair(kOuter, kOuter));
}

TEST(DispatchStress, DelayedBlocksFromManyThreadsAllArrive) {
    constexpr int kEach = 200;
    std::atomic<int> fired{0};
    dispatch::Group group;
    onThreads(kProducers, [&](int producer) {
        for (int i = 0; i < kEach; ++i) {
            group.enter();
            dispatch::global().asyncAfter(std::chrono::microseconds((producer * 37 + i * 11) % 3000), [&, group] {
                ++fired;
                group.leave();
            });
        }
    });
    ASSERT_TRUE(group.wait(kPatience));
    EXPECT_EQ(fired.load(), kProducers * kEach);
}

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
