#include "platform/graphics/bitmap.hpp"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
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

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::uint32_t premultipliedPixel(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    return (std::uint32_t(a) << 24) | (std::uint32_t(premultiply(r, a)) << 16) |
           (std::uint32_t(premultiply(g, a)) << 8) | premultiply(b, a);
}

std::optional<Bitmap> Bitmap::make(int width, int height) {
    if (width < 1 || height < 1 || width > maxDimension || height > maxDimension) return std::nullopt;
    try {
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
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
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    std::vector<png_byte> row(static_cast<std::size_t>(bitmap.width()) * 4);
    if (png && info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file.get());
        png_set_IHDR(png, info, png_uint_32(bitmap.width()), png_uint_32(bitmap.height()), 8,
                     PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < bitmap.height(); ++y) {
            for (int x = 0; x < bitmap.width(); ++x) {
                std::uint32_t p = bitmap.rawPixel(x, y);
                auto a = static_cast<std::uint8_t>(p >> 24);
                png_byte* out = &row[static_cast<std::size_t>(x) * 4];
                out[0] = unpremultiply(static_cast<std::uint8_t>(p >> 16), a);
                out[1] = unpremultiply(static_cast<std::uint8_t>(p >> 8), a);
                out[2] = unpremultiply(static_cast<std::uint8_t>(p), a);
                out[3] = a;
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    if (std::fclose(file.release()) != 0) ok = false;
    if (!ok) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
    return ok;
}

}  // namespace platform::graphics
