#include "vistrel/platform/ui/screen.hpp"

#include <cmath>

#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/image_context.hpp"

namespace platform::ui {

Screen& Screen::main() {
    static Screen screen;
    return screen;
}

Screen::Screen() { graphics::setDefaultScale(scale_); }

void Screen::setBounds(const Rect& bounds) {
    const Rect b = bounds.standardized();
    if (!std::isfinite(b.origin.x) || !std::isfinite(b.origin.y) || !std::isfinite(b.width()) ||
        !std::isfinite(b.height()) || b.width() <= 0 || b.height() <= 0) {
        log("Screen :: refusing bounds that are empty or not finite");
        return;
    }
    bounds_ = b;
}

void Screen::setScale(double scale) {
    if (!std::isfinite(scale) || scale <= 0 || scale > graphics::ImageContext::maxScale) {
        log("Screen :: refusing a scale that is not a finite number in (0, 4]");
        return;
    }
    scale_ = scale;
    graphics::setDefaultScale(scale);
}

}  // namespace platform::ui
