#include "vistrel/platform/ui/shape_layer.hpp"

#include <cmath>

namespace platform::ui {

void ShapeLayer::drawContent(graphics::Canvas& canvas) const {
    Layer::drawContent(canvas);
    if (path_.isEmpty()) return;
    if (fillColor_) canvas.fill(path_, *fillColor_);
    if (strokeColor_ && lineWidth_ > 0 && std::isfinite(lineWidth_))
        canvas.stroke(path_, *strokeColor_, lineWidth_, lineCap_);
}

}  // namespace platform::ui
