#pragma once
// The transparent window of the global floating button. It takes a touch only on the
// button and on the items of its open menu, and every touch while the menu is open;
// everything else goes to the windows below.
#include "vistrel/platform/ui/window.hpp"

namespace vistrel {

class FabWindow : public platform::ui::Window {
public:
    explicit FabWindow(const platform::ui::Rect& frame);

    bool pointInside(platform::ui::Point point, const platform::ui::Event* event) const override;
};

}  // namespace vistrel
