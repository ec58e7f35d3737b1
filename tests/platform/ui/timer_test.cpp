#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

#include "support/manual_time.hpp"
#include "vistrel/platform/dispatch/clock.hpp"
#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/timer.hpp"

using namespace platform::ui;
namespace dispatch = platform::dispatch;
using namespace std::chrono_literals;

namespace {

class TimerTest : public ::testing::Test {
protected:
    // A timer that counts its ticks in `ticks`.
    std::shared_ptr<Timer> counting(double interval, bool repeats = true) {
        return Timer::scheduledTimer(interval, repeats, [this](Timer&) { ++ticks; });
    }

    int ticks = 0;  // before the clock, which runs what is left as it goes
    testsupport::ManualTime time;
};

}  // namespace

TEST_F(TimerTest, ARepeatingTimerDoesNotDriftWhateverTheSteps) {
    // Each step moves the clock; the count is the number of whole intervals since the
    // start, however late the ticks before ran.
    struct Step {
        dispatch::Duration by;
        int ticks;
    };
    const Step steps[] = {{50ms, 0}, {100ms, 1}, {100ms, 2}, {330ms, 5}, {420ms, 10}, {99ms, 10}, {1ms, 11}};
    std::vector<dispatch::TimePoint> dueTimes;
    const auto start = dispatch::now();
    auto timer = Timer::scheduledTimer(100ms, true, [&](Timer& t) {
        ++ticks;
        dueTimes.push_back(t.fireDate());
    });
    for (const auto& step : steps) {
        time.advance(step.by);
        EXPECT_EQ(ticks, step.ticks) << "after a step of " << step.by.count() << " ns";
    }
    EXPECT_EQ(dueTimes.back(), start + 1100ms);
    EXPECT_EQ(timer->fireDate(), start + 1200ms);
    timer->invalidate();
}

TEST_F(TimerTest, TheRunLoopHoldsATimerUntilItIsInvalidThenReleasesItsBlock) {
    auto held = std::make_shared<int>(0);
    std::weak_ptr<int> watch = held;
    std::weak_ptr<Timer> timer = Timer::scheduledTimer(0.1, true, [this, held](Timer& t) {
        if (++ticks == 3) t.invalidate();
        EXPECT_EQ(*held, 0);  // still alive while the block runs
    });
    held.reset();
    time.advance(1s);
    EXPECT_EQ(ticks, 3);
    EXPECT_TRUE(timer.expired() && watch.expired());
    time.advance(1s);
    EXPECT_EQ(ticks, 3);

    // A one-shot timer is still valid while its block runs, then invalid and let go.
    held = std::make_shared<int>(0);
    watch = held;
    std::vector<bool> validInside;
    auto oneShot =
        Timer::scheduledTimer(0.5, false, [&validInside, held](Timer& t) { validInside.push_back(t.isValid()); });
    held.reset();
    time.advance(499ms);
    EXPECT_TRUE(validInside.empty());
    time.advance(10s);
    EXPECT_EQ(validInside, std::vector<bool>{true});
    EXPECT_FALSE(oneShot->isValid());
    EXPECT_TRUE(watch.expired());
}

TEST_F(TimerTest, IntervalsTooShortAreRaisedToTheMinimumAndNoneAndEndlessOnesNeverTick) {
    for (double interval : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
        SCOPED_TRACE(interval);
        ticks = 0;
        auto timer = counting(interval);
        EXPECT_EQ(timer->timeInterval(), Timer::minimumInterval);
        time.advance(1ms);  // would never end if the timer fell due again at once
        EXPECT_EQ(ticks, 10);
        timer->invalidate();
    }
    // Without a block a timer is invalid; at the end of time it never ticks.
    platform::LogCapture capture;
    EXPECT_FALSE(Timer::scheduledTimer(0.1, true, nullptr)->isValid());
    ticks = 0;
    auto far = counting(std::numeric_limits<double>::infinity());
    time.advance(std::chrono::hours(24 * 365));
    EXPECT_EQ(ticks, 0);
    far->invalidate();
}

TEST_F(TimerTest, ATimerScheduledOffTheMainThreadTicksOnTheMainRunLoop) {
    platform::LogCapture capture;
    std::vector<bool> onMain;
    std::shared_ptr<Timer> timer;
    std::thread([&] {
        timer = Timer::scheduledTimer(0.1, false, [&](Timer&) { onMain.push_back(dispatch::isMainThread()); });
    }).join();
    time.advance(100ms);
    EXPECT_EQ(onMain, std::vector<bool>{true});
}
