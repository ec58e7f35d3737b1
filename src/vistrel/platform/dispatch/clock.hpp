#pragma once
// The one clock behind delays, timers and animations: the system's steady clock by
// default; tests install a manual clock and move time themselves.
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <type_traits>

namespace platform::dispatch {

using Duration = std::chrono::nanoseconds;
using TimePoint = std::chrono::steady_clock::time_point;

namespace detail {
class Scheduler;
}

// Any chrono duration in nanoseconds, saturating at the limits instead of overflowing.
// Integral durations finer than a nanosecond round up, so that a delay never ends early;
// floating-point ones round to the nearest nanosecond (0.1 s is exactly 100 ms); NaN is zero.
template <class Rep, class Period>
Duration toDuration(std::chrono::duration<Rep, Period> d) {
    using Wide = std::chrono::duration<long double, std::nano>;
    const long double ns = std::chrono::duration_cast<Wide>(d).count();
    if (std::isnan(ns)) return Duration::zero();
    if (ns >= static_cast<long double>(Duration::max().count())) return Duration::max();
    if (ns <= static_cast<long double>(Duration::min().count())) return Duration::min();
    if constexpr (std::is_floating_point_v<Rep>)
        return Duration(static_cast<Duration::rep>(std::llround(ns)));
    else
        return std::chrono::ceil<Duration>(d);
}

// `from + delay`, saturating at the latest time point; a delay of zero or less is `from`.
TimePoint deadlineAfter(TimePoint from, Duration delay);

class Clock {
public:
    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
};

class SystemClock final : public Clock {
public:
    TimePoint now() const override { return std::chrono::steady_clock::now(); }
};

// Time that moves only when told to. Safe to read from any thread.
class ManualClock final : public Clock {
public:
    explicit ManualClock(TimePoint start = std::chrono::steady_clock::now());

    TimePoint now() const override;

    // Moves time forward. While this clock is installed, every delayed block that
    // falls due has moved onto its queue when the call returns, in deadline order
    // (ties in submission order). A negative step is logged and ignored.
    void advance(Duration by);
    template <class Rep, class Period>
    void advance(std::chrono::duration<Rep, Period> by) { advance(toDuration(by)); }

    // Moves time to `to`, as advance does. Time never runs backwards: an earlier time
    // is logged and ignored.
    void set(TimePoint to);

private:
    friend class detail::Scheduler;
    std::atomic<Duration::rep> ticks_;
};

// The installed clock, and its time.
std::shared_ptr<Clock> currentClock();
TimePoint now();

// Installs the clock for delays and timers (nullptr restores the system clock) and
// gives back the one it replaces. Blocks already due under the new clock move onto
// their queues at once.
std::shared_ptr<Clock> installClock(std::shared_ptr<Clock> clock);

// Installs a manual clock, starting at the current time, for its lifetime; restores
// the clock it replaced afterwards.
class ScopedManualClock {
public:
    ScopedManualClock();
    ~ScopedManualClock();
    ScopedManualClock(const ScopedManualClock&) = delete;
    ScopedManualClock& operator=(const ScopedManualClock&) = delete;

    ManualClock& clock() const { return *clock_; }
    ManualClock* operator->() const { return clock_.get(); }

private:
    std::shared_ptr<ManualClock> clock_;
    std::shared_ptr<Clock> previous_;
};

}  // namespace platform::dispatch
