#include "vistrel/platform/ui/touch_delivery.hpp"

#include <chrono>

#include "vistrel/platform/dispatch/clock.hpp"
#include "vistrel/platform/ui/control.hpp"
#include "vistrel/platform/ui/gesture_recognizer.hpp"
#include "vistrel/platform/ui/tap_gesture_recognizer.hpp"
#include "vistrel/platform/ui/view_private.hpp"
#include "vistrel/platform/ui/window.hpp"

namespace platform::ui {

namespace {

double timestampNow() {
    return std::chrono::duration<double>(dispatch::now().time_since_epoch()).count();
}

}  // namespace

TouchSequence::TouchSequence(const std::shared_ptr<Window>& window, Point point, int tapCount) : window_(window) {
    if (!window_) return;
    touch_ = std::make_shared<Touch>(window_, point, tapCount < 1 ? 1 : tapCount, timestampNow());
    Event event{touch_->timestamp(), {touch_}};
    view_ = window_->hitTest(point, &event);
    if (!view_) return;
    touch_->setView(view_);
    // The recognisers of the view and its ancestors, nearest first. A control keeps its
    // taps: tap recognisers above it do not see them.
    const bool isControl = dynamic_cast<Control*>(view_.get()) != nullptr;
    for (View* v = view_.get(); v; v = detail::ViewAccess::rawSuperview(*v)) {
        for (const auto& recognizer : v->gestureRecognizers()) {
            if (isControl && v != view_.get() && dynamic_cast<TapGestureRecognizer*>(recognizer.get())) continue;
            recognizers_.push_back(recognizer);
        }
    }
    active_ = true;
    deliver(TouchPhase::began, point);
}

TouchSequence::~TouchSequence() {
    if (active_) cancel();
}

void TouchSequence::moveTo(Point point) {
    if (active_) deliver(TouchPhase::moved, point);
}

void TouchSequence::end() {
    if (active_) deliver(TouchPhase::ended, touch_->location());
}

void TouchSequence::cancel() {
    if (active_) deliver(TouchPhase::cancelled, touch_->location());
}

void TouchSequence::deliver(TouchPhase phase, Point point) {
    if (phase != TouchPhase::began) touch_->update(phase, point, timestampNow());
    const TouchSet touches{touch_};
    const Event event{touch_->timestamp(), touches};

    for (const auto& recognizer : recognizers_) {
        if (!recognizer->isEnabled() || !recognizer->attachedView() || recognizer->isFinished()) continue;
        switch (phase) {
        case TouchPhase::began: recognizer->touchesBegan(touches, &event); break;
        case TouchPhase::moved:
        case TouchPhase::stationary: recognizer->touchesMoved(touches, &event); break;
        case TouchPhase::ended: recognizer->touchesEnded(touches, &event); break;
        case TouchPhase::cancelled: recognizer->touchesCancelled(touches, &event); break;
        }
    }

    if (!viewCancelled_) {
        bool taken = false;
        for (const auto& recognizer : recognizers_)
            if (recognizer->hasRecognized() && recognizer->cancelsTouchesInView()) taken = true;
        if (taken) {
            // A recogniser took the touch: the view hears no more of it.
            viewCancelled_ = true;
            if (phase != TouchPhase::began) view_->touchesCancelled(touches, &event);
        } else {
            switch (phase) {
            case TouchPhase::began: view_->touchesBegan(touches, &event); break;
            case TouchPhase::moved:
            case TouchPhase::stationary: view_->touchesMoved(touches, &event); break;
            case TouchPhase::ended: view_->touchesEnded(touches, &event); break;
            case TouchPhase::cancelled: view_->touchesCancelled(touches, &event); break;
            }
        }
    }

    if (phase == TouchPhase::ended || phase == TouchPhase::cancelled) {
        active_ = false;
        for (const auto& recognizer : recognizers_)
            if (recognizer->isFinished()) recognizer->reset();
    }
}

std::shared_ptr<View> tap(const std::shared_ptr<Window>& window, Point point, int tapCount) {
    TouchSequence touch(window, point, tapCount);
    touch.end();
    return touch.view();
}

std::shared_ptr<View> doubleTap(const std::shared_ptr<Window>& window, Point point) {
    tap(window, point, 1);
    return tap(window, point, 2);
}

std::shared_ptr<View> swipe(const std::shared_ptr<Window>& window, Point from, Point to, int steps) {
    if (steps < 1) steps = 1;
    TouchSequence touch(window, from);
    for (int i = 1; i <= steps; ++i) {
        const double f = static_cast<double>(i) / steps;
        touch.moveTo({from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f});
    }
    touch.end();
    return touch.view();
}

std::shared_ptr<View> cancelledTouch(const std::shared_ptr<Window>& window, Point point) {
    TouchSequence touch(window, point);
    touch.cancel();
    return touch.view();
}

}  // namespace platform::ui
