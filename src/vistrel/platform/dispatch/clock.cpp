#include "vistrel/platform/dispatch/clock.hpp"

#include "vistrel/platform/dispatch/scheduler.hpp"

namespace platform::dispatch {

TimePoint deadlineAfter(TimePoint from, Duration delay) {
    if (delay <= Duration::zero()) return from;
    if (from.time_since_epoch() > TimePoint::max().time_since_epoch() - delay) return TimePoint::max();
    return from + delay;
}

ManualClock::ManualClock(TimePoint start) : ticks_(start.time_since_epoch().count()) {}

TimePoint ManualClock::now() const { return TimePoint(Duration(ticks_.load())); }

void ManualClock::advance(Duration by) { detail::Scheduler::instance().advanceManualClock(*this, by); }

void ManualClock::set(TimePoint to) { detail::Scheduler::instance().setManualClock(*this, to); }

std::shared_ptr<Clock> currentClock() { return detail::Scheduler::instance().clock(); }

TimePoint now() { return currentClock()->now(); }

std::shared_ptr<Clock> installClock(std::shared_ptr<Clock> clock) {
    return detail::Scheduler::instance().install(std::move(clock));
}

ScopedManualClock::ScopedManualClock()
    : clock_(std::make_shared<ManualClock>(now())), previous_(installClock(clock_)) {}

ScopedManualClock::~ScopedManualClock() { installClock(std::move(previous_)); }

}  // namespace platform::dispatch
