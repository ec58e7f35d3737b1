#pragma once
// The navigation controller of the kit's storyboards: the screen on top of its stack
// decides the allowed orientations (portrait only for an empty stack), as it already
// decides the status bar's style and visibility.
#include <memory>

#include "vistrel/platform/ui/navigation_controller.hpp"

namespace vistrel {

class VistrelNavigationController : public platform::ui::NavigationController {
public:
    using platform::ui::NavigationController::NavigationController;

    platform::ui::InterfaceOrientationMask supportedInterfaceOrientations() const override;
};

}  // namespace vistrel
