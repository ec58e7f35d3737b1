#include "vistrel/platform/graphics/image_context.hpp"

#include <atomic>
#include <cmath>

namespace platform::graphics {

namespace {
std::atomic<double> processDefaultScale{2};

bool goodPoints(double points) { return std::isfinite(points) && points > 0 && points <= ImageContext::maxPoints; }
}  // namespace

double defaultScale() { return processDefaultScale.load(); }

void setDefaultScale(double scale) {
    if (std::isfinite(scale) && scale > 0) processDefaultScale.store(scale);
}

ImageContext::ImageContext(Size points, bool opaque, double scale) : opaque_(opaque) {
    if (scale == 0) scale = defaultScale();
    scale_ = scale;
    if (goodPoints(points.width) && goodPoints(points.height) && std::isfinite(scale) && scale > 0 &&
        scale <= maxScale) {
        int width = static_cast<int>(std::ceil(points.width * scale));
        int height = static_cast<int>(std::ceil(points.height * scale));
        if (auto bitmap = Bitmap::make(width, height)) {
            bitmap_ = std::move(*bitmap);
            valid_ = true;
            if (opaque_) {
                std::uint32_t black = 0xFF000000u;
                std::fill(bitmap_.data(), bitmap_.data() + std::size_t(width) * height, black);
            }
        }
    }
    canvas_ = std::make_unique<Canvas>(bitmap_, valid_ ? scale_ : 1);
}

ImageContext::~ImageContext() = default;

std::optional<Image> ImageContext::image() const {
    if (!valid_) return std::nullopt;
    return Image::make(bitmap_, scale_);
}

}  // namespace platform::graphics
