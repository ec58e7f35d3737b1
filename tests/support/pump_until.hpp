#pragma once
// Runs the main queue until `done` holds, in real time (a manual clock does not move), for
// work that ends on threads of its own: a loopback server's answer, the camera's still.
// Without a number of rounds, the bound of two minutes only catches a hang (a sanitizer
// build on a loaded machine is slow); a few rounds let queued work run when a test
// checks that something does not happen.
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

#include "vistrel/platform/dispatch/run_loop.hpp"

namespace testsupport {

inline bool pumpUntil(const std::function<bool()>& done, std::optional<int> rounds = std::nullopt) {
    using platform::dispatch::RunLoop;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    for (int i = 0; (rounds ? i < *rounds : std::chrono::steady_clock::now() < deadline) && !done(); ++i) {
        RunLoop::runUntilIdle();
        if (!done()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    RunLoop::runUntilIdle();
    return done();
}

}  // namespace testsupport
