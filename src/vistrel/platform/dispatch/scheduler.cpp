#include "vistrel/platform/dispatch/scheduler.hpp"

#include <algorithm>
#include <string>
#include <system_error>
#include <thread>

#include "vistrel/platform/dispatch/queue_impl.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace platform::dispatch::detail {

namespace {
// The background thread never sleeps longer than this in one go, so that a far
// deadline cannot overflow the wait.
constexpr auto kLongestSleep = std::chrono::hours(1);
}  // namespace

Scheduler& Scheduler::instance() {
    // Leaked on purpose: its thread may still be asleep in it while the process exits.
    static Scheduler* scheduler = new Scheduler();
    return *scheduler;
}

Scheduler::Scheduler() : systemClock_(std::make_shared<SystemClock>()), clock_(systemClock_) {}

std::shared_ptr<Clock> Scheduler::clock() {
    std::lock_guard lock(mutex_);
    return clock_;
}

std::shared_ptr<Clock> Scheduler::install(std::shared_ptr<Clock> clock) {
    std::lock_guard lock(mutex_);
    std::shared_ptr<Clock> previous = std::move(clock_);
    clock_ = clock ? std::move(clock) : systemClock_;
    postDueLocked(clock_->now());
    if (clock_ == systemClock_ && !pending_.empty() && !threadStarted_) startThreadLocked();
    changed_.notify_all();
    return previous;
}

void Scheduler::schedule(TimePoint deadline, std::shared_ptr<QueueImpl> queue, Block block) {
    std::lock_guard lock(mutex_);
    const Key key{deadline, nextSequence_++};
    const bool earliest = pending_.empty() || key < pending_.begin()->first;
    pending_.emplace(key, Pending{std::move(queue), std::move(block)});
    // Something already due goes out now, behind whatever else is due before it.
    const TimePoint now = clock_->now();
    if (deadline <= now) {
        postDueLocked(now);
        return;
    }
    if (clock_ == systemClock_) {
        if (!threadStarted_) startThreadLocked();
        if (earliest) changed_.notify_all();
    }
}

void Scheduler::advanceManualClock(ManualClock& clock, Duration by) {
    std::lock_guard lock(mutex_);
    if (by < Duration::zero()) {
        platform::log("dispatch :: a manual clock cannot run backwards; ignored");
        return;
    }
    moveManualClockLocked(clock, deadlineAfter(clock.now(), by));
}

void Scheduler::setManualClock(ManualClock& clock, TimePoint to) {
    std::lock_guard lock(mutex_);
    if (to < clock.now()) {
        platform::log("dispatch :: a manual clock cannot run backwards; ignored");
        return;
    }
    moveManualClockLocked(clock, to);
}

void Scheduler::moveManualClockLocked(ManualClock& clock, TimePoint to) {
    clock.ticks_.store(to.time_since_epoch().count());
    if (clock_.get() == &clock) postDueLocked(to);
}

void Scheduler::postDueLocked(TimePoint now) {
    // Moving a block onto its queue runs no host code, so it is safe under the lock,
    // and holding the lock keeps deadline order against concurrent schedules.
    while (!pending_.empty() && pending_.begin()->first.first <= now) {
        auto node = pending_.extract(pending_.begin());
        node.mapped().queue->enqueue(std::move(node.mapped().block));
    }
}

void Scheduler::startThreadLocked() {
    try {
        std::thread([this] { run(); }).detach();
        threadStarted_ = true;
    } catch (const std::system_error& e) {
        platform::log(std::string("dispatch :: could not start the timer thread :: ") + e.what());
    }
}

void Scheduler::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        // Only the system clock moves by itself; other clocks are moved by their owners.
        if (clock_ != systemClock_ || pending_.empty()) {
            changed_.wait(lock);
            continue;
        }
        const TimePoint now = std::chrono::steady_clock::now();
        postDueLocked(now);
        if (pending_.empty()) continue;
        const TimePoint next = pending_.begin()->first.first;
        changed_.wait_until(lock, next - now > kLongestSleep ? now + kLongestSleep : next);
    }
}

}  // namespace platform::dispatch::detail
