#pragma once
// The hook through which a view's setters report changes made inside an animation
// block, so that an animation log can record them. Outside an animation block, or when
// no log listens, it costs one call and records nothing.
#include "vistrel/platform/ui/animation_property.hpp"

namespace platform::ui {

class View;

namespace detail {

// True on a thread that is running an animation block while an animation log listens.
bool isRecordingAnimation();

// Reads the property before a setter runs and, when it goes out of scope, records the
// change if the value differs. Setters make one on the stack around their work.
class AnimatedChange {
public:
    AnimatedChange(const View& view, AnimatableProperty property);
    ~AnimatedChange();
    AnimatedChange(const AnimatedChange&) = delete;
    AnimatedChange& operator=(const AnimatedChange&) = delete;

private:
    const View* view_ = nullptr;  // none when nothing is being recorded
    AnimatableProperty property_;
    AnimatedValue before_;
};

}  // namespace detail
}  // namespace platform::ui
