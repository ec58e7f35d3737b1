#pragma once
// Shared by the dispatch tests. Where a test must wait for other threads it waits on a
// group with a bounded patience, so that a fault fails the test instead of hanging it.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <thread>

#include <gtest/gtest.h>

#include "vistrel/platform/dispatch/clock.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"

namespace dispatch_test {

// Long enough never to be reached when things work; short enough that a fault fails
// the test instead of hanging it.
constexpr std::chrono::milliseconds kPatience{20000};

// The workers of the global queues: min(4, hardware threads), at least 2.
inline int poolSize() { return std::max(2, std::min(4, static_cast<int>(std::thread::hardware_concurrency()))); }

// Starts with the main queue drained of whatever an earlier test left on it.
class DrainedMainQueueTest : public ::testing::Test {
protected:
    void SetUp() override { platform::dispatch::RunLoop::runUntilIdle(); }
};

// Moves the manual clock on, then runs what fell due on the main queue; gives how many ran.
inline std::size_t advanceAndRun(platform::dispatch::ScopedManualClock& clock, platform::dispatch::Duration by) {
    clock->advance(by);
    return platform::dispatch::RunLoop::runUntilIdle();
}

}  // namespace dispatch_test
