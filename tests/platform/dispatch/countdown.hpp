#pragma once
// A count that threads bring down to zero, with a bounded wait, for tests that must
// not hang when something is wrong.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <numeric>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dispatch/clock.hpp"
#include "platform/dispatch/run_loop.hpp"

namespace dispatch_test {

class Countdown {
public:
    explicit Countdown(std::size_t count) : count_(count) {}

    void arrive() {
        std::lock_guard lock(mutex_);
        if (count_ > 0 && --count_ == 0) zero_.notify_all();
    }

    // True once the count is zero; false after the timeout.
    bool waitFor(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return zero_.wait_for(lock, timeout, [&] { return count_ == 0; });
    }

    // Arrives, then waits for everyone else.
    bool arriveAndWait(std::chrono::milliseconds timeout) {
        arrive();
        return waitFor(timeout);
    }

private:
    std::mutex mutex_;
    std::condition_variable zero_;
    std::size_t count_;
};

// Long enough never to be reached when things work; short enough that a fault fails
// the test instead of hanging it.
constexpr std::chrono::milliseconds kPatience{20000};

// Starts with the main queue drained of whatever an earlier test left on it.
class DrainedMainQueueTest : public ::testing::Test {
protected:
    void SetUp() override { platform::dispatch::RunLoop::runUntilIdle(); }
};

// 0, 1, ... n - 1: the order in which n numbered blocks ran when nothing overtook.
inline std::vector<int> upTo(int n) {
    std::vector<int> v(static_cast<std::size_t>(n));
    std::iota(v.begin(), v.end(), 0);
    return v;
}

// Moves the manual clock on, then runs what fell due on the main queue; gives how many ran.
inline std::size_t advanceAndRun(platform::dispatch::ScopedManualClock& clock, platform::dispatch::Duration by) {
    clock->advance(by);
    return platform::dispatch::RunLoop::runUntilIdle();
}

}  // namespace dispatch_test
