#include "ui/themed_bar.hpp"

#include "core/navigation_conveniences.hpp"
#include "core/palette.hpp"
#include "platform/ui/navigation_controller.hpp"

namespace vistrel {

void applyThemeToNavigationBar(const platform::ui::ViewController& screen) {
    if (auto navigation = screen.navigationController())
        setBarTintColor(*navigation, vistrelPrimary(), vistrelWhite(), false);
}

}  // namespace vistrel
