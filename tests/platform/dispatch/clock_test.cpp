#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>

#include "platform/dispatch/clock.hpp"
#include "platform/foundation/log.hpp"

namespace dispatch = platform::dispatch;
using namespace std::chrono_literals;

TEST(ClockConversion, AnyDurationBecomesNanosecondsWithoutOverflow) {
    using dispatch::Duration;
    using dispatch::toDuration;
    EXPECT_EQ(toDuration(100ms), Duration(100'000'000));
    EXPECT_EQ(toDuration(std::chrono::duration<double>(0.1)), 100ms);  // not 100 ms + 1 ns
    EXPECT_EQ(toDuration(std::chrono::duration<float, std::milli>(2.5f)), 2500us);
    EXPECT_EQ(toDuration(std::chrono::duration<long long, std::pico>(1)), 1ns);  // rounds up
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
    clock.advance(std::chrono::duration<double>(1.75));
    EXPECT_EQ(clock.now(), start + 1750ms);
    clock.set(start + 10s);
    EXPECT_EQ(clock.now(), start + 10s);

    clock.set(start);  // backwards
    clock.advance(-1ms);
    EXPECT_EQ(clock.now(), start + 10s);

    clock.advance(dispatch::Duration::max());
    EXPECT_EQ(clock.now(), dispatch::TimePoint::max());
}

TEST(ScopedManualClock, InstallsFromTheCurrentTimeAndRestoresTheClockBefore) {
    const auto before = dispatch::currentClock();
    ASSERT_NE(dynamic_cast<dispatch::SystemClock*>(before.get()), nullptr);
    {
        const dispatch::TimePoint realStart = std::chrono::steady_clock::now();
        dispatch::ScopedManualClock outer;
        EXPECT_EQ(dispatch::currentClock().get(), &outer.clock());
        EXPECT_GE(dispatch::now(), realStart);
        outer->advance(1h);
        const dispatch::TimePoint frozen = dispatch::now();
        {
            dispatch::ScopedManualClock inner;
            EXPECT_EQ(inner->now(), frozen);  // continues from the clock it replaces
            inner->advance(1s);
        }
        EXPECT_EQ(dispatch::currentClock().get(), &outer.clock());
        EXPECT_EQ(dispatch::now(), frozen);
    }
    EXPECT_EQ(dispatch::currentClock(), before);
    const dispatch::TimePoint restored = dispatch::now();
    EXPECT_LE(restored, std::chrono::steady_clock::now());
}
