#pragma once
// Colouring a navigation controller's bar in one call. (Every navigation controller
// already lets its top screen decide the status bar's style and visibility.)
#include "vistrel/platform/graphics/color.hpp"
#include "vistrel/platform/ui/navigation_bar.hpp"

namespace platform::ui {
class NavigationController;
}

namespace vistrel {

// Sets on the controller's bar, in this order: the background image for the default
// metrics, the shadow image, the translucency, the bar tint, the tint (bar button
// items), and title text attributes that hold only the tint as the text colour. The
// images default to the empty image, which takes the default background and line away.
void setBarTintColor(platform::ui::NavigationController& navigation, const platform::graphics::Color& barTintColor,
                     const platform::graphics::Color& tintColor, bool isTranslucent,
                     platform::ui::BarImage backgroundImage = platform::ui::BarImage::empty(),
                     platform::ui::BarImage shadowImage = platform::ui::BarImage::empty());

}  // namespace vistrel
