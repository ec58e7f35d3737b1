#include "vistrel/screens/common/vistrel_navigation_controller.hpp"

namespace vistrel {

platform::ui::InterfaceOrientationMask VistrelNavigationController::supportedInterfaceOrientations() const {
    if (auto top = topViewController()) return top->supportedInterfaceOrientations();
    return platform::ui::InterfaceOrientationMask::portrait;
}

}  // namespace vistrel
