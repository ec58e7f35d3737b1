#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "countdown.hpp"
#include "platform/dispatch/clock.hpp"
#include "platform/dispatch/queue.hpp"
#include "platform/dispatch/run_loop.hpp"

namespace dispatch = platform::dispatch;
using dispatch::RunLoop;
using dispatch_test::advanceAndRun;
using dispatch_test::Countdown;
using dispatch_test::kPatience;
using namespace std::chrono_literals;

namespace {

class DelayTest : public dispatch_test::DrainedMainQueueTest {
protected:
    // Appends to `order` on the main queue.
    std::function<void()> note(std::string name) { return [this, name] { order.push_back(name); }; }

    std::vector<std::string> order;
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(DelayTest, ManualClockPostsInDeadlineOrderTiesInSubmissionOrder) {
    dispatch::ScopedManualClock clock;
    const auto main = dispatch::main();
    main.asyncAfter(30ms, note("30"));
    main.asyncAfter(20ms, note("20 a"));
    main.asyncAfter(10ms, note("10 a"));
    main.asyncAfter(std::chrono::duration<double>(0.02), note("20 b"));
    main.asyncAt(clock->now() + 10ms, note("10 b"));
    main.asyncAfter(10ms, note("10 c"));

    // One step past every deadline still posts them by deadline, not by submission.
    EXPECT_EQ(advanceAndRun(clock, 1s), 6u);
    EXPECT_EQ(order, (Names{"10 a", "10 b", "10 c", "20 a", "20 b", "30"}));
}

TEST_F(DelayTest, ManualClockFiresNothingEarlyAndWhatIsDueAtOnce) {
    dispatch::ScopedManualClock clock;
    dispatch::main().asyncAfter(10ms, note("10"));
    dispatch::main().asyncAfter(std::chrono::duration<long long, std::pico>(10'000'000'001), note("10+"));

    // Exactly at the deadline is due; the picosecond delay is rounded up, not down.
    const std::vector<std::size_t> ran{advanceAndRun(clock, 9ms), advanceAndRun(clock, 999us),
                                       advanceAndRun(clock, 1us), advanceAndRun(clock, 1ns)};
    EXPECT_EQ(ran, (std::vector<std::size_t>{0, 0, 1, 1}));
    EXPECT_EQ(order, (Names{"10", "10+"}));

    // Real time does not move a manual clock.
    dispatch::main().asyncAfter(1ns, note("never by itself"));
    EXPECT_EQ(RunLoop::runFor(20ms), 0u);
    clock->set(clock->now() + 1ns);
    EXPECT_EQ(RunLoop::runUntilIdle(), 1u);

    // A delay of zero or less, or a deadline passed, is due at once.
    order.clear();
    dispatch::main().asyncAfter(0s, note("zero"));
    dispatch::main().asyncAfter(-5s, note("negative"));
    dispatch::main().asyncAt(clock->now() - 1h, note("past"));
    EXPECT_EQ(RunLoop::runUntilIdle(), 3u);
    EXPECT_EQ(order, (Names{"zero", "negative", "past"}));
}

TEST_F(DelayTest, AdvancePostsToSerialAndGlobalQueuesBeforeReturning) {
    dispatch::ScopedManualClock clock;
    const auto serial = dispatch::makeSerialQueue("delayed.serial");
    std::atomic<bool> serialRan{false};
    Countdown globalRan(1);
    serial.asyncAfter(5ms, [&] { serialRan = true; });
    dispatch::global().asyncAfter(5ms, [&] { globalRan.arrive(); });
    // A sync is queued behind the delayed block, so it has run if it was due.
    auto ranAfter = [&](dispatch::Duration by) {
        clock->advance(by);
        serial.sync([] {});
        return serialRan.load();
    };
    EXPECT_FALSE(ranAfter(4ms));
    EXPECT_TRUE(ranAfter(1ms));
    EXPECT_TRUE(globalRan.waitFor(kPatience));
}

TEST_F(DelayTest, DeadlineTimersCatchUpWithoutDrift) {
    // A repeating 0.1 s tick that schedules its next deadline from the first one, as a
    // timer on the main run loop does: a one-second step gives exactly ten ticks.
    dispatch::ScopedManualClock clock;
    const dispatch::TimePoint start = clock->now();
    int ticks = 0;
    bool stopped = false;
    std::function<void()> tick = [&] {
        ++ticks;
        if (!stopped) dispatch::main().asyncAt(start + 100ms * (ticks + 1), [&] { tick(); });
    };
    dispatch::main().asyncAt(start + 100ms, [&] { tick(); });

    const std::vector<std::size_t> ran{advanceAndRun(clock, 1s), advanceAndRun(clock, 99ms), advanceAndRun(clock, 1ms)};
    EXPECT_EQ(ran, (std::vector<std::size_t>{10, 0, 1}));
    EXPECT_EQ(ticks, 11);
    stopped = true;
    EXPECT_EQ(advanceAndRun(clock, 1s), 1u);  // the tick already scheduled, and no more
    EXPECT_EQ(ticks, 12);
}

TEST_F(DelayTest, WorkScheduledBeforeAndAfterAManualClockIsNotLost) {
    // Scheduled on the system clock an hour ahead: the manual clock reaches it, in
    // deadline order with its own blocks.
    dispatch::main().asyncAfter(1h, note("an hour"));
    {
        dispatch::ScopedManualClock clock;
        dispatch::main().asyncAfter(1ms, note("a millisecond"));
        EXPECT_EQ(advanceAndRun(clock, 59min), 1u);
        EXPECT_EQ(advanceAndRun(clock, 1min), 1u);
        EXPECT_EQ(order, (Names{"a millisecond", "an hour"}));
    }
    {
        dispatch::ScopedManualClock clock;
        dispatch::main().asyncAfter(1ms, note("left on the manual clock"));
    }
    // Back on the system clock, what was left fires by real time.
    EXPECT_TRUE(RunLoop::runUntil([&] { return order.size() == 3; }, kPatience));
    EXPECT_EQ(order.back(), "left on the manual clock");
}

TEST_F(DelayTest, RealClockRunsDelayedBlocksAfterAtLeastTheDelay) {
    const auto start = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point mainAt, serialAt;
    std::mutex mutex;
    bool serialDone = false;
    dispatch::main().asyncAfter(40ms, [&] { order.push_back("40"); });
    dispatch::main().asyncAfter(15ms, [&] {
        mainAt = std::chrono::steady_clock::now();
        order.push_back("15");
    });
    dispatch::makeSerialQueue("delayed.real").asyncAfter(std::chrono::duration<double>(0.02), [&] {
        std::lock_guard lock(mutex);
        serialAt = std::chrono::steady_clock::now();
        serialDone = true;
    });
    ASSERT_TRUE(RunLoop::runUntil([&] { return order.size() == 2; }, kPatience));
    EXPECT_EQ(order, (Names{"15", "40"}));
    EXPECT_GE(mainAt - start, 15ms);
    ASSERT_TRUE(RunLoop::runUntil([&] { std::lock_guard lock(mutex); return serialDone; }, kPatience));
    EXPECT_GE(serialAt - start, 20ms);
}

TEST_F(DelayTest, RealClockHandlesAnEarlierDeadlineArrivingWhileTheTimerSleeps) {
    dispatch::main().asyncAfter(1h, note("far"));  // the timer thread now sleeps long
    dispatch::main().asyncAfter(5ms, note("near"));
    EXPECT_TRUE(RunLoop::runUntil([&] { return !order.empty(); }, kPatience));
    EXPECT_EQ(order, (Names{"near"}));
    {
        // Leave nothing behind for later tests: a manual clock takes the far block out.
        dispatch::ScopedManualClock clock;
        EXPECT_EQ(advanceAndRun(clock, 1h), 1u);
    }
}
