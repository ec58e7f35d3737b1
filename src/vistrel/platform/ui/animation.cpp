#include "vistrel/platform/ui/animation.hpp"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace platform::ui {

namespace {

// The timings of the animation blocks running on this thread, innermost last.
thread_local std::vector<AnimationTiming> runningBlocks;

class RunningBlock {
public:
    explicit RunningBlock(const AnimationTiming& timing) { runningBlocks.push_back(timing); }
    ~RunningBlock() { runningBlocks.pop_back(); }
    RunningBlock(const RunningBlock&) = delete;
    RunningBlock& operator=(const RunningBlock&) = delete;
};

double seconds(double value, const char* what) {
    if (std::isinf(value)) {
        log(std::string("animate :: an infinite ") + what + " counts as zero");
        return 0;
    }
    if (std::isnan(value) || value < 0) return 0;
    return value;
}

void run(AnimationTiming timing, const AnimationBlock& animations, AnimationCompletion completion) {
    timing.duration = seconds(timing.duration, "duration");
    timing.delay = seconds(timing.delay, "delay");
    timing.start = dispatch::now();
    if (animations) {
        RunningBlock running(timing);
        animations();
    }
    if (!completion) return;
    // One deadline per animation: the dispatch clock keeps deadline order, and ties in
    // the order they were scheduled, which is the order the animations started.
    dispatch::main().asyncAt(timing.end(), [completion = std::move(completion)] { completion(true); });
}

}  // namespace

dispatch::TimePoint AnimationTiming::end() const {
    const auto length = dispatch::toDuration(std::chrono::duration<double>(delay + duration));
    return dispatch::deadlineAfter(start, length);
}

void animate(double duration, const AnimationBlock& animations, AnimationCompletion completion) {
    run({duration, 0, AnimationOptions::none, std::nullopt, {}}, animations, std::move(completion));
}

void animate(double duration, double delay, AnimationOptions options, const AnimationBlock& animations,
             AnimationCompletion completion) {
    run({duration, delay, options, std::nullopt, {}}, animations, std::move(completion));
}

void animate(double duration, double delay, double dampingRatio, double initialVelocity,
             AnimationOptions options, const AnimationBlock& animations, AnimationCompletion completion) {
    run({duration, delay, options, Spring{dampingRatio, initialVelocity}, {}}, animations, std::move(completion));
}

std::optional<AnimationTiming> currentAnimation() {
    if (runningBlocks.empty()) return std::nullopt;
    return runningBlocks.back();
}

}  // namespace platform::ui
