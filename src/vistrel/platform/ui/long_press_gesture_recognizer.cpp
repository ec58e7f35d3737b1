#include "vistrel/platform/ui/long_press_gesture_recognizer.hpp"

#include <chrono>
#include <cmath>

#include "vistrel/platform/dispatch/queue.hpp"

namespace platform::ui {

void LongPressGestureRecognizer::touchesBegan(const TouchSet& touches, const Event* event) {
    GestureRecognizer::touchesBegan(touches, event);
    if (touches.size() != 1) return setState(GestureRecognizerState::failed);
    start_ = touches.front()->location();
    down_ = true;
    const unsigned generation = ++generation_;
    std::weak_ptr<GestureRecognizer> weak = weak_from_this();
    const double seconds = std::isfinite(minimumPressDuration_) && minimumPressDuration_ > 0 ? minimumPressDuration_ : 0;
    dispatch::main().asyncAfter(std::chrono::duration<double>(seconds), [weak, generation] {
        auto self = std::static_pointer_cast<LongPressGestureRecognizer>(weak.lock());
        if (!self || self->generation_ != generation || !self->down_) return;
        if (self->state() == GestureRecognizerState::possible) self->setState(GestureRecognizerState::began);
    });
}

void LongPressGestureRecognizer::touchesMoved(const TouchSet& touches, const Event* event) {
    GestureRecognizer::touchesMoved(touches, event);
    if (touches.empty()) return;
    if (state() == GestureRecognizerState::possible) {
        const Point p = touches.front()->location();
        if (std::hypot(p.x - start_.x, p.y - start_.y) > allowableMovement) setState(GestureRecognizerState::failed);
    } else if (hasRecognized()) {
        setState(GestureRecognizerState::changed);
    }
}

void LongPressGestureRecognizer::touchesEnded(const TouchSet& touches, const Event* event) {
    GestureRecognizer::touchesEnded(touches, event);
    down_ = false;
    if (state() == GestureRecognizerState::began || state() == GestureRecognizerState::changed)
        setState(GestureRecognizerState::ended);
    else if (state() == GestureRecognizerState::possible)
        setState(GestureRecognizerState::failed);
}

void LongPressGestureRecognizer::reset() {
    GestureRecognizer::reset();
    down_ = false;
    ++generation_;
}

}  // namespace platform::ui
