#pragma once
// The one update pass, from one entry: every shown window, in level order, is laid out
// (layoutSubviews on each view that needs it), then the views whose look follows the
// clock mark themselves when it changed, then the display pass runs (the mark cleared
// before draw). The main run loop runs it each time it has drained the main queue, and
// `render` runs it first, so what a screen shows never depends on who called layout.
#include <cstddef>

#include "vistrel/platform/dispatch/clock.hpp"

namespace platform::ui {

void updatePass();

// Only the display part of the pass, over every shown window in level order.
void displayPass();

namespace detail {

// Makes the main run loop run the update pass after each drain. Idempotent; windows
// call it when they are made. Main thread.
void installUpdatePass();

// A view whose picture changes with the clock while it animates (an animated image, a
// spinning indicator). While registered, each update pass asks it to mark itself for
// display when its picture at the current time is not the one it last drew.
class ClockDriven {
public:
    virtual void clockDidAdvance() = 0;

protected:
    ClockDriven() = default;
    ~ClockDriven();
    ClockDriven(const ClockDriven&) = delete;
    ClockDriven& operator=(const ClockDriven&) = delete;
    // Joins the views the pass asks, with the animation starting now (again when it
    // already follows the clock); leaving is idempotent.
    void startFollowingClock();
    void stopFollowingClock();
    bool followsClock() const;
    // Which of `count` frames of `frameSeconds` each, looping, the animation shows at the
    // current clock time; 0 when it does not follow the clock or the frames have no length.
    std::size_t frameNow(double frameSeconds, std::size_t count) const;
    // Seconds since the animation started (0 when it does not follow the clock; a clock
    // installed later that stands before the start counts as the start).
    double secondsFollowed() const;

private:
    dispatch::TimePoint start_;
};

}  // namespace detail

}  // namespace platform::ui
