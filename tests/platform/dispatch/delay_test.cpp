#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "dispatch_test_support.hpp"
#include "vistrel/platform/dispatch/clock.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace dispatch = platform::dispatch;
using dispatch::RunLoop;
using dispatch_test::advanceAndRun;
using dispatch_test::kPatience;
using namespace std::chrono_literals;

TEST(ClockConversion, DurationsRoundUpAndSaturateInsteadOfOverflowing) {
    using dispatch::Duration;
    using dispatch::toDuration;
    EXPECT_EQ(toDuration(std::chrono::duration<double>(0.1)), 100ms);  // not 100 ms + 1 ns
    EXPECT_EQ(toDuration(std::chrono::duration<long long, std::pico>(1)), 1ns);
    EXPECT_EQ(toDuration(std::chrono::duration<long long, std::pico>(-1500)), -1ns);
    EXPECT_EQ(toDuration(std::chrono::hours::max()), Duration::max());
    EXPECT_EQ(toDuration(std::chrono::hours::min()), Duration::min());
    EXPECT_EQ(toDuration(std::chrono::duration<double>(1e300)), Duration::max());
    EXPECT_EQ(toDuration(std::chrono::duration<double>(std::numeric_limits<double>::quiet_NaN())),
              Duration::zero());
}

TEST(ClockConversion, DeadlinesSaturateAndNeverPrecedeTheStart) {
    const dispatch::TimePoint start = std::chrono::steady_clock::now();
    EXPECT_EQ(dispatch::deadlineAfter(start, 5ms), start + 5ms);
    EXPECT_EQ(dispatch::deadlineAfter(start, -5ms), start);
    EXPECT_EQ(dispatch::deadlineAfter(start, dispatch::Duration::max()), dispatch::TimePoint::max());
    EXPECT_EQ(dispatch::deadlineAfter(dispatch::TimePoint::max() - 1ns, 2ns), dispatch::TimePoint::max());
}

TEST(ManualClock, MovesOnlyForwardAndOnlyWhenTold) {
    platform::LogCapture log;
    const dispatch::TimePoint start{std::chrono::seconds(1000)};
    dispatch::ManualClock clock(start);
    clock.set(start + 10s);
    clock.set(start);  // backwards
    clock.advance(-1ms);
    EXPECT_EQ(clock.now(), start + 10s);
    clock.advance(dispatch::Duration::max());
    EXPECT_EQ(clock.now(), dispatch::TimePoint::max());
}

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
    // Real time does not move a manual clock; exactly at the deadline is due.
    const std::vector<std::size_t> ran{advanceAndRun(clock, 9ms), RunLoop::runFor(20ms), advanceAndRun(clock, 1ms)};
    EXPECT_EQ(ran, (std::vector<std::size_t>{0, 0, 1}));

    // A delay below zero, or a deadline passed, is due at once.
    dispatch::main().asyncAfter(-5s, note("negative"));
    dispatch::main().asyncAt(clock->now() - 1h, note("past"));
    EXPECT_EQ(RunLoop::runUntilIdle(), 2u);
    EXPECT_EQ(order, (Names{"10", "negative", "past"}));
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

TEST_F(DelayTest, RealClockWakesForAnEarlierDeadlineFiresNoEarlierAndTakesOverFromAManualOne) {
    const auto start = std::chrono::steady_clock::now();
    dispatch::main().asyncAfter(1h, note("far"));  // the timer thread now sleeps long
    std::chrono::steady_clock::time_point nearAt;
    dispatch::main().asyncAfter(15ms, [&] {
        nearAt = std::chrono::steady_clock::now();
        order.push_back("near");
    });
    EXPECT_TRUE(RunLoop::runUntil([&] { return !order.empty(); }, kPatience));
    EXPECT_EQ(order, (Names{"near"}));
    EXPECT_GE(nearAt - start, 15ms);
    {
        // A manual clock starts from the current time and reaches the far block an hour
        // on; this also leaves nothing behind for later tests.
        dispatch::ScopedManualClock clock;
        EXPECT_EQ(advanceAndRun(clock, 1h), 1u);
    }
    // What is left on a manual clock fires by real time once it is gone.
    {
        dispatch::ScopedManualClock clock;
        dispatch::main().asyncAfter(1ms, note("left on the manual clock"));
    }
    EXPECT_TRUE(RunLoop::runUntil([&] { return order.back() == "left on the manual clock"; }, kPatience));
}
