#include "vistrel/platform/foundation/wait_bound.hpp"

#include <algorithm>

namespace platform {

namespace {
// The innermost bound in force on the calling thread; none: waits are bound by their own.
thread_local WaitBound* tInnermost = nullptr;
}  // namespace

WaitBound::WaitBound(std::chrono::milliseconds bound)
    : left_(tInnermost ? std::min<std::chrono::steady_clock::duration>(bound, tInnermost->left_) : bound),
      outer_(tInnermost) {
    tInnermost = this;
}

WaitBound::~WaitBound() { tInnermost = outer_; }

std::chrono::milliseconds WaitBound::left(std::chrono::milliseconds most) {
    if (!tInnermost) return most;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(tInnermost->left_);
    return std::clamp(left, std::chrono::milliseconds::zero(), most);
}

void WaitBound::spend(std::chrono::steady_clock::duration waited) {
    for (WaitBound* bound = tInnermost; bound; bound = bound->outer_) bound->left_ -= waited;
}

}  // namespace platform
