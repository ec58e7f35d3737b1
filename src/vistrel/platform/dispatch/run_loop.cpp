#include "vistrel/platform/dispatch/run_loop.hpp"

#include <algorithm>
#include <string>

#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/queue_impl.hpp"
#include "vistrel/platform/dispatch/queue_scope.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace platform::dispatch {

namespace {

// How often runUntil looks at its predicate while no block arrives.
constexpr auto kPredicatePoll = std::chrono::milliseconds(5);

bool onMainThread(const char* function) {
    if (isMainThread()) return true;
    platform::log(std::string("dispatch :: RunLoop::") + function + " called off the main thread; ignored");
    return false;
}

// Runs the next block of the main queue, if there is one.
bool runOne(detail::MainQueue& queue) {
    Block block;
    if (!queue.tryPop(block)) return false;
    detail::runGuarded(block, queue.label());
    return true;
}

std::function<void()>& drainHook() {
    static auto* hook = new std::function<void()>;
    return *hook;
}

// Runs the hook once the queue is empty; a copy, so that the hook may replace itself.
void afterDrain() {
    static bool running = false;
    if (running || !drainHook()) return;
    running = true;
    const auto hook = drainHook();
    hook();
    running = false;
}

TimePoint realDeadline(Duration timeout) {
    return deadlineAfter(std::chrono::steady_clock::now(), timeout);
}

}  // namespace

std::size_t RunLoop::runUntilIdle() {
    if (!onMainThread("runUntilIdle")) return 0;
    auto& queue = *detail::MainQueue::instance();
    std::size_t ran = 0;
    for (;;) {
        while (runOne(queue)) ++ran;
        afterDrain();
        if (!runOne(queue)) return ran;
        ++ran;
    }
}

void RunLoop::setDrainHook(std::function<void()> hook) {
    if (!onMainThread("setDrainHook")) return;
    drainHook() = std::move(hook);
}

std::size_t RunLoop::runFor(Duration duration) {
    if (!onMainThread("runFor")) return 0;
    auto& queue = *detail::MainQueue::instance();
    const TimePoint deadline = realDeadline(duration);
    std::size_t ran = 0;
    for (;;) {
        while (runOne(queue)) ++ran;
        afterDrain();
        if (std::chrono::steady_clock::now() >= deadline) return ran;
        queue.waitForWork(deadline);
    }
}

bool RunLoop::runUntil(const std::function<bool()>& predicate, Duration timeout) {
    if (!onMainThread("runUntil")) return false;
    if (!predicate) {
        platform::log("dispatch :: RunLoop::runUntil called without a predicate; ignored");
        return false;
    }
    auto& queue = *detail::MainQueue::instance();
    const TimePoint deadline = realDeadline(timeout);
    for (;;) {
        if (predicate()) return true;
        if (runOne(queue)) continue;
        afterDrain();
        if (predicate()) return true;
        const TimePoint now = std::chrono::steady_clock::now();
        if (now >= deadline) return false;
        queue.waitForWork(deadline - now > kPredicatePoll ? now + kPredicatePoll : deadline);
    }
}

}  // namespace platform::dispatch
