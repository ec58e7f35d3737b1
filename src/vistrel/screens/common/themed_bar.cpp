#include "vistrel/screens/common/themed_bar.hpp"

#include "vistrel/core/navigation_conveniences.hpp"
#include "vistrel/core/palette.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"

namespace vistrel {

void applyThemeToNavigationBar(const platform::ui::ViewController& screen) {
    if (auto navigation = screen.navigationController())
        setBarTintColor(*navigation, vistrelPrimary(), vistrelWhite(), false);
}

}  // namespace vistrel
