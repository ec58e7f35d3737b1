#pragma once
// Shared by the dispatch tests. Where a test must wait for other threads it waits on a
// group with a bounded patience, so that a fault fails the test instead of hanging it.
#include <chrono>
#include <cstddef>

#include <gtest/gtest.h>

#include "vistrel/platform/dispatch/clock.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"

namespace dispatch_test {

// Long enough never to be reached when things work; short enough that a fault fails
// the test instead of hanging it.
constexpr std::chrono::milliseconds kPatience{20000};

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
