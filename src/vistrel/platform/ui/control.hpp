#pragma once
// A control: a view that turns touches into events (touch down, touch up inside, value
// changed) and sends each event's actions to its targets, held weakly.
#include <memory>

#include "vistrel/platform/ui/target_action.hpp"
#include "vistrel/platform/ui/view.hpp"

namespace platform::ui {

enum class ControlEvents : unsigned {
    none = 0,
    touchDown = 1u << 0,
    touchUpInside = 1u << 6,
    valueChanged = 1u << 12,
    all = ~0u,
};
constexpr ControlEvents operator|(ControlEvents a, ControlEvents b) {
    return static_cast<ControlEvents>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr unsigned bits(ControlEvents e) { return static_cast<unsigned>(e); }

// Highlighted, disabled and selected combine; normal is none of them.
enum class ControlState : unsigned { normal = 0, highlighted = 1u << 0, disabled = 1u << 1, selected = 1u << 2 };
constexpr ControlState operator|(ControlState a, ControlState b) {
    return static_cast<ControlState>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool contains(ControlState state, ControlState flag) {
    return (static_cast<unsigned>(state) & static_cast<unsigned>(flag)) != 0;
}

class Control : public View {
public:
    using View::View;

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted);
    ControlState state() const;
    // True from a touch down to its end.
    bool isTracking() const { return tracking_; }

    // `action` is a member function taking nothing or the sender.
    template <class T, class F>
    void addTarget(const std::shared_ptr<T>& target, F action, ControlEvents events) {
        actions_.add(target, action, bits(events));
    }
    template <class T, class F>
    void removeTarget(const T* target, F action, ControlEvents events) {
        actions_.remove(target, action, bits(events));
    }
    // Every action of the target (of all targets for none) among the events.
    void removeAllTargets(const void* target, ControlEvents events = ControlEvents::all) {
        actions_.removeAll(target, bits(events));
    }
    // How many live (target, action) pairs answer any of the events.
    std::size_t actionCount(ControlEvents events) const { return actions_.count(bits(events)); }

    // Calls the actions of the events, in the order they were added.
    void sendActions(ControlEvents events);

    void touchesBegan(const TouchSet& touches, const Event* event) override;
    void touchesMoved(const TouchSet& touches, const Event* event) override;
    void touchesEnded(const TouchSet& touches, const Event* event) override;
    void touchesCancelled(const TouchSet& touches, const Event* event) override;

protected:
    // After enabled, selected or highlighted changed.
    virtual void stateDidChange();

private:
    bool touchInside(const TouchSet& touches) const;

    TargetActionList<Control> actions_;
    bool enabled_ = true;
    bool selected_ = false;
    bool highlighted_ = false;
    bool tracking_ = false;
};

}  // namespace platform::ui
