#include "vistrel/platform/ui/gradient_layer.hpp"

#include "vistrel/platform/graphics/canvas.hpp"

namespace platform::ui {

void GradientLayer::drawContent(graphics::Canvas& canvas) const {
    Layer::drawContent(canvas);
    if (colors_.empty()) return;
    const bool useLocations = locations_ && locations_->size() == colors_.size();
    std::vector<graphics::Canvas::GradientStop> stops;
    stops.reserve(colors_.size());
    for (std::size_t i = 0; i < colors_.size(); ++i) {
        const double even = colors_.size() > 1 ? static_cast<double>(i) / static_cast<double>(colors_.size() - 1) : 0;
        stops.push_back({useLocations ? (*locations_)[i] : even, colors_[i]});
    }
    const Rect b = bounds();
    auto inBounds = [&](Point unit) {
        return Point{b.minX() + unit.x * b.width(), b.minY() + unit.y * b.height()};
    };
    canvas.fillLinearGradient(b, stops, inBounds(startPoint_), inBounds(endPoint_));
}

}  // namespace platform::ui
