#pragma once
// A finger on the screen: where it is in its window, how many taps it makes, which
// phase it is in. A touch belongs to the view it first hit for its whole life.
#include <memory>
#include <vector>

#include "vistrel/platform/ui/types.hpp"

namespace platform::ui {

class View;
class Window;

enum class TouchPhase { began, moved, stationary, ended, cancelled };

class Touch {
public:
    Touch(std::shared_ptr<Window> window, Point locationInWindow, int tapCount, double timestamp);

    TouchPhase phase() const { return phase_; }
    int tapCount() const { return tapCount_; }
    // Seconds on the platform clock.
    double timestamp() const { return timestamp_; }
    std::shared_ptr<Window> window() const { return window_.lock(); }
    // The view the touch hit when it began (none when it hit nothing or that view is gone).
    std::shared_ptr<View> view() const { return view_.lock(); }

    // The location in the coordinates of `view`; with no view, in the window's.
    Point location(const View* view = nullptr) const;
    Point previousLocation(const View* view = nullptr) const;

    // Moves the touch on (the delivery helpers do this).
    void update(TouchPhase phase, Point locationInWindow, double timestamp);
    void setView(const std::shared_ptr<View>& view) { view_ = view; }

private:
    Point convert(Point inWindow, const View* view) const;

    std::weak_ptr<Window> window_;
    std::weak_ptr<View> view_;
    Point location_, previous_;
    TouchPhase phase_ = TouchPhase::began;
    int tapCount_ = 1;
    double timestamp_ = 0;
};

using TouchSet = std::vector<std::shared_ptr<Touch>>;

// The event a set of touches arrives in.
struct Event {
    double timestamp = 0;
    TouchSet allTouches;
};

}  // namespace platform::ui
