#pragma once
// A raster of 32-bit pixels in the drawing engine's ARGB32 layout: one std::uint32_t per
// pixel in native byte order, alpha in the top byte, red, green and blue premultiplied
// by alpha. Rows follow each other with no padding (stride = width * 4 bytes).
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "vistrel/platform/graphics/color.hpp"
#include "vistrel/platform/graphics/pixel_allocator.hpp"

namespace platform::graphics {

class Bitmap {
public:
    // The largest width or height in pixels a bitmap may have.
    static constexpr int maxDimension = 32767;

    // An empty (0 x 0) bitmap.
    Bitmap() = default;

    // A fully transparent bitmap; none for a width or height that is not in
    // 1...maxDimension, or when the memory cannot be had.
    static std::optional<Bitmap> make(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool isEmpty() const { return width_ == 0 || height_ == 0; }
    int stride() const { return width_ * 4; }

    std::uint32_t* data() { return pixels_.data(); }
    const std::uint32_t* data() const { return pixels_.data(); }

    // The stored (premultiplied) value; 0 outside the bitmap.
    std::uint32_t rawPixel(int x, int y) const {
        return contains(x, y) ? pixels_[static_cast<std::size_t>(y) * width_ + x] : 0;
    }
    // The colour at a pixel, un-premultiplied; clear outside the bitmap.
    Color pixel(int x, int y) const;
    // Stores a colour (clamped to 0...1, then premultiplied); nothing outside the bitmap.
    void setPixel(int x, int y, Color color);

    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

private:
    using Pixels = std::vector<std::uint32_t, PixelAllocator<std::uint32_t>>;
    Bitmap(int width, int height, Pixels pixels) : width_(width), height_(height), pixels_(std::move(pixels)) {}

    int width_ = 0;
    int height_ = 0;
    Pixels pixels_;
};

// Packs straight (not premultiplied) 8-bit channels into one premultiplied pixel.
std::uint32_t premultipliedPixel(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);

// Writes the bitmap as an 8-bit RGBA PNG file. False (and no file left behind) when the
// bitmap is empty or the file cannot be written.
bool writePng(const Bitmap& bitmap, const std::filesystem::path& path);

}  // namespace platform::graphics
