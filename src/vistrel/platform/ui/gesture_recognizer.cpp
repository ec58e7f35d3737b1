#include "vistrel/platform/ui/gesture_recognizer.hpp"

#include "vistrel/platform/ui/view.hpp"

namespace platform::ui {

std::shared_ptr<View> GestureRecognizer::view() const {
    return view_ ? view_->weak_from_this().lock() : nullptr;
}

void GestureRecognizer::setEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled && state_ != GestureRecognizerState::possible) {
        if (hasRecognized()) setState(GestureRecognizerState::cancelled);
        reset();
    }
}

Point GestureRecognizer::location(const View* view) const {
    if (auto touch = touch_.lock()) return touch->location(view);
    return {};
}

void GestureRecognizer::remember(const TouchSet& touches) {
    if (!touches.empty()) touch_ = touches.front();
}

void GestureRecognizer::touchesBegan(const TouchSet& touches, const Event*) { remember(touches); }
void GestureRecognizer::touchesMoved(const TouchSet& touches, const Event*) { remember(touches); }
void GestureRecognizer::touchesEnded(const TouchSet& touches, const Event*) { remember(touches); }
void GestureRecognizer::touchesCancelled(const TouchSet& touches, const Event*) {
    remember(touches);
    setState(hasRecognized() ? GestureRecognizerState::cancelled : GestureRecognizerState::failed);
}

void GestureRecognizer::reset() { state_ = GestureRecognizerState::possible; }

void GestureRecognizer::setState(GestureRecognizerState state) {
    state_ = state;
    if (hasRecognized() || state == GestureRecognizerState::cancelled) {
        // Alive while its actions run, even if one of them lets it go.
        auto self = weak_from_this().lock();
        actions_.send(*this, 1);
    }
}

}  // namespace platform::ui
