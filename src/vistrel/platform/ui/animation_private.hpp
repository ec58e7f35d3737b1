#pragma once
// Internals shared by the animation sources; not for use outside platform/ui.
#include "vistrel/platform/ui/animation_log.hpp"

namespace platform::ui::detail {

// True while at least one animation log is alive.
bool animationLogListening();

// Appends the entry to every live animation log.
void appendToAnimationLogs(const AnimationLogEntry& entry);

}  // namespace platform::ui::detail
