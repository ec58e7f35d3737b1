#include "vistrel/platform/ui/swipe_gesture_recognizer.hpp"

#include <cmath>

namespace platform::ui {

void SwipeGestureRecognizer::touchesBegan(const TouchSet& touches, const Event* event) {
    GestureRecognizer::touchesBegan(touches, event);
    if (touches.size() != 1) return setState(GestureRecognizerState::failed);
    start_ = touches.front()->location();
}

void SwipeGestureRecognizer::touchesMoved(const TouchSet& touches, const Event* event) {
    GestureRecognizer::touchesMoved(touches, event);
    if (!touches.empty()) evaluate(touches.front()->location(), false);
}

void SwipeGestureRecognizer::touchesEnded(const TouchSet& touches, const Event* event) {
    GestureRecognizer::touchesEnded(touches, event);
    if (!touches.empty()) evaluate(touches.front()->location(), true);
}

void SwipeGestureRecognizer::evaluate(Point p, bool final) {
    if (state() != GestureRecognizerState::possible) return;
    const double dx = p.x - start_.x, dy = p.y - start_.y;
    const bool horizontal = std::fabs(dx) >= std::fabs(dy);
    const double distance = horizontal ? std::fabs(dx) : std::fabs(dy);
    if (distance < minimumDistance) {
        if (final) setState(GestureRecognizerState::failed);
        return;
    }
    const SwipeDirection travelled = horizontal ? (dx > 0 ? SwipeDirection::right : SwipeDirection::left)
                                                : (dy > 0 ? SwipeDirection::down : SwipeDirection::up);
    const bool allowed = (static_cast<unsigned>(direction_) & static_cast<unsigned>(travelled)) != 0;
    setState(allowed ? GestureRecognizerState::ended : GestureRecognizerState::failed);
}

}  // namespace platform::ui
