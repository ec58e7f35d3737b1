#include "platform/graphics/grey_plane.hpp"

#include <new>

namespace platform::graphics {

std::optional<std::vector<std::uint8_t>> greyPlane(const Bitmap& bitmap) {
    const std::size_t count = std::size_t(bitmap.width()) * std::size_t(bitmap.height());
    std::vector<std::uint8_t> grey;
    try {
        grey.resize(count);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    const std::uint32_t* in = bitmap.data();
    // Premultiplied components are the colour already drawn over black. The weights
    // are 16-bit fixed point and add up to 65536, so white stays 255.
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t p = in[i];
        std::uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        grey[i] = static_cast<std::uint8_t>((r * 19595 + g * 38470 + b * 7471 + 32768) >> 16);
    }
    return grey;
}

std::optional<Image> greyImage(const Image& image) {
    if (image.isGrey() && image.scale() == 1 && !image.isAnimated()) return image;
    auto grey = greyPlane(image.bitmap());
    if (!grey) return std::nullopt;
    return Image::makeGrey(grey->data(), image.pixelWidth(), image.pixelHeight());
}

}  // namespace platform::graphics
