#include "vistrel/platform/foundation/wait_bound.hpp"

#include <algorithm>

namespace platform {

namespace {
// When the calling thread's waits must be over: never, while no bound is in force.
thread_local std::chrono::steady_clock::time_point tDeadline = std::chrono::steady_clock::time_point::max();
}  // namespace

WaitBound::WaitBound(std::chrono::milliseconds bound) : outer_(tDeadline) {
    tDeadline = std::min(outer_, std::chrono::steady_clock::now() + bound);
}

WaitBound::~WaitBound() { tDeadline = outer_; }

std::chrono::milliseconds WaitBound::left(std::chrono::milliseconds most) {
    if (tDeadline == std::chrono::steady_clock::time_point::max()) return most;
    const auto now = std::chrono::steady_clock::now();
    if (now >= tDeadline) return std::chrono::milliseconds::zero();
    return std::min(most, std::chrono::duration_cast<std::chrono::milliseconds>(tDeadline - now));
}

}  // namespace platform
