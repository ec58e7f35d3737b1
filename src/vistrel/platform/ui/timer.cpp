#include "vistrel/platform/ui/timer.hpp"

#include <limits>
#include <utility>

#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace platform::ui {

namespace {

dispatch::Duration usableInterval(dispatch::Duration interval) {
    return interval < Timer::minimumInterval ? Timer::minimumInterval : interval;
}

}  // namespace

std::shared_ptr<Timer> Timer::scheduledTimer(dispatch::Duration interval, bool repeats, Block block) {
    auto timer = std::make_shared<Timer>(Private{}, usableInterval(interval), repeats, std::move(block));
    if (!timer->block_) {
        log("Timer :: scheduled without a block; it never runs");
        timer->valid_ = false;
        return timer;
    }
    if (!dispatch::isMainThread()) log("Timer :: scheduled off the main thread; it runs on the main run loop");
    timer->start_ = dispatch::now();
    timer->schedule(1);
    return timer;
}

std::shared_ptr<Timer> Timer::scheduledTimer(double seconds, bool repeats, Block block) {
    return scheduledTimer(dispatch::toDuration(std::chrono::duration<double>(seconds)), repeats, std::move(block));
}

Timer::Timer(Private, dispatch::Duration interval, bool repeats, Block block)
    : interval_(interval), repeats_(repeats), block_(std::move(block)) {}

void Timer::invalidate() {
    Block released;
    {
        std::lock_guard lock(mutex_);
        valid_ = false;
        released = std::move(block_);
        block_ = nullptr;
    }
    // The block (and what it holds) goes here, outside the lock; while it runs, the
    // tick that is running it holds it.
}

bool Timer::isValid() const {
    std::lock_guard lock(mutex_);
    return valid_;
}

dispatch::TimePoint Timer::fireDate() const {
    std::lock_guard lock(mutex_);
    return deadline(nextTick_);
}

dispatch::TimePoint Timer::deadline(std::uint64_t tick) const {
    // start + tick * interval, saturating, so that far ticks never wrap round.
    const auto limit = static_cast<std::uint64_t>(std::numeric_limits<dispatch::Duration::rep>::max());
    const auto step = static_cast<std::uint64_t>(interval_.count());
    if (tick > limit / step) return dispatch::TimePoint::max();
    return dispatch::deadlineAfter(start_, dispatch::Duration(static_cast<dispatch::Duration::rep>(tick * step)));
}

void Timer::schedule(std::uint64_t tick) {
    const dispatch::TimePoint due = deadline(tick);
    // A tick at the end of time would fall due at once, for ever, once the clock got
    // there; it never comes.
    if (due == dispatch::TimePoint::max()) return;
    dispatch::main().asyncAt(due, [self = shared_from_this(), tick] { self->fire(tick); });
}

void Timer::fire(std::uint64_t tick) {
    Block block;
    {
        std::lock_guard lock(mutex_);
        if (!valid_ || tick != nextTick_) return;
        block = std::move(block_);
        block_ = nullptr;
    }
    block(*this);
    Block finished;  // released outside the lock
    {
        std::lock_guard lock(mutex_);
        if (repeats_ && valid_) {
            block_ = std::move(block);
            nextTick_ = tick + 1;
            schedule(nextTick_);
        } else {
            valid_ = false;
            finished = std::move(block);
        }
    }
}

}  // namespace platform::ui
