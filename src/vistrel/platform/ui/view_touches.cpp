// Hit testing, the default handling of touches, and the view's gesture recognisers.
#include <algorithm>

#include "vistrel/platform/ui/gesture_recognizer.hpp"
#include "vistrel/platform/ui/view_private.hpp"

namespace platform::ui {

bool View::pointInside(Point point, const Event*) const { return bounds().contains(point); }

std::shared_ptr<View> View::hitTest(Point point, const Event* event) {
    if (isHidden() || alpha() <= 0.01 || !userInteractionEnabled_) return nullptr;
    if (!pointInside(point, event)) return nullptr;
    // A copy: a hit test may change the tree.
    auto children = subviews_;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        View& child = **it;
        auto toChild = child.layer().transformToSuperlayer().inverted();
        if (!toChild) continue;  // squashed flat: it covers nothing
        if (auto hit = child.hitTest(toChild->apply(point), event)) return hit;
    }
    // (A view that is not held by a shared pointer cannot be handed out.)
    return weak_from_this().lock();
}

void View::touchesBegan(const TouchSet& touches, const Event* event) {
    if (auto parent = superview()) parent->touchesBegan(touches, event);
}

void View::touchesMoved(const TouchSet& touches, const Event* event) {
    if (auto parent = superview()) parent->touchesMoved(touches, event);
}

void View::touchesEnded(const TouchSet& touches, const Event* event) {
    if (auto parent = superview()) parent->touchesEnded(touches, event);
}

void View::touchesCancelled(const TouchSet& touches, const Event* event) {
    if (auto parent = superview()) parent->touchesCancelled(touches, event);
}

void View::addGestureRecognizer(std::shared_ptr<GestureRecognizer> recognizer) {
    if (!recognizer) return;
    if (auto owner = recognizer->view(); owner && owner.get() != this) owner->removeGestureRecognizer(recognizer.get());
    if (std::find(recognizers_.begin(), recognizers_.end(), recognizer) != recognizers_.end()) return;
    recognizer->attachToView(this);
    recognizers_.push_back(std::move(recognizer));
}

void View::removeGestureRecognizer(const GestureRecognizer* recognizer) {
    auto it = std::find_if(recognizers_.begin(), recognizers_.end(),
                           [&](const auto& r) { return r.get() == recognizer; });
    if (it == recognizers_.end()) return;
    auto keep = *it;
    recognizers_.erase(it);
    keep->detachFromView(this);
}

}  // namespace platform::ui
