#pragma once
// A record of what animation blocks changed: for each change of an animatable view
// property inside a block, the view, the property, the values before and after, and
// the animation's timing. A log records while it lives (tests make one on the stack);
// with none alive, nothing is recorded.
#include <cstddef>
#include <memory>
#include <vector>

#include "vistrel/platform/ui/animation.hpp"
#include "vistrel/platform/ui/animation_property.hpp"

namespace platform::ui {

class View;

struct AnimationLogEntry {
    std::weak_ptr<View> view;        // empty for a view not held by a shared pointer
    const View* identity = nullptr;  // for comparison only: the view may be gone
    AnimatableProperty property = AnimatableProperty::frame;
    AnimatedValue from;
    AnimatedValue to;
    AnimationTiming timing;
};

class AnimationLog {
public:
    AnimationLog();
    ~AnimationLog();
    AnimationLog(const AnimationLog&) = delete;
    AnimationLog& operator=(const AnimationLog&) = delete;

    // In the order the changes were made.
    std::vector<AnimationLogEntry> entries() const;
    // The entries about one view.
    std::vector<AnimationLogEntry> entries(const View& view) const;
    std::size_t size() const;
    void clear();

    struct State;  // opaque

private:
    std::shared_ptr<State> state_;
};

}  // namespace platform::ui
