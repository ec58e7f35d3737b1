#include "vistrel/platform/graphics/image.hpp"

#include <cmath>
#include <mutex>

#include "vistrel/platform/graphics/display_decoding.hpp"
#include "vistrel/platform/graphics/grey_plane.hpp"
#include "vistrel/platform/graphics/image_decoding.hpp"

namespace platform::graphics {

namespace {
bool goodScale(double scale) { return std::isfinite(scale) && scale > 0; }
}  // namespace

struct Image::GreyCache {
    std::once_flag once;
    std::shared_ptr<const GreyValues> values;
};

Image::Image(std::shared_ptr<const std::vector<Bitmap>> frames, double duration, double scale)
    : frames_(std::move(frames)), duration_(duration), scale_(scale), greyCache_(std::make_shared<GreyCache>()) {}

std::shared_ptr<const Image::GreyValues> Image::greyValues() const {
    std::call_once(greyCache_->once, [&] { greyCache_->values = greyPlane(bitmap()); });
    return greyCache_->values;
}

std::optional<Image> Image::make(Bitmap bitmap, double scale) {
    if (bitmap.isEmpty() || !goodScale(scale)) return std::nullopt;
    std::vector<Bitmap> frames;
    frames.push_back(std::move(bitmap));
    return Image(std::make_shared<const std::vector<Bitmap>>(std::move(frames)), 0, scale);
}

std::optional<Image> Image::makeGrey(const std::uint8_t* grey, int width, int height) {
    auto bitmap = Bitmap::make(width, height);
    if (!bitmap) return std::nullopt;
    std::uint32_t* out = bitmap->data();
    const std::size_t count = std::size_t(width) * std::size_t(height);
    std::shared_ptr<GreyValues> values;
    try {
        values = std::make_shared<GreyValues>(grey, grey + count);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < count; ++i) out[i] = 0xFF000000u | std::uint32_t(grey[i]) * 0x010101u;
    auto image = make(std::move(*bitmap));
    if (!image) return std::nullopt;
    image->grey_ = true;
    std::call_once(image->greyCache_->once, [&] { image->greyCache_->values = std::move(values); });
    return image;
}

std::optional<Image> Image::animated(std::vector<Bitmap> frames, double duration, double scale) {
    if (frames.empty() || !goodScale(scale) || !std::isfinite(duration) || duration < 0) return std::nullopt;
    for (const Bitmap& frame : frames)
        if (frame.isEmpty() || frame.width() != frames.front().width() || frame.height() != frames.front().height())
            return std::nullopt;
    if (frames.size() == 1) duration = 0;
    return Image(std::make_shared<const std::vector<Bitmap>>(std::move(frames)), duration, scale);
}

std::optional<Image> Image::animated(std::vector<Bitmap> frames, std::vector<double> frameDurations, double scale) {
    if (frameDurations.size() != frames.size()) return std::nullopt;
    double duration = 0;
    for (double seconds : frameDurations) {
        if (!std::isfinite(seconds) || seconds <= 0) return std::nullopt;
        duration += seconds;
    }
    auto image = animated(std::move(frames), duration, scale);
    if (image && image->isAnimated())
        image->frameDurations_ = std::make_shared<const std::vector<double>>(std::move(frameDurations));
    return image;
}

double Image::frameDuration(std::size_t index) const {
    if (index >= frames_->size()) return 0;
    if (frameDurations_) return (*frameDurations_)[index];
    return duration_ / static_cast<double>(frames_->size());
}

std::size_t Image::frameIndexAt(double seconds) const {
    const std::size_t count = frames_->size();
    if (count < 2 || !(duration_ > 0) || !std::isfinite(seconds)) return 0;
    double t = std::fmod(seconds, duration_);
    if (t < 0) t += duration_;
    for (std::size_t i = 0; i < count; ++i) {
        t -= frameDuration(i);
        if (t < 0) return i;
    }
    return count - 1;
}

std::optional<Image> Image::decode(std::string_view bytes, double scale) {
    if (!goodScale(scale)) return std::nullopt;
    auto decoded = decodeImageData(bytes);
    if (!decoded) return std::nullopt;
    return animated(std::move(decoded->frames), decoded->duration, scale);
}

std::optional<Image> Image::fromFile(const std::filesystem::path& path, double scale) {
    if (!goodScale(scale)) return std::nullopt;
    auto decoded = decodeImageFile(path, wholeDecodingLimits());
    if (!decoded) return std::nullopt;
    return animated(std::move(decoded->frames), decoded->duration, scale);
}

Size Image::size() const { return {pixelWidth() / scale_, pixelHeight() / scale_}; }

Image Image::withRenderingMode(RenderingMode mode) const {
    // The copy shows the same pixels, so it shares their grey values too.
    Image copy = *this;
    copy.renderingMode_ = mode;
    return copy;
}

}  // namespace platform::graphics
