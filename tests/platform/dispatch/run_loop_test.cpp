#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "countdown.hpp"
#include "platform/dispatch/main_thread.hpp"
#include "platform/dispatch/queue.hpp"
#include "platform/dispatch/run_loop.hpp"
#include "platform/foundation/log.hpp"

namespace dispatch = platform::dispatch;
using dispatch::RunLoop;
using dispatch_test::kPatience;
using namespace std::chrono_literals;

using RunLoopTest = dispatch_test::DrainedMainQueueTest;

TEST_F(RunLoopTest, RunUntilIdleAlsoRunsBlocksQueuedWhileItRuns) {
    std::vector<std::string> order;
    dispatch::main().async([&] {
        order.push_back("first");
        dispatch::main().async([&] {
            order.push_back("queued by first");
            dispatch::main().async([&] { order.push_back("queued by that"); });
        });
    });
    dispatch::main().async([&] { order.push_back("second"); });
    EXPECT_EQ(RunLoop::runUntilIdle(), 4u);
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second", "queued by first", "queued by that"}));
    EXPECT_EQ(RunLoop::runUntilIdle(), 0u);
}

TEST_F(RunLoopTest, RunForRunsWhatIsQueuedAndWhatArrivesFromOtherThreads) {
    int ran = 0;
    for (int i = 0; i < 3; ++i) dispatch::main().async([&] { ++ran; });
    EXPECT_EQ(RunLoop::runFor(1ms), 3u);
    EXPECT_EQ(ran, 3);

    // Posted from a worker while the loop waits: picked up without being polled for.
    std::atomic<int> posted{0};
    std::thread poster([&] {
        for (int i = 0; i < 5; ++i) dispatch::main().async([&] { ++posted; });
    });
    poster.join();
    EXPECT_EQ(RunLoop::runFor(std::chrono::duration<double, std::milli>(1.5)), 5u);
    EXPECT_EQ(posted.load(), 5);
}

TEST_F(RunLoopTest, RunUntilStopsAsSoonAsThePredicateHoldsAndGivesFalseOnTimeout) {
    bool flag = false;
    int after = 0;
    dispatch::main().async([&] { flag = true; });
    dispatch::main().async([&] { ++after; });
    EXPECT_TRUE(RunLoop::runUntil([&] { return flag; }, kPatience));
    EXPECT_EQ(after, 0);  // the loop stopped right after the block that made it true
    EXPECT_EQ(RunLoop::runUntilIdle(), 1u);
    EXPECT_EQ(after, 1);

    // State set by another thread, with no block posted, is seen too.
    std::atomic<bool> set{false};
    std::thread setter([&] { set = true; });
    EXPECT_TRUE(RunLoop::runUntil([&] { return set.load(); }, kPatience));
    setter.join();

    const auto start = std::chrono::steady_clock::now();
    int checks = 0;
    EXPECT_FALSE(RunLoop::runUntil([&] { ++checks; return false; }, 30ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);
    EXPECT_GE(checks, 2);
    EXPECT_FALSE(RunLoop::runUntil([] { return false; }, -1s));
    EXPECT_TRUE(RunLoop::runUntil([] { return true; }, std::chrono::hours::max()));

    platform::LogCapture log;
    EXPECT_FALSE(RunLoop::runUntil(std::function<bool()>{}, 1ms));
}

TEST_F(RunLoopTest, OnlyTheMainThreadRunsTheLoop) {
    EXPECT_TRUE(dispatch::isMainThread());
    platform::LogCapture log;
    bool ran = false;
    dispatch::main().async([&] { ran = true; });
    // On another thread: whether it is the main one, what runUntilIdle and runFor ran, and runUntil.
    std::tuple<bool, std::size_t, std::size_t, bool> worker{true, 99, 99, true};
    std::thread([&] {
        worker = {dispatch::isMainThread(), RunLoop::runUntilIdle(), RunLoop::runFor(1ms),
                  RunLoop::runUntil([] { return true; }, 1ms)};
    }).join();
    EXPECT_EQ(worker, std::tuple(false, 0u, 0u, false));
    EXPECT_FALSE(ran);
    EXPECT_EQ(RunLoop::runUntilIdle(), 1u);
    EXPECT_TRUE(ran);

    std::atomic<bool> globalIsMain{true};
    dispatch::global().async([&] { globalIsMain = dispatch::isMainThread(); });
    EXPECT_TRUE(RunLoop::runUntil([&] { return !globalIsMain.load(); }, kPatience));
}
