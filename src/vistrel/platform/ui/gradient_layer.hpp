#pragma once
// A layer that fills its bounds with a linear gradient, above its background colour and
// below its sublayers: colours at locations (0...1) along the line from the start point
// to the end point, both unit points of the bounds ((0.5, 0) to (0.5, 1) at first: top to
// bottom). Beyond the ends the end colours continue.
#include <optional>
#include <vector>

#include "vistrel/platform/ui/layer.hpp"

namespace platform::ui {

class GradientLayer : public Layer {
public:
    const std::vector<Color>& colors() const { return colors_; }
    // No colour draws nothing; one fills the bounds with it.
    void setColors(std::vector<Color> colors) { colors_ = std::move(colors); }
    // None spreads the colours evenly. Locations that do not give one number per colour
    // are not used either: the colours are spread evenly.
    const std::optional<std::vector<double>>& locations() const { return locations_; }
    void setLocations(std::optional<std::vector<double>> locations) { locations_ = std::move(locations); }
    Point startPoint() const { return startPoint_; }
    void setStartPoint(Point point) { startPoint_ = point; }
    Point endPoint() const { return endPoint_; }
    void setEndPoint(Point point) { endPoint_ = point; }

    void drawContent(graphics::Canvas& canvas) const override;

private:
    std::vector<Color> colors_;
    std::optional<std::vector<double>> locations_;
    Point startPoint_{0.5, 0};
    Point endPoint_{0.5, 1};
};

}  // namespace platform::ui
