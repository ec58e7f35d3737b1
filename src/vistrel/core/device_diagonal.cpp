#include "vistrel/core/device_diagonal.hpp"

#include <algorithm>

#include "vistrel/platform/ui/screen.hpp"

namespace vistrel {

std::string diagonal() {
    const auto& screen = platform::ui::Screen::main();
    const double side = std::max(screen.bounds().width(), screen.bounds().height());
    // Exact comparisons: the screen sizes are whole numbers of points.
    if (side == 480) return "3.5";
    if (side == 568) return "4.0";
    if (side == 667) return screen.scale() == 3.0 ? "5.5" : "4.7";
    if (side == 736) return "5.5";
    if (side == 1024) return "9.7";
    if (side == 1366) return "12.9";
    return "0";
}

}  // namespace vistrel
