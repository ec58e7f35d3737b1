#include "vistrel/platform/graphics/bitmap.hpp"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <system_error>

namespace platform::graphics {

namespace {

std::uint8_t toByte(double component) {
    if (!(component > 0)) return 0;  // also NaN
    if (component >= 1) return 255;
    return static_cast<std::uint8_t>(std::lround(component * 255));
}

std::uint8_t premultiply(std::uint8_t value, std::uint8_t alpha) {
    // Exact rounding of value * alpha / 255.
    unsigned t = unsigned(value) * alpha + 128;
    return static_cast<std::uint8_t>((t + (t >> 8)) >> 8);
}

std::uint8_t unpremultiply(std::uint8_t value, std::uint8_t alpha) {
    if (alpha == 0) return 0;
    return static_cast<std::uint8_t>(std::min(255u, (unsigned(value) * 255 + alpha / 2) / alpha));
}

}  // namespace

std::uint32_t premultipliedPixel(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    return (std::uint32_t(a) << 24) | (std::uint32_t(premultiply(r, a)) << 16) |
           (std::uint32_t(premultiply(g, a)) << 8) | premultiply(b, a);
}

std::optional<Bitmap> Bitmap::make(int width, int height) {
    if (width < 1 || height < 1 || width > maxDimension || height > maxDimension) return std::nullopt;
    try {
        Pixels pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        return Bitmap(width, height, std::move(pixels));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

Color Bitmap::pixel(int x, int y) const {
    std::uint32_t p = rawPixel(x, y);
    auto a = static_cast<std::uint8_t>(p >> 24);
    if (a == 0) return Color::clear();
    auto r = unpremultiply(static_cast<std::uint8_t>(p >> 16), a);
    auto g = unpremultiply(static_cast<std::uint8_t>(p >> 8), a);
    auto b = unpremultiply(static_cast<std::uint8_t>(p), a);
    return Color::rgba(r / 255.0, g / 255.0, b / 255.0, a / 255.0);
}

void Bitmap::setPixel(int x, int y, Color color) {
    if (!contains(x, y)) return;
    pixels_[static_cast<std::size_t>(y) * width_ + x] =
        premultipliedPixel(toByte(color.r), toByte(color.g), toByte(color.b), toByte(color.a));
}

bool writePng(const Bitmap& bitmap, const std::filesystem::path& path) {
    if (bitmap.isEmpty()) return false;
    std::vector<png_byte> rgba;
    try {
        rgba.resize(std::size_t(bitmap.width()) * std::size_t(bitmap.height()) * 4);
    } catch (const std::bad_alloc&) {
        return false;
    }
    png_byte* out = rgba.data();
    for (int y = 0; y < bitmap.height(); ++y) {
        for (int x = 0; x < bitmap.width(); ++x, out += 4) {
            std::uint32_t p = bitmap.rawPixel(x, y);
            auto a = static_cast<std::uint8_t>(p >> 24);
            out[0] = unpremultiply(static_cast<std::uint8_t>(p >> 16), a);
            out[1] = unpremultiply(static_cast<std::uint8_t>(p >> 8), a);
            out[2] = unpremultiply(static_cast<std::uint8_t>(p), a);
            out[3] = a;
        }
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(bitmap.width());
    image.height = static_cast<png_uint_32>(bitmap.height());
    image.format = PNG_FORMAT_RGBA;
    bool ok = png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
    png_image_free(&image);
    if (!ok) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
    return ok;
}

}  // namespace platform::graphics
