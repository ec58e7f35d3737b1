#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "countdown.hpp"
#include "platform/dispatch/group.hpp"
#include "platform/dispatch/queue.hpp"
#include "platform/dispatch/run_loop.hpp"

namespace dispatch = platform::dispatch;
using dispatch::RunLoop;
using dispatch_test::Countdown;
using dispatch_test::kPatience;

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

TEST(DispatchStress, ManySerialQueuesAtOnceEachKeepTheirOrder) {
    constexpr int kQueues = 40;
    constexpr int kEach = 200;
    struct Lane {
        dispatch::Queue queue;
        std::vector<int> seen;
    };
    std::vector<Lane> lanes;
    for (int q = 0; q < kQueues; ++q) lanes.push_back({dispatch::makeSerialQueue("lane"), {}});
    dispatch::Group group;
    onThreads(kProducers, [&](int producer) {
        for (int q = producer; q < kQueues; q += kProducers)
            for (int i = 0; i < kEach; ++i)
                group.async(lanes[static_cast<std::size_t>(q)].queue,
                            [&lane = lanes[static_cast<std::size_t>(q)], i] { lane.seen.push_back(i); });
    });
    ASSERT_TRUE(group.wait(kPatience));
    for (const auto& lane : lanes) ASSERT_EQ(lane.seen, dispatch_test::upTo(kEach));
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
    Countdown finished(2 * kOuter);
    for (int i = 0; i < kOuter; ++i) {
        dispatch::global().async([&] {
            dispatch::Group inner;
            std::atomic<int> innerRan{0};
            for (int j = 0; j < 3; ++j) inner.async(dispatch::global(), [&] { ++innerRan; });
            if (inner.wait(kPatience) && innerRan == 3) ++groupWaitsDone;
            finished.arrive();
        });
        dispatch::global().async([&] {
            // The async needs a worker to drain the queue before the sync gets its turn.
            const auto queue = dispatch::makeSerialQueue("stress.sync");
            int value = 0;
            queue.async([&] { value = 1; });
            queue.sync([&] { value += 1; });
            if (value == 2) ++syncsDone;
            finished.arrive();
        });
    }
    ASSERT_TRUE(finished.waitFor(kPatience * 2));
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
