#pragma once
// A layer that draws a path: filled (black unless told otherwise), then stroked.
#include <optional>

#include "vistrel/platform/graphics/canvas.hpp"
#include "vistrel/platform/graphics/path.hpp"
#include "vistrel/platform/ui/layer.hpp"

namespace platform::ui {

using graphics::LineCap;
using graphics::Path;

class ShapeLayer : public Layer {
public:
    const Path& path() const { return path_; }
    void setPath(Path path) { path_ = std::move(path); }
    // None: no fill.
    std::optional<Color> fillColor() const { return fillColor_; }
    void setFillColor(std::optional<Color> color) { fillColor_ = color; }
    // None: no stroke.
    std::optional<Color> strokeColor() const { return strokeColor_; }
    void setStrokeColor(std::optional<Color> color) { strokeColor_ = color; }
    double lineWidth() const { return lineWidth_; }
    void setLineWidth(double width) { lineWidth_ = width; }
    LineCap lineCap() const { return lineCap_; }
    void setLineCap(LineCap cap) { lineCap_ = cap; }

    void drawContent(graphics::Canvas& canvas) const override;

private:
    Path path_;
    std::optional<Color> fillColor_ = Color::black();
    std::optional<Color> strokeColor_;
    double lineWidth_ = 1;
    LineCap lineCap_ = LineCap::butt;
};

}  // namespace platform::ui
