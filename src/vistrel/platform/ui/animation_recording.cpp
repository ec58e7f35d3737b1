#include "vistrel/platform/ui/animation_recording.hpp"

#include "vistrel/platform/ui/animation_private.hpp"
#include "vistrel/platform/ui/view.hpp"

namespace platform::ui::detail {

namespace {

AnimatedValue read(const View& view, AnimatableProperty property) {
    switch (property) {
    case AnimatableProperty::frame: return view.frame();
    case AnimatableProperty::bounds: return view.bounds();
    case AnimatableProperty::center: return view.center();
    case AnimatableProperty::alpha: return view.alpha();
    case AnimatableProperty::transform: return view.transform();
    case AnimatableProperty::backgroundColor: return view.backgroundColor();
    }
    return view.frame();
}

}  // namespace

bool isRecordingAnimation() { return animationLogListening() && currentAnimation().has_value(); }

AnimatedChange::AnimatedChange(const View& view, AnimatableProperty property) : property_(property) {
    if (!isRecordingAnimation()) return;
    view_ = &view;
    before_ = read(view, property);
}

AnimatedChange::~AnimatedChange() {
    if (!view_) return;
    auto timing = currentAnimation();
    AnimatedValue after = read(*view_, property_);
    if (!timing || after == before_) return;
    appendToAnimationLogs(AnimationLogEntry{std::const_pointer_cast<View>(view_->weak_from_this().lock()), view_,
                                            property_, before_, std::move(after), *timing});
}

}  // namespace platform::ui::detail
