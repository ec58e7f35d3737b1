#pragma once
// A timer on the main run loop, on the dispatch clock (so a manual clock drives it in
// tests). The main run loop is the only run loop: a timer scheduled from another thread
// runs there too, with a log line. A repeating timer does not drift: tick n falls due
// at start + n * interval, whenever the tick before it ran; ticks that fell due while
// the run loop was busy all run, in order, once it gets to them.
//
// The timer holds its block, and whatever the block holds, until it is invalidated; a
// one-shot timer is invalidated once it has fired. The run loop holds a scheduled timer,
// so dropping the pointer stops nothing: invalidate does.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "vistrel/platform/dispatch/clock.hpp"

namespace platform::ui {

class Timer : public std::enable_shared_from_this<Timer> {
public:
    using Block = std::function<void(Timer&)>;

    // Shorter intervals (zero, negative, not a number) are raised to this.
    static constexpr dispatch::Duration minimumInterval = std::chrono::microseconds(100);

    // Schedules a timer whose first tick falls due one interval from now. Without a
    // block the timer is given back invalid and never runs.
    static std::shared_ptr<Timer> scheduledTimer(dispatch::Duration interval, bool repeats, Block block);
    // The interval in seconds.
    static std::shared_ptr<Timer> scheduledTimer(double seconds, bool repeats, Block block);

    // Stops the timer and releases its block; safe from inside the block and from any
    // thread. A tick already running finishes.
    void invalidate();
    bool isValid() const;

    dispatch::Duration timeInterval() const { return interval_; }
    bool repeats() const { return repeats_; }
    // When the next tick falls due (meaningless once invalid).
    dispatch::TimePoint fireDate() const;

private:
    struct Private {
        explicit Private() = default;
    };

public:
    // Made by scheduledTimer only.
    Timer(Private, dispatch::Duration interval, bool repeats, Block block);

private:
    void schedule(std::uint64_t tick);
    void fire(std::uint64_t tick);
    dispatch::TimePoint deadline(std::uint64_t tick) const;

    const dispatch::Duration interval_;
    const bool repeats_;
    dispatch::TimePoint start_;

    mutable std::mutex mutex_;
    Block block_;
    bool valid_ = true;
    std::uint64_t nextTick_ = 1;
};

}  // namespace platform::ui
