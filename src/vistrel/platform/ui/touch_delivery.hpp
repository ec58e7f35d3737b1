#pragma once
// Driving touches through a window as a finger would: the window hit-tests the point
// when the touch begins, and every later phase of the touch goes to that same view (and
// to the gesture recognisers of that view and its ancestors, which see it first).
#include <memory>

#include "vistrel/platform/ui/touch.hpp"

namespace platform::ui {

class GestureRecognizer;
class View;
class Window;

class TouchSequence {
public:
    // Begins a touch at `point` (window coordinates). A hidden window, or a point where
    // no view takes touches, gives a sequence that delivers nothing.
    TouchSequence(const std::shared_ptr<Window>& window, Point point, int tapCount = 1);
    // A touch still down is cancelled.
    ~TouchSequence();
    TouchSequence(const TouchSequence&) = delete;
    TouchSequence& operator=(const TouchSequence&) = delete;

    // The view the touch hit, held for the touch's life.
    const std::shared_ptr<View>& view() const { return view_; }
    const std::shared_ptr<Touch>& touch() const { return touch_; }
    bool isActive() const { return active_; }

    void moveTo(Point point);
    void end();
    void cancel();

private:
    void deliver(TouchPhase phase, Point point);

    std::shared_ptr<Window> window_;
    std::shared_ptr<Touch> touch_;
    std::shared_ptr<View> view_;
    std::vector<std::shared_ptr<GestureRecognizer>> recognizers_;
    bool active_ = false;
    bool viewCancelled_ = false;
};

// A touch that begins and ends at `point`; gives the view it hit (none when nothing).
std::shared_ptr<View> tap(const std::shared_ptr<Window>& window, Point point, int tapCount = 1);
// Two taps at `point`, the second with a tap count of 2.
std::shared_ptr<View> doubleTap(const std::shared_ptr<Window>& window, Point point);
// A touch from `from` to `to` in `steps` moves (at least one), then ended.
std::shared_ptr<View> swipe(const std::shared_ptr<Window>& window, Point from, Point to, int steps = 4);
// A touch that begins at `point` and is cancelled.
std::shared_ptr<View> cancelledTouch(const std::shared_ptr<Window>& window, Point point);

}  // namespace platform::ui
