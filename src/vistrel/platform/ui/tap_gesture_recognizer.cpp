#include "vistrel/platform/ui/tap_gesture_recognizer.hpp"

#include <cmath>

namespace platform::ui {

void TapGestureRecognizer::touchesBegan(const TouchSet& touches, const Event* event) {
    GestureRecognizer::touchesBegan(touches, event);
    if (touches.size() != 1) return setState(GestureRecognizerState::failed);
    start_ = touches.front()->location();
}

void TapGestureRecognizer::touchesMoved(const TouchSet& touches, const Event* event) {
    GestureRecognizer::touchesMoved(touches, event);
    if (touches.empty()) return;
    const Point p = touches.front()->location();
    if (std::hypot(p.x - start_.x, p.y - start_.y) > allowableMovement) setState(GestureRecognizerState::failed);
}

void TapGestureRecognizer::touchesEnded(const TouchSet& touches, const Event* event) {
    GestureRecognizer::touchesEnded(touches, event);
    if (touches.size() != 1 || state() != GestureRecognizerState::possible) return;
    const int taps = touches.front()->tapCount();
    if (taps >= tapsRequired_ && taps % tapsRequired_ == 0)
        setState(GestureRecognizerState::ended);
    else if (taps > tapsRequired_)
        setState(GestureRecognizerState::failed);
    // Fewer taps than required: it waits for the next tap of the series.
}

}  // namespace platform::ui
