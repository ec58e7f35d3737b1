#pragma once
// Drawing into a Bitmap with coordinates in points: the canvas scales points to the
// bitmap's pixels. The bitmap must outlive the canvas. Not thread-safe; one canvas per
// thread at a time.
#include <memory>
#include <cstddef>
#include <optional>
#include <vector>

#include "vistrel/platform/graphics/attributed_string.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/graphics/color.hpp"
#include "vistrel/platform/graphics/geometry.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/graphics/path.hpp"
#include "vistrel/platform/graphics/text.hpp"

namespace platform::graphics {

enum class LineCap { butt, round, square };

class Canvas {
public:
    // A canvas over `bitmap`, `scale` pixels per point (a scale that is not a finite
    // number above zero counts as 1).
    Canvas(Bitmap& bitmap, double scale);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    double scale() const;
    // The bitmap's size in points.
    Size size() const;

    // Drawing state (transform, clip) saved and restored in pairs.
    void save();
    void restore();
    void translate(double dx, double dy);
    void concat(const AffineTransform& transform);
    AffineTransform currentTransform() const;  // in points, from user space to the bitmap

    void clip(const Rect& rect);
    void clip(const Rect& rect, double cornerRadius);
    void clip(const Path& path);

    void fill(const Rect& rect, Color color);
    void fill(const Path& path, Color color);
    void stroke(const Path& path, Color color, double lineWidth, LineCap cap = LineCap::butt);
    void fillRoundedRect(const Rect& rect, double cornerRadius, Color color);
    // A border of `lineWidth` inside `rect`, following the same rounded outline.
    void strokeRoundedRect(const Rect& rect, double cornerRadius, double lineWidth, Color color);
    // Sets every pixel under `rect` to transparent, ignoring what was there.
    void clear(const Rect& rect);

    // The image (its first frame) scaled into `dest`. With a tint, only the image's
    // alpha counts and the tint colour fills it.
    void draw(const Image& image, const Rect& dest, std::optional<Color> tint = std::nullopt);
    // The same with one frame of an animation (the last one for an index past the end).
    void draw(const Image& image, std::size_t frame, const Rect& dest, std::optional<Color> tint = std::nullopt);

    // The rectangle filled with a linear gradient from `start` to `end` (in the canvas's
    // coordinates): colours at locations in 0...1, in order; beyond the ends the end
    // colours continue. Nothing without stops; one stop fills with its colour.
    struct GradientStop {
        double location;
        Color color;
    };
    void fillLinearGradient(const Rect& rect, const std::vector<GradientStop>& stops, Point start, Point end);

    // The text laid out in `rect`'s width (the options' maxWidth is ignored), lines from
    // the top of the rect, aligned inside it.
    void drawText(const AttributedString& text, const Rect& rect, const TextLayoutOptions& options = {});

    // What is drawn until the matching end is composed as one picture, then laid down
    // with `alpha`.
    void beginTransparencyLayer(double alpha);
    void endTransparencyLayer();

    // What is drawn until the matching end is composed as one picture and laid down
    // over its shadow: a copy of its coverage in `color`, moved by `offset` points.
    void beginShadow(Color color, Size offset);
    void endShadow();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform::graphics
