#include "vistrel/platform/ui/touch.hpp"

#include "vistrel/platform/ui/view.hpp"
#include "vistrel/platform/ui/window.hpp"

namespace platform::ui {

Touch::Touch(std::shared_ptr<Window> window, Point locationInWindow, int tapCount, double timestamp)
    : window_(window), location_(locationInWindow), previous_(locationInWindow), tapCount_(tapCount),
      timestamp_(timestamp) {}

Point Touch::convert(Point inWindow, const View* view) const {
    auto window = window_.lock();
    if (!view || !window) return inWindow;
    return view->convertPointFrom(inWindow, window.get());
}

Point Touch::location(const View* view) const { return convert(location_, view); }

Point Touch::previousLocation(const View* view) const { return convert(previous_, view); }

void Touch::update(TouchPhase phase, Point locationInWindow, double timestamp) {
    previous_ = location_;
    location_ = locationInWindow;
    phase_ = phase;
    timestamp_ = timestamp;
}

}  // namespace platform::ui
