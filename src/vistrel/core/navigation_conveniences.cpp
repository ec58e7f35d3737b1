#include "vistrel/core/navigation_conveniences.hpp"

#include "vistrel/platform/ui/navigation_controller.hpp"

namespace vistrel {

void setBarTintColor(platform::ui::NavigationController& navigation, const platform::graphics::Color& barTintColor,
                     const platform::graphics::Color& tintColor, bool isTranslucent,
                     platform::ui::BarImage backgroundImage, platform::ui::BarImage shadowImage) {
    auto& bar = navigation.navigationBar();
    bar.setBackgroundImage(std::move(backgroundImage), platform::ui::BarMetrics::defaultMetrics);
    bar.setShadowImage(std::move(shadowImage));
    bar.setTranslucent(isTranslucent);
    bar.setBarTintColor(barTintColor);
    bar.setTintColor(tintColor);
    platform::graphics::TextAttributes attributes;
    attributes.foregroundColor = tintColor;
    bar.setTitleTextAttributes(attributes);
}

}  // namespace vistrel
