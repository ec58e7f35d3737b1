#include "vistrel/platform/ui/control.hpp"

namespace platform::ui {

void Control::setEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    stateDidChange();
}

void Control::setSelected(bool selected) {
    if (selected_ == selected) return;
    selected_ = selected;
    stateDidChange();
}

void Control::setHighlighted(bool highlighted) {
    if (highlighted_ == highlighted) return;
    highlighted_ = highlighted;
    stateDidChange();
}

ControlState Control::state() const {
    unsigned s = 0;
    if (highlighted_) s |= static_cast<unsigned>(ControlState::highlighted);
    if (!enabled_) s |= static_cast<unsigned>(ControlState::disabled);
    if (selected_) s |= static_cast<unsigned>(ControlState::selected);
    return static_cast<ControlState>(s);
}

void Control::stateDidChange() { setNeedsDisplay(); }

void Control::sendActions(ControlEvents events) {
    // The control stays alive while its actions run, even if one of them drops it.
    auto self = weak_from_this().lock();
    actions_.send(*this, bits(events));
}

bool Control::touchInside(const TouchSet& touches) const {
    return !touches.empty() && pointInside(touches.front()->location(this), nullptr);
}

void Control::touchesBegan(const TouchSet&, const Event*) {
    if (!enabled_) return;
    tracking_ = true;
    setHighlighted(true);
    sendActions(ControlEvents::touchDown);
}

void Control::touchesMoved(const TouchSet& touches, const Event*) {
    if (!tracking_) return;
    setHighlighted(touchInside(touches));
}

void Control::touchesEnded(const TouchSet& touches, const Event*) {
    if (!tracking_) return;
    tracking_ = false;
    setHighlighted(false);
    if (enabled_ && touchInside(touches)) sendActions(ControlEvents::touchUpInside);
}

void Control::touchesCancelled(const TouchSet&, const Event*) {
    tracking_ = false;
    setHighlighted(false);
}

}  // namespace platform::ui
