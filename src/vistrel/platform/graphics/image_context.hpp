#pragma once
// An offscreen picture to draw into and take an Image from.
#include <optional>

#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/graphics/canvas.hpp"
#include "vistrel/platform/graphics/geometry.hpp"
#include "vistrel/platform/graphics/image.hpp"

namespace platform::graphics {

// The scale an image context gets when it is asked for scale 0 (the main screen's
// scale; the screen sets it). 2 until set; values that are not finite numbers above
// zero are ignored.
double defaultScale();
void setDefaultScale(double scale);

class ImageContext {
public:
    static constexpr double maxPoints = 4096;
    static constexpr double maxScale = 4;

    // A transparent (or, when opaque, black) picture of `points` at `scale` pixels per
    // point; scale 0 means defaultScale(). A width or height that is not a finite number
    // in (0, maxPoints], or a scale outside (0, maxScale], gives a context that draws
    // nothing and yields no image.
    ImageContext(Size points, bool opaque, double scale = 0);
    ~ImageContext();
    ImageContext(const ImageContext&) = delete;
    ImageContext& operator=(const ImageContext&) = delete;

    bool isValid() const { return valid_; }
    Canvas& canvas() { return *canvas_; }

    // What has been drawn so far, at the context's scale; none for an invalid context.
    std::optional<Image> image() const;

private:
    Bitmap bitmap_;
    bool valid_ = false;
    bool opaque_ = false;
    double scale_ = 1;
    std::unique_ptr<Canvas> canvas_;
};

}  // namespace platform::graphics
