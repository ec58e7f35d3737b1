#pragma once
// A manual clock for tests of timed UI work, with the main queue drained before and
// after. On the way out it moves an hour on, so that nothing scheduled on it (an
// animation's completion, a timer's tick) is left to fire by real time in a later test.
#include <chrono>

#include "vistrel/platform/dispatch/clock.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"

namespace testsupport {

struct ManualTime {
    platform::dispatch::ScopedManualClock clock;

    ManualTime() { platform::dispatch::RunLoop::runUntilIdle(); }
    ~ManualTime() { advance(std::chrono::hours(1)); }

    // Moves the clock and runs what fell due on the main queue.
    void advance(platform::dispatch::Duration by) {
        clock->advance(by);
        platform::dispatch::RunLoop::runUntilIdle();
    }
};

}  // namespace testsupport
